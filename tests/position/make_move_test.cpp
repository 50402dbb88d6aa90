// Copy-make: incremental keys, pawn masks and take-back along random games.
#include <cstddef>
#include <cstring>
#include <random>

#include "common/helpers.h"

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

// Random legal games from positions rich in castling (Chess960's too), en
// passant and promotion: after every move the incremental state must equal a fresh
// computation, and a take-back must leave the earlier record untouched.
TEST(MakeMove, RandomGamesKeepIncrementalStateExact) {
  const char* starts[] = {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "rnbqkbnr/pp1p1ppp/8/2pPp3/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 0 3",
                          "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
                          "rk4r1/pppppppp/8/8/8/8/PPPPPPPP/1R4KR w KQkq - 0 1",  // two Chess960 arrangements
                          "2r2kr1/pp4pp/8/8/8/8/PP4PP/2RK3R w HCgc - 0 1"};
  std::mt19937 random(20240611);
  static Board b;
  for (int game = 0; game < 400; ++game) {
    load(b, starts[game % 5]);
    for (const MoveList* list;
         b.ply_count < 300 && b.current->halfmove_clock < 100 && (list = &legal_moves(b))->count;) {
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

// The opening book's key differs from the engine's only after a double step
// that no pawn of the side to move can take en passant (1. e4: the book's
// known key); where one can (e5xf6, d4xc3) both count the square.
TEST(BookKey, EnPassantCountsOnlyWhenACaptureIsThere) {
  static Board b;
  EXPECT_EQ(book_key(*load(b, START_FEN).current), 0x463b96181691fc9cULL);
  EXPECT_EQ(book_key(*play(b, "e2e4").current), 0x823c9b50fd114196ULL);
  for (auto [moves, capture] :
       {std::pair{"e2e4 d7d5 e4e5 f7f5", true}, {"e2e4 d7d5 e4e5 d5d4 c2c4", true}, {"a2a3 a7a5 h2h4", false}}) {
    const Position& p = *play(load(b, START_FEN), moves).current;
    EXPECT_EQ(book_key(p), capture ? p.key : p.key ^ en_passant_key(p.ep_square)) << moves;
  }
}
