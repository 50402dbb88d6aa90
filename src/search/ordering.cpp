// Move ordering by selection: the generator's ordering key ranks a move
// (hash move, promotions, captures by victim, checks, escapes, advances);
// ties fall to the history of quiet moves, then to square centrality, then to
// the whole word, so no two different moves ever tie.
#include <algorithm>
#include <array>
#include <utility>

#include "search/search.h"

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

// Whether m beats the current candidate c (both of the side to move).
bool beats(SearchContext& ctx, Move m, Move c, int side) {
  Move key_m = m & ORDER_KEY_MASK, key_c = c & ORDER_KEY_MASK;
  if (key_m != key_c) return key_m > key_c;
  if (key_m == 0) {
    int history_m = history_entry(ctx, side, m), history_c = history_entry(ctx, side, c);
    if (history_m != history_c) return history_m > history_c;
  }
  // More central destination first, then the less central origin.
  int z_m = centre_distance[move_to(m)] * 8 + (7 - centre_distance[move_from(m)]);
  int z_c = centre_distance[move_to(c)] * 8 + (7 - centre_distance[move_from(c)]);
  if (z_m != z_c) return z_m > z_c;
  // Less valuable mover, then the origin and destination furthest advanced for the mover.
  Move flip = side ? 0 : MIRROR_RANKS;
  return int32_t(m ^ flip) > int32_t(c ^ flip);
}

// At the root the hash move comes first, then the moves whose last search took the most nodes.
bool beats_at_root(SearchContext& ctx, Move m, Move c, int side) {
  if ((m ^ c) & MOVE_HASH) return m & MOVE_HASH;
  uint64_t nodes_m = ctx.move_node_counts[m & SQUARES_MASK], nodes_c = ctx.move_node_counts[c & SQUARES_MASK];
  if (nodes_m != nodes_c) return nodes_m > nodes_c;
  return beats(ctx, m, c, side);
}

template <bool ROOT>
Move select(SearchContext& ctx, int i) {
  MoveList& list = ctx.board.current->moves;
  int side = ctx.board.current->us->colour->is_white;
  int best = i;
  for (int j = i + 1; j < list.count; ++j)
    if (ROOT ? beats_at_root(ctx, list.moves[j], list.moves[best], side) : beats(ctx, list.moves[j], list.moves[best], side))
      best = j;
  std::swap(list.moves[i], list.moves[best]);
  return list.moves[i];
}

}  // namespace

Move pick_best(SearchContext& ctx, int i) { return select<false>(ctx, i); }
Move pick_best_root(SearchContext& ctx, int i) { return select<true>(ctx, i); }

}  // namespace velta
