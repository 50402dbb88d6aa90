// The limits a "go" line sets.
#include <tuple>

#include "common/helpers.h"
#include "uci/uci.h"

TEST(Go, LimitsOfTheLine) {
  const struct {
    bool white;
    const char* args;
    uint32_t mode;
    int32_t depth;
    uint64_t spare, budget;
  } cases[] = {{true, "wtime 60000 btime 60000", LIMIT_CLOCK, 0, 59000, 1450},
               {true, "wtime 60000 btime 60000 winc 1000 binc 1000", LIMIT_CLOCK, 0, 59000, 2450},
               {true, "wtime 10000 btime 10000 movestogo 0", LIMIT_CLOCK, 0, 9000, 8975},
               {true, "wtime 900 btime 900 winc 100 binc 100", LIMIT_CLOCK, 0, 0, 75},
               {true, "wtime 500 btime 500", LIMIT_CLOCK, 0, 0, 0},
               {false, "wtime 1000 btime 61000", LIMIT_CLOCK, 0, 60000, 1475},
               {false, "btime 5000 wtime 5000 movestogo 5", LIMIT_CLOCK, 0, 4000, 775},
               {true, "wtime 60000 depth 5", LIMIT_CLOCK, 0, 59000, 1450},  // depth counts only right after "go"
               {true, "wtime -5000", LIMIT_CLOCK, 0, 0, 0},                 // a negative clock is no time at all
               {true, "", LIMIT_DEPTH, 10, 0, 0},
               {true, "infinite", LIMIT_TIME, 0, 0, 1000000000},
               {true, "depth 0", LIMIT_DEPTH, 0, 0, 0},
               {true, "depth 0x10", LIMIT_DEPTH, 16, 0, 0},
               {true, "movetime 500", LIMIT_TIME, 0, 0, 500},
               // Limits of their own: nodes and mate alone search up to the depth cap.
               {true, "nodes 5000", LIMIT_DEPTH, 63, 0, 0},
               {true, "mate 3", LIMIT_DEPTH, 63, 0, 0},
               {true, "searchmoves e1d1 e1f1", LIMIT_DEPTH, 10, 0, 0},
               {true, "searchmoves e1d1 depth 5", LIMIT_DEPTH, 5, 0, 0},
               {true, "wtime 60000 btime 60000 nodes 100 searchmoves e1d1", LIMIT_CLOCK, 0, 59000, 1450},
               {true, "ponder wtime 60000 btime 60000", LIMIT_TIME, 0, 0, 1000000000}};
  auto owned = std::make_unique<Board>();
  Board& board = *owned;
  OptionValues options{};
  options.multipv = 1;
  for (const auto& c : cases) {
    load(board, c.white ? "4k3/8/8/8/8/8/8/4K3 w - - 0 1" : "4k3/8/8/8/8/8/8/4K3 b - - 0 1");
    const SearchLimits limits = read_go(c.args, board, options).request.limits;
    EXPECT_EQ(std::tuple(limits.mode, limits.depth_limit, limits.spare_time, limits.time_budget),
              std::tuple(c.mode, c.depth, c.spare, c.budget))
        << c.args;
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
