// Store, replacement, bounds, fill counting and (re)creation of the
// transposition table.
#include <gtest/gtest.h>

#include <string>

#include "search/search.h"

using namespace velta;

namespace {

class TranspositionTableTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(tt.slot_count, 65536u) << "the tests expect the 1 MB table of setup.cpp";
    tt_clear();
  }
};

// Keys that differ only above the index bits share one bucket.
constexpr uint64_t BUCKET = 0x1230;
uint64_t key_in_bucket(int n) { return BUCKET | uint64_t(n) << 32; }

TEST_F(TranspositionTableTest, StoreTargetsOwnKeyThenFirstEmptyThenShallowestSlot) {
  struct Case {
    const char* name;
    int depths[4];  // -1: empty slot
    int own_slot;   // slot already holding the stored key, or -1 for a new key
    int new_depth, expected_slot, filled_delta;
  };
  const Case cases[] = {
      {"own key overwritten even by a shallower result", {5, 3, 3, 7}, 3, 1, 3, 0},
      {"own key wins over an earlier empty slot", {-1, 4, 6, -1}, 2, 2, 2, 0},
      {"new key takes the first empty slot", {5, -1, 2, -1}, -1, 9, 1, 1},
      {"full bucket: the shallowest, the lower slot on a tie", {5, 3, 3, 7}, -1, 8, 1, 0},
      {"full bucket of equal depths: slot 0", {4, 4, 4, 4}, -1, 4, 0, 0},
  };
  TTEntry* bucket = tt.entries + BUCKET;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tt_clear();
    for (int s = 0; s < 4; ++s)
      if (c.depths[s] >= 0) bucket[s] = TTEntry{key_in_bucket(s + 1), uint8_t(c.depths[s]), BOUND_EXACT, 7, 0};
    TTEntry before[4] = {bucket[0], bucket[1], bucket[2], bucket[3]};
    uint64_t key = c.own_slot >= 0 ? bucket[c.own_slot].key : key_in_bucket(9), filled = tt.filled;

    tt_store(key, 0x1234, -55, -100, 100, c.new_depth);

    EXPECT_EQ(tt.filled - filled, uint64_t(c.filled_delta));
    for (int s = 0; s < 4; ++s)
      if (s != c.expected_slot) {
        EXPECT_EQ(bucket[s].key, before[s].key) << "slot " << s;
      }
    const TTEntry& e = bucket[c.expected_slot];
    EXPECT_EQ(e.key, key);
    EXPECT_EQ(e.depth, c.new_depth);
    EXPECT_EQ(e.bound, BOUND_EXACT);
    EXPECT_EQ(e.score, -55);
    EXPECT_EQ(e.move, 0x1234u);
    EXPECT_EQ(tt_probe(key), &e);
  }
  EXPECT_EQ(tt_probe(key_in_bucket(77)), nullptr) << "a key of the same bucket that was never stored";
}

TEST_F(TranspositionTableTest, BoundFollowsTheWindowOnEntry) {
  struct Case {
    int score, alpha, beta;
    uint8_t bound;
  };
  const Case cases[] = {{-40, -40, 60, BOUND_UPPER}, {-90, -40, 60, BOUND_UPPER}, {60, -40, 60, BOUND_LOWER},
                        {700, -40, 60, BOUND_LOWER}, {59, -40, 60, BOUND_EXACT},  {-39, -40, 60, BOUND_EXACT},
                        {5, 5, 6, BOUND_UPPER},      {6, 5, 6, BOUND_LOWER},      {-29998, -60000, 60000, BOUND_EXACT}};
  for (const Case& c : cases) {
    tt_store(0xabcdef12345678ull, 77, c.score, c.alpha, c.beta, 3);
    const TTEntry* e = tt_probe(0xabcdef12345678ull);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->bound, c.bound) << c.score << " in (" << c.alpha << ", " << c.beta << ")";
    EXPECT_EQ(e->score, c.score);
  }
}

TEST_F(TranspositionTableTest, HashfullCountsFilledSlotsPerMilleRoundedDown) {
  // 655 of 65536 slots: 655000 / 65536 = 9.99, so rounding would show 10.
  for (uint64_t b = 1; b <= 655; ++b) tt_store(4 * b, 0, 0, -1, 1, 1);
  EXPECT_EQ(hashfull(), 9);
  tt_store(4 * 656, 0, 0, -1, 1, 1);
  tt_store(4 * 656, 0, 0, -1, 1, 5);  // the same key again takes no new slot
  EXPECT_EQ(tt.filled, 656u);
  EXPECT_EQ(hashfull(), 10);
  tt_clear();
  EXPECT_EQ(hashfull(), 0);
  EXPECT_EQ(tt_probe(4 * 10), nullptr);
}

TEST_F(TranspositionTableTest, CreationAcceptsPowersOfTwoAndFallsBackTo128) {
  const std::string fallback = " MB) : invalid size (reset to default)\n"
                               "info debug Creation of Transposition Table (128 MB) : success\n";
  struct Case {
    int megabytes;
    std::string output;
    uint64_t slots;
  };
  const Case cases[] = {
      {64, "info debug Creation of Transposition Table (64 MB) : success\n", 64 * 65536},
      {100, "info debug Creation of Transposition Table (100" + fallback, 8388608},
      {-4, "info debug Creation of Transposition Table (-4" + fallback, 8388608},
      {1, "info debug Creation of Transposition Table (1 MB) : success\n", 65536},
  };
  for (const Case& c : cases) {
    tt_store(key_in_bucket(3), 1, 1, 0, 2, 1);  // a new table must not keep it
    testing::internal::CaptureStdout();
    tt_create(c.megabytes);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
    EXPECT_EQ(tt.slot_count, c.slots) << c.megabytes;
    EXPECT_EQ(tt.index_mask, c.slots - 4) << c.megabytes;
    EXPECT_EQ(tt.filled, 0u) << c.megabytes;
    EXPECT_EQ(tt_probe(key_in_bucket(3)), nullptr) << c.megabytes;
  }
}

}  // namespace
