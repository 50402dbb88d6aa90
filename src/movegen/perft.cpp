// Perft: leaf counts of the legal move tree. The last ply is counted from the
// list length, not made.
#include "movegen/movegen.h"

namespace velta {

uint64_t perft(Board& b, int depth) {
  const MoveList& list = legal_moves(b);
  if (depth <= 1) return uint64_t(list.count);
  uint64_t total = 0;
  for (int i = 0; i < list.count; ++i) {
    make_move(b, list.moves[i]);
    total += perft(b, depth - 1);
    take_back(b);
  }
  return total;
}

}  // namespace velta
