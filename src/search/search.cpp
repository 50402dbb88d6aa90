// The alpha-beta search: fail-soft principal-variation search over the stack
// of position records, with the table, null move, razoring, reverse futility,
// futility and history pruning, late-move reductions, internal iterative
// deepening and an extension for forced moves.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/internal.h"

namespace velta {

namespace {

// Margins by remaining depth: futility pruning of quiet moves, and per ply of
// depth, razoring and reverse futility.
constexpr int FUTILITY_MARGIN[3] = {0, 200, 500};
constexpr int RAZOR_MARGIN = 100, REVERSE_FUTILITY_MARGIN = 200;
// A root score this far below the last iteration's marks the root unsettled.
constexpr int SCORE_DROP = 100;
constexpr Move FLAG_BITS = 0xf0000000;  // hash_move and the unused bits above it

inline bool quiet(Move m) { return !(m & ORDER_KEY_MASK); }
inline bool quiet_for_history(Move m) { return !(m & ORDER_KEY_MASK & ~MOVE_HASH); }

bool all_quiet(const MoveList& list) {
  for (int i = 0; i < list.count; ++i)
    if (!quiet(list.moves[i])) return false;
  return true;
}

// A quiet move that refutes the node gains depth squared; the quiet moves
// tried before it lose depth.
// Counters saturate instead of overflowing in a search of billions of nodes.
void add_history(SearchContext& ctx, int side, Move m, int amount) {
  int32_t& h = ctx.history_table[side][move_piece_code(m)][move_to(m)];
  h = int32_t(std::clamp<int64_t>(int64_t(h) + amount, INT32_MIN, INT32_MAX));
  ++ctx.history_version;
}

void reward_cutoff(SearchContext& ctx, const MoveList& list, int i, int depth, int side) {
  if (!quiet_for_history(list.moves[i])) return;
  add_history(ctx, side, list.moves[i], depth * depth);
  for (int j = 0; j < i; ++j)
    if (quiet_for_history(list.moves[j])) add_history(ctx, side, list.moves[j], -depth);
}

void keep_searched_root_moves(const SearchContext& ctx, MoveList& list) {
  int kept = 0;
  for (int i = 0; i < list.count; ++i)
    if (root_move_searched(ctx, list.moves[i])) list.moves[kept++] = list.moves[i];
  list.count = kept;
}

// A node's moves. Below the root they come in two stages: those with an
// ordering key first, the quiet ones when the move loop reaches them (or
// when the hash move is quiet). Picking ranks each move by a value no other
// move shares, so the stages change no order. The root takes all its moves
// at once, only those this search of it takes part in.
struct Stages {
  bool generated;       // the first stage is in the list
  bool quiets_to_come;  // the quiet stage is not
};

void generate_first_stage(SearchContext& ctx, Position& p, int ply, Stages& stages) {
  stages.generated = true;
  stages.quiets_to_come = ply > 0;
  if (ply > 0) return generate_moves(p, GEN_KEYED);
  generate_moves(p, GEN_ALL);
  if (ctx.search_moves.count || ctx.excluded.count) keep_searched_root_moves(ctx, p.moves);
}

void generate_quiet_stage(Position& p, Stages& stages) {
  if (stages.quiets_to_come) generate_moves(p, GEN_QUIET), stages.quiets_to_come = false;
}

// The number of legal moves, exact below two: read from the list when it
// holds them all or two at least, else counted without building them.
int legal_move_count(Position& p, const Stages& stages) {
  if (stages.generated && (!stages.quiets_to_come || p.moves.count >= 2)) return p.moves.count;
  return count_legal_moves_up_to_two(p);
}

// Where pruning is safe: not at the root nor right after a null move, not
// at a PV node, not in check, not in a pawn ending (zugzwang) and not with
// a mate score in the window.
bool may_prune_at(const Board& board, bool pv_node, bool in_check, int alpha, int beta) {
  if (board.ply_count == 0 || pv_node || in_check) return false;
  if (board.stack[board.ply_count - 1].move_played == 0) return false;
  return !has_king_and_pawns_only(*board.current) && !is_mate_score(alpha) && !is_mate_score(beta);
}

// Whether null move (deeper) or reverse futility (the last two plies) will
// likely settle a node: its static score stands above beta by their margin.
bool likely_settled(int eval, int beta, int depth) {
  return depth > 2 ? eval > beta : eval - REVERSE_FUTILITY_MARGIN * depth >= beta;
}

void hash_move_first(MoveList& list, Move hash_move) {
  int i = hash_move ? find_move(list, hash_move) : -1;
  if (i < 0) return;
  std::swap(list.moves[0], list.moves[i]);
  list.moves[0] |= MOVE_HASH;
}

}  // namespace

int search(SearchContext& ctx, int ply, int horizon, int alpha, int beta, bool in_check) {
  // 1-4. Horizon, node count, poll, draws (the root is searched even when drawn).
  if (ply >= horizon) return quiesce(ctx, ply, horizon, alpha, beta, in_check);
  SearchState& state = ctx.state;
  Board& board = ctx.board;
  if (state.stop) return 0;
  ++state.nodes;
  if (ply > state.seldepth) state.seldepth = ply;
  if (poll(ctx)) return 0;
  if (ply > 0 && is_draw(board)) return 0;
  Position& p = *board.current;
  const int depth = horizon - ply;
  const bool pv_node = beta - alpha > 1;

  // 5. Before the table probe, work that does not depend on it keeps the
  // processor busy while the bucket comes from memory: check information,
  // attack maps, the static score where pruning may read it, and the first
  // stage of moves, unless null move or reverse futility will likely settle
  // the node (then the null move's bucket is requested instead).
  prepare_node(p);
  const bool may_prune_here = may_prune_at(board, pv_node, in_check, alpha, beta);
  const int eval = may_prune_here ? evaluate(p) : 0;
  Stages stages{};
  if (!may_prune_here || !likely_settled(eval, beta, depth))
    generate_first_stage(ctx, p, ply, stages);
  else if (depth > 2)
    tt_prefetch(*ctx.tt, key_after_null(p));

  // 6. Table probe: the move always, the score only at zero-window nodes.
  Move hash_move = 0;
  if (TTEntry e; tt_probe(*ctx.tt, p.key, e)) {
    hash_move = e.move;
    if (!pv_node && e.depth >= depth && tt_usable(e, alpha, beta)) return e.score;
  }

  // 7. Endgame tables, after a capture or pawn move: a covered position's
  // result is exact, a win or loss a bound. Stored like a deep search.
  if (ply > 0 && p.halfmove_clock == 0 && depth >= ctx.tb.probe_depth && tb_covers(ctx, p)) {
    if (int score; tb_probe(ctx, p, ply, score)) {
      ++state.tbhits;
      // The window that makes the stored bound lower for a win, upper for a loss, exact for a draw.
      int low = score > 0 ? -INFINITE_SCORE : score < 0 ? score : -1, high = score > 0 ? score : INFINITE_SCORE;
      tt_store(*ctx.tt, p.key, 0, score, low, score == 0 ? 1 : high, std::min(depth + 6, MAX_PLY));
      if (score == 0 || (score > 0 && score >= beta) || (score < 0 && score <= alpha)) return score;
    }
  }

  // 8. No legal move: mate or stalemate.
  const int move_count = legal_move_count(p, stages);
  if (move_count == 0) return in_check ? ply - MATE : 0;
  // A forced move is never pruned, nor reduced.
  const bool prunable = may_prune_here && move_count >= 2;

  // 9. Null move: if passing still fails high, so will a real move.
  if (prunable && depth > 2 && eval > beta) {
    make_null_move(board);
    int v = -search(ctx, ply + 1, horizon - (depth / 4 + 3), -beta, -alpha, false);
    take_back(board);
    if (v >= beta) return eval;
  }

  // 10. Razoring and reverse futility, in the last two plies: a static score
  // far below alpha with nothing tactical to try, or far above beta, decides.
  const bool shallow = prunable && depth <= 2;
  if (shallow) {
    int razor = eval + RAZOR_MARGIN * depth, reverse = eval - REVERSE_FUTILITY_MARGIN * depth;
    if (razor <= alpha && all_quiet(p.moves)) return razor;  // (never at a node without its moves: eval > alpha)
    if (reverse >= beta) return reverse;
  }

  // 11. Internal iterative deepening finds a first move for a PV node; its
  // search used this node's move list, which is generated again.
  if (pv_node && !hash_move && depth > 2) {
    search(ctx, ply, horizon - 2, alpha, beta, in_check);
    TTEntry e;
    hash_move = tt_probe(*ctx.tt, p.key, e) ? e.move : 0;
    generate_first_stage(ctx, p, ply, stages);
  }
  if (!stages.generated) generate_first_stage(ctx, p, ply, stages);

  // 12. Hash move first; a forced move is searched one ply deeper.
  MoveList& list = p.moves;
  if (hash_move && quiet(hash_move)) generate_quiet_stage(p, stages);
  hash_move_first(list, hash_move);
  if (move_count == 1 && horizon <= MAX_PLY - 1) ++horizon;

  // 13. The move loop. Futility: in the last two plies, a static score this
  // far below alpha leaves no quiet move worth a search; history pruning:
  // nor a quiet move with a bad history once three were tried; late quiet
  // moves are reduced.
  const bool futile = shallow && alpha >= eval + FUTILITY_MARGIN[depth];
  const int side = p.us->colour->is_white;
  int best = -INFINITE_SCORE, quiet_count = 0;
  Move best_move = 0;
  uint64_t snapshot = state.nodes;
  for (int i = 0;; ++i) {
    // Once only quiet moves are left, none is generated or ranked.
    if (futile && i >= 1 && only_quiet_moves_left(ctx, ply, i)) break;
    if (i == list.count) generate_quiet_stage(p, stages);
    if (i == list.count) break;
    int a = std::max(alpha, best);
    Move m;
    if (ply > 0) {
      m = pick_best(ctx, ply, i);
    } else {
      m = pick_best_root(ctx, i);
      state.current_root_move = m;
      state.current_root_move_number = i + 1;
    }
    if (quiet(m)) ++quiet_count;
    if (quiet(m) && i >= 1 && shallow && quiet_count >= 3 && history_entry(ctx, side, m) < 0) break;
    int r = quiet_count >= 3 && prunable ? reduction_table[std::min(i, REDUCTION_ROWS - 1)][depth] : 0;
    bool child_in_check = m & (MOVE_CHECK | MOVE_DISCOVERED);

    uint64_t key = key_after(p, m);
    tt_prefetch(*ctx.tt, key);
    make_move(board, m, key);
    int v;
    if (i == 0) {
      v = -search(ctx, ply + 1, horizon, -beta, -a, child_in_check);
    } else {
      v = -search(ctx, ply + 1, horizon - r, -a - 1, -a, child_in_check);
      if (v > a && (r > 0 || pv_node)) v = -search(ctx, ply + 1, horizon, -beta, -a, child_in_check);
    }
    take_back(board);
    if (state.stop) return 0;

    if (v > best) {
      best_move = m & ~FLAG_BITS;
      if (ply == 0 && ctx.limits.mode != LIMIT_DEPTH) {
        report_line(ctx, best_move, v, true);
        if (i > 0 && !ctx.excluded.count) state.instability = 1;
        if (state.iteration_depth > 1 && v < state.previous_score - SCORE_DROP && !ctx.excluded.count)
          state.instability = 2;
      }
      if (v >= beta) {
        reward_cutoff(ctx, list, i, depth, side);
        best = v;
        break;
      }
      best = v;
    }
    if (ply == 0) {
      ctx.move_node_counts[m & SQUARES_MASK] = state.nodes - snapshot;
      snapshot = state.nodes;
    }
  }

  // 14. Store, with the window the node was called with.
  tt_store(*ctx.tt, p.key, best_move, best, alpha, beta, depth);
  if (ply == 0) report_line(ctx, best_move, best, false);
  return best;
}

}  // namespace velta
