// Perft: leaf counts of the legal move tree, with the per-move breakdown at
// the root. The last ply is counted from the list length, not made.
#include <cstdio>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "uci/uci.h"

namespace velta {

bool perft_interrupted;

namespace {

// Waiting input ends a long count, like a search: checked every 65536 calls.
bool input_interrupts() {
  static uint32_t calls;
  if ((++calls & 0xffff) == 0 && input_state() == INPUT_WAITING) perft_interrupted = true;
  return perft_interrupted;
}

}  // namespace

uint64_t perft(int level, int last) {
  prepare_and_generate();
  const MoveList& list = current_position->moves;
  if (level == last) {
    if (last == 0) {
      for (int i = 0; i < list.count; ++i) print_move_uci(list.moves[i]), printf(" ");
      printf("\n");
    }
    return uint64_t(list.count);
  }
  uint64_t total = 0;
  for (int i = 0; i < list.count && !input_interrupts(); ++i) {
    make_move(list.moves[i]);
    uint64_t count = perft(level + 1, last);
    take_back();
    if (level == 0 && !perft_interrupted) {
      print_move_uci(list.moves[i]);
      printf(": %llu\n", (unsigned long long)count);
    }
    total += count;
  }
  return total;
}

}  // namespace velta
