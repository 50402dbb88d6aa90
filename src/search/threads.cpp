// Lazy SMP: helper threads search the same root as the main search, each
// with its own context, and help it only through the shared transposition
// table. They start some iterations one or two plies deeper, so that they
// reach other parts of the tree first, and never report: the main search
// owns the clock and every line.
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "search/internal.h"

namespace velta {

struct HelperPool {
  std::vector<std::unique_ptr<SearchContext>> contexts;
  std::vector<std::thread> threads;
  std::mutex mutex;
  std::condition_variable wake, done;
  uint64_t generation = 0;  // one more for each search started
  int running = 0;          // helpers still searching
  bool quit = false;
  SearchSignals signals;                // the helpers' stop, raised by the main search
  std::atomic<uint64_t> team_nodes{0};  // every thread's nodes under a node limit, in batches
};

namespace {

// `seen` is the pool's search count when the helper was made: a helper made
// after some searches must wait for the next one, not join one long finished
// on a context that was never prepared.
void helper_main(HelperPool& pool, SearchContext& ctx, uint64_t seen) {
  for (;;) {
    {
      std::unique_lock lock(pool.mutex);
      pool.wake.wait(lock, [&] { return pool.quit || pool.generation != seen; });
      if (pool.quit) return;
      seen = pool.generation;
    }
    search_position(ctx);
    std::lock_guard lock(pool.mutex);
    if (--pool.running == 0) pool.done.notify_all();
  }
}

void join_all(HelperPool& pool) {
  {
    std::lock_guard lock(pool.mutex);
    pool.quit = true;
  }
  pool.wake.notify_all();
  for (std::thread& t : pool.threads) t.join();
  pool.threads.clear();
  pool.contexts.clear();
  pool.quit = false;
}

// The helper gets the main search's game and root moves; it searches without
// limits of its own until the main search stops it.
void prepare(SearchContext& helper, const SearchContext& main) {
  copy_game(helper.board, main.board);
  reset_after_search(helper);
  helper.limits.mode = LIMIT_DEPTH;
  helper.limits.depth_limit = MAX_PLY;
  helper.limits.nodes = main.limits.nodes;
  helper.search_moves = main.search_moves;
  helper.tb = main.tb;
  helper.published_nodes.store(0, std::memory_order_relaxed);
  helper.published_tbhits.store(0, std::memory_order_relaxed);
}

}  // namespace

void destroy_pool(HelperPool* pool) {
  if (pool) join_all(*pool);
  delete pool;
}

// Creating, resizing and destroying the helpers are the only steps that allocate.
void set_search_threads(SearchContext& ctx, int threads) {
  if (!THREADS_AVAILABLE) return;
  if (!ctx.pool) ctx.pool = new HelperPool;
  HelperPool& pool = *ctx.pool;
  join_all(pool);
  for (int i = 1; i < threads; ++i) {
    auto helper = std::make_unique<SearchContext>();
    helper->tt = ctx.tt;
    helper->helper_index = i;
    helper->signals = &pool.signals;
    helper->team_nodes = &pool.team_nodes;
    pool.contexts.push_back(std::move(helper));
  }
  for (auto& helper : pool.contexts)
    pool.threads.emplace_back(helper_main, std::ref(pool), std::ref(*helper), pool.generation);
}

int helper_count(const HelperPool& pool) { return int(pool.contexts.size()); }

void start_helpers(HelperPool& pool, SearchContext& main) {
  for (auto& helper : pool.contexts) prepare(*helper, main);
  pool.signals.stop = false;
  pool.team_nodes = 0;
  main.team_nodes = &pool.team_nodes;
  {
    std::lock_guard lock(pool.mutex);
    pool.running = helper_count(pool);
    ++pool.generation;
  }
  pool.wake.notify_all();
}

void stop_helpers(HelperPool& pool) {
  pool.signals.stop = true;
  std::unique_lock lock(pool.mutex);
  pool.done.wait(lock, [&] { return pool.running == 0; });
}

uint64_t nodes_searched(SearchContext& ctx) {
  if (ctx.pool) {
    ctx.state.helper_nodes = ctx.state.helper_tbhits = 0;
    for (auto& helper : ctx.pool->contexts) {
      ctx.state.helper_nodes += helper->published_nodes.load(std::memory_order_relaxed);
      ctx.state.helper_tbhits += helper->published_tbhits.load(std::memory_order_relaxed);
    }
  }
  return ctx.state.nodes + ctx.state.helper_nodes;
}

}  // namespace velta
