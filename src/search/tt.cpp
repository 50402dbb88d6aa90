// The transposition table. No age counter: entries live until overwritten or
// cleared. A store always looks for its own key first, so a key occurs at
// most once in a bucket.
#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "search/search.h"

namespace velta {

TranspositionTable tt;

namespace {

constexpr uint64_t SLOTS_PER_MB = 65536;  // 16-byte slots in 2^20 bytes
constexpr size_t HUGE_PAGE = size_t(2) << 20;

// The slots are a private anonymous mapping (zero-filled by the system),
// aligned to 2 MB and marked for huge pages: a probe touches a random bucket,
// and with 4 KB pages nearly every probe would also miss the TLB.
void* mapping;
size_t mapping_size;

bool allocate(uint64_t slots) {
  tt.filled = 0;
  tt.slot_count = slots;
  tt.index_mask = slots - 4;
  size_t bytes = slots * sizeof(TTEntry);
  void* base = mmap(nullptr, bytes + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return tt.entries = nullptr, false;
  uintptr_t aligned = (reinterpret_cast<uintptr_t>(base) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  mapping = base;
  mapping_size = bytes + HUGE_PAGE;
  tt.entries = reinterpret_cast<TTEntry*>(aligned);
  return true;
}

void report(int megabytes, const char* outcome) {
  printf("info debug Creation of Transposition Table (%i MB) : %s\n", megabytes, outcome);
}

// A power of two from 1 to 65536 megabytes; on failure the next size down.
void create_power_of_two(int megabytes) {
  for (;; megabytes /= 2) {
    if (allocate(megabytes * SLOTS_PER_MB)) return report(megabytes, "success");
    report(megabytes, "failure");
    if (megabytes == 1) {
      printf("info string Velta will now halt...\n");
      exit(1);
    }
  }
}

}  // namespace

void tt_release() {
  if (tt.entries) munmap(mapping, mapping_size);
  tt.entries = nullptr;
}

void tt_create(int megabytes) {
  tt_release();
  if (megabytes >= 1 && megabytes <= 65536 && (megabytes & (megabytes - 1)) == 0) return create_power_of_two(megabytes);
  report(megabytes, "invalid size (reset to default)");
  if (allocate(128 * SLOTS_PER_MB)) return report(128, "success");
  report(128, "failure");
  create_power_of_two(64);
}

void tt_clear() {
  memset(static_cast<void*>(tt.entries), 0, tt.slot_count * sizeof(TTEntry));
  tt.filled = 0;
}

const TTEntry* tt_probe(uint64_t key) {
  const TTEntry* bucket = tt.entries + (key & tt.index_mask);
  for (int i = 0; i < 4; ++i)
    if (bucket[i].key == key && bucket[i].bound != BOUND_EMPTY) return &bucket[i];
  return nullptr;
}

void tt_store(uint64_t key, Move move, int score, int alpha, int beta, int depth) {
  TTEntry* bucket = tt.entries + (key & tt.index_mask);
  TTEntry* target = nullptr;
  for (int i = 0; i < 4 && !target; ++i)
    if (bucket[i].key == key && bucket[i].bound != BOUND_EMPTY) target = &bucket[i];
  for (int i = 0; i < 4 && !target; ++i)
    if (bucket[i].bound == BOUND_EMPTY) target = &bucket[i], ++tt.filled;
  if (!target) {
    // Replace the shallowest entry; the lower slot wins a tie.
    target = &bucket[0];
    for (int i = 1; i < 4; ++i)
      if (bucket[i].depth < target->depth) target = &bucket[i];
  }
  target->key = key;
  target->bound = score <= alpha ? BOUND_UPPER : score < beta ? BOUND_EXACT : BOUND_LOWER;
  target->score = int16_t(score);
  target->move = move;
  target->depth = uint8_t(depth);
}

int hashfull() { return int(tt.filled * 1000 / tt.slot_count); }

}  // namespace velta
