// The search: transposition table, move ordering, quiescence and alpha-beta
// search, the iterative-deepening driver, and the state they share with the
// input poll and the progress output.
#pragma once

#include <cstdint>

#include "position/position.h"

namespace velta {

constexpr int INFINITE_SCORE = 60000;
constexpr int MATE = 30000;
constexpr int MATE_BOUND = 29936;  // 30000 minus the ply limit of 64
constexpr bool is_mate_score(int s) {
  return (s > MATE_BOUND || s < -MATE_BOUND) && s != INFINITE_SCORE && s != -INFINITE_SCORE;
}

// Transposition table: buckets of four 16-byte slots (64 bytes).
constexpr uint8_t BOUND_EMPTY = 0, BOUND_UPPER = 1, BOUND_LOWER = 2, BOUND_EXACT = 3;
struct TTEntry {
  uint64_t key;
  uint8_t depth;  // remaining depth in plies, 0 for quiescence results
  uint8_t bound;
  int16_t score;
  uint32_t move;
};
struct TranspositionTable {
  TTEntry* entries;
  uint64_t slot_count;
  uint64_t index_mask;  // slot_count - 4: key & index_mask is a bucket's first slot
  uint64_t filled;      // slots written since creation or the last clear
};
extern TranspositionTable tt;

// (Re)creates the table with a size in megabytes, printing the outcome; halves
// the size on allocation failure and halts below 1 MB.
void tt_create(int megabytes);
void tt_release();
void tt_clear();
void tt_store(uint64_t key, Move move, int score, int alpha, int beta, int depth);
const TTEntry* tt_probe(uint64_t key);
int hashfull();
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
  uint64_t nodes;
  uint64_t nps;
};

extern SearchLimits limits;
extern SearchState state;
// History of quiet moves by [side to move is white][piece code][to].
extern int32_t history_table[2][8][64];
// Nodes each root move took in its latest search, by from * 64 + to.
extern uint64_t move_node_counts[4096];
// Late-move reductions by [move index][remaining depth].
extern int32_t reduction_table[64][64];

void init_reduction_table();
// Zeroes the search state, limits, history and node counts.
void reset_after_search();
// The after-search reset plus an empty transposition table.
void reset_new_game();

int64_t clock_ms();
// Brings the best of entries i.. of the current move list to entry i.
Move pick_best(int i);
Move pick_best_root(int i);
// Plies to the mate a mate score announces, positive for either side.
constexpr int plies_to_mate(int s) { return s > 0 ? MATE - s : s + MATE; }
// Score text: "score cp N " or "score mate N ".
void print_score(int score);

bool is_draw();
// Every 10000 nodes: the clock and waiting input; returns the stop flag.
int poll_input();
void report_line(Move move, int score, int lower_bound);
void print_pv(Move move);

// Static exchange test of a capture by the side to move: true when it loses material.
bool exchange_loses(Move m);
int quiesce(int ply, int horizon, int alpha, int beta, int in_check);
int search(int ply, int horizon, int alpha, int beta, int in_check);
// Searches the current position under `limits`, printing info and bestmove lines.
void search_root();

}  // namespace velta
