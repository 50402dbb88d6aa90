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

// The lone pieces between the king and each enemy slider aiming at it: pinned
// when they are the king's own, discovery candidates when they are the enemy's.
Bitboard line_blockers(int k, const SideState& enemy, Bitboard occupied) {
  Bitboard blockers = 0;
  Bitboard sliders = ((enemy.pieces[ROOK] | enemy.pieces[QUEEN]) & rook_rays[k]) |
                     ((enemy.pieces[BISHOP] | enemy.pieces[QUEEN]) & bishop_rays[k]);
  while (sliders) {
    Bitboard line = between_squares[k][pop_lsb(sliders)], on_line = line & occupied;
    if (on_line && !(on_line & (on_line - 1))) blockers |= on_line;
  }
  return blockers;
}

Bitboard checkers_of(const AttackInfo& info, const SideState& enemy) {
  return (info.check_squares[PAWN] & enemy.pieces[PAWN]) | (info.check_squares[KNIGHT] & enemy.pieces[KNIGHT]) |
         (info.check_squares[BISHOP] & enemy.pieces[BISHOP]) | (info.check_squares[ROOK] & enemy.pieces[ROOK]) |
         (info.check_squares[QUEEN] & enemy.pieces[QUEEN]);
}

// Checkers and the squares that answer a single check: the checker and the
// squares between it and the king (none for a knight or pawn).
void find_checkers(AttackInfo& info, const SideState& enemy, int k) {
  info.checkers = checkers_of(info, enemy);
  bool single_check = info.checkers && !(info.checkers & (info.checkers - 1));
  info.evasion_mask = single_check ? between_squares[k][lsb(info.checkers)] | info.checkers : ~Bitboard(0);
}

}  // namespace

void compute_pins(Position& p) {
  const SideState &black = p.sides[BLACK], &white = p.sides[WHITE];
  Bitboard at_black = line_blockers(black.king_square, white, p.occupied);
  Bitboard at_white = line_blockers(white.king_square, black, p.occupied);
  p.attack_info[BLACK].pinned = at_black & black.pieces[0];
  p.attack_info[BLACK].discoverers = at_white & black.pieces[0];
  p.attack_info[WHITE].pinned = at_white & white.pieces[0];
  p.attack_info[WHITE].discoverers = at_black & white.pieces[0];
}

// The side not to move is never in check, and the side to move only when
// the opponent's attack map covers its king; only the enemy king's check
// squares are always needed (the generator flags checks with them).
void compute_checks(Position& p) {
  const SideState &us = *p.us, &them = *p.them;
  AttackInfo &ours = *us.attack_info, &theirs = *them.attack_info;
  fill_check_squares(theirs, them.king_square, them.colour->is_white, p.occupied);
  theirs.checkers = ours.checkers = 0;
  theirs.evasion_mask = ours.evasion_mask = ~Bitboard(0);
  if (theirs.attacks[0] & bit(us.king_square)) {
    fill_check_squares(ours, us.king_square, us.colour->is_white, p.occupied);
    find_checkers(ours, them, us.king_square);
  }
}

void prepare_count(Position& p) {
  const SideState &us = *p.us, &them = *p.them;
  AttackInfo& info = *us.attack_info;
  fill_check_squares(info, us.king_square, us.colour->is_white, p.occupied);
  find_checkers(info, them, us.king_square);
  info.pinned = line_blockers(us.king_square, them, p.occupied) & us.pieces[0];
}

bool king_attacked(const Position& p, const SideState& side) {
  const SideState& enemy = p.sides[!side.colour->is_white];
  int k = side.king_square;
  Bitboard occupied = p.sides[0].pieces[0] | p.sides[1].pieces[0];
  return (king_attacks[k] & enemy.pieces[KING]) ||
         attacked_by(k, side.colour->is_white, enemy, enemy.pieces[PAWN], occupied);
}

}  // namespace velta
