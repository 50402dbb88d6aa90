// Move ordering by selection: the generator's ordering key ranks a move
// (hash move, promotions, captures by victim, checks, escapes, advances);
// ties fall to the history of quiet moves, then to square centrality, then to
// the whole word, so no two different moves ever tie.
#include <algorithm>
#include <array>
#include <utility>

#include "search/search.h"

namespace velta {

int32_t history_table[2][8][64];
uint64_t move_node_counts[4096];

namespace {

// Files plus ranks away from the nearest corner: 0 in the corners, 6 in the centre.
constexpr std::array<int8_t, 64> centre_distance = [] {
  std::array<int8_t, 64> t{};
  for (int s = 0; s < 64; ++s)
    t[s] = int8_t(std::min(file_of(s), 7 - file_of(s)) + std::min(rank_of(s), 7 - rank_of(s)));
  return t;
}();
static_assert(centre_distance[0] == 0 && centre_distance[27] == 6 && centre_distance[36] == 6);

inline int history_of(int side, Move m) { return history_table[side][move_piece_code(m)][move_to(m)]; }

// Whether m beats the current candidate c (both of the side to move).
bool beats(Move m, Move c, int side) {
  Move key_m = m & ORDER_KEY_MASK, key_c = c & ORDER_KEY_MASK;
  if (key_m != key_c) return key_m > key_c;
  if (key_m == 0 && history_of(side, m) != history_of(side, c)) return history_of(side, m) > history_of(side, c);
  // More central destination first, then the less central origin.
  int z_m = centre_distance[move_to(m)] * 8 + (7 - centre_distance[move_from(m)]);
  int z_c = centre_distance[move_to(c)] * 8 + (7 - centre_distance[move_from(c)]);
  if (z_m != z_c) return z_m > z_c;
  // Less valuable mover, then the origin and destination furthest advanced for the mover.
  Move flip = side ? 0 : MIRROR_RANKS;
  return int32_t(m ^ flip) > int32_t(c ^ flip);
}

// At the root the hash move comes first, then the moves whose last search took the most nodes.
bool beats_at_root(Move m, Move c, int side) {
  if ((m ^ c) & MOVE_HASH) return m & MOVE_HASH;
  uint64_t nodes_m = move_node_counts[m & 0xfff], nodes_c = move_node_counts[c & 0xfff];
  if (nodes_m != nodes_c) return nodes_m > nodes_c;
  return beats(m, c, side);
}

template <bool ROOT>
Move select(int i) {
  MoveList& list = current_position->moves;
  int side = current_position->us->colour->is_white;
  int best = i;
  for (int j = i + 1; j < list.count; ++j)
    if (ROOT ? beats_at_root(list.moves[j], list.moves[best], side) : beats(list.moves[j], list.moves[best], side))
      best = j;
  std::swap(list.moves[i], list.moves[best]);
  return list.moves[i];
}

}  // namespace

Move pick_best(int i) { return select<false>(i); }
Move pick_best_root(int i) { return select<true>(i); }

}  // namespace velta
