// Search contexts are independent: two searches in one process, one after the
// other or at the same time, each get the answers they get alone; and the
// time rule's extension for an unsettled root.
#include <thread>

#include "common/helpers.h"

namespace {

struct Answer {
  Move move;
  int score;
  uint64_t nodes;
  bool operator==(const Answer&) const = default;
};

Answer search_to_depth(TestContext& test, const char* fen, int depth) {
  SearchContext& ctx = *test.ctx;
  load(ctx.board, fen);
  reset_new_game(ctx);
  ctx.limits.mode = LIMIT_DEPTH;
  ctx.limits.depth_limit = depth;
  SearchResult result = search_position(ctx);
  return {result.best_move, result.score, ctx.state.nodes};
}

TEST(SearchContext, TwoSearchesSideBySide) {
  const char* fens[2] = {"r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16",
                         "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"};
  TestContext a, b;
  Answer alone[2] = {search_to_depth(a, fens[0], 8), search_to_depth(b, fens[1], 7)};
  Answer together[2];
  std::thread second([&] { together[1] = search_to_depth(b, fens[1], 7); });
  together[0] = search_to_depth(a, fens[0], 8);
  second.join();
  EXPECT_TRUE(together[0] == alone[0] && together[1] == alone[1]);
  EXPECT_GT(alone[0].nodes, 10000u);  // long enough to overlap
}

// An unsettled root may double the budget once the clock has four budgets to
// spare; a settled one, or a short clock, stops at the budget.
TEST(TimeRule, ExtensionForAnUnsettledRoot) {
  TestContext test;
  SearchContext& ctx = *test.ctx;
  const struct {
    uint64_t spare;
    int instability;
    uint64_t elapsed;
    bool spent;
    uint64_t budget;
  } cases[] = {{59000, 0, 1449, false, 1450}, {59000, 0, 1450, true, 1450}, {59000, 1, 1450, false, 2900},
               {59000, 2, 1450, false, 2900}, {5799, 1, 1450, true, 1450},  {5800, 1, 1450, false, 2900}};
  for (const auto& c : cases) {
    ctx.limits = SearchLimits{LIMIT_CLOCK, 0, c.spare, 1450, 0, 0, 0};
    ctx.state = SearchState{};
    ctx.state.instability = c.instability, ctx.state.elapsed_ms = c.elapsed;
    EXPECT_EQ(budget_spent(ctx), c.spent) << c.spare << " " << c.instability << " " << c.elapsed;
    EXPECT_EQ(std::pair(ctx.limits.time_budget, bool(ctx.state.time_extended)), std::pair(c.budget, c.budget != 1450));
  }
  // An iteration that took more than half the budget (now 2900) leaves no room for the next.
  ctx.state.elapsed_ms = 1450;
  EXPECT_TRUE(another_iteration_fits(ctx));
  ctx.state.elapsed_ms = 1451;
  EXPECT_FALSE(another_iteration_fits(ctx));
}

}  // namespace
