// The time rule: the budget of a clock search, the checks of the clock during
// a search, and the extension granted to an unsettled root.
#include <chrono>

#include "search/internal.h"

namespace velta {

int64_t clock_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// An equal share of the time above one second for each of the moves to go,
// plus the increment, less 25 ms for the answer to travel.
void set_clock_limits(SearchLimits& limits, uint64_t time, uint64_t increment, uint64_t moves_to_go) {
  constexpr uint64_t RESERVE = 1000, LATENCY = 25;
  if (moves_to_go == 0) moves_to_go = 1;
  uint64_t spare = 0;
  if (time > RESERVE) {
    spare = time - RESERVE;
    increment += spare / moves_to_go;
  }
  limits.mode = LIMIT_CLOCK;
  limits.spare_time = spare;
  limits.time_budget = increment > LATENCY ? increment - LATENCY : 0;
}

bool budget_spent(SearchContext& ctx) {
  SearchLimits& limits = ctx.limits;
  if (limits.mode == LIMIT_DEPTH || limits.time_budget > ctx.state.elapsed_ms - ctx.state.pondered_ms) return false;
  // An unsettled root may take twice the time while the clock can afford it.
  if (ctx.state.instability && 4 * limits.time_budget <= limits.spare_time) {
    ctx.state.time_extended = true;
    limits.time_budget *= 2;
    return false;
  }
  return true;
}

// An iteration takes about as long as all before it together.
bool another_iteration_fits(const SearchContext& ctx) {
  return ctx.limits.mode != LIMIT_CLOCK || 2 * (ctx.state.elapsed_ms - ctx.state.pondered_ms) <= ctx.limits.time_budget;
}

}  // namespace velta
