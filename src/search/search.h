// The search: transposition table, move ordering, quiescence and alpha-beta
// search, the iterative-deepening driver and the time rule. Everything one
// search changes lives in its SearchContext, so several can run at once; they
// share only the transposition table.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "position/position.h"

namespace velta {

constexpr int INFINITE_SCORE = 60000;
constexpr int MATE = 30000;
// A win the endgame tables prove: beyond every evaluation, below every mate.
constexpr int TB_WIN_SCORE = 20000;
constexpr int MATE_BOUND = MATE - MAX_PLY - 1;  // 29936: the largest score shown in centipawns
constexpr bool is_mate_score(int s) {
  return (s > MATE_BOUND || s < -MATE_BOUND) && s != INFINITE_SCORE && s != -INFINITE_SCORE;
}
// Plies to the mate a mate score announces, positive for either side.
constexpr int plies_to_mate(int s) { return s > 0 ? MATE - s : s + MATE; }
// Moves to the mate, negative when the side to move is mated (rounded up).
constexpr int moves_to_mate(int s) { return s > 0 ? (plies_to_mate(s) + 1) / 2 : -((plies_to_mate(s) + 1) / 2); }

// Transposition table: buckets of four 16-byte slots (64 bytes), shared by
// every search thread without locks. A slot holds its data word and the key
// XOR-ed with it: a slot torn by two threads writing at once fails the key
// test, so a probe never returns data stored for another position.
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
struct TranspositionTable {
  TTSlot* slots;
  uint64_t slot_count;
  std::atomic<uint64_t> filled;  // slots written since creation or the last clear (a count, not exact under threads)
  void* mapping;                 // the system mapping that holds the slots
  size_t mapping_size;
};
// A power-of-two size from 1 to 65536 megabytes.
constexpr bool valid_table_size(int megabytes) {
  return megabytes >= 1 && megabytes <= 65536 && (megabytes & (megabytes - 1)) == 0;
}
// Replaces the table's slots by an empty table of the given size; false (and
// no table) when the memory cannot be had.
bool tt_allocate(TranspositionTable& tt, int megabytes);
void tt_release(TranspositionTable& tt);
// Waits until every page of the tables made so far has been provided (a
// measurement of search speed should not share the processor with that).
void tt_wait_until_provided();
void tt_clear(TranspositionTable& tt);
void tt_store(TranspositionTable& tt, uint64_t key, Move move, int score, int alpha, int beta, int depth);
// The entry stored for the key, if any.
bool tt_probe(const TranspositionTable& tt, uint64_t key, TTEntry& entry);
// A key's bucket: its low bits, less the two that would pick a slot in it.
inline TTSlot* tt_bucket(const TranspositionTable& tt, uint64_t key) {
  return tt.slots + (key & (tt.slot_count - BUCKET_SLOTS));
}
// Starts loading a key's bucket, which a probe soon after will find in the cache.
inline void tt_prefetch(const TranspositionTable& tt, uint64_t key) { __builtin_prefetch(tt_bucket(tt, key)); }
int hashfull(const TranspositionTable& tt);
// Whether an entry's score settles a node searched with this window.
inline bool tt_usable(const TTEntry& e, int alpha, int beta) {
  return e.bound == BOUND_EXACT || (e.bound == BOUND_LOWER && e.score >= beta) ||
         (e.bound == BOUND_UPPER && e.score <= alpha);
}

// Limits of one search, filled by "go" and "bench".
constexpr uint32_t LIMIT_DEPTH = 0, LIMIT_TIME = 1, LIMIT_CLOCK = 2;
constexpr uint64_t INFINITE_BUDGET = 1000000000;  // "go infinite", in milliseconds
struct SearchLimits {
  uint32_t mode;
  int32_t depth_limit;
  uint64_t spare_time;   // clock time above one second: the ceiling for extensions
  uint64_t time_budget;  // milliseconds
  uint64_t nodes;        // stop after this many nodes; 0: no such limit
  int32_t mate;          // stop once a mate in at most this many moves is found; 0: no such goal
  int32_t multipv;       // root lines searched and reported each iteration; 0 counts as 1
};

struct SearchState {
  int32_t iteration_depth;
  int32_t seldepth;
  int32_t reported_score;
  Move reported_move;  // the move "bestmove" names
  int32_t stop;
  Move current_root_move;
  int32_t current_root_move_number;
  int32_t instability;  // 1: best root move changed; 2: root score dropped by more than 100
  int32_t time_extended;
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
  Move pv[STACK_SIZE];  // the reported line, read back from the table
  int32_t pv_length;
};

// One root line of a MultiPV search.
struct RootLine {
  Move move;
  int32_t score;
  int32_t seldepth;
};
constexpr int MAX_MULTIPV = 500;

// How a search ended: the game-over reason when the root needed no search
// ("draw", "mate", "pat"), else the move to answer and its score.
struct SearchResult {
  const char* game_over;
  Move best_move;
  Move ponder_move;  // the reply the line expects, or 0
  int32_t score;
  bool searched;  // false for game over and a single legal move
};

struct HelperPool;

// How the search uses the endgame tables (SyzygyPath, SyzygyProbeDepth,
// Syzygy50MoveRule); disabled for bench.
struct TablebaseUse {
  bool enabled;
  int probe_depth;  // least remaining depth of a probe in the search
  bool rule50;      // wins and losses beyond the fifty-move rule count as draws
};

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

// Everything one search changes. It holds about 2 MB (the position stack):
// allocate it once, never on a thread's stack.
struct SearchContext {
  Board board;
  SearchState state;
  SearchLimits limits;
  TranspositionTable* tt;
  bool reports;  // prints progress and watches the input (the front end's own search)
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
  int32_t line_count;  // lines of the last iteration, best first
  // Lazy SMP. The main search's helper threads (none: it searches alone);
  // in a helper, its number (its iterations start deeper than the main
  // search's), the flag the main search raises to stop it, and its node
  // count published for the main search's totals. Under a node limit,
  // every searching thread adds its nodes to the team's count in batches.
  HelperPool* pool;
  TablebaseUse tb;
  int32_t helper_index;
  const std::atomic<bool>* abort;
  std::atomic<uint64_t> published_nodes, published_tbhits;
  std::atomic<uint64_t>* team_nodes;  // none while searching alone
};

// Late-move reductions by [move index][remaining depth], built at start-up;
// the last row serves every later move.
constexpr int REDUCTION_ROWS = 64;
using ReductionTable = int32_t[REDUCTION_ROWS][MAX_PLY + 1];
extern const ReductionTable& reduction_table;
void init_reduction_table();

// Zeroes the search state, limits, history and node counts.
void reset_after_search(SearchContext& ctx);
// The after-search reset plus an empty transposition table.
void reset_new_game(SearchContext& ctx);

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
// Every 10000 nodes: the clock, waiting input and the progress line; returns
// the stop flag. A helper, or a search under a node limit, looks at every node.
constexpr uint64_t POLL_INTERVAL = 10000;
int poll_now(SearchContext& ctx);
inline int poll(SearchContext& ctx) {
  if (!ctx.abort && !ctx.limits.nodes && ctx.state.nodes % POLL_INTERVAL != 0) return ctx.state.stop;
  return poll_now(ctx);
}
// Records the root's best move so far and reports the line (MultiPV lines
// are reported together at the end of each iteration).
void report_line(SearchContext& ctx, Move move, int score, int lower_bound);
// Reports the lines of a MultiPV iteration, best first.
void report_lines(SearchContext& ctx);
// Reads the line from `move` on back from the table into ctx.state.pv.
void collect_pv(SearchContext& ctx, Move move);
// Whether a root move takes part in the current search of the root.
bool root_move_searched(const SearchContext& ctx, Move m);
uint64_t nodes_per_second(uint64_t nodes, uint64_t ms);

// Static exchange test of a capture by the side to move: true when it loses material.
bool exchange_loses(const Position& p, Move m);
int quiesce(SearchContext& ctx, int ply, int horizon, int alpha, int beta, int in_check);
int search(SearchContext& ctx, int ply, int horizon, int alpha, int beta, int in_check);
// Searches the current position under ctx.limits.
SearchResult search_root(SearchContext& ctx);

// Helper threads for lazy SMP, which wait between searches. Creating,
// resizing and destroying a pool are the only steps that allocate.
HelperPool* create_pool();
void destroy_pool(HelperPool* pool);
// Joins the old helpers and starts `count` new ones, each with its own context.
void set_helper_count(HelperPool& pool, int count, TranspositionTable* tt);
int helper_count(const HelperPool& pool);
// Sets every helper searching the main search's root; stop_helpers stops
// them and waits until all have finished.
void start_helpers(HelperPool& pool, SearchContext& main);
void stop_helpers(HelperPool& pool);
// Nodes of the search and of its helpers together.
uint64_t nodes_searched(SearchContext& ctx);

// Endgame tables. tb_load reads the tables of the folders in `path`
// (separated by ':') and returns the pieces of the largest (0: none).
bool tb_available();  // whether the build can read tables at all
int tb_load(const char* path);
void tb_release();
// Whether the tables cover the record: few enough pieces, no castling right.
bool tb_covers(const SearchContext& ctx, const Position& p);
// The tables' score of a covered record (win, draw or loss, the win TB_WIN_SCORE - ply).
bool tb_probe(const SearchContext& ctx, const Position& p, int ply, int& score);
// Restricts the root moves to those that keep the best result the fastest
// way and sets the root's table score; false when the tables cannot tell.
bool tb_rank_root(SearchContext& ctx, const MoveList& moves);

// The time rule.
int64_t clock_ms();
// Fills the limits of a clock search from the side to move's time, increment
// and moves to go.
void set_clock_limits(SearchLimits& limits, uint64_t time, uint64_t increment, uint64_t moves_to_go);
// At a poll: whether the budget is spent, granting one extension while the root is unsettled.
bool budget_spent(SearchContext& ctx);
// After an iteration: whether another one is likely to finish in time.
bool another_iteration_fits(const SearchContext& ctx);

}  // namespace velta
