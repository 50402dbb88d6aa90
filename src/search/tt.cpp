// The transposition table. No age counter: entries live until overwritten or
// cleared. A store always looks for its own key first, so a key occurs at
// most once in a bucket.
#include <sys/mman.h>

#include <cstring>

#include "search/search.h"

namespace velta {

namespace {

constexpr uint64_t SLOTS_PER_MB = (uint64_t(1) << 20) / sizeof(TTEntry);
constexpr size_t HUGE_PAGE = size_t(2) << 20;
static_assert(sizeof(TTEntry) == 16 && SLOTS_PER_MB == 65536);

// A key's bucket: its low bits, less the two that would pick a slot in it.
inline uint64_t bucket_of(const TranspositionTable& tt, uint64_t key) {
  return key & (tt.slot_count - BUCKET_SLOTS);
}

}  // namespace

// The slots are a private anonymous mapping (zero-filled by the system),
// aligned to 2 MB and marked for huge pages: a probe touches a random bucket,
// and with 4 KB pages nearly every probe would also miss the TLB.
bool tt_allocate(TranspositionTable& tt, int megabytes) {
  tt_release(tt);
  uint64_t slots = uint64_t(megabytes) * SLOTS_PER_MB;
  size_t bytes = slots * sizeof(TTEntry);
  void* base = mmap(nullptr, bytes + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return false;
  uintptr_t aligned = (reinterpret_cast<uintptr_t>(base) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  tt = TranspositionTable{reinterpret_cast<TTEntry*>(aligned), slots, 0, base, bytes + HUGE_PAGE};
  return true;
}

void tt_release(TranspositionTable& tt) {
  if (tt.entries) munmap(tt.mapping, tt.mapping_size);
  tt = TranspositionTable{};
}

void tt_clear(TranspositionTable& tt) {
  memset(static_cast<void*>(tt.entries), 0, tt.slot_count * sizeof(TTEntry));
  tt.filled = 0;
}

const TTEntry* tt_probe(const TranspositionTable& tt, uint64_t key) {
  const TTEntry* bucket = tt.entries + bucket_of(tt, key);
  for (int i = 0; i < BUCKET_SLOTS; ++i)
    if (bucket[i].key == key && bucket[i].bound != BOUND_EMPTY) return &bucket[i];
  return nullptr;
}

void tt_store(TranspositionTable& tt, uint64_t key, Move move, int score, int alpha, int beta, int depth) {
  TTEntry* bucket = tt.entries + bucket_of(tt, key);
  TTEntry* target = nullptr;
  for (int i = 0; i < BUCKET_SLOTS && !target; ++i)
    if (bucket[i].key == key && bucket[i].bound != BOUND_EMPTY) target = &bucket[i];
  for (int i = 0; i < BUCKET_SLOTS && !target; ++i)
    if (bucket[i].bound == BOUND_EMPTY) target = &bucket[i], ++tt.filled;
  if (!target) {
    // Replace the shallowest entry; the lower slot wins a tie.
    target = &bucket[0];
    for (int i = 1; i < BUCKET_SLOTS; ++i)
      if (bucket[i].depth < target->depth) target = &bucket[i];
  }
  target->key = key;
  target->bound = score <= alpha ? BOUND_UPPER : score < beta ? BOUND_EXACT : BOUND_LOWER;
  target->score = int16_t(score);
  target->move = move;
  target->depth = uint8_t(depth);
}

int hashfull(const TranspositionTable& tt) { return int(tt.filled * 1000 / tt.slot_count); }

}  // namespace velta
