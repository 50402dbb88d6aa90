// Store, replacement, bounds and fill counting of the transposition table.
#include <tuple>

#include "common/helpers.h"

namespace {

// A 1 MB table (65536 slots); keys that differ only above the index bits share one bucket.
constexpr uint64_t BUCKET = 0x1230;
constexpr uint64_t key_in_bucket(int n) { return BUCKET | uint64_t(n) << 32; }

void put(TTSlot& slot, uint64_t key, uint64_t data) { slot.data = data, slot.check = key ^ data; }
uint64_t key_of(const TTSlot& slot) { return slot.check ^ slot.data; }

TEST(TranspositionTable, StoreTargetAndBound) {
  TestContext test;
  TranspositionTable& tt = test.table;
  const struct { int depths[4], own_slot, new_depth, expected_slot, filled_delta; } cases[] = {
      {{5, 3, 3, 7}, 3, 1, 3, 0},     // own key overwritten even by a shallower result
      {{-1, 4, 6, -1}, 2, 2, 2, 0},   // own key wins over an earlier empty slot
      {{5, -1, 2, -1}, -1, 9, 1, 1},  // a new key takes the first empty slot
      {{5, 3, 3, 7}, -1, 8, 1, 0},    // full bucket: the shallowest, the lower slot on a tie
  };
  TTSlot* bucket = tt.slots + BUCKET;
  TTEntry e;
  for (const auto& c : cases) {
    for (int s = 0; s < 4; ++s)  // -1: an empty slot
      if (c.depths[s] >= 0)
        put(bucket[s], key_in_bucket(s + 1), tt_data({uint8_t(c.depths[s]), BOUND_EXACT, 7, 0}));
      else
        put(bucket[s], 0, 0);
    uint64_t key = c.own_slot >= 0 ? key_in_bucket(c.own_slot + 1) : key_in_bucket(9), filled = tt.filled;
    tt_store(tt, key, 0x1234, -55, -100, 100, c.new_depth);
    EXPECT_EQ(tt.filled - filled, uint64_t(c.filled_delta));
    ASSERT_TRUE(tt_probe(tt, key, e));
    EXPECT_EQ(std::pair(int(e.depth), e.move), std::pair(c.new_depth, 0x1234u));
    for (int s = 0; s < 4; ++s)  // the other slots keep their keys
      EXPECT_EQ(key_of(bucket[s]), s == c.expected_slot ? key : c.depths[s] < 0 ? 0 : key_in_bucket(s + 1)) << s;
  }
  // A slot torn by two writers (the key word of one store, the data of
  // another) answers for neither position.
  put(bucket[0], key_in_bucket(1), tt_data({5, BOUND_EXACT, 7, 0}));
  bucket[0].data = tt_data({9, BOUND_LOWER, -300, 0x4321});
  EXPECT_FALSE(tt_probe(tt, key_in_bucket(1), e));
  // The bound follows the window the node was searched with.
  const struct { int score, alpha, beta; uint8_t bound; } bounds[] = {
      {-40, -40, 60, BOUND_UPPER}, {-90, -40, 60, BOUND_UPPER}, {60, -40, 60, BOUND_LOWER},
      {700, -40, 60, BOUND_LOWER}, {59, -40, 60, BOUND_EXACT},  {-39, -40, 60, BOUND_EXACT}};
  for (const auto& b : bounds) {
    tt_store(tt, 77, 5, b.score, b.alpha, b.beta, 3);
    ASSERT_TRUE(tt_probe(tt, 77, e));
    EXPECT_EQ(std::pair(e.bound, int(e.score)), std::pair(b.bound, b.score));
  }
  // hashfull counts slots written since the last clear, per thousand, rounded down.
  tt_clear(tt);
  for (uint64_t b = 1; b <= 655; ++b) tt_store(tt, 4 * b, 0, 0, -1, 1, 1);  // one slot in each of 655 buckets
  EXPECT_EQ(hashfull(tt), 9);                                                // 655000 / 65536 = 9.99
}

}  // namespace
