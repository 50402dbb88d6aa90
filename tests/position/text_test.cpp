// The words of a "moves" list.
#include "common/helpers.h"

// Each row's moves must reach the position of its result FEN, key for key:
// castling moves the rook, a right goes with its king or rook corner, and en
// passant takes the pawn behind. A word refused stops the list with the failed
// check; the moves before it stay played.
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
  static Board b;
  for (const Case& c : cases) {
    uint64_t expected = load(b, c.result).current->key;
    load(b, c.fen);
    const char* failed = nullptr;
    char words[64];
    snprintf(words, sizeof words, "%s", c.moves);
    for (char* word = strtok(words, " "); word && !failed; word = strtok(nullptr, " ")) failed = play_move(b, word).check;
    EXPECT_STREQ(failed ? failed : "", c.refused) << c.moves;
    EXPECT_EQ(b.current->key, expected) << c.moves;
  }
}
