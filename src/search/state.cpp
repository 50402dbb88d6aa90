// What every level of the search shares: the resets, the draw test, the
// periodic poll, and the root's progress lines with their principal variation.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "movegen/movegen.h"
#include "search/internal.h"

namespace velta {

namespace {
ReductionTable reductions;  // written by init_reduction_table only
}  // namespace

const ReductionTable& reduction_table = reductions;

// The first and last rows and columns stay zero: the 64th and later moves of
// a list are never reduced, nor is anything at depth 63.
void init_reduction_table() {
  memset(reductions, 0, sizeof reductions);
  for (int a = 1; a < REDUCTION_ROWS - 1; ++a)
    for (int b = 1; b < MAX_PLY; ++b) reductions[a][b] = int(std::log(a) * std::log(b) / 1.3);
}

void reset_after_search(SearchContext& ctx) {
  ctx.state = SearchState{};
  ctx.limits = SearchLimits{};
  memset(ctx.history_table, 0, sizeof ctx.history_table);
  memset(ctx.move_node_counts, 0, sizeof ctx.move_node_counts);
  ctx.search_moves.count = ctx.excluded.count = ctx.line_count = 0;
}

bool root_move_searched(const SearchContext& ctx, Move m) {
  // A flagged castling may share its squares with a king step (Chess960).
  constexpr Move IDENTITY = SQUARES_MASK | MOVE_CASTLING | Move(7) << PROMOTION_SHIFT;
  auto listed = [m](const MoveList& list) {
    for (int i = 0; i < list.count; ++i)
      if (!((list.moves[i] ^ m) & IDENTITY)) return true;
    return false;
  };
  return (!ctx.search_moves.count || listed(ctx.search_moves)) && !listed(ctx.excluded);
}

void reset_new_game(SearchContext& ctx) {
  reset_after_search(ctx);
  tt_clear(*ctx.tt);
}

uint64_t nodes_per_second(uint64_t nodes, uint64_t ms) { return ms ? nodes / ms * 1000 : 0; }

// Walks back while the halfmove clock counts down, so through positions that
// may repeat the current one.
bool third_occurrence(const Board& b) {
  const Position& p = *b.current;
  int k = b.ply_count;
  int matches = 0;
  for (int j = k - 1; j >= 0; --j) {
    if (b.stack[j].key == p.key && ++matches == 2) return true;
    if (j == 0 || b.stack[j].halfmove_clock <= b.stack[j - 1].halfmove_clock) break;
  }
  return false;
}

namespace {

constexpr uint64_t PROGRESS_INTERVAL = 2000000;  // nodes
// Under a node limit with helpers, the nodes a thread counts for the team at a time.
constexpr uint64_t TEAM_BATCH = 256;

void refresh_clock(SearchContext& ctx) {
  ctx.state.elapsed_ms = uint64_t(clock_ms() - ctx.state.start_clock);
  ctx.state.nps = nodes_per_second(nodes_searched(ctx), ctx.state.elapsed_ms);
}

// A table move is checked against the legal moves before it is made, so a
// key collision cannot put an impossible move on the board.
Move legal_table_move(SearchContext& ctx) {
  TTEntry entry;
  if (!tt_probe(*ctx.tt, ctx.board.current->key, entry) || !entry.move) return 0;
  return find_move(legal_moves(ctx.board), entry.move) >= 0 ? entry.move : 0;
}

}  // namespace

// The principal variation, followed through the table until a position
// without an entry, a null entry or a draw (so a repetition cannot loop).
// Only records above the root are used, whose move lists are free; it stops
// before the stack could overflow. The root itself may be drawn.
void collect_pv(SearchContext& ctx, Move move) {
  Board& b = ctx.board;
  if ((ctx.state.pv_length && is_draw(b)) || move == 0 || b.ply_count >= STACK_SIZE - 2) return;
  ctx.state.pv[ctx.state.pv_length++] = move;
  make_move(b, move);
  collect_pv(ctx, legal_table_move(ctx));
  take_back(b);
}

// Whether a node limit is reached. Alone, a search counts its own nodes
// exactly. With helpers, each thread adds a batch of its nodes to the team's
// count and stops once the count reaches the limit: no thread runs on while
// another one, the main search included, waits for a processor.
namespace {

bool node_limit_reached(SearchContext& ctx) {
  uint64_t limit = ctx.limits.nodes, nodes = ctx.state.nodes;
  if (!limit) return false;
  if (!ctx.team_nodes) return nodes >= limit;
  return nodes % TEAM_BATCH == 0 &&
         ctx.team_nodes->fetch_add(TEAM_BATCH, std::memory_order_relaxed) + TEAM_BATCH >= limit;
}

// What the one who runs the search has signalled: "ponderhit", which brings
// the limits of the go line with the clock counted from its arrival, and stop.
void read_signals(SearchContext& ctx) {
  const SearchSignals& signals = *ctx.signals;
  if (ctx.pondering && signals.ponderhit.load(std::memory_order_acquire)) {
    int multipv = ctx.limits.multipv;  // the lines this search settled on
    ctx.pondering = false;
    ctx.limits = ctx.on_ponderhit;
    ctx.limits.multipv = multipv;
    ctx.state.pondered_ms = uint64_t(signals.ponderhit_clock.load(std::memory_order_relaxed) - ctx.state.start_clock);
  }
  if (signals.stop.load(std::memory_order_relaxed)) ctx.state.stop = true;
}

}  // namespace

bool poll_now(SearchContext& ctx) {
  SearchState& state = ctx.state;
  if (ctx.helper_index) {  // stopped by the main search, which counts its nodes
    ctx.published_nodes.store(state.nodes, std::memory_order_relaxed);
    ctx.published_tbhits.store(state.tbhits, std::memory_order_relaxed);
    if (ctx.signals->stop.load(std::memory_order_relaxed) || node_limit_reached(ctx)) state.stop = true;
    return state.stop;
  }
  if (node_limit_reached(ctx)) state.stop = true;
  if (state.nodes == 0 || state.nodes % POLL_INTERVAL != 0) return state.stop;
  refresh_clock(ctx);
  if (budget_spent(ctx)) state.stop = true;
  if (ctx.sink && ctx.sink->poll) ctx.sink->poll(ctx.sink->owner);
  if (ctx.signals) read_signals(ctx);
  if (ctx.sink && state.nodes % PROGRESS_INTERVAL == 0) {
    SearchInfo info = search_info(ctx, 0);
    info.current_move = state.current_root_move, info.current_move_number = state.current_root_move_number;
    ctx.sink->progress(ctx.sink->owner, info);
  }
  return state.stop;
}

SearchInfo search_info(SearchContext& ctx, int score) {
  const SearchState& state = ctx.state;
  SearchInfo info{};
  info.depth = state.iteration_depth, info.seldepth = state.seldepth, info.score = score;
  info.elapsed_ms = state.elapsed_ms, info.nps = state.nps;
  info.nodes = state.nodes + state.helper_nodes, info.tbhits = state.tbhits + state.helper_tbhits;
  info.hashfull = hashfull(*ctx.tt);
  info.tables = ctx.tb.largest > 0;
  info.table_score = state.root_in_tb && !is_mate_score(score);
  info.material = state.root_material;
  info.pv = state.pv, info.pv_length = state.pv_length;
  info.game = &ctx.board;
  return info;
}

void report_line(SearchContext& ctx, Move move, int score, bool lower_bound) {
  SearchState& state = ctx.state;
  // A root the tables cover shows their score, unless the search found a mate.
  if (state.root_in_tb && !is_mate_score(score)) score = state.tb_root_score;
  state.reported_score = score;
  state.reported_move = move;
  state.reported_depth = state.iteration_depth, state.reported_seldepth = state.seldepth;
  if (!ctx.sink || ctx.limits.multipv > 1) return;
  refresh_clock(ctx);
  state.pv_length = 0;
  collect_pv(ctx, move);
  SearchInfo info = search_info(ctx, score);
  info.lower_bound = lower_bound;
  ctx.sink->root_line(ctx.sink->owner, info);
}

void report_lines(SearchContext& ctx) {
  if (!ctx.sink) return;
  refresh_clock(ctx);
  for (int i = 0; i < std::min(ctx.line_count, ctx.shown_lines); ++i) {
    ctx.state.pv_length = 0;
    collect_pv(ctx, ctx.lines[i].move);
    SearchInfo info = search_info(ctx, ctx.lines[i].score);
    info.seldepth = ctx.lines[i].seldepth, info.multipv = i + 1;
    ctx.sink->multipv_line(ctx.sink->owner, info);
  }
}

}  // namespace velta
