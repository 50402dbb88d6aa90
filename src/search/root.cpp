// Iterative deepening: game-over answers, a single legal move answered at
// once, then depths 1, 2, 3 ... until the limits say stop. With MultiPV, each
// iteration searches the root once per line, each line without the moves of
// the lines before it.
#include <algorithm>

#include "movegen/movegen.h"
#include "search/internal.h"

namespace velta {

namespace {

// A mate ends the search, unless it is looking for a shorter mate than this
// one (go mate N); so does the depth limit.
bool keep_deepening(const SearchLimits& limits, int score, int depth) {
  if (is_mate_score(score) && (!limits.mate || (score > 0 && moves_to_mate(score) <= limits.mate))) return false;
  return limits.mode != LIMIT_DEPTH || limits.depth_limit >= depth;
}

int material_in_pawns(const Position& p) {
  int total = 0;
  for (const SideState& side : p.sides)
    total += popcount(side.pieces[PAWN]) + 3 * popcount(side.pieces[KNIGHT] | side.pieces[BISHOP]) +
             5 * popcount(side.pieces[ROOK]) + 9 * popcount(side.pieces[QUEEN]);
  return total;
}

// The line the answer takes: the best, or the level's choice.
int chosen_line(const SearchContext& ctx) {
  int32_t scores[MAX_MULTIPV];
  for (int i = 0; i < ctx.line_count; ++i) scores[i] = ctx.lines[i].score;
  return choose_line(ctx.level, scores, ctx.line_count);
}

int searched_root_moves(const SearchContext& ctx, const MoveList& moves) {
  int n = 0;
  for (int i = 0; i < moves.count; ++i) n += root_move_searched(ctx, moves.moves[i]);
  return n;
}

// One iteration of a MultiPV search; returns the best line's score, or 0
// when stopped (the lines of the last full iteration then stand).
int search_lines(SearchContext& ctx, int depth, int wanted, bool in_check) {
  SearchState& state = ctx.state;
  RootLine found[MAX_MULTIPV];
  ctx.excluded.count = 0;
  for (int i = 0; i < wanted; ++i) {
    state.seldepth = depth;
    int score = search(ctx, 0, depth, -INFINITE_SCORE, INFINITE_SCORE, in_check);
    if (state.stop) break;
    found[i] = {state.reported_move, state.root_in_tb && !is_mate_score(score) ? state.tb_root_score : score,
                state.seldepth};
    ctx.excluded.moves[ctx.excluded.count++] = state.reported_move;
  }
  int done = ctx.excluded.count;
  ctx.excluded.count = 0;
  if (done < wanted) {
    // The first line of a deeper iteration beats the old best line.
    if (done) ctx.lines[0] = found[0], ctx.line_count = std::max(ctx.line_count, 1);
    return 0;
  }
  std::stable_sort(found, found + wanted, [](const RootLine& a, const RootLine& b) { return a.score > b.score; });
  std::copy(found, found + wanted, ctx.lines);
  ctx.line_count = wanted;
  report_lines(ctx);
  return found[0].score;
}

}  // namespace

SearchResult search_position(SearchContext& ctx) {
  SearchState& state = ctx.state;
  state.start_clock = clock_ms();
  Position& root = *ctx.board.current;
  const MoveList& moves = legal_moves(ctx.board);
  bool in_check = root.us->attack_info->checkers;
  if (moves.count == 0) return {in_check ? "mate" : "pat", 0, 0, 0, false, {}};
  if (moves.count == 1) return {nullptr, moves.moves[0], 0, 0, false, {}};
  state.root_in_tb = !ctx.helper_index && tb_covers(ctx, root) && tb_rank_root(ctx, moves);
  state.root_material = material_in_pawns(root);
  // A weaker level searches its own number of lines, but shows those asked for.
  int searchable = searched_root_moves(ctx, moves);
  ctx.shown_lines = std::min(std::max(ctx.limits.multipv, 1), searchable);
  int wanted = std::min(std::max(ctx.shown_lines, ctx.level.lines), searchable);
  ctx.limits.multipv = wanted;
  // A weaker level searches alone: its node caps were measured with one
  // thread, and helpers would spend its few nodes before its first iteration
  // has ranked the lines it chooses from.
  bool helped = ctx.pool && helper_count(*ctx.pool) && !ctx.level.lines;
  if (helped) start_helpers(*ctx.pool, ctx);
  // A helper's horizon runs 0, 1 or 2 plies ahead of its iteration count.
  const int offset = ctx.helper_index % 3;
  auto iterate = [&](int depth) {
    return wanted > 1 ? search_lines(ctx, depth, wanted, in_check)
                      : search(ctx, 0, std::min(depth + offset, MAX_PLY), -INFINITE_SCORE, INFINITE_SCORE, in_check);
  };

  state.iteration_depth = state.seldepth = 1;
  int score = iterate(1);
  state.iteration_depth = 2;
  for (int depth = 2; !state.stop && keep_deepening(ctx.limits, score, depth); depth = state.iteration_depth) {
    state.seldepth = depth;
    state.instability = 0, state.time_extended = false;
    score = iterate(depth);
    if (state.stop) break;
    ++state.iteration_depth;
    state.previous_score = score;
    if (state.time_extended) break;
    state.elapsed_ms = uint64_t(clock_ms() - state.start_clock);
    if (!another_iteration_fits(ctx)) break;
    if (state.iteration_depth > MAX_PLY) break;
  }
  if (wanted > 1 && ctx.line_count) {
    const RootLine& line = ctx.lines[chosen_line(ctx)];
    state.reported_move = line.move, state.reported_score = line.score;
    if (ctx.sink) state.pv_length = 0, collect_pv(ctx, state.reported_move);
  }
  if (helped) stop_helpers(*ctx.pool), ctx.team_nodes = nullptr;
  state.elapsed_ms = uint64_t(clock_ms() - state.start_clock);
  state.nps = nodes_per_second(nodes_searched(ctx), state.elapsed_ms);
  // A search stopped before it reported a move answers with the first root move.
  Move best = state.reported_move ? state.reported_move : root.moves.moves[0];
  Move ponder = state.reported_move && state.pv_length > 1 ? state.pv[1] : 0;
  SearchInfo closing = search_info(ctx, state.reported_score);
  closing.depth = state.reported_depth, closing.seldepth = state.reported_seldepth;
  return {nullptr, best, ponder, state.reported_score, true, closing};
}

SearchResult search_root(SearchContext& ctx, const Board& game, const SearchRequest& request) {
  copy_game(ctx.board, game);
  ctx.limits = request.limits;
  ctx.search_moves = request.search_moves;
  ctx.pondering = request.pondering;
  ctx.on_ponderhit = request.on_ponderhit;
  ctx.tb = request.tb;
  ctx.level = request.level;
  return search_position(ctx);
}

SearchContext* create_search(TranspositionTable* tt, SearchSignals* signals, const OutputSink* sink) {
  SearchContext* ctx = new SearchContext{};
  ctx->tt = tt, ctx->signals = signals, ctx->sink = sink;
  return ctx;
}

void destroy_search(SearchContext* ctx) {
  if (ctx) destroy_pool(ctx->pool);
  delete ctx;
}

}  // namespace velta
