// The weight tables by piece count: linear formulas in double precision,
// truncated toward zero, and the king table's interpolation.
#include <bit>
#include <cmath>

#include "eval_helpers.h"

namespace {

using namespace evaltest;

// Slope and base of each weight column, in column order.
constexpr int LINES[EVAL_PARAM_COUNT][2] = {
    {1, 12},  {12, -7}, {-6, 10}, {19, -1}, {3, 15},   {9, 24},  {20, -1}, {41, -14}, {-16, 41},
    {59, -16}, {23, 2}, {2, 2},   {19, 35}, {-1, 10},  {2, 8},   {12, 6},  {-21, 25}, {-37, 88},
    {4, 3},   {-6, 4},  {0, 6},   {1, 4},   {-6, 9},   {-13, 16}, {13, 31}, {9, 8},   {1, 0},
};

// The product is rounded on its own before the base is added; a fused
// multiply-add would skip that rounding and change some entries.
int weight(int slope, int k, double base) {
  volatile double product = double(slope * (32 - k)) * 0.05;
  return int(std::trunc(product + base));
}

TEST(EvalTables, WeightColumns) {
  // Values at k = 32, 16 and 3 as published with the formulas.
  const int at32[] = {12, -7, 10, -1, 15, 24, -1, -14, 41, -16, 2, 2, 35, 10,
                      8,  6,  25, 88, 3,  4,  6, 4,   9,  16,  31, 8, 0};
  const int at16[] = {12, 2, 5, 14, 17, 31, 15, 18, 28, 31, 20, 3, 50, 9,
                      9,  15, 8, 58, 6, 0,  6,  4,  4,  5,  41, 15, 0};
  const int at3[] = {13, 10, 1, 26, 19, 37, 28, 45, 17, 69, 35, 4, 62, 8,
                     10, 23, -5, 34, 8, -4, 6, 5, 0, -2, 49, 21, 1};
  for (int i = 0; i < EVAL_PARAM_COUNT; ++i) {
    EXPECT_EQ(EvalParams[32][i], at32[i]) << "column " << i;
    EXPECT_EQ(EvalParams[16][i], at16[i]) << "column " << i;
    EXPECT_EQ(EvalParams[3][i], at3[i]) << "column " << i;
    for (int k : {2, 12, 22}) EXPECT_EQ(EvalParams[k][i], weight(LINES[i][0], k, LINES[i][1])) << k << " " << i;
  }
  const struct { int k, column, value; } hand[] = {
      {12, isolated_pawn, 4},           // -6.0 + 10, where a fused multiply-add gives 3.999...
      {28, doubled_pawn_attacked, -4},  // trunc(2.4 - 7) toward zero, not -5
      {2, king_zone_attacked, -6},      {2, king_queen_contact, 32},
      {12, rook_half_open_pct, 54},     {22, orthogonal_cohesion, 9},
  };
  for (const auto& h : hand) EXPECT_EQ(EvalParams[h.k][h.column], h.value) << h.k << " " << h.column;
}

TEST(EvalTables, PieceValues) {
  const double step = std::bit_cast<double>(0x3FFF333333333334ULL);  // just above 1.95
  for (int k = 0; k <= 32; ++k) {
    EXPECT_EQ(PieceValue[0][k], int(double(10 * (32 - k)) * 0.05 + 75)) << k;
    EXPECT_EQ(PieceValue[1][k], int(300 - double(17 * (32 - k)) * 0.05)) << k;
    EXPECT_EQ(PieceValue[2][k], int(double(2 * (32 - k)) * 0.05 + 300)) << k;
    EXPECT_EQ(PieceValue[3][k], int(double(70 * (32 - k)) * 0.05 + 408)) << k;
    EXPECT_EQ(PieceValue[4][k], int(948 - double(13 * (32 - k)) * 0.05)) << k;
    EXPECT_EQ(PieceValue[5][k], int(double(19 * (32 - k)) * 0.05 + 21)) << k;
    EXPECT_EQ(PieceValue[6][k], int(PieceValue[5][k] * step)) << k;
    EXPECT_EQ(PieceValue[7][k], int(PieceValue[6][k] * step)) << k;
  }
  const struct { int row, k, value; } hand[] = {
      {0, 32, 75}, {1, 32, 300}, {2, 32, 300}, {3, 32, 408}, {4, 32, 948}, {0, 3, 89},
      {4, 3, 929}, {3, 3, 509},  {2, 3, 302},  {4, 16, 937}, {5, 32, 21},  {6, 32, 40},
      {7, 32, 78},  // 40 x 1.95 lands on 78 only with the double just above 1.95
      {5, 12, 40}, {6, 12, 78},  {7, 12, 152},
  };
  for (const auto& h : hand) EXPECT_EQ(PieceValue[h.row][h.k], h.value) << h.row << " " << h.k;
}

TEST(EvalTables, PieceSquareTables) {
  for (int s = 0; s < 64; ++s) EXPECT_EQ(PstKing[17][s], -51) << s;  // exactly half way
  for (const char* corner : {"a1", "h1", "a8", "h8"}) {
    EXPECT_EQ(PstKing[2][sq(corner)], -102) << corner;
    EXPECT_EQ(PstKing[32][sq(corner)], 0) << corner;
  }
  for (const char* centre : {"d4", "e4", "d5", "e5"}) {
    EXPECT_EQ(PstKing[2][sq(centre)], 0) << centre;
    EXPECT_EQ(PstKing[32][sq(centre)], -102) << centre;
  }
  EXPECT_EQ(PstKing[24][sq("a1")], -27);  // trunc(-816 / 30), not -28
  EXPECT_EQ(PstKing[31][sq("b2")], -35);  // -34 + trunc(-34 / 30)
  EXPECT_EQ(PstKnight[32][sq("d4")], 324);
  EXPECT_EQ(PstKnight[32][sq("a1")], 300);
  EXPECT_EQ(PstRook[3][sq("a1")], 509);
  EXPECT_EQ(PstRook[3][sq("d4")], 518);
  EXPECT_EQ(PstBishop[3][sq("d4")], 305);
  EXPECT_EQ(PstQueen[3][sq("h5")], 929);
}

}  // namespace
