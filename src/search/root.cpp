// Iterative deepening: game-over answers, a single legal move answered at
// once, then depths 1, 2, 3 ... until the limits say stop.
#include "movegen/movegen.h"
#include "search/search.h"

namespace velta {

namespace {

bool keep_deepening(const SearchLimits& limits, int score, int depth) {
  if (is_mate_score(score)) return false;
  return limits.mode != LIMIT_DEPTH || limits.depth_limit >= depth;
}

}  // namespace

SearchResult search_root(SearchContext& ctx) {
  SearchState& state = ctx.state;
  state.start_clock = clock_ms();
  if (is_draw(ctx.board)) return {"draw", 0, 0, false};
  Position& root = *ctx.board.current;
  const MoveList& moves = legal_moves(ctx.board);
  int in_check = root.us->attack_info->checkers != 0;
  if (moves.count == 0) return {in_check ? "mate" : "pat", 0, 0, false};
  if (moves.count == 1) return {nullptr, moves.moves[0], 0, false};

  state.iteration_depth = state.seldepth = 1;
  int score = search(ctx, 0, 1, -INFINITE_SCORE, INFINITE_SCORE, in_check);
  state.iteration_depth = 2;
  for (int depth = 2; keep_deepening(ctx.limits, score, depth); depth = state.iteration_depth) {
    state.seldepth = depth;
    state.instability = state.time_extended = 0;
    score = search(ctx, 0, depth, -INFINITE_SCORE, INFINITE_SCORE, in_check);
    if (state.stop) break;
    ++state.iteration_depth;
    state.previous_score = score;
    if (state.time_extended) break;
    state.elapsed_ms = uint64_t(clock_ms() - state.start_clock);
    if (!another_iteration_fits(ctx)) break;
    if (state.iteration_depth > MAX_PLY) break;
  }
  // A search stopped before it reported a move answers with the first root move.
  return {nullptr, state.reported_move ? state.reported_move : root.moves.moves[0], state.reported_score, true};
}

}  // namespace velta
