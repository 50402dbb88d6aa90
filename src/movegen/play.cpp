// Positions and moves given as text, with the checks that need the
// generator: a FEN whose side not to move stands in check, and move words
// that name no legal move.
#include "movegen/movegen.h"

namespace velta {

Refusal set_position(Board& b, const char* fen, bool chess960) {
  Position scratch;
  Refusal refusal = parse_fen(fen, scratch);
  if (!refusal.check && king_attacked(scratch, *scratch.them))
    refusal = refuse("side not to move is not in check", "fen", fen);
  if (!refusal.check) set_root(b, scratch), set_notation(b, chess960);
  return refusal;
}

Refusal play_move(Board& b, const char* word) {
  if (b.ply_count >= GAME_PLY_LIMIT && (!compact_history(b) || b.ply_count >= GAME_PLY_LIMIT))
    return refuse("game fits in the position stack", "move", word);
  int from, to, promotion;
  if (const char* failed = parse_move_word(word, *b.current, from, to, promotion)) return refuse(failed, "move", word);
  // Only a legal move is made: the generated word also carries the right
  // castling and en passant fields.
  const MoveList& list = legal_moves(b);
  for (int i = 0; i < list.count; ++i) {
    Move m = list.moves[i];
    if (move_from(m) == from && written_destination(b, m) == to && move_promotion(m) == promotion)
      return make_move(b, m), Refusal{};
  }
  return refuse("legal", "move", word);
}

}  // namespace velta
