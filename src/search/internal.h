// What the files of the search share among themselves: the table's slots,
// the search context, and the steps of a search. Nothing outside search/
// includes this header (its tests excepted).
#pragma once

#include "search/search.h"

namespace velta {

// Transposition table: buckets of four 16-byte slots (64 bytes). A slot holds
// its data word and the key XOR-ed with it: a slot torn by two threads writing
// at once fails the key test, so a probe never returns data stored for
// another position.
constexpr uint8_t BOUND_EMPTY = 0, BOUND_UPPER = 1, BOUND_LOWER = 2, BOUND_EXACT = 3;
constexpr int BUCKET_SLOTS = 4;
struct TTEntry {
  uint8_t depth;  // remaining depth in plies, 0 for quiescence results
  uint8_t bound;
  int16_t score;
  uint32_t move;
};
// Data word: move in bits 0-31, score 32-47, bound 48-55, depth 56-63.
constexpr uint64_t tt_data(const TTEntry& e) {
  return uint64_t(e.move) | uint64_t(uint16_t(e.score)) << 32 | uint64_t(e.bound) << 48 | uint64_t(e.depth) << 56;
}
constexpr TTEntry tt_entry(uint64_t data) {
  return {uint8_t(data >> 56), uint8_t(data >> 48), int16_t(uint16_t(data >> 32)), uint32_t(data)};
}
struct TTSlot {
  std::atomic<uint64_t> check;  // key ^ data
  std::atomic<uint64_t> data;
};
void tt_store(TranspositionTable& tt, uint64_t key, Move move, int score, int alpha, int beta, int depth);
// The entry stored for the key, if any.
bool tt_probe(const TranspositionTable& tt, uint64_t key, TTEntry& entry);
// A key's bucket: its low bits, less the two that would pick a slot in it.
inline TTSlot* tt_bucket(const TranspositionTable& tt, uint64_t key) {
  return tt.slots + (key & (tt.slot_count - BUCKET_SLOTS));
}
// Starts loading a key's bucket, which a probe soon after will find in the cache.
inline void tt_prefetch(const TranspositionTable& tt, uint64_t key) { __builtin_prefetch(tt_bucket(tt, key)); }
// The table's memory, from the system's own calls (table_memory.cpp): a
// zero-filled block of at least `bytes`, recorded in tt.mapping, aligned to
// 64 bytes at least (a bucket is one cache line) and to a huge page where
// that matters; null when refused. `resident`: every page is there already.
void* map_table_memory(TranspositionTable& tt, size_t bytes, bool& resident);
// Has the system provide every page of the block, leaving what the searches
// write there meanwhile as it is (on a thread of its own).
void provide_table_memory(void* start, size_t bytes);
void unmap_table_memory(TranspositionTable& tt);
// Whether an entry's score settles a node searched with this window.
inline bool tt_usable(const TTEntry& e, int alpha, int beta) {
  return e.bound == BOUND_EXACT || (e.bound == BOUND_LOWER && e.score >= beta) ||
         (e.bound == BOUND_UPPER && e.score <= alpha);
}

struct SearchState {
  int32_t iteration_depth;
  int32_t seldepth;
  int32_t reported_score;
  Move reported_move;  // the move "bestmove" names
  bool stop;
  Move current_root_move;
  int32_t current_root_move_number;
  int32_t instability;  // 1: best root move changed; 2: root score dropped by more than 100
  bool time_extended;
  int32_t previous_score;
  int64_t start_clock;  // milliseconds of the steady clock
  uint64_t elapsed_ms;
  uint64_t pondered_ms;  // spent before "ponderhit": the clock's budget starts after it
  uint64_t nodes;
  uint64_t nps;
  int32_t reported_depth, reported_seldepth;
  uint64_t helper_nodes;  // the helpers' nodes when last counted
  uint64_t tbhits;        // successful table probes
  uint64_t helper_tbhits;
  int32_t tb_root_score;  // the tables' score of the root when they cover it
  bool root_in_tb;
  int32_t root_material;  // in pawns, as SearchInfo shows it
  Move pv[STACK_SIZE];    // the reported line, read back from the table
  int32_t pv_length;
};

// One root line of a MultiPV search.
struct RootLine {
  Move move;
  int32_t score;
  int32_t seldepth;
};
constexpr int MAX_MULTIPV = 500;

// The order values of one ply's moves, kept between its picks. Moves with
// an ordering key stand before the quiet ones, which they all outrank; a
// quiet move's value follows the history, and is computed when the first
// quiet move is picked and again when the history has changed since (the
// search below it may change it).
struct MoveOrder {
  uint64_t values[MAX_MOVES];
  uint64_t history_version;
  int32_t keyed_end;  // the first quiet entry
  bool valid;         // the moves not yet picked are split, the keyed ones valued
  bool quiet_valued;  // the quiet moves not yet picked are valued under history_version
  bool sorted;        // and stand in order
};

struct HelperPool;

// Everything one search changes. It holds about 4 MB (the position stack and
// the order values): allocate it once, never on a thread's stack.
struct SearchContext {
  Board board;
  SearchState state;
  SearchLimits limits;
  TranspositionTable* tt;
  // Who runs the search: its signals, read at each poll, and where its
  // reports go (none: it reports nothing).
  SearchSignals* signals;
  const OutputSink* sink;
  bool pondering;  // the limits wait for "ponderhit", which brings on_ponderhit
  SearchLimits on_ponderhit;
  // History of quiet moves by [side to move is white][piece code][to], and
  // the number of changes made to it.
  int32_t history_table[2][8][64];
  uint64_t history_version;
  MoveOrder order[MAX_PLY + 1];  // by search ply
  // Nodes each root move took in its latest search, by from * 64 + to.
  uint64_t move_node_counts[4096];
  // Root moves to search ("go searchmoves"; none: all), and those the lines
  // already found in this iteration take out of the next line's search.
  MoveList search_moves, excluded;
  RootLine lines[MAX_MULTIPV];
  int32_t line_count;   // lines of the last iteration, best first
  int32_t shown_lines;  // those reported: a weaker level searches more lines than it shows
  PlayingLevel level;
  TablebaseUse tb;
  // Lazy SMP. The main search's helper threads (none: it searches alone);
  // in a helper, its number (from 1; its iterations start deeper than the
  // main search's) and its node count published for the main search's
  // totals. Under a node limit, every searching thread adds its nodes to the
  // team's count in batches.
  HelperPool* pool;
  int32_t helper_index;
  std::atomic<uint64_t> published_nodes, published_tbhits;
  std::atomic<uint64_t>* team_nodes;  // none while searching alone
};

// Late-move reductions by [move index][remaining depth], built at start-up;
// the last row serves every later move.
constexpr int REDUCTION_ROWS = 64;
using ReductionTable = int32_t[REDUCTION_ROWS][MAX_PLY + 1];
extern const ReductionTable& reduction_table;

inline int32_t history_entry(const SearchContext& ctx, int side, Move m) {
  return ctx.history_table[side][move_piece_code(m)][move_to(m)];
}
// Brings the best of entries i.. of the current move list, at search ply
// `ply`, to entry i.
Move pick_best(SearchContext& ctx, int ply, int i);
// Whether every move from entry i on is quiet (after the picks before i).
bool only_quiet_moves_left(SearchContext& ctx, int ply, int i);
Move pick_best_root(SearchContext& ctx, int i);

// Two bare kings, the fifty-move rule, or a third occurrence of the position
// since the last capture or pawn move (the game moves and the search path
// share the stack).
bool third_occurrence(const Board& b);
inline bool is_draw(const Board& b) {
  const Position& p = *b.current;
  if (popcount(p.occupied) == 2 || p.halfmove_clock > 99) return true;
  int k = b.ply_count;
  return k >= 1 && b.stack[k - 1].halfmove_clock < p.halfmove_clock && third_occurrence(b);
}
// Every 10000 nodes: the clock, the signals and the progress line; returns
// the stop flag. A helper, or a search under a node limit, looks at every node.
constexpr uint64_t POLL_INTERVAL = 10000;
bool poll_now(SearchContext& ctx);
inline bool poll(SearchContext& ctx) {
  if (!ctx.helper_index && !ctx.limits.nodes && ctx.state.nodes % POLL_INTERVAL != 0) return ctx.state.stop;
  return poll_now(ctx);
}
// Records the root's best move so far and reports the line (MultiPV lines
// are reported together at the end of each iteration).
void report_line(SearchContext& ctx, Move move, int score, bool lower_bound);
// Reports the lines of a MultiPV iteration, best first.
void report_lines(SearchContext& ctx);
// Reads the line from `move` on back from the table into ctx.state.pv.
void collect_pv(SearchContext& ctx, Move move);
// The counters and line of the current state, as a report.
SearchInfo search_info(SearchContext& ctx, int score);
// Whether a root move takes part in the current search of the root.
bool root_move_searched(const SearchContext& ctx, Move m);

// Static exchange test of a capture by the side to move: true when it loses material.
bool exchange_loses(const Position& p, Move m);
int quiesce(SearchContext& ctx, int ply, int horizon, int alpha, int beta, bool in_check);
int search(SearchContext& ctx, int ply, int horizon, int alpha, int beta, bool in_check);
// Searches ctx.board's current position under ctx.limits.
SearchResult search_position(SearchContext& ctx);

// Helper threads: sets every helper searching the main search's root;
// stop_helpers stops them and waits until all have finished.
int helper_count(const HelperPool& pool);
void start_helpers(HelperPool& pool, SearchContext& main);
void stop_helpers(HelperPool& pool);
void destroy_pool(HelperPool* pool);
// Nodes of the search and of its helpers together.
uint64_t nodes_searched(SearchContext& ctx);

// Endgame tables. Whether they cover the record: few enough pieces, no
// castling right; the tables' score of a covered record (the win
// TB_WIN_SCORE - ply); at the root, the moves that keep the best result the
// fastest way, with the root's table score (false when they cannot tell).
bool tb_covers(const SearchContext& ctx, const Position& p);
bool tb_probe(const SearchContext& ctx, const Position& p, int ply, int& score);
bool tb_rank_root(SearchContext& ctx, const MoveList& moves);

// The time rule, at a poll: whether the budget is spent, granting one
// extension while the root is unsettled; after an iteration: whether another
// one is likely to finish in time.
bool budget_spent(SearchContext& ctx);
bool another_iteration_fits(const SearchContext& ctx);

}  // namespace velta
