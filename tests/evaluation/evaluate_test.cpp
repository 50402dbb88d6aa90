// The weight tables by piece count, each term of the score on positions
// counted by hand, and the fixed rules for three and four pieces.
#include <string>

#include "common/helpers.h"

namespace {

// The tables' arithmetic, where a slip in rounding shows.
TEST(EvalTables, BitExactEntries) {
  EXPECT_EQ(EvalParams[12][isolated_pawn], 4);           // -6.0 + 10, where a fused multiply-add gives 3.999...
  EXPECT_EQ(EvalParams[28][doubled_pawn_attacked], -4);  // trunc(2.4 - 7) toward zero, not -5
  EXPECT_EQ(EvalParams[3][king_zone_attacked], -5);      // the weight changes sign as pieces leave
  // Passed pawns: 40 x 1.95 = 78 and 78 x 1.95 = 152 only with the double one
  // unit above 1.95 (the nearest one gives 77 and 150).
  EXPECT_EQ(PieceValue[5][12], 40);
  EXPECT_EQ(PieceValue[6][12], 78);
  EXPECT_EQ(PieceValue[7][12], 152);
  EXPECT_EQ(PstKing[24][0], -27);   // trunc(8 x -102 / 30), not -28
  EXPECT_EQ(PstKing[17][27], -51);  // half way between the full board's -102 and the bare kings' 0
  EXPECT_EQ(PstKnight[32][27], 324);
  EXPECT_EQ(PstRook[3][27], 518);
}

// The position of a FEN with check information and attack maps, as evaluate() would have them.
const Position& load(const std::string& fen) {
  static Board board;
  ::load(board, fen.c_str());
  prepare_node(*board.current);
  return *board.current;
}

// The placement with the piece on the first square of `shift` ("a3c3") moved to the second.
std::string shifted(std::string placement, const char* shift) {
  for (size_t i = 0; i < placement.size(); ++i)  // one character a square: an empty one is "1"
    if (placement[i] > '1' && placement[i] <= '8') placement.replace(i, 1, std::string(placement[i] - '0', '1'));
  auto at = [&](const char* s) -> char& { return placement[9 * ('8' - s[1]) + s[0] - 'a']; };
  std::swap(at(shift), at(shift + 2));
  return placement;
}

// A term of White, to move: its value in the placement less its value in the
// twin, the placement with one piece shifted so that only that term changes
// (without a twin, the whole value). Weights are EvalParams[k][column] and
// PieceValue[row][k], with k the pieces on the board.
using TermFunction = int (*)(const SideState& x, const SideState& y, int k);
struct TermCase {
  const char* term;
  TermFunction function;
  const char *placement, *shift;
  int expected;
};
int psq(const SideState& x, const SideState&, int k) { return psq_sum(x, k); }
constexpr TermFunction pawns = evaluate_pawns, pieces = evaluate_pieces, rooks = rook_files;

const TermCase TERMS[] = {
    // k = 4: pawn 89, doubled 13; a passed pawn on the 5th, 6th, 7th rank 47, 91, 177.
    {"pawn_material", pawns, "4k3/8/8/8/8/8/PP6/4K3", "", 2 * 89},
    {"doubled_pawn", pawns, "4k3/8/8/8/8/P7/P7/4K3", "a3c3", -13},  // a2, the rear one; both isolated either way
    // Doubled and attacked 9 (k = 5), isolated and attacked 23 (k = 6), isolated 5 (k = 16).
    {"doubled_pawn_attacked", pawns, "4k3/8/8/8/8/P7/P7/2n1K3", "c1b5", -9},      // the knight hits a2, or a3 only
    {"isolated_pawn_attacked", pawns, "4k3/8/8/8/1n6/8/P2PP3/4K3", "b4h5", -23},  // a2
    {"isolated_pawn", pawns, "4k3/pppp1ppp/8/8/8/8/P1PPPPPP/4K3", "a2b2", -5},    // a2; on b2 it joins c2
    // A passed pawn the bishop blocks, against one on the 4th rank (no bonus).
    {"passed_on_5th", pawns, "4k3/b7/8/P7/8/8/8/4K3", "a5a4", 47},
    {"passed_on_6th", pawns, "4k3/b7/P7/8/8/8/8/4K3", "a6a4", 91},
    {"passed_on_7th", pawns, "b3k3/P7/8/8/8/8/8/4K3", "a7a4", 177},
    // The b7 pawn (177; 173 at k = 5), and a piece that defends or attacks it, holds b8 or blocks it.
    {"passed_defended", pawns, "7k/1P6/3N4/8/8/8/8/4K3", "d6d5", pct(19, 177)},
    {"passed_attacked", pawns, "3n3k/1P6/8/8/8/8/P7/4K3", "d8h5", -pct(36, 173)},
    {"passed_queening_own", pawns, "7k/1P6/2N5/8/8/8/8/4K3", "c6e5", pct(27, 177)},
    {"passed_queening_enemy", pawns, "7k/1P1n4/8/8/8/8/8/4K3", "d7f5", -pct(43, 177)},
    {"passed_free_path", pawns, "7k/1P6/8/7N/8/8/8/4K3", "h5b8", pct(34, 177)},
    // A king in the span ahead of b6 (91) or b5 (47); the d7 knight holds b8 either way.
    {"passed_own_king", pawns, "2K4k/3N4/1P6/8/8/8/8/8", "c8e1", pct(18, 91)},
    {"passed_enemy_king", pawns, "8/2kn4/8/1P6/8/8/8/4K3", "c7h7", -pct(66, 47)},
    // k = 16, eight black pawns: an open file 8 x 3, as much again on the 7th
    // rank; k = 8, four black pawns: half open 57% of 4 x 4.
    {"rook_open_file", rooks, "6k1/pppp1ppp/8/8/4R3/4p3/PPP1P2P/6K1", "", 24},  // e3 is behind the rook
    {"rook_seventh_rank", rooks, "6k1/ppppRppp/4p3/8/8/8/PPP1P2P/6K1", "", 24 + 24},
    {"rook_half_open", rooks, "4k3/pppp4/8/8/8/8/7r/R3K3", "", pct(57, 16)},
    // KingCentre at k = 8: c6 5, b7 2; none at k = 9.
    {"king_centre", pieces, "8/6pp/2K5/8/8/8/PP4PP/k7", "c6b7", 5 - 2},
    {"king_centre_not_at_9", pieces, "8/5ppp/2K5/8/8/8/PP4PP/k7", "c6b7", 0},
    // k = 12: threat unit 9, shield pawn 10, full shield 18, zone square attacked 4, queen contact 51, mobility
    // 7, safe -2, pawn chain 6, hanging 5% (bishop 302), pinned 17% (knight 283), space 1. A pawn guards each
    // piece under threat, which would hang otherwise.
    {"threat_pawn_on_knight", pieces, "6k1/5ppp/1p6/2n5/3P4/8/P4PPP/6K1", "c5c6", 2 * 9},
    {"threat_pawn_on_rook", pieces, "6k1/6pp/1p3p2/2r5/3P4/8/P4PPP/6K1", "c5c6", 4 * 9},
    {"threat_knight_on_rook", pieces, "6k1/5ppp/8/1p6/r7/2N5/P4PPP/6K1", "a4d6", 2 * 9},
    {"threat_knight_on_queen", pieces, "6k1/1p3ppp/2q5/4N3/8/8/P4PPP/6K1", "c6b5", 6 * 9},
    {"threat_bishop_on_rook", pieces, "6k1/5ppp/1p6/r7/8/8/P2B1PPP/6K1", "a5d5", 2 * 9},
    {"king_shield_pawn", pieces, "6k1/ppp2ppp/8/8/8/8/PP3PP1/6K1", "g2e4", 10},
    {"king_full_shield", pieces, "6k1/ppp2ppp/8/8/8/8/3PPPP1/5K2", "f1e1", 18},         // e1 is no shelter square
    {"king_zone_attacked", pieces, "6k1/pp3ppp/8/8/8/3n4/P4PPP/6K1", "d3a5", -4},       // f2
    {"king_queen_contact", pieces, "6k1/p4ppp/8/8/5n2/7q/P4PPP/6K1", "f4g5", -51},      // g2, the knight's too
    {"mobility", pieces, "1N4k1/pp3ppp/8/8/8/8/P4PPP/6K1", "b8a8", (3 - 2) * 7},        // d7, c7 safe
    {"mobility_safe", pieces, "6k1/pp1N1ppp/8/8/8/8/P4PPP/6K1", "d7c7", (3 - 4) * -2},  // b8 c5 e5; a8 b5 d5 e8
    {"pawn_chain", pieces, "6k1/pp3ppp/8/8/8/2P5/1P3PPP/6K1", "b2b3", 6},               // b2 guards c3
    {"hanging", pieces, "6k1/p4ppp/8/1b6/8/2N5/P4PPP/6K1", "b5a6", pct(5, 302)},
    {"pinned", pieces, "6k1/p4ppp/8/8/1b6/8/P2N1PPP/4K3", "b4c1", -pct(17, 283)},
    {"space", pieces, "6k1/pp3ppp/8/8/8/N7/P4PPP/6K1", "a3a6", 1},  // c4, in the zone c3-f4
    // k = 16: two pieces guard each other, 2 x 4 on a diagonal, 2 x 5 on a line.
    {"diagonal_cohesion", pieces, "6k1/ppp2ppp/8/B7/8/8/PPP2PPP/4Q1K1", "a5a6", 2 * 4},
    {"orthogonal_cohesion", pieces, "6k1/ppp2ppp/8/8/8/8/PPP2PPP/4QRK1", "f1h1", 2 * 5},
    // Start position: shield 3 x 8, mobility 32 x (3 + 4), the queen guards the c1 bishop 9, bishop pair 31.
    {"bishop_pair", pieces, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", "", 24 + 224 + 9 + 31},
    // k = 6: king a1 -88 (26/30 of the way to -102); material and centrality, the knight's 4 x, the rook's files 2 x.
    {"piece_square", psq, "k7/8/8/8/3N4/2B5/7Q/K2R4", "", -88 + (277 + 4 * 6) + (302 + 2) + (499 + 2 * 3) + 931},
};

class EvalTerm : public testing::TestWithParam<TermCase> {};
void PrintTo(const TermCase& c, std::ostream* out) { *out << c.placement << (*c.shift ? " shifted " : "") << c.shift; }

TEST_P(EvalTerm, CountedByHand) {
  const TermCase& c = GetParam();
  auto value = [&](const std::string& placement) {
    const Position& p = load(placement + " w - - 0 1");
    return c.function(*p.us, *p.them, popcount(p.occupied));
  };
  EXPECT_EQ(value(c.placement) - (*c.shift ? value(shifted(c.placement, c.shift)) : 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(, EvalTerm, testing::ValuesIn(TERMS),
                         [](const testing::TestParamInfo<TermCase>& info) { return std::string(info.param.term); });

// Three and four pieces, from the side to move's point of view.
TEST(EndgameRules, FixedScores) {
  const std::pair<const char*, int> cases[] = {
      // Known win 10000 + 500 material + centre 6 (e4) - 0 (a8); the lone king
      // to move takes the rook next to it unless the rook is protected (c6: 5).
      {"k7/8/8/8/4K3/8/8/7R w - - 0 1", 10506},
      {"k7/8/8/8/4K3/8/8/7R b - - 0 1", -10506},
      {"k7/1R6/8/8/4K3/8/8/8 b - - 0 1", 0},
      {"k7/1R6/2K5/8/8/8/8/8 b - - 0 1", -10505},
      {"k7/8/8/8/4K3/8/8/6N1 w - - 0 1", 0},
      // Two knights cannot force mate.
      {"K7/8/8/8/4k3/8/8/5nn1 b - - 0 1", 0},
      // Black queen: 10900 + 5 (c3) - 0 (h8); queen against rook: 10000 + 900 - 500 + 6.
      {"7K/8/8/8/8/2k5/8/q7 b - - 0 1", 10905},
      {"k6r/8/8/8/4K3/8/8/1Q6 b - - 0 1", -10406},
      // Bishop and knight: 10000 + 600 + 6; rook against bishop: king placement only.
      {"k7/8/8/8/4K3/8/8/5BN1 b - - 0 1", -10606},
      {"8/8/2k5/8/3K4/8/8/R3b3 w - - 0 1", 1},
      // King and pawn: the a2 pawn alone at k = 3 is worth 89 - 1 (isolated) = 88.
      {"8/8/8/8/2k5/8/P7/7K b - - 0 1", -(88 + 100)},  // 7 moves against 4: caught
      {"7k/8/8/8/8/8/P7/7K w - - 0 1", 88 + 10100},    // 6 moves against 7: queens
      {"8/8/8/8/8/1k6/P7/7K b - - 0 1", 0},            // the pawn falls
      // King e7 on its pawn's path: 88 + 48 (e5) + 13 (e8 held) + 8 (own king
      // in the span) + 100, never the known win.
      {"8/4K3/8/4P3/8/8/8/k7 w - - 0 1", 157 + 100}};
  for (auto [fen, expected] : cases) EXPECT_EQ(evaluate(load(fen)), expected) << fen;
  // A pawn against a minor piece: the pawn and piece terms, +100 with the
  // pawn's side to move, -100 with the minor piece's.
  for (auto [fen, expected] :
       {std::pair{"8/8/2k5/8/8/8/4P3/4K1n1 w - - 0 1", 100}, {"8/4p3/2k5/8/8/8/8/4K1N1 w - - 0 1", -100}}) {
    const Position& p = load(fen);
    const SideState &us = *p.us, &them = *p.them;
    int terms = evaluate_pawns(us, them, 4) - evaluate_pawns(them, us, 4) + evaluate_pieces(us, them, 4) -
                evaluate_pieces(them, us, 4);
    EXPECT_EQ(evaluate(p) - terms, expected) << fen;
  }
}

}  // namespace
