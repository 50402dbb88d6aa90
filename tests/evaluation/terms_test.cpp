// Attack maps, the general score and its terms, on positions whose values
// were worked out by hand from the weights by piece count.
#include "eval_helpers.h"

namespace {

using namespace evaltest;

Bitboard squares(std::initializer_list<const char*> names) {
  Bitboard b = 0;
  for (const char* n : names) b |= bit(sq(n));
  return b;
}

TEST(AttackMaps, PiecesAndSums) {
  load(START_FEN);  // exact pawn maps: an edge pawn's attack must not wrap around
  for (int c : {BLACK, WHITE}) EXPECT_EQ(current_position->sides[c].psq_sum, 2921);
  EXPECT_EQ(white().attack_info->attacks[PAWN], 0x0000000000ff0000ULL);
  EXPECT_EQ(black().attack_info->attacks[PAWN], 0x0000ff0000000000ULL);

  // A rook's map stops on the first piece met, its own included (defended).
  load("4k3/8/8/8/8/8/N7/R3K3 w - - 0 1");
  EXPECT_EQ(white().attack_info->attacks[ROOK], squares({"a2", "b1", "c1", "d1", "e1"}));

  // Bare kings: the king map is everything, and the sum is the king's placement.
  load("8/8/8/8/3K4/8/8/k7 w - - 0 1");
  for (int c : {BLACK, WHITE}) {
    const SideState& s = current_position->sides[c];
    EXPECT_EQ(s.attack_info->attacks[0], s.attack_info->attacks[KING]);
    EXPECT_EQ(s.attack_info->attacks[KING], king_attacks[s.king_square]);
  }
  EXPECT_EQ(white().psq_sum, 0);
  EXPECT_EQ(black().psq_sum, -102);

  load("4k3/8/1p6/8/3Q1n2/8/1P6/4K3 w - - 0 1");
  Bitboard queen = white().attack_info->attacks[QUEEN];
  EXPECT_EQ(queen, rook_attack(sq("d4"), current_position->occupied) |
                       bishop_attack(sq("d4"), current_position->occupied));
  EXPECT_EQ(queen & squares({"b6", "f4", "b2", "d8", "a7", "g4", "a1"}), squares({"b6", "f4", "b2", "d8"}));
}

TEST(GeneralScore, StartPositionIsLevel) {
  for (const char* fen : {START_FEN, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"}) {
    load(fen);
    EXPECT_EQ(evaluate(), 0) << fen;
    // Shelter 3 x 8, mobility 32 squares x 7, queen guarding the c1 bishop 9, bishop pair 31.
    EXPECT_EQ(evaluate_pieces(white(), black()), 288);
    EXPECT_EQ(evaluate_pieces(black(), white()), 288);
  }
}

TEST(GeneralScore, RookFiles) {
  const struct { const char* fen; int white, black; } cases[] = {
      // k = 16, eight black pawns: open 3 x 8 = 24, half-open 50% of it.
      {"6k1/pppp1ppp/8/8/4R3/4p3/PPP1P2P/6K1 w - - 0 1", 24, 0},  // e3 is behind the rook
      {"6k1/pppp1ppp/4p3/8/4R3/8/PPP1P2P/6K1 w - - 0 1", 12, 0},  // own e2 behind doesn't close
      {"6k1/pppp1ppp/4p3/4P3/4R3/8/PPP4P/6K1 w - - 0 1", 0, 0},   // own e5 ahead closes
      {"6k1/ppppRppp/4p3/8/8/8/PPP1P2P/6K1 w - - 0 1", 48, 0},    // seventh rank and open
      // k = 8: white has no enemy pawns to play against; the black rook looks
      // down its file at a2: w = 4 x 4, half-open 57% of 16.
      {"r3k3/7R/8/8/8/8/PPPP4/4K3 w - - 0 1", 0, 9},
  };
  for (const auto& c : cases) {
    load(c.fen);
    EXPECT_EQ(rook_files(white(), black()), c.white) << c.fen;
    EXPECT_EQ(rook_files(black(), white()), c.black) << c.fen;
  }
}

TEST(PawnTerms, StructureAndPassedPawns) {
  const struct { const char* fen; int side, expected; } cases[] = {
      {"k7/8/8/8/8/8/8/K6R w - - 0 1", WHITE, 0},
      // k = 4: 2 x 89, a2 doubled 13, both isolated 1 each.
      {"4k3/8/8/8/8/P7/P7/4K3 w - - 0 1", WHITE, 163},
      // k = 4: e5 worth 47, defended +8, queening square held by the black
      // king -20, that king in the span -31, path blocked.
      {"8/4k3/8/4P3/3P4/8/8/3K4 w - - 0 1", WHITE, 182},
      {"8/4k3/8/8/4P3/3P4/8/3K4 w - - 0 1", WHITE, 178},  // e4 is not advanced enough
      // k = 3, black d2 on its 7th rank (181), queening on d1: 89 - 1 - 26
      // attacked isolani, +34 defended -66 attacked +50 -81 queening square
      // held by both, -124 enemy king in the span, +63 free path.
      {"8/8/8/8/8/8/2kp4/4K3 w - - 0 1", BLACK, 119},
      {"k7/8/4P3/8/8/8/8/K7 w - - 0 1", WHITE, 213},  // 89 - 1 + 93 + 32
      // k = 32: a5 worth 21, defended by the a1 rook +3, attacked by the a8
      // rook -5, queening square held by the b7 queen: -trunc(-14 x 21 / 100) = +2.
      {"rnb1kbnr/1qpppppp/2pp4/P7/8/8/1PPPPPPP/RNBQKBNR w KQkq - 0 1", WHITE, 621},
  };
  for (const auto& c : cases) {
    load(c.fen);
    const SideState& x = current_position->sides[c.side];
    const SideState& y = current_position->sides[!c.side];
    EXPECT_EQ(evaluate_pawns(x, y), c.expected) << c.fen;
  }
  load("4k3/8/8/8/8/P7/P7/4K3 w - - 0 1");
  EXPECT_EQ(white().doubled_pawns, squares({"a2"}));
  EXPECT_EQ(white().isolated_pawns, squares({"a2", "a3"}));
}

TEST(PieceTerms, ActivityThreatsAndKingSafety) {
  const struct { const char* fen; int expected; } cases[] = {
      // King d4 centralised (+6) only with at most 8 pieces; 10 mobility
      // squares and 6 in the space zone at both counts.
      {"k7/pp4pp/8/8/3K4/8/P6P/8 w - - 0 1", 6 + 70 - 30 + 6},
      {"k7/ppp3pp/8/8/3K4/8/P6P/8 w - - 0 1", 70 - 20 + 6},
      // k = 32 from the start: the d3 intruder attacked by two pawns counts
      // once, costs 4 safe squares (-16) and the f2 or e2 zone square (-25),
      // and hangs (+12); a knight adds a threat (+20), a bishop none.
      {"r1bqkbnr/pppppppp/8/8/8/3n4/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 288 + 20 - 16 - 25 + 12},
      {"rnbqk1nr/pppppppp/8/8/8/3b4/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 288 - 20 - 25 + 12},
      // k = 5, knight forking queen and rook: threats (6 + 2) x 8, mobility
      // 11 x 8 - 7 x 4, both targets undefended: 5% of 502 + 930, space 1.
      {"3q3k/r7/2N5/8/8/8/8/7K w - - 0 1", 64 + 60 + 71 + 1},
      // k = 5, g1 behind f2 g2 h2: 3 x 10 + full shield 22, 9 squares x 4, space 2.
      {"k7/8/8/8/8/8/5PPP/6K1 w - - 0 1", 52 + 36 + 2},
      // e1 is no shelter square: 3 x 10 only, 10 squares x 4, space 4.
      {"k7/8/8/8/8/8/3PPP2/4K3 w - - 0 1", 30 + 40 + 4},
      // k = 6, h3 is not next to g1: still 3 shield pawns, 3 x 10 + 21, 10
      // squares x 5, h3 guarded by g2 +6, space 2.
      {"k7/8/8/8/8/7P/5PPP/6K1 w - - 0 1", 51 + 50 + 6 + 2},
      // k = 16: shelter 42, 21 squares x 6; the rook attacking the lone queen
      // is no threat, but the queen hangs: 4% of 937.
      {"6k1/2pppppp/7n/q7/8/8/3PPPPP/R5K1 w - - 0 1", 42 + 126 + 37},
      {"6k1/2pppppp/2n5/q7/8/8/3PPPPP/R5K1 w - - 0 1", 42 + 126},
      // Nor is a bishop attacking it: 20 squares x 6, the g7 pawn is guarded.
      {"6k1/2pppppp/7n/q7/8/2B5/3PPPPP/6K1 w - - 0 1", 42 + 120 + 37},
      // k = 16: rook f8 and bishop h4 both hit f2, one zone square: -8 once.
      {"k4r2/ppppp1p1/8/8/7b/8/PPP2PPP/6K1 w - - 0 1", 42 - 8 + 78},
  };
  for (const auto& c : cases) {
    load(c.fen);
    EXPECT_EQ(evaluate_pieces(white(), black()), c.expected) << c.fen;
  }
}

}  // namespace
