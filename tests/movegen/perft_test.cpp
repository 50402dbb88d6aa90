// Perft: leaf counts of the legal move tree against published results.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "position/board_helpers.h"

// Counts above five million nodes are checked only when VELTA_DEEP_PERFT is
// set. Depth one also prints the moves on one line, in generation order.
TEST(Perft, PublishedCounts) {
  const uint64_t limit = std::getenv("VELTA_DEEP_PERFT") ? UINT64_MAX : 5000000;
  std::ifstream file(VELTA_SOURCE_DIR "/tests/perft.txt");
  ASSERT_TRUE(file) << "tests/perft.txt";
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::string fen = line.substr(0, line.find('|'));
    std::istringstream counts(line.substr(line.find('|') + 1));
    load(fen.c_str());
    uint64_t expected;
    for (int depth = 1; counts >> expected && expected <= limit; ++depth) {
      perft_interrupted = false;
      testing::internal::CaptureStdout();
      EXPECT_EQ(perft(0, depth - 1), expected) << fen << " depth " << depth;
      std::string printed = testing::internal::GetCapturedStdout();
      EXPECT_TRUE(depth > 1 || printed == listed() + " \n") << fen << printed;
    }
  }
}
