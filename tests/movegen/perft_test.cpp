// Perft: leaf counts of the legal move tree against tests/perft.txt and, for
// Chess960, tests/perft960.txt.
#include <cstdlib>
#include <sstream>

#include "common/helpers.h"

// Checks every count of a file; counts above five million nodes only when
// VELTA_DEEP_PERFT is set. Returns the number of positions.
static int check_counts(const char* name) {
  const uint64_t limit = std::getenv("VELTA_DEEP_PERFT") ? UINT64_MAX : 5000000;
  static Board b;
  const auto rows = rows_of(name);
  for (const auto& r : rows) {
    std::istringstream counts(r[1]);
    load(b, r[0].c_str());
    uint64_t expected;
    for (int depth = 1; counts >> expected && expected <= limit; ++depth)
      EXPECT_EQ(perft(b, depth), expected) << r[0] << " depth " << depth;
  }
  return int(rows.size());
}

TEST(Perft, PublishedCounts) { EXPECT_GE(check_counts("perft.txt"), 20); }

// All 960 start positions, Double Fischer Random starts, hard cases and
// positions from games, as Stockfish counts them.
TEST(Perft, Chess960Counts) { EXPECT_GE(check_counts("perft960.txt"), 1280); }
