// Perft: leaf counts of the legal move tree against tests/perft.txt.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/helpers.h"

// Counts above five million nodes are checked only when VELTA_DEEP_PERFT is set.
TEST(Perft, PublishedCounts) {
  const uint64_t limit = std::getenv("VELTA_DEEP_PERFT") ? UINT64_MAX : 5000000;
  std::ifstream file(VELTA_SOURCE_DIR "/tests/perft.txt");
  ASSERT_TRUE(file) << "tests/perft.txt";
  static Board b;
  int positions = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::string fen = line.substr(0, line.find('|'));
    std::istringstream counts(line.substr(line.find('|') + 1));
    load(b, fen.c_str());
    uint64_t expected;
    for (int depth = 1; counts >> expected && expected <= limit; ++depth)
      EXPECT_EQ(perft(b, depth), expected) << fen << " depth " << depth;
    ++positions;
  }
  EXPECT_GE(positions, 20);
}
