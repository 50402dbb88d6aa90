// Attack maps by piece type and piece-square sums, for both colours at once.
// Maps are computed against all occupied squares, so a square of a side's map
// holding one of its own pieces means that piece is defended.
#include "evaluation/evaluation.h"
#include "movegen/movegen.h"

namespace velta {

namespace {

constexpr Bitboard NOT_FILE_A = 0xfefefefefefefefeULL;
constexpr Bitboard NOT_FILE_H = 0x7f7f7f7f7f7f7f7fULL;

void side_attacks(SideState& side, Bitboard occupied, int k) {
  AttackInfo& info = *side.attack_info;
  const Bitboard* pieces = side.pieces;
  int sum = 0;
  Bitboard pawns = pieces[PAWN];
  info.attacks[PAWN] = side.colour->is_white ? ((pawns & NOT_FILE_A) << 7) | ((pawns & NOT_FILE_H) << 9)
                                             : ((pawns & NOT_FILE_A) >> 9) | ((pawns & NOT_FILE_H) >> 7);
  Bitboard a = 0;
  for (Bitboard b = pieces[KNIGHT]; b;) {
    int s = pop_lsb(b);
    a |= knight_attacks[s];
    sum += PstKnight[k][s];
  }
  info.attacks[KNIGHT] = a, a = 0;
  for (Bitboard b = pieces[BISHOP]; b;) {
    int s = pop_lsb(b);
    a |= bishop_attack(s, occupied);
    sum += PstBishop[k][s];
  }
  info.attacks[BISHOP] = a, a = 0;
  for (Bitboard b = pieces[ROOK]; b;) {
    int s = pop_lsb(b);
    a |= rook_attack(s, occupied);
    sum += PstRook[k][s];
  }
  info.attacks[ROOK] = a, a = 0;
  for (Bitboard b = pieces[QUEEN]; b;) {
    int s = pop_lsb(b);
    a |= rook_attack(s, occupied) | bishop_attack(s, occupied);
    sum += PstQueen[k][s];
  }
  info.attacks[QUEEN] = a;
  info.attacks[KING] = king_attacks[side.king_square];
  sum += PstKing[k][side.king_square];
  info.attacks[0] = info.attacks[PAWN] | info.attacks[KNIGHT] | info.attacks[BISHOP] | info.attacks[ROOK] |
                    info.attacks[QUEEN] | info.attacks[KING];
  side.psq_sum = sum;
}

}  // namespace

void compute_attacks() {
  Position& p = *current_position;
  int k = popcount(p.occupied);
  side_attacks(p.sides[BLACK], p.occupied, k);
  side_attacks(p.sides[WHITE], p.occupied, k);
}

}  // namespace velta
