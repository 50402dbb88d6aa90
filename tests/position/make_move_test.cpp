// Copy-make: incremental keys, rights and counters, null moves and take-back.
#include <cstddef>
#include <random>

#include "position/board_helpers.h"

// The start position's and the first moves' published keys; the e2e4 key
// carries the e-file en passant key on top.
TEST(MakeMove, PublishedKeysAndNullMove) {
  load(START_FEN);
  const Position& start = position_stack[0];
  EXPECT_EQ(std::tuple(start.sides[WHITE].pieces[PAWN], start.occupied, start.castling, start.key),
            std::tuple(0xff00ULL, 0xffff00000000ffffULL, squares("a1 e1 h1 a8 e8 h8"), 0x463b96181691fc9cULL));
  play_move_list("e2e4");
  EXPECT_EQ(std::tuple(current_position->key, current_position->ep_square), std::tuple(0x4d0dde8ef7cc031fULL, bit(20)));
  play_move_list("e7e5");
  EXPECT_EQ(current_position->key, 0xc775d6c46429fb29ULL);
  // Passing keeps the board, drops the en passant square and flips the side.
  make_null_move();
  const Position &before = position_stack[2], &p = position_stack[3];
  EXPECT_EQ(std::tuple(p.us, p.ep_square, p.occupied, p.halfmove_clock, ply_count),
            std::tuple(&p.sides[BLACK], 0u, before.occupied, 1, 3));
  EXPECT_EQ(std::pair(p.key, before.move_played), std::pair(before.key ^ ZobristKeys[780] ^ ZobristKeys[772 + 4], 0u));
}

// Random legal games from positions rich in castling, en passant and
// promotion: after every move the incremental state must equal a fresh
// computation, and a take-back must leave the earlier record untouched.
TEST(MakeMove, RandomGamesKeepIncrementalStateExact) {
  const char* starts[] = {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "rnbqkbnr/pp1p1ppp/8/2pPp3/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 3",
                          "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"};
  std::mt19937 random(20240611);
  for (int game = 0; game < 400; ++game) {
    load(starts[game % 3]);
    while (ply_count < 300 && current_position->halfmove_clock < 100 && !listed().empty()) {
      const MoveList& list = current_position->moves;
      Move m = list.moves[std::uniform_int_distribution<int>(0, list.count - 1)(random)];
      Position &p = *current_position, &next = position_stack[ply_count + 1];
      const Position saved = p;  // its board part (sides, key, castling) must survive make and take-back
      make_move(m);
      SideState incremental[2] = {next.sides[0], next.sides[1]};
      compute_pawn_masks();
      bool same = next.key == key_from_scratch(next) && !memcmp(incremental, next.sides, sizeof incremental);
      take_back();
      ASSERT_TRUE(same && current_position == &p && ply_count == &p - position_stack &&
                  !memcmp(&saved, &p, offsetof(Position, us)))
          << "game " << game << " ply " << ply_count << " move " << uci(m);
      make_move(m);
    }
  }
}
