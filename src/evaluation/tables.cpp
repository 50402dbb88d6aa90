// Evaluation tables by piece count. Each weight is linear in m = 32 - k (the
// pieces gone from the full board): trunc((slope * m) * 0.05 + base), in
// double precision with a separately rounded multiply and add, as the build's
// -ffp-contract=off guarantees.
#include <bit>

#include "evaluation/evaluation.h"

namespace velta {

namespace {
// Written by init_eval_tables only; the rest of the engine reads them through
// the const references below.
ParamTable params;
ValueTable values;
SquareTable32 knight, bishop, rook, queen, king;
}  // namespace

const ParamTable& EvalParams = params;
const ValueTable& PieceValue = values;
const SquareTable32 &PstKnight = knight, &PstBishop = bishop, &PstRook = rook, &PstQueen = queen, &PstKing = king;

// King centralisation bonus, rank 1 first.
const int8_t KingCentre[64] = {
    0, 0, 0, 0, 0, 0, 0, 0,  //
    0, 2, 2, 2, 2, 2, 2, 0,  //
    0, 2, 5, 5, 5, 5, 2, 0,  //
    0, 2, 5, 6, 6, 5, 2, 0,  //
    0, 2, 5, 6, 6, 5, 2, 0,  //
    0, 2, 5, 5, 5, 5, 2, 0,  //
    0, 2, 2, 2, 2, 2, 2, 0,  //
    0, 0, 0, 0, 0, 0, 0, 0,  //
};

namespace {

// Slope and base of each EvalParams column, in column order.
constexpr int PARAM_LINES[EVAL_PARAM_COUNT][2] = {
    {1, 12},   {12, -7}, {-6, 10}, {19, -1}, {3, 15},  {9, 24},   {20, -1}, {41, -14}, {-16, 41},
    {59, -16}, {23, 2},  {2, 2},   {19, 35}, {-1, 10}, {2, 8},    {12, 6},  {-21, 25}, {-37, 88},
    {4, 3},    {-6, 4},  {0, 6},   {1, 4},   {-6, 9},  {-13, 16}, {13, 31}, {9, 8},    {1, 0},
};

// The passed-pawn multiplier is the double one unit in the last place above
// the double nearest to 1.95; the nearer one would make several entries lower.
const double PASSED_STEP = std::bit_cast<double>(0x3FFF333333333334ULL);

int linear(int slope, int m, double base) { return int(double(slope * m) * 0.05 + base); }
int linear_down(double base, int slope, int m) { return int(base - double(slope * m) * 0.05); }

int rank_centrality(int s) { return rank_of(s) < 4 ? rank_of(s) : 7 - rank_of(s); }
int file_centrality(int s) { return file_of(s) < 4 ? file_of(s) : 7 - file_of(s); }

void init_piece_values(int k) {
  int m = 32 - k;
  values[0][k] = linear(10, m, 75);
  values[1][k] = linear_down(300, 17, m);
  values[2][k] = linear(2, m, 300);
  values[3][k] = linear(70, m, 408);
  values[4][k] = linear_down(948, 13, m);
  values[5][k] = linear(19, m, 21);
  values[6][k] = int(values[5][k] * PASSED_STEP);
  values[7][k] = int(values[6][k] * PASSED_STEP);
}

// The king table runs from the full-board row (corners best) at k = 32 to the
// two-piece row (centre best) at k = 2, interpolated with truncation.
void init_king_table() {
  for (int s = 0; s < 64; ++s) {
    int centrality = rank_centrality(s) + file_centrality(s);
    int full = -17 * centrality, bare = 17 * centrality - 102;
    king[0][s] = king[1][s] = king[32][s] = full;
    for (int k = 2; k <= 31; ++k) king[k][s] = full + (32 - k) * (bare - full) / 30;
  }
}

}  // namespace

void init_eval_tables() {
  for (int k = 0; k <= 32; ++k) {
    for (int i = 0; i < EVAL_PARAM_COUNT; ++i) params[k][i] = linear(PARAM_LINES[i][0], 32 - k, PARAM_LINES[i][1]);
    init_piece_values(k);
    for (int s = 0; s < 64; ++s) {
      knight[k][s] = values[1][k] + 4 * (rank_centrality(s) + file_centrality(s));
      bishop[k][s] = values[2][k] + rank_centrality(s);
      rook[k][s] = values[3][k] + rank_centrality(s) + 2 * file_centrality(s);
      queen[k][s] = values[4][k];
    }
  }
  init_king_table();
}

}  // namespace velta
