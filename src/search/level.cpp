// A weaker player's choice among the root lines of its search. Its mistakes
// are sized by the level: a line a little worse than the best is often
// played, one a piece worse rarely and less often the stronger the level, so
// a low level drifts into worse positions rather than hanging a piece in a
// game otherwise played like a master's.
#include <algorithm>
#include <cmath>

#include "search/internal.h"

namespace velta {

uint64_t next_random(uint64_t& state) {
  uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

namespace {

// A score as the choice weighs it: a mate beyond any other score, the
// shorter the better; other scores past three queens count as three queens.
double weighed(int score) {
  if (is_mate_score(score)) return score > 0 ? 4000 - plies_to_mate(score) : plies_to_mate(score) - 4000;
  return std::clamp(score, -3000, 3000);
}

}  // namespace

int choose_line(const PlayingLevel& level, const int32_t* scores, int count) {
  if (!level.lines || count < 2) return 0;
  // An interrupted iteration leaves its new first line above older ones,
  // so the best is looked for rather than taken from the front.
  double best = weighed(scores[0]), weights[MAX_MULTIPV], total = 0;
  for (int i = 1; i < count; ++i) best = std::max(best, weighed(scores[i]));
  for (int i = 0; i < count; ++i)
    total += weights[i] = std::exp((weighed(scores[i]) - best) / std::max(level.spread, 1));
  uint64_t state = level.seed;
  double r = double(next_random(state) >> 11) * 0x1p-53 * total;
  for (int i = 0; i < count; ++i)
    if ((r -= weights[i]) < 0) return i;
  return count - 1;
}

}  // namespace velta
