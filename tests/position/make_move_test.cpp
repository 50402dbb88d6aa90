// Copy-make: incremental keys, rights and counters, null moves and take-back.
#include <cstddef>
#include <cstring>
#include <random>
#include <tuple>

#include "common/helpers.h"

// The published key after 1. e4 e5 (each double step puts its en passant
// file in the key); passing keeps the board, drops the en passant square and
// flips the side.
TEST(MakeMove, KeysAndNullMove) {
  static Board b;
  load(b, START_FEN);
  play_move(b, "e2e4"), play_move(b, "e7e5");
  EXPECT_EQ(b.current->key, 0xc775d6c46429fb29ULL);
  make_null_move(b);
  const Position &before = b.stack[2], &p = b.stack[3];
  EXPECT_EQ(std::tuple(p.us, p.ep_square, p.occupied, p.halfmove_clock, b.ply_count, before.move_played),
            std::tuple(&p.sides[BLACK], 0u, before.occupied, 1, 3, 0u));
  EXPECT_EQ(p.key, before.key ^ ZobristKeys[KEY_WHITE_TO_MOVE] ^ ZobristKeys[KEY_EN_PASSANT + 4]);
}

// The pawn masks by their definitions, pawn by pawn.
static bool masks_by_definition(const Position& p) {
  for (int c = 0; c < 2; ++c) {
    const SideState& side = p.sides[c];
    Bitboard own = side.pieces[PAWN], enemy = p.sides[!c].pieces[PAWN], passed = 0, doubled = 0, isolated = 0;
    for (Bitboard b = own; b;) {
      int s = pop_lsb(b);
      passed |= passed_span[c][s] & enemy ? 0 : bit(s);
      doubled |= front_span[c][s] & own ? bit(s) : 0;
      isolated |= adjacent_files[file_of(s)] & own ? 0 : bit(s);
    }
    if (side.passed_pawns != passed || side.doubled_pawns != doubled || side.isolated_pawns != isolated) return false;
  }
  return true;
}

// Random legal games from positions rich in castling, en passant and
// promotion: after every move the incremental state must equal a fresh
// computation, and a take-back must leave the earlier record untouched.
TEST(MakeMove, RandomGamesKeepIncrementalStateExact) {
  const char* starts[] = {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "rnbqkbnr/pp1p1ppp/8/2pPp3/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 3",
                          "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"};
  std::mt19937 random(20240611);
  static Board b;
  for (int game = 0; game < 400; ++game) {
    load(b, starts[game % 3]);
    for (const MoveList* list; b.ply_count < 300 && b.current->halfmove_clock < 100 && (list = &legal_moves(b))->count;) {
      Move m = list->moves[std::uniform_int_distribution<int>(0, list->count - 1)(random)];
      Position &p = *b.current, &next = b.stack[b.ply_count + 1];
      Position saved;
      memcpy(static_cast<void*>(&saved), &p, offsetof(Position, us));  // the board part must survive
      make_move(b, m);
      SideState incremental[2] = {next.sides[0], next.sides[1]};
      compute_pawn_masks(next);
      bool same = next.key == key_from_scratch(next) && !memcmp(incremental, next.sides, sizeof incremental) &&
                  masks_by_definition(next);
      take_back(b);
      ASSERT_TRUE(same && b.current == &p && !memcmp(static_cast<void*>(&saved), &p, offsetof(Position, us)))
          << "game " << game << " ply " << b.ply_count << " move " << uci(m);
      make_move(b, m);
    }
  }
}
