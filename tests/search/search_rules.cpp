// Rules that decide the search's choices without running a search:
// best-first selection, the static exchange test, the reduction table and the
// draw test.
#include <algorithm>
#include <utility>
#include <vector>

#include "common/helpers.h"

namespace {

constexpr char W[] = "4k3/8/8/8/8/8/8/4K3 w - - 0 1", B[] = "4k3/8/8/8/8/8/8/4K3 b - - 0 1";

TEST(MoveOrdering, SelectionOrderAndTieBreaks) {
  // The order the picks must come in, and history counters (node counts at the root).
  struct Case {
    const char* fen;
    bool root;
    std::vector<Move> order;
    std::vector<std::pair<Move, int>> counts;
  };
  const Move quiet_hash = mv("b1a3", KNIGHT, 0, MOVE_HASH);
  const Case cases[] = {
      // The key: promotions, victims, checks, escapes, advances; quiet moves last whatever their history.
      {W,
       false,
       {mv("b7b8", PAWN, 0, 0, QUEEN), mv("a7a8", PAWN, 0, 0, KNIGHT), mv("e4d5", PAWN, QUEEN),
        mv("c3d5", KNIGHT, PAWN), mv("f1b5", BISHOP, 0, MOVE_DISCOVERED), mv("d1h5", QUEEN, 0, MOVE_CHECK),
        mv("e1d2", KING, 0, MOVE_ESCAPE), mv("e2e4", PAWN, 0, MOVE_ADVANCE), mv("g1f3", KNIGHT)},
       {{mv("g1f3", KNIGHT), 1000}}},
      // History 5 before 3 whatever the squares, a capture before both; no history between captures.
      {W,
       false,
       {mv("c1g5", BISHOP, KNIGHT), mv("g1h3", KNIGHT), mv("b1c3", KNIGHT)},
       {{mv("b1c3", KNIGHT), 3}, {mv("g1h3", KNIGHT), 5}, {mv("c1g5", BISHOP), -100}}},
      {W, false, {mv("d2e4", KNIGHT, PAWN), mv("b1a3", KNIGHT, PAWN)}, {{mv("b1a3", KNIGHT), 50}}},
      // The more central destination, then the less central origin.
      {W, false, {mv("b3d4", KNIGHT), mv("e2d4", KNIGHT), mv("b1c3", KNIGHT), mv("g1h3", KNIGHT)}, {}},
      // The cheaper mover, then the origin further up the board for white, further down for black.
      {W, false, {mv("h2h3", PAWN), mv("h7h6", ROOK), mv("a2a3", ROOK)}, {}},
      {B, false, {mv("a7a6", PAWN), mv("a2a3", ROOK), mv("h7h6", ROOK)}, {}},
      // Root: the hash move, then node counts over keys, then the usual tie-breaks.
      {W,
       true,
       {quiet_hash, mv("e2e4", PAWN), mv("g1f3", KNIGHT), mv("c3d5", KNIGHT, PAWN)},
       {{mv("c3d5", KNIGHT), 10}, {mv("g1f3", KNIGHT), 500}, {mv("e2e4", PAWN), 500}}},
  };
  TestContext test;
  SearchContext& ctx = *test.ctx;
  for (const Case& c : cases) {
    load(ctx.board, c.fen);
    reset_after_search(ctx);  // no history, no node counts
    for (auto [m, n] : c.counts)
      if (c.root)
        ctx.move_node_counts[m & SQUARES_MASK] = n;
      else
        ctx.history_table[c.fen == W][move_piece_code(m)][move_to(m)] = n;
    MoveList& list = ctx.board.current->moves;  // fed in reverse, so that no pick is already in place
    list.count = int(c.order.size());
    std::reverse_copy(c.order.begin(), c.order.end(), list.moves);
    for (int i = 0; i < list.count; ++i)
      EXPECT_EQ(c.root ? pick_best_root(ctx, i) : pick_best(ctx, 0, i), c.order[i])
          << "case " << &c - cases << " pick " << i;
  }
}

TEST(ExchangeTest, LosingCaptures) {
  const struct {
    const char* fen;
    Move capture;
    bool loses;
  } cases[] = {
      {"6k1/8/4p3/3p4/8/8/8/3Q2K1 w - - 0 1", mv("d1d5", QUEEN, PAWN), true},  // pawn defends the pawn
      {"3q2k1/8/8/8/3P4/4P3/8/6K1 b - - 0 1", mv("d8d4", QUEEN, PAWN), true},  // the same for black
      {"6k1/8/8/3n4/8/8/8/3R2K1 w - - 0 1", mv("d1d5", ROOK, KNIGHT), false},  // nothing defends the knight
      // A pawn defends the knight, but ours attacks the square too.
      {"6k1/8/4p3/3n4/4P3/1B6/8/6K1 w - - 0 1", mv("b3d5", BISHOP, KNIGHT), false},
      // A rook defends the knight: our second rook joins from behind; without it, the capture loses.
      {"3r2k1/8/8/3n4/8/8/3R4/3R2K1 w - - 0 1", mv("d2d5", ROOK, KNIGHT), false},
      {"3r2k1/8/8/3n4/8/8/3R4/6K1 w - - 0 1", mv("d2d5", ROOK, KNIGHT), true},
  };
  static Board b;
  for (const auto& c : cases) {
    prepare_node(*load(b, c.fen).current);
    EXPECT_EQ(exchange_loses(*b.current, c.capture), c.loses) << c.fen;
  }
}

TEST(SearchRules, ReductionTable) {
  // 61 x 61 is 12.9994 before truncation: a rounding slip would show 13. Row
  // 63 serves the 64th and later moves of a list: never reduced.
  EXPECT_EQ(std::pair(reduction_table[61][61], reduction_table[62][62]), std::pair(12, 13));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(reduction_table[63][i] | reduction_table[i][63], 0) << i;
}

TEST(SearchRules, DrawByRepetitionFiftyMovesAndBareKings) {
  const struct {
    const char* fen;
    const char* moves;
    bool draw;
  } cases[] = {{START_FEN, "g1f3 g8f6 f3g1 f6g8", false},  // the second occurrence
               {START_FEN, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", true},
               // A double push puts its en passant square in the key: the position after
               // 1...e5 is not the one the knights come back to, which occurs only twice.
               {START_FEN, "e2e4 e7e5 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", false},
               {"4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "", false},
               {"4k3/8/8/8/8/8/4P3/4K3 w - - 100 80", "", true},
               {"4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "e1d1", true},
               {W, "", true}};  // two bare kings
  static Board b;
  for (const auto& c : cases) EXPECT_EQ(is_draw(play(load(b, c.fen), c.moves)), c.draw) << c.fen << " " << c.moves;
}

}  // namespace
