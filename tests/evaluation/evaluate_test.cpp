// The weight tables by piece count, attack maps, the general score and its
// terms, and the fixed rules for three and four pieces, on positions whose
// values were worked out by hand from the weights.
#include <initializer_list>

#include "common/helpers.h"

namespace {

// The tables' arithmetic, where a slip in rounding shows.
TEST(EvalTables, BitExactEntries) {
  EXPECT_EQ(EvalParams[12][isolated_pawn], 4);           // -6.0 + 10, where a fused multiply-add gives 3.999...
  EXPECT_EQ(EvalParams[28][doubled_pawn_attacked], -4);  // trunc(2.4 - 7) toward zero, not -5
  EXPECT_EQ(EvalParams[3][king_zone_attacked], -5);      // the weight changes sign as pieces leave
  // Passed pawns: 40 x 1.95 = 78 and 78 x 1.95 = 152 only with the double one
  // unit above 1.95 (the nearest one gives 77 and 150).
  EXPECT_EQ(PieceValue[5][12], 40); EXPECT_EQ(PieceValue[6][12], 78); EXPECT_EQ(PieceValue[7][12], 152);
  EXPECT_EQ(PstKing[24][0], -27);  // trunc(8 x -102 / 30), not -28
  EXPECT_EQ(PstKing[17][27], -51);  // half way between the full board's -102 and the bare kings' 0
  EXPECT_EQ(PstKnight[32][27], 324); EXPECT_EQ(PstRook[3][27], 518);
}

Board board;
int k;  // pieces on the board of the position loaded

// Sets up the FEN with check information and attack maps, as evaluate() would have them.
const Position& load(const char* fen) {
  ::load(board, fen);
  prepare_node(*board.current);
  k = popcount(board.current->occupied);
  return *board.current;
}

// A term of side x against the other side, for each FEN.
void check(int (*term)(const SideState& x, const SideState& y, int k),
           std::initializer_list<std::pair<const char*, int>> cases, int x = WHITE) {
  for (auto [fen, expected] : cases) {
    const Position& p = load(fen);
    EXPECT_EQ(term(p.sides[x], p.sides[!x], k), expected) << fen;
  }
}
int score(const SideState&, const SideState&, int) { return evaluate(*board.current); }

TEST(GeneralScore, StartPositionAndRookFiles) {
  const Position& start = load(START_FEN);
  const SideState &white = start.sides[WHITE], &black = start.sides[BLACK];
  EXPECT_EQ(psq_sum(white, 32), 2921); EXPECT_EQ(psq_sum(black, 32), 2921);
  EXPECT_EQ(white.attack_info->attacks[PAWN], 0x0000000000ff0000ULL);  // exact: an edge pawn's
  EXPECT_EQ(black.attack_info->attacks[PAWN], 0x0000ff0000000000ULL);  // attack must not wrap around
  // Shelter 3 x 8, mobility 32 squares x 7, queen guarding the c1 bishop 9, bishop pair 31.
  EXPECT_EQ(evaluate_pieces(white, black, 32), 288); EXPECT_EQ(evaluate_pieces(black, white, 32), 288);
  check(score, {{START_FEN, 0}, {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", 0}});

  // k = 16, eight black pawns: open 3 x 8 = 24, half-open 50% of it.
  check(rook_files, {{"6k1/pppp1ppp/8/8/4R3/4p3/PPP1P2P/6K1 w - - 0 1", 24},  // e3 is behind the rook
                     {"6k1/ppppRppp/4p3/8/8/8/PPP1P2P/6K1 w - - 0 1", 48},    // seventh rank and open
                     // k = 8, four black pawns: 4 x 4, half-open 57% of it.
                     {"4k3/pppp4/8/8/8/8/7r/R3K3 w - - 0 1", 9}});
}

TEST(PawnTerms, StructureAndPassedPawns) {
  check(evaluate_pawns,
        // k = 5: 2 x 88, a2 doubled -13, both isolated -1 each, and a2 attacked
        // by the c1 knight: -9 more as doubled, -24 more as isolated.
        {{"4k3/8/8/8/8/P7/P7/2n1K3 w - - 0 1", 128},
         {"k7/8/4P3/8/8/8/8/K7 w - - 0 1", 213},      // k = 3: 89 - 1 + 93 + 35% of 93
         // k = 32: a5 worth 21, defended by the a1 rook +3, attacked by the a8
         // rook -5, queening square held by the b7 queen: -trunc(-14 x 21 / 100) = +2.
         {"rnb1kbnr/1qpppppp/2pp4/P7/8/8/1PPPPPPP/RNBQKBNR w KQkq - 0 1", 621}});
  // k = 3, black d2 on its 7th rank (181), queening on d1: 89 - 1 - 26
  // attacked isolani, +34 defended -66 attacked +50 -81 queening square held
  // by both, -124 enemy king in the span, +63 free path.
  check(evaluate_pawns, {{"8/8/8/8/8/8/2kp4/4K3 w - - 0 1", 119}}, BLACK);
}

TEST(PieceTerms, ActivityThreatsAndKingSafety) {
  check(evaluate_pieces, {
      // King d4 centralised (+6) only with at most 8 pieces; 10 mobility
      // squares and 6 in the space zone at both counts.
      {"k7/pp4pp/8/8/3K4/8/P6P/8 w - - 0 1", 6 + 70 - 30 + 6},
      {"k7/ppp3pp/8/8/3K4/8/P6P/8 w - - 0 1", 70 - 20 + 6},
      // k = 32 from the start: the d3 intruder attacked by two pawns counts
      // once, costs 4 safe squares (-16) and the f2 or e2 zone square (-25),
      // and hangs (+12); a knight adds a threat (+20).
      {"r1bqkbnr/pppppppp/8/8/8/3n4/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 288 + 20 - 16 - 25 + 12},
      // k = 5, knight forking queen and rook: threats (6 + 2) x 8, mobility
      // 11 x 8 - 7 x 4, both targets undefended: 5% of 502 + 930, space 1.
      {"3q3k/r7/2N5/8/8/8/8/7K w - - 0 1", 64 + 60 + 71 + 1},
      // k = 5, g1 behind f2 g2 h2: 3 x 10 + full shield 22, 9 squares x 4, space 2.
      {"k7/8/8/8/8/8/5PPP/6K1 w - - 0 1", 52 + 36 + 2},
      // k = 16: rook f8 and bishop h4 both hit f2, one zone square: -8 once.
      {"k4r2/ppppp1p1/8/8/7b/8/PPP2PPP/6K1 w - - 0 1", 42 - 8 + 78}});
}

// With a pawn against a minor piece only the pawn and piece terms count.
int minus_pawn_and_piece_terms(const SideState& us, const SideState& them, int k) {
  return evaluate(*board.current) - evaluate_pawns(us, them, k) + evaluate_pawns(them, us, k) -
         evaluate_pieces(us, them, k) + evaluate_pieces(them, us, k);
}

// Three and four pieces, from the side to move's point of view.
TEST(EndgameRules, FixedScores) {
  check(score, {
      // Known win 10000 + 500 material + centre 6 (e4) - 0 (a8); the lone king
      // to move takes the rook next to it unless the rook is protected (c6: 5).
      {"k7/8/8/8/4K3/8/8/7R w - - 0 1", 10506}, {"k7/8/8/8/4K3/8/8/7R b - - 0 1", -10506},
      {"k7/1R6/8/8/4K3/8/8/8 b - - 0 1", 0},    {"k7/1R6/2K5/8/8/8/8/8 b - - 0 1", -10505},
      {"k7/8/8/8/4K3/8/8/6N1 w - - 0 1", 0},
      // Two knights cannot force mate.
      {"K7/8/8/8/4k3/8/8/5nn1 b - - 0 1", 0},
      // Black queen: 10900 + 5 (c3) - 0 (h8); queen against rook: 10000 + 900 - 500 + 6.
      {"7K/8/8/8/8/2k5/8/q7 b - - 0 1", 10905}, {"k6r/8/8/8/4K3/8/8/1Q6 b - - 0 1", -10406},
      // Bishop and knight: 10000 + 600 + 6; rook against bishop: king placement only.
      {"k7/8/8/8/4K3/8/8/5BN1 b - - 0 1", -10606}, {"8/8/2k5/8/3K4/8/8/R3b3 w - - 0 1", 1},
      // King and pawn: the a2 pawn alone at k = 3 is worth 89 - 1 (isolated) = 88.
      {"8/8/8/8/2k5/8/P7/7K b - - 0 1", -(88 + 100)},  // 7 moves against 4: caught
      {"7k/8/8/8/8/8/P7/7K w - - 0 1", 88 + 10100},    // 6 moves against 7: queens
      {"8/8/8/8/8/1k6/P7/7K b - - 0 1", 0},            // the pawn falls
      // King e7 on its pawn's path: 88 + 48 (e5) + 13 (e8 held) + 8 (own king
      // in the span) + 100, never the known win.
      {"8/4K3/8/4P3/8/8/8/k7 w - - 0 1", 157 + 100}});
  // +100 with the pawn's side to move, -100 with the minor piece's.
  check(minus_pawn_and_piece_terms, {{"8/8/2k5/8/8/8/4P3/4K1n1 w - - 0 1", 100},
                                     {"8/4p3/2k5/8/8/8/8/4K1N1 w - - 0 1", -100}});
}

}  // namespace
