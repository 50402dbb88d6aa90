// Best-first selection (below the root and at the root) and the static
// exchange test that quiescence uses to skip losing captures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/search.h"

using namespace velta;

namespace {

constexpr int sq(const char* s) { return (s[0] - 'a') + 8 * (s[1] - '1'); }
// A move word from "e2e4" text, its mover, victim and flags.
constexpr Move mv(const char* text, int piece, int captured = 0, Move flags = 0) {
  return encode_move(sq(text), sq(text + 2), piece, captured) | flags;
}

constexpr char W[] = "4k3/8/8/8/8/8/8/4K3 w - - 0 1", B[] = "4k3/8/8/8/8/8/8/4K3 b - - 0 1";

TEST(MoveOrdering, SelectionOrderAndTieBreaks) {
  const Move promote_q = encode_move(sq("b7"), sq("b8"), PAWN, 0, QUEEN);
  const Move promote_n = encode_move(sq("a7"), sq("a8"), PAWN, 0, KNIGHT);
  const Move hash_quiet = mv("b1a3", KNIGHT, 0, MOVE_HASH);
  struct Case {
    const char* name;
    const char* fen;
    bool root;
    std::vector<Move> list;                              // in generation order
    std::vector<std::pair<Move, int>> history;           // counters of the side to move
    std::vector<std::pair<Move, uint64_t>> node_counts;  // root only
    std::vector<Move> expected;                          // order of successive picks
  };
  const Case cases[] = {
      {"ordering key: promotions, victims, flags; quiet last whatever its history", W, false,
       {mv("g1f3", KNIGHT), mv("e2e4", PAWN, 0, MOVE_ADVANCE), mv("d1h5", QUEEN, 0, MOVE_CHECK),
        mv("c3d5", KNIGHT, PAWN), mv("e1d2", KING, 0, MOVE_ESCAPE), mv("e4d5", PAWN, QUEEN),
        mv("f1b5", BISHOP, 0, MOVE_DISCOVERED), promote_n, promote_q},
       {{mv("g1f3", KNIGHT), 1000}}, {},
       {promote_q, promote_n, mv("e4d5", PAWN, QUEEN), mv("c3d5", KNIGHT, PAWN), mv("f1b5", BISHOP, 0, MOVE_DISCOVERED),
        mv("d1h5", QUEEN, 0, MOVE_CHECK), mv("e1d2", KING, 0, MOVE_ESCAPE), mv("e2e4", PAWN, 0, MOVE_ADVANCE),
        mv("g1f3", KNIGHT)}},
      {"history 5 before 3 whatever the squares, a capture before both", W, false,
       {mv("b1c3", KNIGHT), mv("g1h3", KNIGHT), mv("c1g5", BISHOP, KNIGHT)},
       {{mv("b1c3", KNIGHT), 3}, {mv("g1h3", KNIGHT), 5}, {mv("c1g5", BISHOP), -100}}, {},
       {mv("c1g5", BISHOP, KNIGHT), mv("g1h3", KNIGHT), mv("b1c3", KNIGHT)}},
      {"no history between captures of equal keys", W, false, {mv("b1a3", KNIGHT, PAWN), mv("d2e4", KNIGHT, PAWN)},
       {{mv("b1a3", KNIGHT), 50}}, {}, {mv("d2e4", KNIGHT, PAWN), mv("b1a3", KNIGHT, PAWN)}},
      {"central destination first, then the less central origin", W, false,
       {mv("g1h3", KNIGHT), mv("e2d4", KNIGHT), mv("b1c3", KNIGHT), mv("b3d4", KNIGHT)}, {}, {},
       {mv("b3d4", KNIGHT), mv("e2d4", KNIGHT), mv("b1c3", KNIGHT), mv("g1h3", KNIGHT)}},
      {"white: cheaper mover, then the origin furthest up the board", W, false,
       {mv("a2a3", ROOK), mv("h7h6", ROOK), mv("h2h3", PAWN)}, {}, {},
       {mv("h2h3", PAWN), mv("h7h6", ROOK), mv("a2a3", ROOK)}},
      {"black: cheaper mover, then the origin furthest down the board", B, false,
       {mv("h7h6", ROOK), mv("a2a3", ROOK), mv("a7a6", PAWN)}, {}, {},
       {mv("a7a6", PAWN), mv("a2a3", ROOK), mv("h7h6", ROOK)}},
      {"root: hash move, then node counts over keys, then the usual tie-breaks", W, true,
       {mv("c3d5", KNIGHT, PAWN), mv("g1f3", KNIGHT), hash_quiet, mv("e2e4", PAWN)}, {},
       {{mv("c3d5", KNIGHT), 10}, {mv("g1f3", KNIGHT), 500}, {mv("e2e4", PAWN), 500}},
       {hash_quiet, mv("e2e4", PAWN), mv("g1f3", KNIGHT), mv("c3d5", KNIGHT, PAWN)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(read_fen(c.fen));
    memset(history_table, 0, sizeof history_table);
    memset(move_node_counts, 0, sizeof move_node_counts);
    int side = current_position->us->colour->is_white;
    for (auto [m, h] : c.history) history_table[side][move_piece_code(m)][move_to(m)] = h;
    for (auto [m, n] : c.node_counts) move_node_counts[m & 0xfff] = n;
    MoveList& list = current_position->moves;
    list.count = int(c.list.size());
    std::copy(c.list.begin(), c.list.end(), list.moves);

    std::vector<Move> picked, after_one_swap = c.list;
    std::iter_swap(after_one_swap.begin(), std::find(after_one_swap.begin(), after_one_swap.end(), c.expected[0]));
    for (int i = 0; i < list.count; ++i) {
      picked.push_back(c.root ? pick_best_root(i) : pick_best(i));
      if (i == 0) {
        EXPECT_EQ(std::vector<Move>(list.moves, list.moves + list.count), after_one_swap);
      }
    }
    EXPECT_EQ(picked, c.expected);
  }
}

TEST(ExchangeTest, LosingCapturesAndTheCasesItGivesUp) {
  struct Case {
    const char* name;
    const char* fen;
    Move capture;
    bool loses;
  };
  const Case cases[] = {
      {"queen takes a pawn defended by a pawn", "6k1/8/4p3/3p4/8/8/8/3Q2K1 w - - 0 1", mv("d1d5", QUEEN, PAWN), true},
      {"the same for black", "3q2k1/8/8/8/3P4/4P3/8/6K1 b - - 0 1", mv("d8d4", QUEEN, PAWN), true},
      {"rook takes an undefended knight", "6k1/8/8/3n4/8/8/8/3R2K1 w - - 0 1", mv("d1d5", ROOK, KNIGHT), false},
      {"bishop takes a knight defended by a pawn that our pawn also attacks",
       "6k1/8/4p3/3n4/4P3/1B6/8/6K1 w - - 0 1", mv("b3d5", BISHOP, KNIGHT), false},
      {"rook takes a knight defended by a rook, our second rook joins from behind",
       "3r2k1/8/8/3n4/8/8/3R4/3R2K1 w - - 0 1", mv("d2d5", ROOK, KNIGHT), false},
      {"the same without the second rook", "3r2k1/8/8/3n4/8/8/3R4/6K1 w - - 0 1", mv("d2d5", ROOK, KNIGHT), true},
      {"gives up: the defending pawn is pinned", "4k3/8/4p3/3p4/8/8/8/3QR1K1 w - - 0 1", mv("d1d5", QUEEN, PAWN),
       false},
      {"gives up: a king stands next to the square", "8/8/2k1p3/3p4/8/8/8/3Q2K1 w - - 0 1", mv("d1d5", QUEEN, PAWN),
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(read_fen(c.fen));
    compute_check_info();
    compute_attacks();
    EXPECT_EQ(exchange_loses(c.capture), c.loses);
  }
}

}  // namespace
