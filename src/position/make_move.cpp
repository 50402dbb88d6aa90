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

}  // namespace

void make_move(Board& b, Move m) {
  Position& c = *b.current;
  Position& n = (&c)[1];
  c.move_played = m;
  copy_forward(c, n);
  SideState& mover = *n.them;
  SideState& opponent = *n.us;
  const int* kb = mover.colour->key_base;
  int from = move_from(m), to = move_to(m), piece = move_piece(m);
  int captured = move_captured(m), promotion = move_promotion(m);

  n.ep_square = 0;
  uint64_t key = n.key ^ ZobristKeys[kb[piece] + from] ^ ZobristKeys[kb[piece] + to] ^ ZobristKeys[KEY_WHITE_TO_MOVE];
  if (c.ep_square) key ^= en_passant_key(c.ep_square);
  n.halfmove_clock = c.halfmove_clock + 1;
  int capture_square = to;

  if (piece == PAWN) {
    n.halfmove_clock = 0;
    if ((from ^ to) == 16) {
      int passed = (from + to) / 2;
      n.ep_square = bit(passed);
      key ^= en_passant_key(n.ep_square);
    }
    if (bit(to) == c.ep_square) capture_square = mover.colour->is_white ? to - 8 : to + 8;
    toggle(mover, PAWN, bit(from) | bit(to));
  } else {
    toggle(mover, piece, bit(from) | bit(to));
    if (piece == KING) {
      mover.king_square = to;
      // Castling is the king's two-square move; the rook is trusted to be on its corner.
      if (to == from + 2) {
        toggle(mover, ROOK, bit(from + 3) | bit(from + 1));
        key ^= ZobristKeys[kb[ROOK] + from + 1] ^ ZobristKeys[kb[ROOK] + from + 3];
      } else if (to == from - 2) {
        toggle(mover, ROOK, bit(from - 4) | bit(from - 1));
        key ^= ZobristKeys[kb[ROOK] + from - 1] ^ ZobristKeys[kb[ROOK] + from - 4];
      }
    }
  }
  if (captured) {
    n.halfmove_clock = 0;
    toggle(opponent, captured, bit(capture_square));
    key ^= ZobristKeys[opponent.colour->key_base[captured] + capture_square];
  }
  if (promotion) {
    mover.pieces[PAWN] ^= bit(to);
    mover.pieces[promotion] ^= bit(to);
    key ^= ZobristKeys[kb[PAWN] + to] ^ ZobristKeys[kb[promotion] + to];
  }
  // Any move from or to a corner or king square ends the rights through it for good.
  Bitboard touched = bit(from) | bit(to);
  if (n.castling & touched) {
    key ^= castling_key(n.castling);
    n.castling &= ~touched;
    key ^= castling_key(n.castling);
  }
  n.key = key;
  b.current = &n;
  n.occupied = n.sides[0].pieces[0] | n.sides[1].pieces[0];
  n.king_and_pawns_only = has_king_and_pawns_only(n);
  ++b.ply_count;
  if (piece == PAWN || captured == PAWN) compute_pawn_masks(n);
}

void make_null_move(Board& b) {
  Position& c = *b.current;
  Position& n = (&c)[1];
  c.move_played = 0;
  copy_forward(c, n);
  n.key ^= ZobristKeys[KEY_WHITE_TO_MOVE];
  if (c.ep_square) n.key ^= en_passant_key(c.ep_square);
  n.ep_square = 0;
  n.occupied = c.occupied;
  n.halfmove_clock = c.halfmove_clock + 1;
  n.king_and_pawns_only = c.king_and_pawns_only;
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
