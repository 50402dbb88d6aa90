// Perft: leaf counts of the legal move tree. The last ply is counted, not
// generated.
#include "movegen/movegen.h"

namespace velta {

uint64_t perft(Board& b, int depth) {
  if (depth <= 1) return prepare_count(*b.current), uint64_t(count_legal_moves(*b.current));
  const MoveList& list = legal_moves(b);
  uint64_t total = 0;
  for (int i = 0; i < list.count; ++i) {
    make_move(b, list.moves[i]);
    total += perft(b, depth - 1);
    take_back(b);
  }
  return total;
}

}  // namespace velta
