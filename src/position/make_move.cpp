// Copy-make: a move is made by copying the board part of the current record
// into the next one and updating the copy. Taking it back is a step down the
// stack, so nothing is ever undone in place.
#include <cstddef>
#include <cstring>

#include "position/position.h"

namespace velta {

namespace {

constexpr size_t BOARD_PART = offsetof(Position, us);  // sides, key, castling

// Fills next's board part from current and re-points its per-colour links.
void copy_forward(const Position& current, Position& next) {
  memcpy(static_cast<void*>(&next), &current, BOARD_PART);
  next.sides[0].attack_info = &next.attack_info[0];
  next.sides[1].attack_info = &next.attack_info[1];
  next.us = &next.sides[current.them - current.sides];
  next.them = &next.sides[current.us - current.sides];
}

inline void toggle(SideState& side, int type, Bitboard squares) {
  side.pieces[0] ^= squares;
  side.pieces[type] ^= squares;
}

// The square of the pawn an en passant capture takes.
inline int capture_square_of(const Position& c, Move m) {
  int to = move_to(m);
  if (move_piece(m) != PAWN || bit(to) != c.ep_square) return to;
  return c.us->colour->is_white ? to - 8 : to + 8;
}

}  // namespace

uint64_t key_after(const Position& c, Move m) {
  const int* kb = c.us->colour->key_base;
  int from = move_from(m), to = move_to(m), piece = move_piece(m);
  int captured = move_captured(m), promotion = move_promotion(m);
  uint64_t key = c.key ^ ZobristKeys[kb[piece] + from] ^ ZobristKeys[kb[piece] + to] ^ ZobristKeys[KEY_WHITE_TO_MOVE];
  if (c.ep_square) key ^= en_passant_key(c.ep_square);
  if (piece == PAWN && (from ^ to) == 16) key ^= en_passant_key(bit((from + to) / 2));
  // Castling also moves the rook; a king or rook that stays put cancels out.
  if (is_castling(m))
    key ^= ZobristKeys[kb[ROOK] + castling_rook(c.castling, m)] ^ ZobristKeys[kb[ROOK] + castling_rook_destination(m)];
  if (captured) key ^= ZobristKeys[c.them->colour->key_base[captured] + capture_square_of(c, m)];
  if (promotion) key ^= ZobristKeys[kb[PAWN] + to] ^ ZobristKeys[kb[promotion] + to];
  // Any move from or to a castling square ends the rights through it for good.
  Bitboard touched = bit(from) | bit(to);
  if (c.castling & touched) key ^= castling_key(c, c.castling) ^ castling_key(c, c.castling & ~touched);
  return key;
}

void make_move(Board& b, Move m) { make_move(b, m, key_after(*b.current, m)); }

void make_move(Board& b, Move m, uint64_t key) {
  Position& c = *b.current;
  Position& n = (&c)[1];
  c.move_played = m;
  copy_forward(c, n);
  SideState& mover = *n.them;
  SideState& opponent = *n.us;
  int from = move_from(m), to = move_to(m), piece = move_piece(m);
  int captured = move_captured(m), promotion = move_promotion(m);

  n.key = key;
  n.ep_square = 0;
  n.halfmove_clock = c.halfmove_clock + 1;
  if (piece == PAWN) {
    n.halfmove_clock = 0;
    if ((from ^ to) == 16) n.ep_square = bit((from + to) / 2);
    toggle(mover, PAWN, bit(from) | bit(to));
  } else {
    // Exclusive or: a castling king or rook may stay on its square, and the
    // rook may start on the king's destination or the king on the rook's.
    toggle(mover, piece, bit(from) ^ bit(to));
    if (piece == KING) {
      mover.king_square = to;
      if (is_castling(m)) toggle(mover, ROOK, bit(castling_rook(c.castling, m)) ^ bit(castling_rook_destination(m)));
    }
  }
  if (captured) {
    n.halfmove_clock = 0;
    toggle(opponent, captured, bit(capture_square_of(c, m)));
  }
  if (promotion) {
    mover.pieces[PAWN] ^= bit(to);
    mover.pieces[promotion] ^= bit(to);
  }
  n.castling &= ~(bit(from) | bit(to));
  b.current = &n;
  n.occupied = n.sides[0].pieces[0] | n.sides[1].pieces[0];
  ++b.ply_count;
  if (piece == PAWN || captured == PAWN) compute_pawn_masks(n);
}

void make_null_move(Board& b) {
  Position& c = *b.current;
  Position& n = (&c)[1];
  c.move_played = 0;
  copy_forward(c, n);
  n.key = key_after_null(c);
  n.ep_square = 0;
  n.occupied = c.occupied;
  n.halfmove_clock = c.halfmove_clock + 1;
  b.current = &n;
  ++b.ply_count;
}

// Positions before the last capture or pawn move can never occur again, so a
// long game may drop them from the stack without changing any draw decision.
bool compact_history(Board& b) {
  int r = b.ply_count;
  while (r > 0 && b.stack[r].halfmove_clock > b.stack[r - 1].halfmove_clock) --r;
  if (r == 0) return false;
  for (int i = 0; i + r <= b.ply_count; ++i) copy_record(b.stack[i], b.stack[i + r]);
  b.ply_count -= r;
  b.dropped_plies += r;
  b.current = &b.stack[b.ply_count];
  return true;
}

}  // namespace velta
