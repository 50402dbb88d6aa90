// Piece activity, threats and king safety: everything about a side that is
// not material, placement or pawn structure, counted in the attack maps.
#include "evaluation/evaluation.h"
#include "movegen/movegen.h"

namespace velta {

namespace {

constexpr Bitboard SHELTER_SQUARES = 0x6E0000000000006EULL;  // b, c, d, f, g on ranks 1 and 8

// Sum of material values (by the current piece count) of the pieces in `set`.
int material_in(const SideState& side, Bitboard set, int k) {
  if (!(set & side.pieces[0])) return 0;
  int sum = 0;
  for (int t = PAWN; t <= QUEEN; ++t) sum += PieceValue[t - 1][k] * popcount(set & side.pieces[t]);
  return sum;
}

int threats(const Bitboard* a, const SideState& y, int unit) {
  return 2 * unit * popcount(a[PAWN] & y.pieces[KNIGHT]) + 4 * unit * popcount(a[PAWN] & y.pieces[ROOK]) +
         2 * unit * popcount(a[KNIGHT] & y.pieces[ROOK]) + 6 * unit * popcount(a[KNIGHT] & y.pieces[QUEEN]) +
         2 * unit * popcount(a[BISHOP] & y.pieces[ROOK]);
}

int king_safety(const SideState& x, const Bitboard* t, const int32_t* params) {
  Bitboard zone = king_attacks[x.king_square];
  int shield = popcount(x.pieces[PAWN] & zone);
  int s = shield * params[king_shield_pawn];
  if (shield == 3 && (SHELTER_SQUARES & bit(x.king_square))) s += params[king_full_shield];
  s -= popcount(t[0] & zone) * params[king_zone_attacked];
  Bitboard supported = t[PAWN] | t[KNIGHT] | t[BISHOP] | t[ROOK] | t[KING];
  s -= popcount(t[QUEEN] & zone & supported) * params[king_queen_contact];
  return s;
}

}  // namespace

int evaluate_pieces(const SideState& x, const SideState& y, int k) {
  const int32_t* params = EvalParams[k];
  const Bitboard* a = x.attack_info->attacks;
  const Bitboard* t = y.attack_info->attacks;
  int s = k <= 8 ? KingCentre[x.king_square] : 0;
  s += threats(a, y, params[threat_unit]);
  s += king_safety(x, t, params);
  int reach = 0, safe_reach = 0;
  for (int i = PAWN; i <= KING; ++i) reach += popcount(a[i]), safe_reach += popcount(a[i] & ~t[0]);
  s += reach * params[mobility] + safe_reach * params[mobility_safe];
  s += popcount(a[PAWN] & x.pieces[PAWN]) * params[pawn_chain];
  s += pct(params[hanging_pct], material_in(y, a[0] & ~t[0], k));
  Bitboard diagonal_pieces = x.pieces[BISHOP] | x.pieces[QUEEN];
  Bitboard straight_pieces = x.pieces[ROOK] | x.pieces[QUEEN];
  s += popcount((a[BISHOP] | a[QUEEN]) & diagonal_pieces) * params[diagonal_cohesion];
  s += popcount((a[ROOK] | a[QUEEN]) & straight_pieces) * params[orthogonal_cohesion];
  if (popcount(x.pieces[BISHOP]) >= 2) s += params[bishop_pair];
  s -= pct(params[pinned_pct], material_in(x, x.attack_info->pinned, k));
  Bitboard zone = y.colour->centre_zone;
  s += (popcount(x.pieces[0] & zone) + popcount(a[0] & zone)) * params[space];
  return s;
}

}  // namespace velta
