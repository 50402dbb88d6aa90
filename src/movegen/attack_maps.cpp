// Attack maps by piece type, for both colours at once.
#include "movegen/movegen.h"

namespace velta {

namespace {

// The map of one piece type, each piece's own set kept in `each` (the
// generator reads them back in the same order).
template <int TYPE>
Bitboard piece_map(Bitboard pieces, Bitboard occupied, Bitboard*& each) {
  Bitboard a = 0;
  while (pieces) {
    int s = pop_lsb(pieces);
    Bitboard own = 0;
    if constexpr (TYPE == KNIGHT) own = knight_attacks[s];
    if constexpr (TYPE == BISHOP || TYPE == QUEEN) own |= bishop_attack(s, occupied);
    if constexpr (TYPE == ROOK || TYPE == QUEEN) own |= rook_attack(s, occupied);
    *each++ = own;
    a |= own;
  }
  return a;
}

void side_attacks(SideState& side, Bitboard occupied) {
  Bitboard* maps = side.attack_info->attacks;
  Bitboard* each = side.attack_info->piece_attacks;
  const Bitboard* pieces = side.pieces;
  Bitboard pawns = pieces[PAWN];
  maps[PAWN] = pawn_attack_map(pawns, side.colour->is_white);
  maps[KNIGHT] = piece_map<KNIGHT>(pieces[KNIGHT], occupied, each);
  maps[BISHOP] = piece_map<BISHOP>(pieces[BISHOP], occupied, each);
  maps[ROOK] = piece_map<ROOK>(pieces[ROOK], occupied, each);
  maps[QUEEN] = piece_map<QUEEN>(pieces[QUEEN], occupied, each);
  maps[KING] = king_attacks[side.king_square];
  maps[0] = maps[PAWN] | maps[KNIGHT] | maps[BISHOP] | maps[ROOK] | maps[QUEEN] | maps[KING];
}

}  // namespace

void compute_attack_maps(Position& p) {
  side_attacks(p.sides[BLACK], p.occupied);
  side_attacks(p.sides[WHITE], p.occupied);
}

}  // namespace velta
