// Playing levels: what an Elo asks of the search. A level sees less (a node
// cap, so it also answers quickly whatever the clock) and chooses among its
// best four root lines at random, more loosely the lower it stands, so its
// mistakes grow as the level falls and no two games go alike.
#include <algorithm>
#include <cmath>

#include "uci/uci.h"

namespace velta {

namespace {

// Fitted by tools/calibrate_levels.py (see the README for the games): the
// node cap doubles every ELO_PER_DOUBLING points above NODES_AT_MIN at the
// lowest level; the spread of the choice shrinks from SPREAD_AT_MIN
// centipawns to SPREAD_AT_MAX with the square of the distance to the top.
constexpr double NODES_AT_MIN = 40, ELO_PER_DOUBLING = 120;
constexpr double SPREAD_AT_MIN = 200, SPREAD_AT_MAX = 5;
constexpr int LEVEL_LINES = 4;
// The longest a level thinks, from one second at the lowest to three at the top.
constexpr double THINK_AT_MIN_MS = 1000, THINK_AT_MAX_MS = 3000;

void cap(SearchLimits& limits, uint64_t nodes, uint64_t think_ms) {
  limits.nodes = limits.nodes ? std::min(limits.nodes, nodes) : nodes;
  if (limits.mode == LIMIT_DEPTH || limits.time_budget >= INFINITE_BUDGET) return;
  limits.time_budget = std::min(limits.time_budget, think_ms);
  limits.spare_time = std::min(limits.spare_time, think_ms);
}

}  // namespace

int playing_elo(const OptionValues& o) {
  if (o.limit_strength) return o.elo < LEVEL_ELO_MAX ? o.elo : 0;
  return o.skill < 20 ? skill_elo(o.skill) : 0;
}

void limit_to_level(SearchRequest& request, int elo) {
  double above_min = std::clamp(elo, LEVEL_ELO_MIN, LEVEL_ELO_MAX) - LEVEL_ELO_MIN;
  double height = above_min / (LEVEL_ELO_MAX - LEVEL_ELO_MIN);  // 0 at the lowest level, 1 at the top
  auto nodes = uint64_t(NODES_AT_MIN * std::exp2(above_min / ELO_PER_DOUBLING));
  auto think_ms = uint64_t(THINK_AT_MIN_MS + height * (THINK_AT_MAX_MS - THINK_AT_MIN_MS));
  cap(request.limits, nodes, think_ms);
  cap(request.on_ponderhit, nodes, think_ms);
  request.level.lines = LEVEL_LINES;
  request.level.spread = int(SPREAD_AT_MAX + (SPREAD_AT_MIN - SPREAD_AT_MAX) * (1 - height) * (1 - height));
}

}  // namespace velta
