// Move ordering by selection: the generator's ordering key ranks a move
// (hash move, promotions, captures by victim, checks, escapes, advances);
// ties fall to the history of quiet moves, then to square centrality, then to
// the whole word, so no two different moves ever tie.
#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "search/internal.h"

namespace velta {

namespace {

// Files plus ranks away from the nearest corner: 0 in the corners, 6 in the centre.
constexpr std::array<int8_t, 64> centre_distance = [] {
  std::array<int8_t, 64> t{};
  for (int s = 0; s < 64; ++s)
    t[s] = int8_t(std::min(file_of(s), 7 - file_of(s)) + std::min(rank_of(s), 7 - rank_of(s)));
  return t;
}();
static_assert(centre_distance[0] == 0 && centre_distance[27] == 6 && centre_distance[36] == 6);

// The order as one number, larger first. The generator's key decides; a quiet
// move (key 0) is ranked by its history; then the more central destination and
// the less central origin; then the less valuable mover and the origin and
// destination furthest advanced for the mover, read from the low 16 bits of
// the word, ranks mirrored for Black (equal keys leave the high bits equal).
// Bits: 22-55 key or history, 16-21 centrality, 0-15 the word.
constexpr int PRIMARY_SHIFT = 22;
constexpr uint64_t SECONDARY_BITS = (uint64_t(1) << PRIMARY_SHIFT) - 1;

inline uint64_t history_rank(const int32_t (&history)[8][64], Move m) {
  return uint64_t(int64_t(history[move_piece_code(m)][move_to(m)]) + (int64_t(1) << 31)) << PRIMARY_SHIFT;
}

// Below the primary part: centrality and the word.
inline uint64_t secondary_rank(Move m, Move flip) {
  uint64_t centrality = uint64_t(centre_distance[move_to(m)] * 8 + (7 - centre_distance[move_from(m)]));
  return centrality << 16 | ((m ^ flip) & 0xffff);
}

// The value of a move with an ordering key.
inline uint64_t order_value(Move m, Move flip) {
  return ((uint64_t(1) << 33) + ((m & ORDER_KEY_MASK) >> 16)) << PRIMARY_SHIFT | secondary_rank(m, flip);
}

// The value of a quiet move.
inline uint64_t quiet_value(const int32_t (&history)[8][64], Move m, Move flip) {
  return history_rank(history, m) | secondary_rank(m, flip);
}

inline uint64_t order_value(const int32_t (&history)[8][64], Move m, Move flip) {
  return m & ORDER_KEY_MASK ? order_value(m, flip) : quiet_value(history, m, flip);
}

// At the root the hash move comes first, then the moves whose last search
// took the most nodes, then the order of every other node.
bool beats_at_root(const SearchContext& ctx, Move m, Move c, int side) {
  if ((m ^ c) & MOVE_HASH) return m & MOVE_HASH;
  uint64_t nodes_m = ctx.move_node_counts[m & SQUARES_MASK], nodes_c = ctx.move_node_counts[c & SQUARES_MASK];
  if (nodes_m != nodes_c) return nodes_m > nodes_c;
  Move flip = side ? 0 : MIRROR_RANKS;
  return order_value(ctx.history_table[side], m, flip) > order_value(ctx.history_table[side], c, flip);
}

// Puts the moves with an ordering key first, from entry i on, and values them.
void split_moves(MoveOrder& order, MoveList& list, int i, Move flip) {
  int keyed_end = i;
  for (int j = i; j < list.count; ++j)
    if (list.moves[j] & ORDER_KEY_MASK) {
      std::swap(list.moves[j], list.moves[keyed_end]);
      order.values[keyed_end] = order_value(list.moves[keyed_end], flip);
      ++keyed_end;
    }
  order.keyed_end = keyed_end;
  order.valid = true;
  order.quiet_valued = order.sorted = false;
}

// Brings the best of entries i..end-1 to entry i.
Move select(MoveOrder& order, MoveList& list, int i, int end) {
  int best = i;
  for (int j = i + 1; j < end; ++j)
    if (order.values[j] > order.values[best]) best = j;
  std::swap(list.moves[i], list.moves[best]);
  std::swap(order.values[i], order.values[best]);
  return list.moves[i];
}

// Sorts the quiet entries i.. best first. A quiet move's word is the low
// bits of its value (squares and piece, ranks mirrored back for Black).
void sort_quiet(MoveOrder& order, MoveList& list, int i, Move flip) {
  std::sort(order.values + i, order.values + list.count, std::greater<uint64_t>());
  for (int j = i; j < list.count; ++j) list.moves[j] = Move(order.values[j] & 0xffff) ^ flip;
  order.sorted = true;
}

}  // namespace

bool only_quiet_moves_left(SearchContext& ctx, int ply, int i) {
  MoveOrder& order = ctx.order[ply];
  if (!order.valid)
    split_moves(order, ctx.board.current->moves, i, ctx.board.current->us->colour->is_white ? 0 : MIRROR_RANKS);
  return i >= order.keyed_end;
}

// Values are all different, so picking the best of the rest each time gives
// one order however the list stands. The hash move, put first with the
// highest key, is taken without ranking the others. The history may change
// between two picks at one node (the subtrees below update it): quiet moves
// are then ranked afresh; while it stays as it was, they are sorted once.
Move pick_best(SearchContext& ctx, int ply, int i) {
  MoveList& list = ctx.board.current->moves;
  MoveOrder& order = ctx.order[ply];
  if (i == 0) order.valid = false;
  if (i == 0 && (list.moves[0] & MOVE_HASH)) return list.moves[0];
  int side = ctx.board.current->us->colour->is_white;
  Move flip = side ? 0 : MIRROR_RANKS;
  if (!order.valid) split_moves(order, list, i, flip);
  if (i < order.keyed_end) return select(order, list, i, order.keyed_end);
  const int32_t(&history)[8][64] = ctx.history_table[side];
  if (!order.quiet_valued) {
    for (int j = i; j < list.count; ++j) order.values[j] = quiet_value(history, list.moves[j], flip);
    order.quiet_valued = true, order.sorted = false;
  } else if (order.history_version != ctx.history_version) {
    // Only the history part can have changed.
    for (int j = i; j < list.count; ++j)
      order.values[j] = history_rank(history, list.moves[j]) | (order.values[j] & SECONDARY_BITS);
    order.sorted = false;
  } else if (!order.sorted && i > order.keyed_end) {
    sort_quiet(order, list, i, flip);
  }
  order.history_version = ctx.history_version;
  return order.sorted ? list.moves[i] : select(order, list, i, list.count);
}

// The picking order with an empty history: every value differs, so sorting
// by value gives the sequence that picking the best each time would.
void order_moves(Position& p) {
  static constexpr int32_t no_history[8][64] = {};
  Move flip = p.us->colour->is_white ? 0 : MIRROR_RANKS;
  std::sort(p.moves.moves, p.moves.moves + p.moves.count,
            [&](Move a, Move b) { return order_value(no_history, a, flip) > order_value(no_history, b, flip); });
}

Move pick_best_root(SearchContext& ctx, int i) {
  MoveList& list = ctx.board.current->moves;
  int side = ctx.board.current->us->colour->is_white;
  int best = i;
  for (int j = i + 1; j < list.count; ++j)
    if (beats_at_root(ctx, list.moves[j], list.moves[best], side)) best = j;
  std::swap(list.moves[i], list.moves[best]);
  return list.moves[i];
}

}  // namespace velta
