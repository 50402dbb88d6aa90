// Moves and positions as text: the long move form, the board display and the
// reader of a "moves" list.
#include <cstdio>

#include "position/board_helpers.h"

// Pawns get no letter, a captured pawn neither; flags come last in a fixed order.
TEST(MoveText, LongForm) {
  struct Case { Move move; const char* text; } cases[] = {
      {encode_move(square("e4"), square("d5"), PAWN, PAWN), "e4xd5"},
      {encode_move(square("c4"), square("f7"), BISHOP, KNIGHT) | MOVE_CHECK, "Bc4xNf7+"},
      {encode_move(square("d7"), square("c8"), PAWN, ROOK, KNIGHT), "d7xRc8=N"},
      {encode_move(square("d4"), square("f5"), KNIGHT) | MOVE_CHECK | MOVE_DISCOVERED | MOVE_HASH, "Nd4f5+!H"},
      {0, "null"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    int length = print_move_long(c.move);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.text);
    EXPECT_EQ(length, int(strlen(c.text))) << c.text;
  }
}

// Eight plies wrap the history after the sixth; the check mark follows the
// side to move's star. In the diagram '|' stands for byte 0xB3 and ':' for the
// 0xB0 shade of every other square.
TEST(MoveText, BoardDisplay) {
  std::string diagram =
      " 8 |:r: n :b:   :k: b :n: r \n"
      " 7 | p :p: p :p:   :p: p :p:\n"
      " 6 |:::   :::   :::   :::   \n"
      " 5 |   :::   ::: p :::   :::\n"
      " 4 |:::   :::   :::   :P: q \n"
      " 3 |   :::   :::   :P:   :::\n"
      " 2 |:P: P :P: P :P:   ::: P \n"
      " 1 | R :N: B :Q: K :B: N :R: * (check !)\n";
  for (char& c : diagram) c = c == '|' ? '\xB3' : c == ':' ? '\xB0' : c;
  load(START_FEN);
  play_move_list("g1f3 g8f6 f3g1 f6g8 f2f3 e7e5 g2g4 d8h4");
  char key[40];
  snprintf(key, sizeof key, "key = 0x%016llx\n", (unsigned long long)current_position->key);
  compute_check_info();
  testing::internal::CaptureStdout();
  print_board();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\nafter moves:\n   1. Ng1f3     Ng8f6        2. Nf3g1     Nf6g8        3. f2f3      e7e5      \n"
            "   4. g2g4      Qd8h4+    \n\n" + diagram + "   \xC0" + std::string(24, '\xC4') +
            "\n     A  B  C  D  E  F  G  H\n\n" + key +
            "fen = rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 5\n");
}

// Each row's moves must reach the position of its result FEN, key for key:
// castling moves the rook, a right goes with its king or rook corner, and en
// passant takes the pawn behind. A word refused stops the list with the failed
// check reported; the moves before it stay played.
TEST(MoveText, MoveListReader) {
  const char* pawn = "4k3/P7/8/8/8/8/8/4K3 w - - 0 1";
  struct Case { const char *fen, *moves, *refused, *result; } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1 h8h5", "", "r3k3/8/8/7r/8/8/8/R4RK1 w q - 2 2"},
      {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2a1 h1g1 e8c8", "", "2kr3r/8/8/8/8/8/8/b3K1R1 w - - 2 3"},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", "", "4k3/8/8/8/8/4p3/8/4K3 w - - 0 2"},
      {pawn, "e1d1 e8", "strlen(pch) >= 4", "4k3/P7/8/8/8/8/8/3K4 b - - 1 1"},
      {pawn, "e1d1 e8e9", "file_to != -1 && rank_to != -1", "4k3/P7/8/8/8/8/8/3K4 b - - 1 1"},
      {pawn, "b7b8q", "moved", pawn},
      {pawn, "a7a8x", "promotion >= KNIGHT && promotion <= QUEEN", pawn},
      {pawn, "a7a8", "legal", pawn},  // a pawn left on the last rank
  };
  for (const Case& c : cases) {
    load(c.result);
    uint64_t expected = current_position->key;
    load(c.fen);
    testing::internal::CaptureStderr();
    play_move_list(c.moves);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), failed(c.refused)) << c.moves;
    EXPECT_EQ(current_position->key, expected) << c.moves;
  }
}
