// Evaluation tables by piece count. Each weight is linear in m = 32 - k (the
// pieces gone from the full board): trunc((slope * m) * 0.05 + base), in
// double precision with a separately rounded multiply and add, as the build's
// -ffp-contract=off guarantees.
#include <bit>
#include <iterator>

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

// The line of each EvalParams column: with m pieces gone from the full
// board, the weight is trunc(slope * m * 0.05 + base).
struct ParamLine {
  EvalParam column;
  int slope, base;
};
constexpr ParamLine PARAM_LINES[] = {
    {doubled_pawn, 1, 12},
    {doubled_pawn_attacked, 12, -7},
    {isolated_pawn, -6, 10},
    {isolated_pawn_attacked, 19, -1},
    {passed_defended_pct, 3, 15},
    {passed_attacked_pct, 9, 24},
    {passed_queening_own_pct, 20, -1},
    {passed_queening_enemy_pct, 41, -14},
    {passed_own_king_pct, -16, 41},
    {passed_enemy_king_pct, 59, -16},
    {passed_free_path_pct, 23, 2},
    {rook_open_file, 2, 2},
    {rook_half_open_pct, 19, 35},
    {threat_unit, -1, 10},
    {king_shield_pawn, 2, 8},
    {king_full_shield, 12, 6},
    {king_zone_attacked, -21, 25},
    {king_queen_contact, -37, 88},
    {mobility, 4, 3},
    {mobility_safe, -6, 4},
    {pawn_chain, 0, 6},
    {hanging_pct, 1, 4},
    {diagonal_cohesion, -6, 9},
    {orthogonal_cohesion, -13, 16},
    {bishop_pair, 13, 31},
    {pinned_pct, 9, 8},
    {space, 1, 0},
};
static_assert(std::size(PARAM_LINES) == EVAL_PARAM_COUNT);

// Material, on lines of the same kind: pawns, bishops and rooks gain worth
// as pieces leave the board, knights and queens lose it. A passed pawn on
// the relative 5th rank has a line of its own; on the 6th and 7th it is
// worth about 1.95 times the rank before.
struct ValueLine {
  int row, slope, base;
};
constexpr ValueLine VALUE_LINES[] = {
    {PAWN - 1, 10, 75},  {KNIGHT - 1, -17, 300}, {BISHOP - 1, 2, 300},
    {ROOK - 1, 70, 408}, {QUEEN - 1, -13, 948},  {PASSED_ON_5TH, 19, 21},
};

// The passed-pawn multiplier is the double one unit in the last place above
// the double nearest to 1.95; the nearer one would make several entries lower.
const double PASSED_STEP = std::bit_cast<double>(0x3FFF333333333334ULL);

// A falling line computed as base - slope * m * 0.05 gives the same doubles:
// negating a product and adding a negated term are both exact.
int linear(int slope, int m, double base) { return int(double(slope * m) * 0.05 + base); }

int rank_centrality(int s) { return rank_of(s) < 4 ? rank_of(s) : 7 - rank_of(s); }
int file_centrality(int s) { return file_of(s) < 4 ? file_of(s) : 7 - file_of(s); }

void init_piece_values(int k) {
  for (const ValueLine& line : VALUE_LINES) values[line.row][k] = linear(line.slope, 32 - k, line.base);
  values[PASSED_ON_6TH][k] = int(values[PASSED_ON_5TH][k] * PASSED_STEP);
  values[PASSED_ON_7TH][k] = int(values[PASSED_ON_6TH][k] * PASSED_STEP);
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
    for (const ParamLine& line : PARAM_LINES) params[k][line.column] = linear(line.slope, 32 - k, line.base);
    init_piece_values(k);
    for (int s = 0; s < 64; ++s) {
      knight[k][s] = values[KNIGHT - 1][k] + 4 * (rank_centrality(s) + file_centrality(s));
      bishop[k][s] = values[BISHOP - 1][k] + rank_centrality(s);
      rook[k][s] = values[ROOK - 1][k] + rank_centrality(s) + 2 * file_centrality(s);
      queen[k][s] = values[QUEEN - 1][k];
    }
  }
  init_king_table();
}

}  // namespace velta
