// Positions and moves given as text, with the checks that need the
// generator: a FEN whose side not to move stands in check, and move words
// that name no legal move.
#include "movegen/movegen.h"

namespace velta {

const char* set_position(Board& b, const char* fen) {
  Position scratch;
  const char* failed = parse_fen(fen, scratch);
  if (!failed && king_attacked(scratch, *scratch.them)) failed = "side not to move is not in check";
  if (!failed) set_root(b, scratch);
  return failed;
}

const char* play_move(Board& b, const char* word) {
  if (b.ply_count >= GAME_PLY_LIMIT && (!compact_history(b) || b.ply_count >= GAME_PLY_LIMIT))
    return "game fits in the position stack";
  int from, to, promotion;
  if (const char* failed = parse_move_word(word, *b.current, from, to, promotion)) return failed;
  // Only a legal move is made: the generated word also carries the right
  // castling and en passant fields.
  const MoveList& list = legal_moves(b);
  for (int i = 0; i < list.count; ++i) {
    Move m = list.moves[i];
    if (move_from(m) == from && move_to(m) == to && move_promotion(m) == promotion) return make_move(b, m), nullptr;
  }
  return "legal";
}

}  // namespace velta
