// Perft: leaf counts of the legal move tree against published results, and
// the root breakdown it prints.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "position/board_helpers.h"

using namespace velta;

namespace {

// Perft from the current position, its printed breakdown kept apart.
uint64_t quiet_perft(int depth, std::string& printed) {
  perft_interrupted = false;
  testing::internal::CaptureStdout();
  uint64_t count = perft(0, depth - 1);
  printed = testing::internal::GetCapturedStdout();
  return count;
}

}  // namespace

// Counts above five million nodes are checked only when VELTA_DEEP_PERFT is set.
TEST(Perft, PublishedCounts) {
  const uint64_t limit = std::getenv("VELTA_DEEP_PERFT") ? UINT64_MAX : 5000000;
  std::ifstream file(VELTA_SOURCE_DIR "/tests/perft.txt");
  ASSERT_TRUE(file) << "tests/perft.txt";
  int positions = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::string fen = line.substr(0, line.find('|'));
    std::istringstream counts(line.substr(line.find('|') + 1));
    board::load(fen.c_str());
    uint64_t key = current_position->key;
    uint64_t expected;
    std::string printed;
    for (int depth = 1; counts >> expected && expected <= limit; ++depth) {
      EXPECT_EQ(quiet_perft(depth, printed), expected) << fen << " depth " << depth;
      EXPECT_EQ(ply_count, 0);
      EXPECT_EQ(current_position->key, key);
    }
    ++positions;
  }
  EXPECT_GE(positions, 6);
}

TEST(Perft, RootBreakdown) {
  board::load(START_FEN);
  std::istringstream start_moves(board::listed(GEN_ALL));  // their order is the generator's test
  std::string one_line, per_move, printed;
  for (std::string m; start_moves >> m;) one_line.append(m).append(" "), per_move.append(m).append(": 20\n");
  EXPECT_EQ(quiet_perft(1, printed), 20u);
  EXPECT_EQ(printed, one_line.append("\n"));
  EXPECT_EQ(quiet_perft(2, printed), 400u);
  EXPECT_EQ(printed, per_move);

  // Checkmated: no moves to list, nothing below to count.
  board::load("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
  EXPECT_EQ(quiet_perft(1, printed), 0u);
  EXPECT_EQ(printed, "\n");
  for (int depth = 2; depth <= 3; ++depth) {
    EXPECT_EQ(quiet_perft(depth, printed), 0u);
    EXPECT_EQ(printed, "");
  }

  board::load("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  quiet_perft(2, printed);
  EXPECT_EQ(printed.rfind("b7b8q: ", 0), 0u) << printed;  // promotions name their piece
}
