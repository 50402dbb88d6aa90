// The "go" command: the search limits from the line, the time budget from
// the clock, the search, and the reset after it.
#include <cstdio>
#include <cstring>

#include "position/position.h"
#include "search/search.h"
#include "uci/uci.h"

namespace velta {

namespace {

// The number after the first occurrence of `keyword` (which ends in a space),
// or `fallback` when the keyword or the number is missing. A negative number
// from a front end counts as 0.
uint64_t number_after(const char* line, const char* keyword, uint64_t fallback) {
  const char* at = strstr(line, keyword);
  char pattern[32];
  snprintf(pattern, sizeof pattern, "%s%%lld", keyword);
  long long value;
  if (!at || sscanf(at, pattern, &value) != 1) return fallback;
  return value < 0 ? 0 : uint64_t(value);
}

// The clock rule: an equal share of the time above one second for each of the
// moves to go, plus the increment, less 25 ms for the answer to travel.
void clock_limits(const char* line) {
  bool white = current_position->us->colour->is_white;
  uint64_t time = number_after(line, white ? "wtime " : "btime ", 0);
  uint64_t increment = number_after(line, white ? "winc " : "binc ", 0);
  uint64_t moves_to_go = number_after(line, "movestogo ", 40);
  if (moves_to_go == 0) moves_to_go = 1;
  uint64_t spare = 0;
  if (time > 1000) {
    spare = time - 1000;
    increment += spare / moves_to_go;
  }
  limits.mode = LIMIT_CLOCK;
  limits.spare_time = spare;
  limits.time_budget = increment > 25 ? increment - 25 : 0;
}

}  // namespace

void read_go_limits(const char* line) {
  limits = SearchLimits{};
  int depth;
  long long movetime;
  if (!strcmp(line, "go")) {
    limits.mode = LIMIT_DEPTH;
    limits.depth_limit = 10;
  } else if (!strcmp(line, "go infinite")) {
    limits.mode = LIMIT_TIME;
    limits.time_budget = INFINITE_BUDGET;
  } else if (sscanf(line, "go depth %i", &depth) == 1) {
    limits.mode = LIMIT_DEPTH;
    limits.depth_limit = depth;
  } else if (sscanf(line, "go movetime %lld", &movetime) == 1) {
    limits.mode = LIMIT_TIME;
    limits.time_budget = movetime < 0 ? 0 : uint64_t(movetime);
  } else {
    clock_limits(line);
  }
}

void go_command(const char* line) {
  read_go_limits(line);
  search_root();
  reset_after_search();
}

}  // namespace velta
