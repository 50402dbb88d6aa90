// Console diagnostics: "perft", "debug" and "bench".
#include <cstdio>
#include <cstdlib>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"
#include "uci/uci.h"

namespace velta {

namespace {

const char* const BENCH_POSITIONS[4] = {
    "2r1k2r/pq1p1ppp/1pbPpn2/8/2P2B2/P2B1P2/1PQ3PP/R3K2R b KQk - 2 16",
    "1n1q1rk1/r3ppbp/p1p3p1/1p3b2/P1pP3B/1NP1PB2/5PPP/R2QR1K1 w - - 10 16",
    "r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16",
    "r5k1/p2qp1bp/6p1/1pP3P1/2n1P3/1QP1B3/P3N1PP/R4K2 b - - 0 17",
};
constexpr int BENCH_DEPTH = 12;

void print_summary(uint64_t nodes, int64_t start) {
  uint64_t ms = uint64_t(clock_ms() - start);
  uint64_t speed = ms ? nodes / ms * 1000 : 0;
  printf("%llu nodes in %llu ms, speed = %llu nodes/s\n", (unsigned long long)nodes, (unsigned long long)ms,
         (unsigned long long)speed);
}

// Moves in best-first order, wrapped after 69 characters; mirrored by rank on request.
void list_moves(const MoveList& list, bool mirrored) {
  printf("%i legal moves:\n", list.count);
  int width = 0;
  for (int i = 0; i < list.count; ++i) {
    width += print_move_long(mirrored ? list.moves[i] ^ MIRROR_RANKS : list.moves[i]);
    if (width > 69) {
      printf("\n");
      width = 0;
    } else {
      printf(" ");
      width += 1;
    }
  }
  printf("\n\n");
}

}  // namespace

void perft_command(const char* line) {
  int depth = 1;
  if (sscanf(line, "perft %i", &depth) != 1) depth = 1;
  if (depth > STACK_SIZE - 2 - ply_count) return report_failed_check("perft depth fits in the position stack");
  int64_t start = clock_ms();
  perft_interrupted = false;
  uint64_t nodes = depth < 1 ? 1 : perft(0, depth - 1);  // a depth below 1 counts the position itself
  if (perft_interrupted) printf("info string perft interrupted\n");
  print_summary(nodes, start);
  reset_new_game();
}

void debug_command() {
  compute_check_info();
  compute_attacks();
  print_board();
  int s = evaluate();
  print_score(s);
  if (is_mate_score(s)) printf(" [%i half-moves]", plies_to_mate(s));
  printf("\n\n");
  generate_moves(GEN_ALL);
  MoveList& list = current_position->moves;
  for (int i = 0; i < list.count; ++i) pick_best(i);
  list_moves(list, false);
  list_moves(list, true);
}

void bench_command() {
  int64_t start = clock_ms();
  uint64_t total = 0;
  for (const char* fen : BENCH_POSITIONS) {
    read_fen(fen);
    reset_new_game();
    print_board();
    limits.mode = LIMIT_DEPTH;
    limits.depth_limit = BENCH_DEPTH;
    search_root();
    total += state.nodes;
    reset_new_game();
  }
  print_summary(total, start);
}

}  // namespace velta
