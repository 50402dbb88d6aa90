// Static evaluation. Every weight is read from tables indexed by the number
// of pieces on the board (kings and pawns included), built once at start-up;
// there is no middlegame/endgame blend.
#pragma once

#include <cstdint>

#include "position/position.h"

namespace velta {

// Columns of EvalParams. Those ending in _pct are percentages of a value.
enum EvalParam : int {
  doubled_pawn,
  doubled_pawn_attacked,
  isolated_pawn,
  isolated_pawn_attacked,
  passed_defended_pct,
  passed_attacked_pct,
  passed_queening_own_pct,
  passed_queening_enemy_pct,
  passed_own_king_pct,
  passed_enemy_king_pct,
  passed_free_path_pct,
  rook_open_file,
  rook_half_open_pct,
  threat_unit,
  king_shield_pawn,
  king_full_shield,
  king_zone_attacked,
  king_queen_contact,
  mobility,
  mobility_safe,
  pawn_chain,
  hanging_pct,
  diagonal_cohesion,
  orthogonal_cohesion,
  bishop_pair,
  pinned_pct,
  space,
  EVAL_PARAM_COUNT
};

// Tables by piece count k (kings and pawns included, 0..32), built at start-up.
using ParamTable = int32_t[33][EVAL_PARAM_COUNT];
using ValueTable = int32_t[8][33];
using SquareTable32 = int32_t[33][64];
// EvalParams[k][column]: weights with k pieces on the board.
extern const ParamTable& EvalParams;
// PieceValue[row][k]: rows 0-4 pawn..queen material (row type - 1), rows
// 5-7 a passed pawn on the relative 5th, 6th and 7th rank (row relative rank).
constexpr int PASSED_ON_5TH = 5, PASSED_ON_6TH = 6, PASSED_ON_7TH = 7;
extern const ValueTable& PieceValue;
// Piece-square tables [k][square], material included for knight to queen.
extern const SquareTable32 &PstKnight, &PstBishop, &PstRook, &PstQueen, &PstKing;
extern const int8_t KingCentre[64];
// Material in the simple count of the endgame rules and the exchange test, by type.
constexpr int SIMPLE_VALUE[7] = {0, 100, 300, 300, 500, 900, 0};

// Fills the tables above; bit-exact double arithmetic, truncation toward zero.
void init_eval_tables();

// Score of the record for the side to move, in centipawns. Requires
// prepare_evaluation(p).
int evaluate(const Position& p);
// The terms of one side X against the other side Y, with k pieces on the board.
int evaluate_pawns(const SideState& x, const SideState& y, int k);
int evaluate_pieces(const SideState& x, const SideState& y, int k);
int rook_files(const SideState& x, const SideState& y, int k);
// Piece-square sum of one side, material included for knight to queen.
int psq_sum(const SideState& x, int k);
// Three-piece rule: S has king and one piece or pawn, W a bare king.
int evaluate_lone_king(const SideState& s, const SideState& w, int white_to_move);
int simple_material(const SideState& a, const SideState& b);
// A percentage of a value, truncated toward zero.
inline int pct(int percent, int value) { return percent * value / 100; }

}  // namespace velta
