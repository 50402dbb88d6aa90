// Playing levels: what an Elo asks of the search. A level sees less (a node
// cap, so it also answers quickly whatever the clock) and chooses among its
// best four root lines at random, more loosely the lower it stands, so its
// mistakes grow as the level falls and no two games go alike.
#include <algorithm>
#include <cmath>

#include "uci/uci.h"

namespace velta {

namespace {

// Node caps at anchor levels, fitted by tools/calibrate_levels.py (the games
// are in the README); between two anchors the cap grows geometrically. Below
// 1180 it stays at what a first iteration of every line needs in most
// positions, and the levels differ only in the spread of their choice,
// which grows with the square of the distance below the top, from
// SPREAD_AT_TOP centipawns to SPREAD_AT_TOP + SPREAD_RANGE at the lowest level.
struct Anchor {
  int elo;
  double nodes;
};
constexpr Anchor NODE_CAPS[] = {{800, 1500}, {1180, 1500}, {1400, 6000}, {1600, 34000}, {1800, 74000}, {2300, 1000000}};
constexpr double SPREAD_AT_TOP = 5, SPREAD_RANGE = 140;
constexpr int LEVEL_LINES = 4;
// The longest a level thinks, from one second at the lowest to three at the top.
constexpr double THINK_AT_MIN_MS = 1000, THINK_AT_TOP_MS = 3000;

// The node cap of a level from LEVEL_ELO_MIN to LEVEL_ELO_MAX.
uint64_t node_cap(int elo) {
  int i = 1;
  while (NODE_CAPS[i].elo < elo) ++i;
  const Anchor &low = NODE_CAPS[i - 1], &high = NODE_CAPS[i];
  return uint64_t(low.nodes * std::pow(high.nodes / low.nodes, double(elo - low.elo) / (high.elo - low.elo)));
}

void cap(SearchLimits& limits, uint64_t nodes, uint64_t think_ms) {
  limits.nodes = limits.nodes ? std::min(limits.nodes, nodes) : nodes;
  if (limits.mode == LIMIT_DEPTH || limits.time_budget >= INFINITE_BUDGET) return;
  limits.time_budget = std::min(limits.time_budget, think_ms);
  limits.spare_time = std::min(limits.spare_time, think_ms);
}

}  // namespace

int playing_elo(const OptionValues& o) {
  if (o.limit_strength) return o.elo < LEVEL_ELO_MAX ? o.elo : 0;
  return o.skill_elo;
}

void limit_to_level(SearchRequest& request, int elo) {
  elo = std::clamp(elo, LEVEL_ELO_MIN, LEVEL_ELO_MAX);
  double below_top = double(LEVEL_ELO_MAX - elo) / (LEVEL_ELO_MAX - LEVEL_ELO_MIN);  // 1 at the lowest level
  uint64_t nodes = node_cap(elo);
  auto think_ms = uint64_t(THINK_AT_TOP_MS - below_top * (THINK_AT_TOP_MS - THINK_AT_MIN_MS));
  cap(request.limits, nodes, think_ms);
  cap(request.on_ponderhit, nodes, think_ms);
  request.level.lines = LEVEL_LINES;
  request.level.spread = int(SPREAD_AT_TOP + SPREAD_RANGE * below_top * below_top);
}

}  // namespace velta
