// Rules that decide the search's outputs without running a search: the
// reduction table, the score text, the limits of a "go" line and the draw test.
#include <gtest/gtest.h>

#include "position/position.h"
#include "search/search.h"
#include "uci/uci.h"

using namespace velta;

namespace {

TEST(SearchRules, ReductionTableEntries) {
  struct Case {
    int index, depth, reduction;
  };
  // 61 x 61 is 12.9994 before truncation: a rounding slip would show 13.
  const Case cases[] = {{3, 4, 1},    {3, 10, 1},   {5, 6, 2},   {8, 8, 3},  {10, 10, 4}, {20, 20, 6},
                        {62, 62, 13}, {61, 61, 12}, {10, 20, 5}, {20, 10, 5}, {2, 2, 0},  {1, 62, 0},
                        {0, 40, 0},   {40, 0, 0},   {40, 63, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(reduction_table[c.index][c.depth], c.reduction) << "[" << c.index << "][" << c.depth << "]";
  // The 64th and later moves of a list are read from row 63: never reduced.
  for (int depth = 0; depth < 64; ++depth) EXPECT_EQ(reduction_table[63][depth], 0) << "depth " << depth;
}

TEST(SearchRules, ScoreText) {
  struct Case {
    int score;
    const char* text;
  };
  const Case cases[] = {{29999, "score mate 1 "},   {29998, "score mate 1 "},      {29997, "score mate 2 "},
                        {-29998, "score mate -1 "}, {-29997, "score mate -2 "},    {29937, "score mate 32 "},
                        {29936, "score cp 29936 "}, {-29936, "score cp -29936 "}, {60000, "score cp 60000 "},
                        {-60000, "score cp -60000 "}, {-17, "score cp -17 "}};
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    print_score(c.score);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.text) << c.score;
  }
}

TEST(SearchRules, GoLineLimits) {
  constexpr char W[] = "4k3/8/8/8/8/8/8/4K3 w - - 0 1", B[] = "4k3/8/8/8/8/8/8/4K3 b - - 0 1";
  struct Case {
    const char* fen;
    const char* line;
    uint32_t mode;
    int32_t depth;
    uint64_t spare, budget;
  };
  const Case cases[] = {
      {W, "go wtime 60000 btime 60000", LIMIT_CLOCK, 0, 59000, 1450},
      {W, "go wtime 60000 btime 60000 winc 1000 binc 1000", LIMIT_CLOCK, 0, 59000, 2450},
      {W, "go wtime 10000 btime 10000 movestogo 0", LIMIT_CLOCK, 0, 9000, 8975},
      {W, "go wtime 900 btime 900 winc 100 binc 100", LIMIT_CLOCK, 0, 0, 75},
      {W, "go wtime 500 btime 500", LIMIT_CLOCK, 0, 0, 0},
      {B, "go wtime 1000 btime 61000", LIMIT_CLOCK, 0, 60000, 1475},
      {W, "go btime 5000 wtime 5000 movestogo 5", LIMIT_CLOCK, 0, 4000, 775},
      {B, "go btime 5000 wtime 5000 movestogo 5", LIMIT_CLOCK, 0, 4000, 775},
      {W, "go ponder wtime 60000 btime 60000", LIMIT_CLOCK, 0, 59000, 1450},
      {W, "go wtime 60000 depth 5", LIMIT_CLOCK, 0, 59000, 1450},  // depth counts only right after "go"
      {W, "go nodes 1000", LIMIT_CLOCK, 0, 0, 0},
      {W, "go wtime -5000", LIMIT_CLOCK, 0, 0, 0},  // a negative clock is no time at all
      {W, "go", LIMIT_DEPTH, 10, 0, 0},
      {W, "go infinite", LIMIT_TIME, 0, 0, 1000000000},
      {W, "go depth 0", LIMIT_DEPTH, 0, 0, 0},
      {W, "go depth 0x10", LIMIT_DEPTH, 16, 0, 0},
      {W, "go movetime 500", LIMIT_TIME, 0, 0, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line << (c.fen == B ? " (black to move)" : ""));
    ASSERT_TRUE(read_fen(c.fen));
    limits = SearchLimits{LIMIT_TIME, 99, 99, 99};  // leftovers must not survive
    read_go_limits(c.line);
    EXPECT_EQ(limits.mode, c.mode);
    EXPECT_EQ(limits.depth_limit, c.depth);
    EXPECT_EQ(limits.spare_time, c.spare);
    EXPECT_EQ(limits.time_budget, c.budget);
  }
  limits = SearchLimits{};
}

TEST(SearchRules, DrawByRepetitionFiftyMovesAndBareKings) {
  struct Case {
    const char* name;
    const char* fen;
    const char* moves;
    bool draw;
  };
  const Case cases[] = {
      {"start position", START_FEN, "", false},
      {"second occurrence", START_FEN, "g1f3 g8f6 f3g1 f6g8", false},
      {"third occurrence", START_FEN, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", true},
      // After a double push the key holds the en passant square, so the
      // position right after 1...e5 is not the one the knights come back to.
      {"after pawn moves, twice back", START_FEN, "e2e4 e7e5 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", false},
      {"after pawn moves, three times back", START_FEN,
       "e2e4 e7e5 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", true},
      {"halfmove clock 99", "4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "", false},
      {"halfmove clock 100", "4k3/8/8/8/8/8/4P3/4K3 w - - 100 80", "", true},
      {"halfmove clock reaches 100 by a move", "4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "e1d1", true},
      {"two bare kings", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(read_fen(c.fen));
    if (*c.moves) play_move_list(c.moves);
    EXPECT_EQ(is_draw(), c.draw);
  }
}

}  // namespace
