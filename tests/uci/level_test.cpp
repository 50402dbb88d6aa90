// The options of playing levels: their values clamped into range, and the
// caps a level puts on the search of a "go" line; at full strength none.
#include <tuple>

#include "common/helpers.h"
#include "uci/uci.h"

TEST(Level, OptionsAreClamped) {
  auto e = std::make_unique<Engine>();
  const struct {
    const char* line;
    int elo, skill_elo;
  } cases[] = {{"name UCI_Elo value 99999", LEVEL_ELO_MAX, 0},
               {"name uci_elo value -5", LEVEL_ELO_MIN, 0},
               {"name UCI_Elo value 1777", 1777, 0},
               {"name Skill Level value 25", 1777, 0},
               {"name skill level value -1", 1777, skill_elo(0)},
               {"name Skill Level value 7", 1777, skill_elo(7)}};
  for (const auto& c : cases) {
    set_option(*e, c.line);
    EXPECT_EQ(std::pair(e->options.elo, e->options.skill_elo), std::pair(c.elo, c.skill_elo)) << c.line;
  }
  EXPECT_EQ(skill_elo(0), LEVEL_ELO_MIN);
}

TEST(Level, CapsTheSearch) {
  auto owned = std::make_unique<Board>();
  Board& board = load(*owned, START_FEN);
  OptionValues options{};
  options.multipv = 1, options.elo = LEVEL_ELO_MIN;
  auto request = [&](const char* args) { return read_go(args, board, options).request; };
  // (Full strength is today's engine to the node: tests/uci/test_levels.py.) The
  // lowest level thinks a second at most whatever the clock, pondering included;
  // a smaller node limit of the line stands.
  options.limit_strength = true;
  SearchRequest low = request("wtime 3600000 btime 3600000"), ponder = request("ponder wtime 3600000");
  EXPECT_TRUE(low.limits.time_budget <= 1000 && low.limits.spare_time <= 1000 && low.level.lines > 1);
  EXPECT_EQ(std::pair(ponder.limits.nodes, ponder.on_ponderhit.time_budget),
            std::pair(low.limits.nodes, uint64_t(1000)));
  EXPECT_EQ(request("nodes 10").limits.nodes, 10u);
  // Higher levels see more and choose more strictly; Skill Level maps onto the same scale.
  options.elo = 2000;
  SearchRequest high = request("wtime 3600000 btime 3600000");
  EXPECT_TRUE(high.limits.nodes > low.limits.nodes && high.level.spread < low.level.spread);
  options.limit_strength = false, options.skill_elo = 2000;
  EXPECT_EQ(request("wtime 3600000 btime 3600000").limits.nodes, high.limits.nodes);
}

// Odds per mille that sum to 1000, the win rising and the loss falling with
// the score, even at an even score; a mate is certain.
TEST(WinDrawLoss, OddsOfAScore) {
  for (int material : {0, 8, 30, 60, 78, 100}) {
    WinDrawLoss last{0, 0, 1000};
    for (int score = -3000; score <= 3000; score += 5) {
      WinDrawLoss odds = win_draw_loss(score, material);
      EXPECT_EQ(odds.win + odds.draw + odds.loss, 1000) << score;
      EXPECT_TRUE(odds.win >= last.win && odds.loss <= last.loss && odds.draw >= 0) << score << " " << material;
      if (score == 0) {
        EXPECT_EQ(odds.win, odds.loss);
      }
      last = odds;
    }
    EXPECT_GE(win_draw_loss(1500, material).win, 950) << material;
    EXPECT_EQ(std::tuple(win_draw_loss(MATE - 5, material).win, win_draw_loss(5 - MATE, material).loss),
              std::tuple(1000, 1000));
  }
}
