// Pawn structure: material, doubled and isolated pawns (heavier when the
// opponent attacks them) and advanced passed pawns, whose value is adjusted in
// percent by who controls them and their queening square, where the kings
// stand and whether the path is free.
#include "evaluation/evaluation.h"

namespace velta {

int evaluate_pawns(const SideState& x, const SideState& y, int k) {
  const int32_t* params = EvalParams[k];
  Bitboard own_map = x.attack_info->attacks[0], enemy_map = y.attack_info->attacks[0];
  int s = popcount(x.pieces[PAWN]) * PieceValue[PAWN - 1][k];
  s -= popcount(x.doubled_pawns) * params[doubled_pawn];
  s -= popcount(x.doubled_pawns & enemy_map) * params[doubled_pawn_attacked];
  s -= popcount(x.isolated_pawns) * params[isolated_pawn];
  s -= popcount(x.isolated_pawns & enemy_map) * params[isolated_pawn_attacked];
  int white = x.colour->is_white;
  Bitboard occupied = x.pieces[0] | y.pieces[0];
  for (Bitboard b = x.passed_pawns & x.colour->far_half; b;) {
    int square = pop_lsb(b);
    int v = PieceValue[white ? rank_of(square) + 1 : 8 - rank_of(square)][k];
    Bitboard path = front_span[white][square], span = passed_span[white][square];
    Bitboard queening = white ? bit(file_of(square) + 56) : bit(file_of(square));
    s += v;
    if (own_map & bit(square)) s += pct(params[passed_defended_pct], v);
    if (enemy_map & bit(square)) s -= pct(params[passed_attacked_pct], v);
    if (own_map & queening) s += pct(params[passed_queening_own_pct], v);
    if (enemy_map & queening) s -= pct(params[passed_queening_enemy_pct], v);
    if (span & x.pieces[KING]) s += pct(params[passed_own_king_pct], v);
    if (span & y.pieces[KING]) s -= pct(params[passed_enemy_king_pct], v);
    if (!(path & occupied)) s += pct(params[passed_free_path_pct], v);
  }
  return s;
}

}  // namespace velta
