// Perft: leaf counts of the legal move tree against tests/perft.txt and, for
// Chess960, tests/perft960.txt.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/helpers.h"

// Checks every count of a file; counts above five million nodes only when
// VELTA_DEEP_PERFT is set. Returns the number of positions.
static int check_counts(const char* path) {
  const uint64_t limit = std::getenv("VELTA_DEEP_PERFT") ? UINT64_MAX : 5000000;
  std::ifstream file(path);
  EXPECT_TRUE(file) << path;
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
  return positions;
}

TEST(Perft, PublishedCounts) { EXPECT_GE(check_counts(VELTA_SOURCE_DIR "/tests/perft.txt"), 20); }

// All 960 start positions, Double Fischer Random starts, hard cases and
// positions from games, as Stockfish counts them.
TEST(Perft, Chess960Counts) { EXPECT_GE(check_counts(VELTA_SOURCE_DIR "/tests/perft960.txt"), 1280); }
