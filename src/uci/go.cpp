// The "go" command: the search limits from the words of the line, the
// search, its answer, and the reset after it.
#include <cstdio>
#include <cstring>

#include "uci/uci.h"

namespace velta {

namespace {

constexpr int DEFAULT_DEPTH = 10;  // "go" alone

// The number after the first word `keyword`, or `fallback` when the keyword
// or the number is missing. A negative number from a front end counts as 0.
uint64_t number_after(const char* args, const char* keyword, uint64_t fallback) {
  size_t length = strlen(keyword);
  for (const char* at = args; (at = strstr(at, keyword)); at += length) {
    bool word = (at == args || at[-1] == ' ') && at[length] == ' ';
    if (!word) continue;
    long long value;
    if (sscanf(at + length + 1, "%lld", &value) != 1) return fallback;
    return value < 0 ? 0 : uint64_t(value);
  }
  return fallback;
}

}  // namespace

// "depth N" and "movetime N" count only as the first words; "infinite" only
// alone; anything else is a clock search.
void read_go_limits(const char* args, SearchLimits& limits, bool white_to_move) {
  limits = SearchLimits{};
  int depth;
  long long movetime;
  if (!*args) {
    limits.mode = LIMIT_DEPTH;
    limits.depth_limit = DEFAULT_DEPTH;
  } else if (!strcmp(args, "infinite")) {
    limits.mode = LIMIT_TIME;
    limits.time_budget = INFINITE_BUDGET;
  } else if (sscanf(args, "depth %i", &depth) == 1 && !strncmp(args, "depth ", 6)) {
    limits.mode = LIMIT_DEPTH;
    limits.depth_limit = depth;
  } else if (sscanf(args, "movetime %lld", &movetime) == 1 && !strncmp(args, "movetime ", 9)) {
    limits.mode = LIMIT_TIME;
    limits.time_budget = movetime < 0 ? 0 : uint64_t(movetime);
  } else {
    set_clock_limits(limits, number_after(args, white_to_move ? "wtime" : "btime", 0),
                     number_after(args, white_to_move ? "winc" : "binc", 0), number_after(args, "movestogo", 40));
  }
}

void go_command(const char* args) {
  SearchContext& ctx = *engine.context;
  read_go_limits(args, ctx.limits, ctx.board.current->us->colour->is_white);
  print_result(search_root(ctx));
  reset_after_search(ctx);
}

}  // namespace velta
