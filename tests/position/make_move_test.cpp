// Copy-make: incremental keys, rights, counters and take-back.
#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

#include "position/board_helpers.h"

using namespace velta;
using board::square;

namespace {

// The rights present in a castling set, as FEN letters.
std::string rights(Bitboard castling) {
  const Bitboard pairs[4] = {0x90, 0x11, 0x9000000000000000ULL, 0x1100000000000000ULL};
  std::string text;
  for (int i = 0; i < 4; ++i)
    if ((castling & pairs[i]) == pairs[i]) text += "KQkq"[i];
  return text;
}

constexpr size_t BOARD_PART = offsetof(Position, us);  // sides, key, castling

}  // namespace

TEST(MakeMove, KeysAndCounters) {
  Move e2e4 = encode_move(square("e2"), square("e4"), PAWN);
  EXPECT_EQ(e2e4, 28u | 12u << 6 | 6u << 12);
  EXPECT_EQ(e2e4 ^ MIRROR_RANKS, encode_move(square("e7"), square("e5"), PAWN));

  board::load(START_FEN);
  make_move(e2e4);
  EXPECT_EQ(current_position->key, 0x4d0dde8ef7cc031fULL);
  EXPECT_EQ(current_position->ep_square, bit(square("e3")));
  EXPECT_EQ(current_position->halfmove_clock, 0);
  EXPECT_EQ(position_stack[0].move_played, e2e4);
  EXPECT_EQ(ply_count, 1);
  make_move(encode_move(square("e7"), square("e5"), PAWN));
  EXPECT_EQ(current_position->key, 0xc775d6c46429fb29ULL);
  make_move(encode_move(square("g1"), square("f3"), KNIGHT));
  EXPECT_EQ(current_position->halfmove_clock, 1);
  EXPECT_EQ(current_position, &position_stack[3]);
}

TEST(MakeMove, CastlingRightsAndSpecialCaptures) {
  struct Case {
    const char* fen;
    const char* move;
    const char* rights_after;
    const char* result;  // the position reached, for its key
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "kq", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1", "kq", "r3k2r/8/8/8/8/8/8/2KR3R b kq - 1 1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "KQ", "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 1 2"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "h8h5", "KQq", "r3k3/8/8/7r/8/8/8/R3K2R w KQq - 1 2"},
      {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2a1", "Kkq", "r3k2r/8/8/8/8/8/8/b3K2R w Kkq - 0 2"},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", "", "4k3/8/8/8/8/4p3/8/4K3 w - - 0 2"},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "", "4k3/8/3P4/8/8/8/8/4K3 b - - 0 1"},
      {"1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8r", "", "1R2k3/8/8/8/8/8/8/4K3 b - - 0 1"},
  };
  for (const Case& c : cases) {
    board::load(c.result);
    uint64_t expected = current_position->key;
    board::load(c.fen);
    Move m = board::find_move(c.move);
    ASSERT_NE(m, 0u) << c.fen << " " << c.move;
    make_move(m);
    EXPECT_EQ(rights(current_position->castling), c.rights_after) << c.fen << " " << c.move;
    EXPECT_EQ(current_position->key, expected) << c.fen << " " << c.move;
  }
}

TEST(MakeMove, NullMovePassesTheTurn) {
  board::load(START_FEN);
  make_move(board::find_move("e2e4"));
  Position before = *current_position;
  make_null_move();
  const Position& p = *current_position;
  EXPECT_EQ(p.us, &p.sides[WHITE]);
  EXPECT_EQ(p.ep_square, 0u);
  EXPECT_EQ(p.key, before.key ^ ZobristKeys[780] ^ ZobristKeys[772 + 4]);  // side and e-file keys
  EXPECT_EQ(p.occupied, before.occupied);
  EXPECT_EQ(memcmp(p.sides[0].pieces, before.sides[0].pieces, sizeof p.sides[0].pieces), 0);
  EXPECT_EQ(p.halfmove_clock, 1);
  EXPECT_EQ(position_stack[1].move_played, 0u);
  EXPECT_EQ(ply_count, 2);
}

// Random legal games from positions rich in castling, en passant and
// promotion: after every move the incremental state must equal a fresh
// computation, and a take-back must leave the earlier record untouched.
TEST(MakeMove, RandomGamesKeepIncrementalStateExact) {
  const char* starts[] = {
      START_FEN,
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "rnbqkbnr/pp1p1ppp/8/2pPp3/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 3",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
  };
  std::mt19937 random(20240611);
  for (int game = 0; game < 400; ++game) {
    board::load(starts[game % 5]);
    for (int ply = 0; ply < 300 && current_position->halfmove_clock < 100; ++ply) {
      const MoveList& list = board::generate();
      if (list.count == 0) break;
      Move m = list.moves[std::uniform_int_distribution<int>(0, list.count - 1)(random)];
      std::vector<char> board_part(BOARD_PART);
      memcpy(board_part.data(), current_position, BOARD_PART);
      Position* before = current_position;

      make_move(m);
      Position& p = *current_position;
      SideState incremental[2] = {p.sides[0], p.sides[1]};
      compute_pawn_masks();
      bool same = p.key == key_from_scratch(p);
      for (int c = 0; c < 2; ++c)
        same = same && incremental[c].passed_pawns == p.sides[c].passed_pawns &&
               incremental[c].doubled_pawns == p.sides[c].doubled_pawns &&
               incremental[c].isolated_pawns == p.sides[c].isolated_pawns;
      take_back();
      same = same && current_position == before && ply_count == before - position_stack &&
             memcmp(board_part.data(), current_position, BOARD_PART) == 0;
      ASSERT_TRUE(same) << "game " << game << " ply " << ply << " move " << board::uci(m);
      make_move(m);
    }
  }
}
