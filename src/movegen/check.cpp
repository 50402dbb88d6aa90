// Check information: what each king faces, computed from the board alone, so
// that the generator can produce legal moves without trying them.
#include "movegen/movegen.h"

namespace velta {

namespace {

// Squares from which each enemy piece type would attack the king on k.
void fill_check_squares(AttackInfo& info, int k, int is_white, Bitboard occupied) {
  info.check_squares[PAWN] = is_white ? white_pawn_attacks[k] : black_pawn_attacks[k];
  info.check_squares[KNIGHT] = knight_attacks[k];
  info.check_squares[BISHOP] = bishop_attack(k, occupied);
  info.check_squares[ROOK] = rook_attack(k, occupied);
  info.check_squares[QUEEN] = info.check_squares[BISHOP] | info.check_squares[ROOK];
}

// The squares between the king and each enemy slider aiming at it: the lone
// piece between them (a pin or a discovery), or the empty squares of a check.
Bitboard line_blockers(const AttackInfo& info, int k, const SideState& enemy, Bitboard occupied) {
  Bitboard blockers = 0;
  for (Bitboard b = (enemy.pieces[ROOK] | enemy.pieces[QUEEN]) & rook_rays[k]; b;)
    blockers |= rook_attack(pop_lsb(b), occupied) & info.check_squares[ROOK];
  for (Bitboard b = (enemy.pieces[BISHOP] | enemy.pieces[QUEEN]) & bishop_rays[k]; b;)
    blockers |= bishop_attack(pop_lsb(b), occupied) & info.check_squares[BISHOP];
  return blockers;
}

Bitboard checkers_of(const AttackInfo& info, const SideState& enemy) {
  return (info.check_squares[PAWN] & enemy.pieces[PAWN]) | (info.check_squares[KNIGHT] & enemy.pieces[KNIGHT]) |
         (info.check_squares[BISHOP] & enemy.pieces[BISHOP]) | (info.check_squares[ROOK] & enemy.pieces[ROOK]) |
         (info.check_squares[QUEEN] & enemy.pieces[QUEEN]);
}

}  // namespace

void compute_check_info(Position& p) {
  Bitboard occupied = p.occupied;
  Bitboard blockers[2];
  for (int x = 0; x < 2; ++x) {
    int k = p.sides[x].king_square;
    fill_check_squares(p.attack_info[x], k, x, occupied);
    blockers[x] = line_blockers(p.attack_info[x], k, p.sides[!x], occupied);
  }
  for (int x = 0; x < 2; ++x) {
    AttackInfo& info = p.attack_info[x];
    info.checkers = checkers_of(info, p.sides[!x]);
    info.pinned = blockers[x] & p.sides[x].pieces[0];
    info.discoverers = blockers[!x] & p.sides[x].pieces[0];
    bool single_check = info.checkers && !(info.checkers & (info.checkers - 1));
    info.evasion_mask = single_check ? (blockers[x] & ~occupied) | info.checkers : ~Bitboard(0);
  }
}

bool attacked_by(int s, int defender_is_white, const SideState& attacker, Bitboard attacker_pawns, Bitboard occupied) {
  Bitboard pawn_squares = defender_is_white ? white_pawn_attacks[s] : black_pawn_attacks[s];
  return (pawn_squares & attacker_pawns) || (knight_attacks[s] & attacker.pieces[KNIGHT]) ||
         (bishop_attack(s, occupied) & (attacker.pieces[BISHOP] | attacker.pieces[QUEEN])) ||
         (rook_attack(s, occupied) & (attacker.pieces[ROOK] | attacker.pieces[QUEEN]));
}

bool king_attacked(const Position& p, const SideState& side) {
  const SideState& enemy = p.sides[!side.colour->is_white];
  int k = side.king_square;
  Bitboard occupied = p.sides[0].pieces[0] | p.sides[1].pieces[0];
  return (king_attacks[k] & enemy.pieces[KING]) ||
         attacked_by(k, side.colour->is_white, enemy, enemy.pieces[PAWN], occupied);
}

}  // namespace velta
