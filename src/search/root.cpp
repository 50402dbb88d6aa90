// Iterative deepening: game-over answers, a single legal move answered at
// once, then depths 1, 2, 3 ... until the limits say stop; then the mate
// announcement, the closing score line and "bestmove".
#include <cstdio>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/search.h"

namespace velta {

namespace {

constexpr int MAX_DEPTH = 63;

void answer(const char* game_over, Move move) {
  if (game_over) printf("info string Game over (%s) !\n", game_over);
  printf("bestmove ");
  if (move)
    print_move_uci(move);
  else
    printf("0000");
  printf("\n");
}

bool keep_deepening(int score, int depth) {
  if (is_mate_score(score)) return false;
  return limits.mode != LIMIT_DEPTH || limits.depth_limit >= depth;
}

}  // namespace

void search_root() {
  state.start_clock = clock_ms();
  if (is_draw()) return answer("draw", 0);
  Position& root = *current_position;
  prepare_and_generate();
  int in_check = root.us->attack_info->checkers != 0;
  if (root.moves.count == 0) return answer(in_check ? "mate" : "pat", 0);
  if (root.moves.count == 1) return answer(nullptr, root.moves.moves[0]);

  state.iteration_depth = state.seldepth = 1;
  int score = search(0, 1, -INFINITE_SCORE, INFINITE_SCORE, in_check);
  state.iteration_depth = 2;
  for (int depth = 2; keep_deepening(score, depth); depth = state.iteration_depth) {
    state.seldepth = depth;
    state.instability = state.time_extended = 0;
    score = search(0, depth, -INFINITE_SCORE, INFINITE_SCORE, in_check);
    if (state.stop) break;
    ++state.iteration_depth;
    state.previous_score = score;
    if (state.time_extended) break;
    state.elapsed_ms = uint64_t(clock_ms() - state.start_clock);
    if (limits.mode == LIMIT_CLOCK && 2 * state.elapsed_ms > limits.time_budget) break;
    if (state.iteration_depth > MAX_DEPTH) break;
  }

  int s = state.reported_score;
  if (is_mate_score(s)) printf("info string Mate in %i half-moves !\n", plies_to_mate(s));
  printf("info ");
  print_score(s);
  printf("\n");
  // A search stopped before it reported a move answers with the first root move.
  answer(nullptr, state.reported_move ? state.reported_move : root.moves.moves[0]);
}

}  // namespace velta
