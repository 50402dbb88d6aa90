// Store, replacement, bounds, fill counting and (re)creation of the
// transposition table.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/search.h"

using namespace velta;

namespace {

// Tables built once for this binary, as at start-up; a 1 MB transposition
// table (65536 slots) keeps the bucket arithmetic easy to follow.
struct SearchTables : testing::Environment {
  void SetUp() override {
    init_eval_tables(), init_attack_tables(), init_reduction_table(), testing::internal::CaptureStdout();
    tt_create(1), testing::internal::GetCapturedStdout();  // "info debug Creation ... (1 MB) : success"
  }
  void TearDown() override { tt_release(); }
};
[[maybe_unused]] const auto* const tables = testing::AddGlobalTestEnvironment(new SearchTables);

// Keys that differ only above the index bits share one bucket.
constexpr uint64_t BUCKET = 0x1230;
constexpr uint64_t key_in_bucket(int n) { return BUCKET | uint64_t(n) << 32; }

TEST(TranspositionTable, StoreTargetAndBound) {
  const struct { int depths[4], own_slot, new_depth, expected_slot, filled_delta; } cases[] = {
      {{5, 3, 3, 7}, 3, 1, 3, 0},     // own key overwritten even by a shallower result
      {{-1, 4, 6, -1}, 2, 2, 2, 0},   // own key wins over an earlier empty slot
      {{5, -1, 2, -1}, -1, 9, 1, 1},  // a new key takes the first empty slot
      {{5, 3, 3, 7}, -1, 8, 1, 0},    // full bucket: the shallowest, the lower slot on a tie
  };
  TTEntry* bucket = tt.entries + BUCKET;
  for (const auto& c : cases) {
    tt_clear();
    for (int s = 0; s < 4; ++s)  // -1: an empty slot
      if (c.depths[s] >= 0) bucket[s] = TTEntry{key_in_bucket(s + 1), uint8_t(c.depths[s]), BOUND_EXACT, 7, 0};
    uint64_t key = c.own_slot >= 0 ? key_in_bucket(c.own_slot + 1) : key_in_bucket(9), filled = tt.filled;
    tt_store(key, 0x1234, -55, -100, 100, c.new_depth);
    EXPECT_EQ(tt.filled - filled, uint64_t(c.filled_delta));
    ASSERT_EQ(tt_probe(key), &bucket[c.expected_slot]);
    EXPECT_EQ(bucket[c.expected_slot].depth, c.new_depth);
    for (int s = 0; s < 4; ++s)  // the other slots keep their keys
      EXPECT_EQ(bucket[s].key, s == c.expected_slot ? key : c.depths[s] < 0 ? 0 : key_in_bucket(s + 1)) << s;
  }
  // The bound follows the window the node was searched with.
  const struct { int score, alpha, beta; uint8_t bound; } bounds[] = {
      {-40, -40, 60, BOUND_UPPER}, {-90, -40, 60, BOUND_UPPER}, {60, -40, 60, BOUND_LOWER},
      {700, -40, 60, BOUND_LOWER}, {59, -40, 60, BOUND_EXACT},  {-39, -40, 60, BOUND_EXACT}};
  for (const auto& b : bounds) {
    tt_store(77, 5, b.score, b.alpha, b.beta, 3);
    EXPECT_EQ(tt_probe(77)->bound, b.bound) << b.score;
    EXPECT_EQ(tt_probe(77)->score, b.score);
  }
}

TEST(TranspositionTable, HashfullAndCreation) {
  tt_clear();
  for (uint64_t b = 1; b <= 655; ++b) tt_store(4 * b, 0, 0, -1, 1, 1);  // one slot in each of 655 buckets
  EXPECT_EQ(hashfull(), 9);  // 655000 / 65536 = 9.99, rounded down
  tt_clear();
  EXPECT_EQ(hashfull(), 0);

  const std::string line = "info debug Creation of Transposition Table (", ok = " MB) : success\n",
                    fallback = " MB) : invalid size (reset to default)\n" + line + "128" + ok;
  const struct { int megabytes; std::string output; uint64_t table_mb; } cases[] = {
      {64, "64" + ok, 64}, {100, "100" + fallback, 128}, {0, "0" + fallback, 128}, {-4, "-4" + fallback, 128},
      {1, "1" + ok, 1}};  // back to the table the other tests expect
  for (const auto& c : cases) {
    tt_store(3, 1, 1, 0, 2, 1);  // a new table must not keep it
    testing::internal::CaptureStdout();
    tt_create(c.megabytes);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), line + c.output);
    EXPECT_EQ(std::tuple(tt.slot_count, tt.index_mask, tt.filled, tt_probe(3)),
              std::tuple(c.table_mb * 65536, c.table_mb * 65536 - 4, uint64_t(0), nullptr)) << c.megabytes;
  }
}

}  // namespace
