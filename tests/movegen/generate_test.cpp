// Legal move generation: which moves, in which order, with which flags.
#include "position/board_helpers.h"

using namespace velta;
using board::square;

// Each row lists the generated moves in generation order, all of them or only
// those of the piece on `from`.
TEST(Generate, LegalMovesInOrder) {
  struct Case {
    const char* fen;
    int mode;
    const char* from;  // nullptr: every move
    const char* moves;
  } cases[] = {
      {START_FEN, GEN_ALL, nullptr,
       "a2a3 a2a4 b2b3 b2b4 c2c3 c2c4 d2d3 d2d4 e2e3 e2e4 f2f3 f2f4 g2g3 g2g4 h2h3 h2h4 b1a3 b1c3 g1f3 g1h3"},
      {START_FEN, GEN_TACTICAL, nullptr, ""},
      {START_FEN, GEN_CAPTURES, nullptr, ""},
      // Promotions, queen first, for each destination from the lowest square.
      {"n3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", GEN_ALL, "b7", "b7a8q b7a8r b7a8b b7a8n b7b8q b7b8r b7b8b b7b8n"},
      {"n3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", GEN_CAPTURES, nullptr, "b7a8q b7a8r b7a8b b7a8n b7b8q b7b8r b7b8b b7b8n"},
      // Taking en passant would open the rank between the rook and the king.
      {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", GEN_ALL, "e5", "e5e6"},
      // Taking en passant removes the checking pawn, off the evasion squares.
      {"8/8/8/3pP3/4K3/8/8/7k w - d6 0 1", GEN_ALL, "e5", "e5d6"},
      // Double check: the king alone moves, and not along the rook's line.
      {"4r2k/8/8/8/8/3n4/8/R3K3 w Q - 0 1", GEN_ALL, nullptr, "e1d1 e1f1 e1d2"},
      // Single check by a slider: interpose, capture it, or step off its line.
      {"4k3/8/8/8/8/4N3/1B6/r3K3 w - - 0 1", GEN_ALL, nullptr, "e3d1 b2a1 b2c1 e1d2 e1e2 e1f2"},
      // A pinned rook moves along the pin line, up to the pinner; a pinned knight not at all.
      {"4k3/4r3/8/8/7b/8/4RN2/4K3 w - - 0 1", GEN_ALL, "e2", "e2e3 e2e4 e2e5 e2e6 e2e7"},
      {"4k3/4r3/8/8/7b/8/4RN2/4K3 w - - 0 1", GEN_ALL, "f2", ""},
      // Castling: king side first; b1 may be attacked but not occupied.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", GEN_ALL, "e1", "e1d1 e1f1 e1d2 e1e2 e1f2 e1g1 e1c1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", GEN_TACTICAL, "e1", ""},
      {"1r2k2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", GEN_ALL, "e1", "e1d1 e1f1 e1d2 e1e2 e1f2 e1g1 e1c1"},
      {"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", GEN_ALL, "e1", "e1d1 e1f1 e1d2 e1e2 e1f2 e1g1"},
      {"r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1", GEN_ALL, "e1", "e1d1 e1f2 e1c1"},
      {"r3k2r/8/8/8/8/8/6r1/R3K2R w KQkq - 0 1", GEN_ALL, "e1", "e1d1 e1f1 e1c1"},
      {"r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq - 0 1", GEN_ALL, "e1", "e1d1 e1f1 e1d2 e1f2"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w Qkq - 0 1", GEN_ALL, "e1", "e1d1 e1f1 e1d2 e1e2 e1f2 e1c1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", GEN_ALL, "e8", "e8d7 e8e7 e8f7 e8d8 e8f8 e8g8 e8c8"},
      // The tactical mode keeps a passed pawn's quiet push, not a quiet knight move.
      {"4k3/8/8/8/8/8/P7/1N2K3 w - - 0 1", GEN_TACTICAL, nullptr, "a2a3 a2a4"},
  };
  for (const Case& c : cases) {
    board::load(c.fen);
    EXPECT_EQ(board::listed(c.mode, c.from ? square(c.from) : -1), c.moves) << c.fen << " mode " << c.mode;
  }
}

TEST(Generate, OrderingFlags) {
  const Move FLAGS = MOVE_ADVANCE | MOVE_ESCAPE | MOVE_CHECK | MOVE_DISCOVERED;
  struct Case {
    const char* fen;
    const char* move;
    Move flags;
    int captured;
  } cases[] = {
      {START_FEN, "e2e4", 0, 0},
      {"n3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8q", MOVE_CHECK, KNIGHT},
      {"n3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8n", 0, KNIGHT},
      {"n3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8r", MOVE_CHECK, 0},
      {"n3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8b", 0, 0},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "a1a8", MOVE_CHECK, 0},
      {"4k3/8/8/8/8/3p4/4P3/4R1K1 w - - 0 1", "e2e3", 0, 0},                // stays on the line
      {"4k3/8/8/8/8/3p4/4P3/4R1K1 w - - 0 1", "e2d3", MOVE_DISCOVERED, PAWN},  // uncovers e1
      {"4k3/8/8/8/8/2p5/1N6/4K3 w - - 0 1", "b2d3", MOVE_ESCAPE, 0},
      {"4k3/8/8/8/8/2p5/1N6/4K3 w - - 0 1", "b2c4", MOVE_ESCAPE, 0},
      {"4k3/8/8/8/8/2p5/1N6/4K3 w - - 0 1", "e1f1", 0, 0},
      {"3rk3/8/8/8/8/2p5/1N6/4K3 w - - 0 1", "b2d3", 0, 0},  // into the rook's file
      {"4k3/8/8/8/8/8/P7/1N2K3 w - - 0 1", "a2a4", MOVE_ADVANCE, 0},   // passed
      {"4k3/3p4/8/4P3/8/8/8/4K3 w - - 0 1", "e5e6", MOVE_ADVANCE, 0},  // far half
      {"4k3/8/8/8/8/8/P7/1N2K3 w - - 0 1", "b1c3", 0, 0},
      // Removing the c5 pawn opens the bishop's diagonal to the king.
      {"5k2/8/8/2pP4/8/B7/8/4K3 w - c6 0 1", "d5c6", MOVE_CHECK | MOVE_DISCOVERED, PAWN},
  };
  for (const Case& c : cases) {
    board::load(c.fen);
    Move m = board::find_move(c.move);
    ASSERT_NE(m, 0u) << c.fen << " " << c.move;
    EXPECT_EQ(m & FLAGS, c.flags) << c.fen << " " << c.move;
    EXPECT_EQ(move_captured(m), c.captured) << c.fen << " " << c.move;
  }
}
