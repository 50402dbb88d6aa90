// The limits a "go" line sets.
#include <tuple>

#include "common/helpers.h"
#include "uci/uci.h"

TEST(Go, LimitsOfTheLine) {
  auto owned = std::make_unique<Board>();
  Board& board = *owned;
  OptionValues options{};
  options.multipv = 1;
  for (const auto& r : rows_of("uci/go.txt")) {
    load(board, ("4k3/8/8/8/8/8/8/4K3 " + r[0] + " - - 0 1").c_str());
    const SearchLimits limits = read_go(r[1].c_str(), board, options).request.limits;
    const uint32_t mode = r[2] == "clock" ? LIMIT_CLOCK : r[2] == "depth" ? LIMIT_DEPTH : LIMIT_TIME;
    EXPECT_EQ(std::tuple(limits.mode, limits.depth_limit, limits.spare_time, limits.time_budget),
              std::tuple(mode, std::stoi(r[3]), std::stoull(r[4]), std::stoull(r[5])))
        << r[1];
  }
  // After "ponderhit", the clock of the line; the move overhead comes off the clock first.
  GoCommand ponder = read_go("ponder wtime 60000 btime 60000", board, options);
  EXPECT_TRUE(ponder.pondering && ponder.infinite && ponder.unbounded);
  EXPECT_EQ(std::pair(ponder.request.on_ponderhit.mode, ponder.request.on_ponderhit.time_budget),
            std::pair(LIMIT_CLOCK, uint64_t(1450)));
  options.move_overhead = 1000;
  SearchLimits limits = read_go("wtime 60000 btime 60000", board, options).request.limits;
  EXPECT_EQ(std::pair(limits.spare_time, limits.time_budget), std::pair(uint64_t(58000), uint64_t(1425)));
  EXPECT_EQ(read_go("wtime 60000", board, options).request.search_moves.count, 0);
  EXPECT_EQ(read_go("depth 3 searchmoves e1d1 e1f1 e9e8 e1e2", board, options).request.search_moves.count, 3);
  // The end of input stops only a search that would never end by itself.
  for (const char* unbounded : {"infinite", "mate 3", "depth 63", "ponder movetime 10"})
    EXPECT_TRUE(read_go(unbounded, board, options).unbounded) << unbounded;
  for (const char* bounded : {"", "depth 62", "nodes 100", "movetime 10", "mate 3 nodes 100", "wtime 10"})
    EXPECT_FALSE(read_go(bounded, board, options).unbounded) << bounded;
}
