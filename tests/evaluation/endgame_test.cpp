// Three- and four-piece positions, scored by fixed rules from the side to
// move's point of view.
#include "eval_helpers.h"

namespace {

using namespace evaltest;

int score(const char* fen) {
  load(fen);
  return evaluate();
}

TEST(EndgameRules, PiecesWithoutPawns) {
  const struct { const char* fen; int expected; } cases[] = {
      // Known win 10000 + 500 material + centre 6 (e4) - 0 (a8).
      {"k7/8/8/8/4K3/8/8/7R w - - 0 1", 10506},
      {"k7/8/8/8/4K3/8/8/7R b - - 0 1", -10506},
      // The lone king to move takes the unprotected rook next to it.
      {"k7/1R6/8/8/4K3/8/8/8 b - - 0 1", 0},
      {"k7/1R6/8/8/4K3/8/8/8 w - - 0 1", 10506},
      {"k7/1R6/2K5/8/8/8/8/8 b - - 0 1", -10505},  // protected, king on c6 (5)
      // Black queen: 10900 + 5 (c3) - 0 (h8).
      {"7K/8/8/8/8/2k5/8/q7 b - - 0 1", 10905},
      {"7K/8/8/8/8/2k5/8/q7 w - - 0 1", -10905},
      {"k7/8/8/8/4K3/8/8/6N1 w - - 0 1", 0},
      {"k7/8/8/8/4K3/8/8/6N1 b - - 0 1", 0},
      {"k7/8/8/8/4K3/8/8/6B1 w - - 0 1", 0},
      {"k7/8/8/8/4K3/8/8/6B1 b - - 0 1", 0},
      // Two knights cannot force mate, whoever has them and whoever moves.
      {"k7/8/8/8/4K3/8/8/5NN1 w - - 0 1", 0},
      {"k7/8/8/8/4K3/8/8/5NN1 b - - 0 1", 0},
      {"K7/8/8/8/4k3/8/8/5nn1 w - - 0 1", 0},
      {"K7/8/8/8/4k3/8/8/5nn1 b - - 0 1", 0},
      {"k7/8/8/8/4K3/8/8/5BN1 w - - 0 1", 10606},
      {"k7/8/8/8/4K3/8/8/5BN1 b - - 0 1", -10606},
      // Rook against bishop: king placement only.
      {"k3b3/8/8/8/8/8/8/K1R5 w - - 0 1", 0},
      {"8/8/2k5/8/3K4/8/8/R3b3 w - - 0 1", 1},
      {"8/8/2k5/8/3K4/8/8/R3b3 b - - 0 1", -1},
      // Queen against rook: 10000 + 900 - 500 + 6.
      {"k6r/8/8/8/4K3/8/8/1Q6 w - - 0 1", 10406},
      {"k6r/8/8/8/4K3/8/8/1Q6 b - - 0 1", -10406},
  };
  for (const auto& c : cases) EXPECT_EQ(score(c.fen), c.expected) << c.fen;
}

TEST(EndgameRules, KingAndPawnAgainstKing) {
  // The a2 pawn alone at k = 3 is worth 89 - 1 (isolated) = 88, or 62 when the
  // black king attacks it (isolated and attacked, -26).
  const struct { const char* fen; int expected; } cases[] = {
      {"8/8/8/8/2k5/8/P7/7K b - - 0 1", -(88 + 100)},  // 7 moves against 4: caught
      {"7k/8/8/8/8/8/P7/7K w - - 0 1", 88 + 10100},    // 6 moves against 7: queens
      {"7k/8/8/8/8/8/P7/7K b - - 0 1", -(88 + 100)},   // 7 moves against 7: caught
      {"8/8/8/8/8/1k6/P7/7K b - - 0 1", 0},            // the pawn falls
      {"8/8/8/8/8/k7/P7/7K b - - 0 1", 0},
      {"8/8/8/8/8/k7/P7/7K w - - 0 1", 62 + 100},
      // King e7 on its pawn's path: 88 + 48 (e5) + 13 (e8 held) + 8 (own king
      // in the span) + 100, never the known win.
      {"8/4K3/8/4P3/8/8/8/k7 w - - 0 1", 157 + 100},
      {"8/4K3/8/4P3/8/8/8/k7 b - - 0 1", -(157 + 100)},
  };
  for (const auto& c : cases) EXPECT_EQ(score(c.fen), c.expected) << c.fen;
}

// With four pieces and pawns the score is built from the general terms: the
// pawn-against-minor rules leave out piece-square sums and rook files, other
// material falls through to the full general score.
TEST(EndgameRules, FourPiecesWithPawns) {
  const struct { const char* fen; int bonus; bool general; } cases[] = {
      {"8/8/2k5/8/8/8/4P3/4K1n1 w - - 0 1", 100, false},
      {"8/8/2k5/8/8/8/4P3/4K1n1 b - - 0 1", -100, false},
      {"8/8/2k5/8/8/8/4P3/2b1K3 b - - 0 1", -100, false},
      {"k7/8/8/8/8/8/P7/K6R w - - 0 1", 0, true},
      {"k7/8/8/8/8/8/p7/K6R w - - 0 1", 0, true},
  };
  for (const auto& c : cases) {
    load(c.fen);
    const SideState& us = *current_position->us;
    const SideState& them = *current_position->them;
    int expected = evaluate_pawns(us, them) - evaluate_pawns(them, us) + evaluate_pieces(us, them) -
                   evaluate_pieces(them, us) + c.bonus;
    if (c.general) expected += us.psq_sum - them.psq_sum + rook_files(us, them) - rook_files(them, us);
    EXPECT_EQ(evaluate(), expected) << c.fen;
  }
}

}  // namespace
