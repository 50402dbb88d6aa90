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

// EvalParams[k][column]: weights with k pieces on the board.
extern int32_t EvalParams[33][EVAL_PARAM_COUNT];
// PieceValue[row][k]: rows 0-4 pawn..queen material, 5-7 passed pawn on the
// relative 5th, 6th and 7th rank.
extern int32_t PieceValue[8][33];
// Piece-square tables [k][square], material included for knight to queen.
extern int32_t PstKnight[33][64], PstBishop[33][64], PstRook[33][64], PstQueen[33][64], PstKing[33][64];
extern const int8_t KingCentre[64];
// Number of pieces of the position being evaluated.
extern int PieceCount;

// Fills the tables above; bit-exact double arithmetic, truncation toward zero.
void init_eval_tables();

// Attack maps by piece type and piece-square sums of both colours of the
// current position.
void compute_attacks();

// Score of the current position for the side to move, in centipawns.
// Requires compute_check_info and compute_attacks for the current record.
int evaluate();
// The terms of one side X against the other side Y (both of the current position).
int evaluate_pawns(const SideState& x, const SideState& y);
int evaluate_pieces(const SideState& x, const SideState& y);
int rook_files(const SideState& x, const SideState& y);
// Three-piece rule: S has king and one piece or pawn, W a bare king.
int evaluate_lone_king(const SideState& s, const SideState& w, int white_to_move);
int simple_material(const SideState& a, const SideState& b);

}  // namespace velta
