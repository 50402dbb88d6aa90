// A playing level's choice among its root lines follows its odds, the same
// seed making the same choice. (Its games: tests/uci/test_levels.py.)
#include <cmath>

#include "common/helpers.h"

TEST(Level, ChoiceFollowsTheOdds) {
  const int32_t scores[4] = {50, 30, -50, -250};
  EXPECT_EQ(choose_line(PlayingLevel{0, 40, 7}, scores, 4), 0);  // full strength: the best line
  EXPECT_EQ(choose_line(PlayingLevel{4, 40, 7}, scores, 1), 0);
  constexpr int DRAWS = 20000;
  int counts[4] = {};
  uint64_t seeds = 12345;
  for (int i = 0; i < DRAWS; ++i) {
    PlayingLevel level{4, 40, next_random(seeds)};
    int line = choose_line(level, scores, 4);
    ASSERT_EQ(choose_line(level, scores, 4), line);
    ++counts[line];
  }
  double total = 0, odds[4];
  for (int i = 0; i < 4; ++i) total += odds[i] = std::exp((scores[i] - 50) / 40.0);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(counts[i] / double(DRAWS), odds[i] / total, 0.015) << i;
  // A mate outweighs any score, and a shorter mate a longer one only by its plies.
  const int32_t mating[2] = {MATE - 3, 900}, mates[2] = {MATE - 3, MATE - 5};
  int longer = 0;
  for (uint64_t seed = 0; seed < 1000; ++seed) {
    EXPECT_EQ(choose_line(PlayingLevel{4, 200, seed}, mating, 2), 0);
    longer += choose_line(PlayingLevel{4, 200, seed}, mates, 2);
  }
  EXPECT_GT(longer, 400);
}
