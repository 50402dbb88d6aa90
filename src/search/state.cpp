// What every level of the search shares: the state record and limits, the
// draw test, the input and clock poll, and the progress lines.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "movegen/movegen.h"
#include "search/search.h"
#include "uci/uci.h"

namespace velta {

SearchLimits limits;
SearchState state;
int32_t reduction_table[64][64];

void init_reduction_table() {
  memset(reduction_table, 0, sizeof reduction_table);
  for (int a = 1; a <= 62; ++a)
    for (int b = 1; b <= 62; ++b) reduction_table[a][b] = int(std::log(a) * std::log(b) / 1.3);
}

void reset_after_search() {
  state = SearchState{};
  limits = SearchLimits{};
  memset(history_table, 0, sizeof history_table);
  memset(move_node_counts, 0, sizeof move_node_counts);
}

void reset_new_game() {
  reset_after_search();
  tt_clear();
}

int64_t clock_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {

void refresh_elapsed() { state.elapsed_ms = uint64_t(clock_ms() - state.start_clock); }
void compute_nps() { state.nps = state.elapsed_ms ? state.nodes / state.elapsed_ms * 1000 : 0; }

// The end of every progress line.
void print_counters() {
  printf("time %llu nodes %llu nps %llu hashfull %i\n", (unsigned long long)state.elapsed_ms,
         (unsigned long long)state.nodes, (unsigned long long)state.nps, hashfull());
}

// Stack records print_pv may use: it stops before the stack could overflow.
constexpr int PV_STACK_LIMIT = STACK_SIZE - 2;

}  // namespace

void print_score(int score) {
  if (!is_mate_score(score))
    printf("score cp %i ", score);
  else
    printf("score mate %i ", score > 0 ? (30001 - score) / 2 : -((score + 30001) / 2));
}

// Two bare kings, fifty moves without capture or pawn move, or the third
// occurrence of the position since the last capture or pawn move (the game
// moves and the search path share the stack).
bool is_draw() {
  const Position& p = *current_position;
  if (popcount(p.occupied) == 2 || p.halfmove_clock > 99) return true;
  int k = ply_count;
  if (k < 1 || position_stack[k - 1].halfmove_clock >= p.halfmove_clock) return false;
  int matches = 0;
  for (int j = k - 1; j >= 0; --j) {
    if (position_stack[j].key == p.key && ++matches == 2) return true;
    if (j == 0 || position_stack[j].halfmove_clock <= position_stack[j - 1].halfmove_clock) break;
  }
  return false;
}

int poll_input() {
  if (state.nodes == 0 || state.nodes % 10000 != 0) return state.stop;
  refresh_elapsed();
  if (limits.mode != LIMIT_DEPTH && limits.time_budget <= state.elapsed_ms) {
    // An unsettled root may take twice the time while the clock can afford it.
    if (state.instability && 4 * limits.time_budget <= limits.spare_time) {
      state.time_extended = 1;
      limits.time_budget *= 2;
    } else {
      state.stop = 1;
    }
  }
  // Waiting input ends any search; closed input ends one that would never end.
  int input = input_state();
  if (input == INPUT_WAITING || (input == INPUT_CLOSED && limits.time_budget >= INFINITE_BUDGET)) state.stop = 1;
  if (state.nodes % 2000000 == 0) {
    compute_nps();
    printf("info depth %i currmove ", state.iteration_depth);
    print_move_uci(state.current_root_move);
    printf(" currmovenumber %i ", state.current_root_move_number);
    print_counters();
  }
  return state.stop;
}

void report_line(Move move, int score, int lower_bound) {
  state.reported_score = score;
  state.reported_move = move;
  refresh_elapsed();
  compute_nps();
  printf("info depth %i seldepth %i ", state.iteration_depth, state.seldepth);
  print_score(score);
  if (lower_bound) printf("lowerbound ");
  printf("pv ");
  print_pv(move);
  print_counters();
}

namespace {

// A table move is checked against the legal moves before it is made, so a
// key collision cannot put an impossible move on the board. Only records
// above the root are used, whose move lists are free.
Move legal_table_move() {
  const TTEntry* entry = tt_probe(current_position->key);
  if (!entry || !entry->move) return 0;
  prepare_and_generate();
  return find_move(current_position->moves, entry->move) >= 0 ? entry->move : 0;
}

}  // namespace

// The principal variation, followed through the table until a position
// without an entry, a null entry or a draw (so a repetition cannot loop).
void print_pv(Move move) {
  if (is_draw() || move == 0 || ply_count >= PV_STACK_LIMIT) return;
  print_move_uci(move);
  printf(" ");
  make_move(move);
  print_pv(legal_table_move());
  take_back();
}

}  // namespace velta
