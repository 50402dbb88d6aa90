// The transposition table. No age counter: entries live until overwritten or
// cleared. A store always looks for its own key first, so a key occurs at
// most once in a bucket. Slots are read and written with relaxed atomic
// loads and stores (plain moves on x86): threads may tear a slot, and the
// key check catches it.
#include <chrono>
#include <cstring>
#include <thread>

#include "search/internal.h"

namespace velta {

namespace {

constexpr uint64_t SLOTS_PER_MB = (uint64_t(1) << 20) / sizeof(TTSlot);
constexpr auto RELAXED = std::memory_order_relaxed;
static_assert(sizeof(TTSlot) == 16 && SLOTS_PER_MB == 65536);

// A slot's key (when it is not torn) and data.
struct Loaded {
  uint64_t key, data;
};
inline Loaded load(const TTSlot& slot) {
  uint64_t data = slot.data.load(RELAXED);
  return {slot.check.load(RELAXED) ^ data, data};
}
inline bool empty(uint64_t data) { return tt_entry(data).bound == BOUND_EMPTY; }

}  // namespace

// The slots come zero-filled from the system (key 0, empty bound); a thread
// of its own then has it provide every page (table_memory.cpp).
bool tt_allocate(TranspositionTable& tt, int megabytes) {
  tt_release(tt);
  uint64_t slots = uint64_t(megabytes) * SLOTS_PER_MB;
  size_t bytes = slots * sizeof(TTSlot);
  bool resident;
  void* start = map_table_memory(tt, bytes, resident);
  if (!start) return false;
  if (!resident) {
    tt.providing.fetch_add(1);
    std::thread([start, bytes, &providing = tt.providing] {
      provide_table_memory(start, bytes);
      providing.fetch_sub(1);
    }).detach();
  }
  tt.slots = static_cast<TTSlot*>(start);
  tt.slot_count = slots;
  tt.filled = 0;
  return true;
}

void tt_wait_until_provided(const TranspositionTable& tt) {
  while (tt.providing.load() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// The thread providing the pages is waited for: it must not touch the
// mapping, nor the count in the record, once they are gone.
void tt_release(TranspositionTable& tt) {
  tt_wait_until_provided(tt);
  if (tt.slots) unmap_table_memory(tt);
  tt.slots = nullptr;
  tt.slot_count = tt.filled = 0;
}

// Only while no search runs. A table nothing was stored in since its creation
// or last clear is left as it is: every store fills a slot first.
void tt_clear(TranspositionTable& tt) {
  if (tt.filled.load(RELAXED) == 0) return;
  memset(static_cast<void*>(tt.slots), 0, tt.slot_count * sizeof(TTSlot));
  tt.filled = 0;
}

bool tt_probe(const TranspositionTable& tt, uint64_t key, TTEntry& entry) {
  const TTSlot* bucket = tt_bucket(tt, key);
  for (int i = 0; i < BUCKET_SLOTS; ++i) {
    Loaded slot = load(bucket[i]);
    if (slot.key == key && !empty(slot.data)) return entry = tt_entry(slot.data), true;
  }
  return false;
}

void tt_store(TranspositionTable& tt, uint64_t key, Move move, int score, int alpha, int beta, int depth) {
  TTSlot* bucket = tt_bucket(tt, key);
  Loaded slots[BUCKET_SLOTS];
  for (int i = 0; i < BUCKET_SLOTS; ++i) slots[i] = load(bucket[i]);
  int target = -1;
  for (int i = 0; i < BUCKET_SLOTS && target < 0; ++i)
    if (slots[i].key == key && !empty(slots[i].data)) target = i;
  for (int i = 0; i < BUCKET_SLOTS && target < 0; ++i)
    if (empty(slots[i].data)) target = i, tt.filled.store(tt.filled.load(RELAXED) + 1, RELAXED);
  if (target < 0) {
    // Replace the shallowest entry; the lower slot wins a tie.
    target = 0;
    for (int i = 1; i < BUCKET_SLOTS; ++i)
      if (tt_entry(slots[i].data).depth < tt_entry(slots[target].data).depth) target = i;
  }
  uint8_t bound = score <= alpha ? BOUND_UPPER : score < beta ? BOUND_EXACT : BOUND_LOWER;
  uint64_t data = tt_data({uint8_t(depth), bound, int16_t(score), move});
  bucket[target].data.store(data, RELAXED);
  bucket[target].check.store(key ^ data, RELAXED);
}

int hashfull(const TranspositionTable& tt) { return int(tt.filled.load(RELAXED) * 1000 / tt.slot_count); }

}  // namespace velta
