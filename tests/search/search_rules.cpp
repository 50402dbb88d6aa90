// Rules that decide the search's choices and outputs without running a
// search: best-first selection, the static exchange test, the reduction
// table, the score text, the limits of a "go" line and the draw test.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "uci/uci.h"

using namespace velta;

namespace {

constexpr char W[] = "4k3/8/8/8/8/8/8/4K3 w - - 0 1", B[] = "4k3/8/8/8/8/8/8/4K3 b - - 0 1";

constexpr int sq(const char* s) { return (s[0] - 'a') + 8 * (s[1] - '1'); }
// A move word from "e2e4" text, its mover, victim, promotion and flags.
constexpr Move mv(const char* text, int piece, int captured = 0, Move flags = 0, int promotion = 0) {
  return encode_move(sq(text), sq(text + 2), piece, captured, promotion) | flags;
}

TEST(MoveOrdering, SelectionOrderAndTieBreaks) {
  // The order the picks must come in, and history counters (node counts at the root).
  struct Case { const char* fen; bool root; std::vector<Move> order; std::vector<std::pair<Move, int>> counts; };
  const Move quiet_hash = mv("b1a3", KNIGHT, 0, MOVE_HASH);
  const Case cases[] = {
      // The key: promotions, victims, checks, escapes, advances; quiet moves last whatever their history.
      {W, false, {mv("b7b8", PAWN, 0, 0, QUEEN), mv("a7a8", PAWN, 0, 0, KNIGHT), mv("e4d5", PAWN, QUEEN),
                  mv("c3d5", KNIGHT, PAWN), mv("f1b5", BISHOP, 0, MOVE_DISCOVERED), mv("d1h5", QUEEN, 0, MOVE_CHECK),
                  mv("e1d2", KING, 0, MOVE_ESCAPE), mv("e2e4", PAWN, 0, MOVE_ADVANCE), mv("g1f3", KNIGHT)},
       {{mv("g1f3", KNIGHT), 1000}}},
      // History 5 before 3 whatever the squares, a capture before both; no history between captures.
      {W, false, {mv("c1g5", BISHOP, KNIGHT), mv("g1h3", KNIGHT), mv("b1c3", KNIGHT)},
       {{mv("b1c3", KNIGHT), 3}, {mv("g1h3", KNIGHT), 5}, {mv("c1g5", BISHOP), -100}}},
      {W, false, {mv("d2e4", KNIGHT, PAWN), mv("b1a3", KNIGHT, PAWN)}, {{mv("b1a3", KNIGHT), 50}}},
      // The more central destination, then the less central origin.
      {W, false, {mv("b3d4", KNIGHT), mv("e2d4", KNIGHT), mv("b1c3", KNIGHT), mv("g1h3", KNIGHT)}, {}},
      // The cheaper mover, then the origin further up the board for white, further down for black.
      {W, false, {mv("h2h3", PAWN), mv("h7h6", ROOK), mv("a2a3", ROOK)}, {}},
      {B, false, {mv("a7a6", PAWN), mv("a2a3", ROOK), mv("h7h6", ROOK)}, {}},
      // Root: the hash move, then node counts over keys, then the usual tie-breaks.
      {W, true, {quiet_hash, mv("e2e4", PAWN), mv("g1f3", KNIGHT), mv("c3d5", KNIGHT, PAWN)},
       {{mv("c3d5", KNIGHT), 10}, {mv("g1f3", KNIGHT), 500}, {mv("e2e4", PAWN), 500}}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(read_fen(c.fen));
    reset_after_search();  // no history, no node counts
    for (auto [m, n] : c.counts)
      if (c.root) move_node_counts[m & 0xfff] = n;
      else history_table[c.fen == W][move_piece_code(m)][move_to(m)] = n;
    MoveList& list = current_position->moves;  // fed in reverse, so that no pick is already in place
    list.count = int(c.order.size());
    std::reverse_copy(c.order.begin(), c.order.end(), list.moves);
    for (int i = 0; i < list.count; ++i) {
      EXPECT_EQ(c.root ? pick_best_root(i) : pick_best(i), c.order[i]) << "case " << &c - cases << " pick " << i;
      // One swap brings the best forward: the first entry moves to the end, the rest stay.
      EXPECT_TRUE(i > 0 || list.moves[list.count - 1] == c.order.back()) << "case " << &c - cases;
    }
  }
}

TEST(ExchangeTest, LosingCaptures) {
  const struct { const char* fen; Move capture; bool loses; } cases[] = {
      {"6k1/8/4p3/3p4/8/8/8/3Q2K1 w - - 0 1", mv("d1d5", QUEEN, PAWN), true},  // pawn defends the pawn
      {"3q2k1/8/8/8/3P4/4P3/8/6K1 b - - 0 1", mv("d8d4", QUEEN, PAWN), true},  // the same for black
      {"6k1/8/8/3n4/8/8/8/3R2K1 w - - 0 1", mv("d1d5", ROOK, KNIGHT), false},  // nothing defends the knight
      // A pawn defends the knight, but ours attacks the square too.
      {"6k1/8/4p3/3n4/4P3/1B6/8/6K1 w - - 0 1", mv("b3d5", BISHOP, KNIGHT), false},
      // A rook defends the knight: our second rook joins from behind; without it, the capture loses.
      {"3r2k1/8/8/3n4/8/8/3R4/3R2K1 w - - 0 1", mv("d2d5", ROOK, KNIGHT), false},
      {"3r2k1/8/8/3n4/8/8/3R4/6K1 w - - 0 1", mv("d2d5", ROOK, KNIGHT), true},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(read_fen(c.fen));
    compute_check_info(), compute_attacks();
    EXPECT_EQ(exchange_loses(c.capture), c.loses) << c.fen;
  }
}

TEST(SearchRules, ReductionTableAndScoreText) {
  // 61 x 61 is 12.9994 before truncation: a rounding slip would show 13.
  const int reductions[][3] = {{3, 4, 1},   {5, 6, 2},    {8, 8, 3},    {10, 10, 4}, {20, 20, 6},
                               {61, 61, 12}, {62, 62, 13}, {10, 20, 5}, {2, 2, 0},   {0, 40, 0}};
  for (auto [index, depth, r] : reductions) EXPECT_EQ(reduction_table[index][depth], r) << index << " " << depth;
  // Row 63 serves the 64th and later moves of a list: never reduced.
  for (int i = 0; i < 64; ++i) EXPECT_EQ(reduction_table[63][i] | reduction_table[i][63], 0) << i;

  const std::pair<int, const char*> texts[] = {
      {29999, "score mate 1 "},   {29998, "score mate 1 "},   {29997, "score mate 2 "},   {-29998, "score mate -1 "},
      {-29997, "score mate -2 "}, {29937, "score mate 32 "},  {29936, "score cp 29936 "}, {-29936, "score cp -29936 "},
      {60000, "score cp 60000 "}, {-17, "score cp -17 "}};
  for (auto [score, text] : texts) {
    testing::internal::CaptureStdout();
    print_score(score);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), text) << score;
  }
}

TEST(SearchRules, GoLineLimits) {
  const struct { const char* fen; const char* line; uint32_t mode; int32_t depth; uint64_t spare, budget; } cases[] = {
      {W, "go wtime 60000 btime 60000", LIMIT_CLOCK, 0, 59000, 1450},
      {W, "go wtime 60000 btime 60000 winc 1000 binc 1000", LIMIT_CLOCK, 0, 59000, 2450},
      {W, "go wtime 10000 btime 10000 movestogo 0", LIMIT_CLOCK, 0, 9000, 8975},
      {W, "go wtime 900 btime 900 winc 100 binc 100", LIMIT_CLOCK, 0, 0, 75},
      {W, "go wtime 500 btime 500", LIMIT_CLOCK, 0, 0, 0},
      {B, "go wtime 1000 btime 61000", LIMIT_CLOCK, 0, 60000, 1475},
      {B, "go btime 5000 wtime 5000 movestogo 5", LIMIT_CLOCK, 0, 4000, 775},
      {W, "go wtime 60000 depth 5", LIMIT_CLOCK, 0, 59000, 1450},  // depth counts only right after "go"
      {W, "go wtime -5000", LIMIT_CLOCK, 0, 0, 0},                 // a negative clock is no time at all
      {W, "go", LIMIT_DEPTH, 10, 0, 0},           {W, "go infinite", LIMIT_TIME, 0, 0, 1000000000},
      {W, "go depth 0", LIMIT_DEPTH, 0, 0, 0},    {W, "go depth 0x10", LIMIT_DEPTH, 16, 0, 0},
      {W, "go movetime 500", LIMIT_TIME, 0, 0, 500}};
  for (const auto& c : cases) {
    ASSERT_TRUE(read_fen(c.fen));
    limits = SearchLimits{LIMIT_TIME, 99, 99, 99};  // leftovers must not survive
    read_go_limits(c.line);
    EXPECT_EQ(std::tuple(limits.mode, limits.depth_limit, limits.spare_time, limits.time_budget),
              std::tuple(c.mode, c.depth, c.spare, c.budget)) << c.line;
  }
  limits = SearchLimits{};
}

TEST(SearchRules, DrawByRepetitionFiftyMovesAndBareKings) {
  const struct { const char* fen; const char* moves; bool draw; } cases[] = {
      {START_FEN, "g1f3 g8f6 f3g1 f6g8", false},  // the second occurrence
      {START_FEN, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", true},
      // A double push puts its en passant square in the key: the position after
      // 1...e5 is not the one the knights come back to, which occurs only twice.
      {START_FEN, "e2e4 e7e5 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", false},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "", false}, {"4k3/8/8/8/8/8/4P3/4K3 w - - 100 80", "", true},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "e1d1", true},
      {W, "", true}};  // two bare kings
  for (const auto& c : cases) {
    ASSERT_TRUE(read_fen(c.fen));
    play_move_list(c.moves);
    EXPECT_EQ(is_draw(), c.draw) << c.fen << " " << c.moves;
  }
}

}  // namespace
