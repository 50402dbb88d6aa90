// The search: what the front end hands it (a game, limits, stop signals, an
// output sink, a transposition table) and what it gives back. Everything a
// search changes lives in its SearchContext, so several can run at once; they
// share only the transposition table. The record itself is private to search/.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "position/position.h"

namespace velta {

// Scores, from the side to move's view. A side mated at ply p scores p - MATE;
// a win the endgame tables prove scores TB_WIN_SCORE, below every mate.
constexpr int INFINITE_SCORE = 60000, MATE = 30000, TB_WIN_SCORE = 20000;
constexpr int MATE_BOUND = MATE - MAX_PLY - 1;  // 29936: the largest score shown in centipawns
constexpr bool is_mate_score(int s) {
  return (s > MATE_BOUND || s < -MATE_BOUND) && s != INFINITE_SCORE && s != -INFINITE_SCORE;
}
constexpr int plies_to_mate(int s) { return s > 0 ? MATE - s : s + MATE; }
// Moves to the mate, negative when the side to move is mated (rounded up).
constexpr int moves_to_mate(int s) { return s > 0 ? (plies_to_mate(s) + 1) / 2 : -((plies_to_mate(s) + 1) / 2); }

// The transposition table, shared by every search thread without locks.
struct TTSlot;
struct TranspositionTable {
  TTSlot* slots;
  uint64_t slot_count;
  std::atomic<uint64_t> filled;  // slots written since creation or the last clear (not exact under threads)
  std::atomic<int> providing;    // threads still having its pages provided
  void* mapping;                 // the system allocation that holds the slots
  size_t mapping_size;
};
constexpr bool valid_table_size(int megabytes) {  // a power of two from 1 to 65536
  return megabytes >= 1 && megabytes <= 65536 && (megabytes & (megabytes - 1)) == 0;
}
// Replaces the slots by an empty table; false (and no table) when the memory cannot be had.
bool tt_allocate(TranspositionTable& tt, int megabytes);
void tt_release(TranspositionTable& tt);
void tt_wait_until_provided(const TranspositionTable& tt);  // until the system has provided every page
void tt_clear(TranspositionTable& tt);
int hashfull(const TranspositionTable& tt);  // per mille
// Its size: 65536 slots of 16 bytes to the megabyte.
inline int tt_megabytes(const TranspositionTable& tt) { return int(tt.slot_count >> 16); }

// Limits of one search.
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
int64_t clock_ms();  // a steady clock
// A clock search from the side to move's time, increment and moves to go.
void set_clock_limits(SearchLimits& limits, uint64_t time, uint64_t increment, uint64_t moves_to_go);

// Endgame tables: the pieces of the largest loaded (0: none), the most
// pieces probed, the least remaining depth of a probe in the search, and
// whether wins and losses beyond the fifty-move rule count as draws.
struct TablebaseUse {
  int largest, probe_limit, probe_depth;
  bool rule50;
};
bool tb_available();  // whether this build reads tables at all
// Loads the tables of the folders in `path` (separated by ':'); returns the
// pieces of the largest (0: none). An empty path releases them.
int tb_load(const char* path);

// A weaker player. It searches `lines` root lines and answers one of them at
// random: a line `loss` centipawns below the best has exp(-loss / spread)
// times the best line's chance. lines 0: full strength, the best line.
struct PlayingLevel {
  int32_t lines;
  int32_t spread;  // centipawns, at least 1
  uint64_t seed;   // of the choice's random numbers: the same seed, the same choice
};
// Which of `count` lines (best first) a level answers; 0 at full strength.
int choose_line(const PlayingLevel& level, const int32_t* scores, int count);
// SplitMix64: 64 random bits, the generator's whole state the word passed in.
uint64_t next_random(uint64_t& state);

// What a search is asked: its limits, its root moves (none: all), for a
// ponder search the limits that "ponderhit" brings, and its playing level.
struct SearchRequest {
  SearchLimits limits;
  MoveList search_moves;
  bool pondering;
  SearchLimits on_ponderhit;
  TablebaseUse tb;
  PlayingLevel level;
};

// Set by whoever runs the search, read by it at its polls: stop now; the
// expected move was played (the clock then starts, at ponderhit_clock).
struct SearchSignals {
  std::atomic<bool> stop{false}, ponderhit{false};
  std::atomic<int64_t> ponderhit_clock{0};
};

// One report of the search: a root line, a MultiPV line (its rank from 1 in
// `multipv`) or the current root move. `tables`: tbhits is worth showing;
// `table_score`: the score is the endgame tables' verdict on the root.
// `material`: the root's, both sides, in pawns (knight and bishop 3, rook 5, queen 9).
struct SearchInfo {
  int depth, seldepth, score, multipv, current_move_number, hashfull, pv_length, material;
  bool lower_bound, tables, table_score;
  Move current_move;
  uint64_t elapsed_ms, nodes, nps, tbhits;
  const Move* pv;
  const Board* game;  // whose notation the moves are written in
};
// The one way out of search/: the main search calls these as it goes, each
// given `owner` back. A search without a sink (a helper thread, a test)
// reports nothing.
struct OutputSink {
  void* owner;
  void (*root_line)(void* owner, const SearchInfo&);     // a root move improved (lower_bound: it goes on)
  void (*multipv_line)(void* owner, const SearchInfo&);  // line `multipv` of a finished MultiPV iteration
  void (*progress)(void* owner, const SearchInfo&);      // every 2000000 nodes: the root move searched
  // At each poll (every 10000 nodes), when set: a build without threads runs
  // the search on the thread that reads the commands, which reads them here.
  void (*poll)(void* owner);
};
// Whether this build has threads (a browser's build may not): without them
// a search runs alone, inside the command that starts it.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool THREADS_AVAILABLE = false;
#else
constexpr bool THREADS_AVAILABLE = true;
#endif

// How a search ended: the game-over reason when the root needed no search
// ("mate", "pat"), else the move to answer, the expected reply and the
// closing report (depth 0 when no iteration reported a move).
struct SearchResult {
  const char* game_over;
  Move best_move, ponder_move;
  int32_t score;
  bool searched;  // false for game over and a single legal move
  SearchInfo info;
};

struct SearchContext;
// A context with its table, signals and sink (either may be null), searching
// alone until set_search_threads starts helpers (or joins them).
SearchContext* create_search(TranspositionTable* tt, SearchSignals* signals, const OutputSink* sink);
void destroy_search(SearchContext* ctx);
void set_search_threads(SearchContext& ctx, int threads);
// Searches the game's current position; the game itself is left as it was.
SearchResult search_root(SearchContext& ctx, const Board& game, const SearchRequest& request);
// After a search: zeroes the search state, history and node counts; a new
// game also empties the transposition table.
void reset_after_search(SearchContext& ctx);
void reset_new_game(SearchContext& ctx);
void init_reduction_table();    // once, at start-up
void order_moves(Position& p);  // a generated list in the order a new search would pick it
uint64_t nodes_per_second(uint64_t nodes, uint64_t ms);

}  // namespace velta
