// Console diagnostics: "perft", "debug" and "bench", and the board diagram.
#include <cstdio>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "uci/uci.h"

namespace velta {

namespace {

const char* const BENCH_POSITIONS[4] = {
    "2r1k2r/pq1p1ppp/1pbPpn2/8/2P2B2/P2B1P2/1PQ3PP/R3K2R b KQk - 2 16",
    "1n1q1rk1/r3ppbp/p1p3p1/1p3b2/P1pP3B/1NP1PB2/5PPP/R2QR1K1 w - - 10 16",
    "r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16",
    "r5k1/p2qp1bp/6p1/1pP3P1/2n1P3/1QP1B3/P3N1PP/R4K2 b - - 0 17",
};
constexpr int BENCH_DEPTH = 12, BENCH_TABLE_MB = 128;
// Perft counts subtrees this shallow without looking at the input; above
// them it checks before each move, so waiting input stops a long count soon.
constexpr int PERFT_SLICE_DEPTH = 4;

uint64_t print_summary(uint64_t nodes, int64_t start) {
  uint64_t ms = uint64_t(clock_ms() - start);
  printf("%llu nodes in %llu ms, speed = %llu nodes/s\n", (unsigned long long)nodes, (unsigned long long)ms,
         (unsigned long long)nodes_per_second(nodes, ms));
  return ms;
}

int print_move_long(Move m) {
  char text[MOVE_TEXT_SIZE];
  int length = move_text_long(m, text);
  printf("%s", text);
  return length;
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

// The leaf count `depth` plies below the current record; sets `interrupted`
// and returns a partial count once the stop signal is up.
uint64_t count_paths(Board& b, int depth, const SearchSignals& signals, bool& interrupted) {
  if (depth <= PERFT_SLICE_DEPTH) return perft(b, depth);
  const MoveList& list = legal_moves(b);
  uint64_t total = 0;
  for (int i = 0; i < list.count && !(interrupted = interrupted || signals.stop); ++i) {
    make_move(b, list.moves[i]);
    total += count_paths(b, depth - 1, signals, interrupted);
    take_back(b);
  }
  return total;
}

// Counts below each root move, printing "move: count" for every move
// finished before an interruption; depth 1 lists the moves on one line.
// Each line is written with one call (a command may be answered meanwhile).
uint64_t divide(Board& b, int depth, const SearchSignals& signals, bool& interrupted) {
  const MoveList& list = legal_moves(b);
  char text[MAX_MOVES * 6 + 2];
  if (depth == 1) {
    int length = 0;
    for (int i = 0; i < list.count; ++i) length += move_text(b, list.moves[i], text + length), text[length++] = ' ';
    text[length] = '\0';
    printf("%s\n", text);
    return uint64_t(list.count);
  }
  uint64_t total = 0;
  for (int i = 0; i < list.count && !interrupted; ++i) {
    make_move(b, list.moves[i]);
    uint64_t count = count_paths(b, depth - 1, signals, interrupted);
    take_back(b);
    if (!interrupted) move_text(b, list.moves[i], text), printf("%s: %llu\n", text, (unsigned long long)count);
    total += count;
  }
  return total;
}

void print_move_history(const Board& b) {
  if (b.ply_count == 0) return;
  printf("after moves:\n");
  for (int i = 0; i < b.ply_count; ++i) {
    if (i % 2 == 0) printf("%4i. ", i / 2 + 1);
    for (int width = print_move_long(b.stack[i].move_played); width < 10; ++width) printf(" ");
    if (i % 6 == 5) printf("\n");
  }
  printf("\n\n");
}

}  // namespace

// The diagram is drawn with box-drawing characters and a shade on every
// other square, in UTF-8.
void print_board(const Board& b) {
  const Position& p = *b.current;
  printf("\n");
  print_move_history(b);
  bool white_to_move = p.us->colour->is_white;
  for (int rank = 7; rank >= 0; --rank) {
    printf(" %i \u2502", rank + 1);
    for (int file = 0; file < 8; ++file) {
      int colour, type = piece_on(p, file + 8 * rank, colour);
      const char* background = (file + rank) % 2 ? "\u2591" : " ";
      char piece[2] = {!type ? '\0' : colour == WHITE ? "?PNBRQK"[type] : "?pnbrqk"[type], '\0'};
      printf("%s%s%s", background, type ? piece : background, background);
    }
    if ((rank == 7 && !white_to_move) || (rank == 0 && white_to_move)) {
      printf(" *");
      if (p.us->attack_info->checkers) printf(" (check !)");
    }
    printf("\n");
  }
  printf("   \u2514");
  for (int i = 0; i < 24; ++i) printf("\u2500");
  printf("\n     A  B  C  D  E  F  G  H\n\n");
  printf("key = 0x%016llx\n", (unsigned long long)p.key);
  char fen[FEN_TEXT_SIZE];
  fen_text(b, fen);
  printf("fen = %s\n", fen);
}

void perft_job(Engine& e, int depth) {
  Board& game = *e.game;
  int64_t start = clock_ms();
  bool interrupted = false;
  // A depth below 1 counts the position itself.
  uint64_t nodes = depth < 1 ? 1 : divide(game, depth, e.signals, interrupted);
  if (interrupted) info_string("perft interrupted");
  print_summary(nodes, start);
  reset_new_game(*e.search);
}

void debug_command(Engine& e) {
  Position& p = *e.game->current;
  prepare_node(p);
  print_board(*e.game);
  int s = evaluate(p);
  print_score(s);
  if (is_mate_score(s)) printf(" [%i half-moves]", plies_to_mate(s));
  printf("\n\n");
  generate_moves(p, GEN_ALL);
  order_moves(p);
  list_moves(p.moves, false);
  list_moves(p.moves, true);
}

void print_bench_line(const BenchResult& bench) {
  printf("%llu nodes %llu nps\n", (unsigned long long)bench.nodes,
         (unsigned long long)nodes_per_second(bench.nodes, bench.ms));
}

// A search context of its own, with a 128 MB table (the engine's when it has
// that size): single-threaded whatever the Threads option says, without
// endgame tables and never stopped, so that the node total stays the
// search's signature whatever the options. The game is left as it was.
BenchResult bench_command(Engine& e) {
  TranspositionTable own{};
  bool sized = tt_megabytes(e.table) == BENCH_TABLE_MB || !tt_allocate(own, BENCH_TABLE_MB);
  TranspositionTable& table = sized ? e.table : own;
  SearchSignals never;
  OutputSink sink = protocol_sink(e, nullptr);
  SearchContext* ctx = create_search(&table, &never, &sink);
  Board* board = new Board;
  SearchRequest request{};
  request.limits.mode = LIMIT_DEPTH;
  request.limits.depth_limit = BENCH_DEPTH;
  tt_wait_until_provided(table);
  int64_t start = clock_ms();
  uint64_t total = 0;
  for (const char* fen : BENCH_POSITIONS) {
    set_position(*board, fen);
    reset_new_game(*ctx);
    print_board(*board);
    SearchResult result = search_root(*ctx, *board, request);
    print_result(*board, result, e.options.ponder, false);
    total += result.info.nodes;
    reset_new_game(*ctx);
  }
  uint64_t ms = print_summary(total, start);
  delete board;
  destroy_search(ctx);
  tt_release(own);
  return {total, ms};
}

}  // namespace velta
