// The weight tables by piece count, each term of the score on positions
// counted by hand, and the fixed rules for three and four pieces.
#include <string>
#include <tuple>

#include "common/helpers.h"

namespace {

// The tables' arithmetic, where a slip in rounding shows: -6.0 + 10 at k = 12,
// where a fused multiply-add gives 3.999...; trunc(2.4 - 7) toward zero, not
// -5; a weight that changes sign as pieces leave; passed pawns 40 x 1.95 = 78
// and 78 x 1.95 = 152 only with the double one unit above 1.95 (the nearest
// gives 77 and 150); trunc(8 x -102 / 30), not -28; half way between the full
// board's -102 and the bare kings' 0.
TEST(EvalTables, BitExactEntries) {
  EXPECT_EQ(std::tuple(EvalParams[12][isolated_pawn], EvalParams[28][doubled_pawn_attacked],
                       EvalParams[3][king_zone_attacked], PieceValue[5][12], PieceValue[6][12], PieceValue[7][12]),
            std::tuple(4, -4, -5, 40, 78, 152));
  EXPECT_EQ(std::tuple(PstKing[24][0], PstKing[17][27], PstKnight[32][27], PstRook[3][27]),
            std::tuple(-27, -51, 324, 518));
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

// A term of White, to move, as the rows of tests/evaluation/terms.txt count it.
struct TermCase {
  std::string term, function, placement, shift;
  int expected;
};
std::vector<TermCase> term_cases() {
  std::vector<TermCase> cases;
  for (const auto& r : rows_of("evaluation/terms.txt")) cases.push_back({r[0], r[1], r[2], r[3], std::stoi(r[4])});
  return cases;
}

class EvalTerm : public testing::TestWithParam<TermCase> {};
void PrintTo(const TermCase& c, std::ostream* out) { *out << c.placement << " shifted " << c.shift; }

TEST_P(EvalTerm, CountedByHand) {
  const TermCase& c = GetParam();
  auto value = [&](const std::string& placement) {
    const Position& p = load(placement + " w - - 0 1");
    const SideState &x = *p.us, &y = *p.them;
    const int k = popcount(p.occupied);
    return c.function == "pawns"    ? evaluate_pawns(x, y, k)
           : c.function == "pieces" ? evaluate_pieces(x, y, k)
           : c.function == "rooks"  ? rook_files(x, y, k)
                                    : psq_sum(x, k);
  };
  EXPECT_EQ(value(c.placement) - (c.shift != "-" ? value(shifted(c.placement, c.shift.c_str())) : 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(, EvalTerm, testing::ValuesIn(term_cases()),
                         [](const testing::TestParamInfo<TermCase>& info) { return info.param.term; });

// Three and four pieces (tests/evaluation/endgames.txt), from the side to move's point of view.
TEST(EndgameRules, FixedScores) {
  for (const auto& r : rows_of("evaluation/endgames.txt")) EXPECT_EQ(evaluate(load(r[0])), std::stoi(r[1])) << r[0];
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
