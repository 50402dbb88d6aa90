// FEN reading: record 0, its key and pawn masks, and the texts it refuses.
#include <cstring>
#include <vector>

#include "position/board_helpers.h"

using namespace velta;
using board::squares;

TEST(Fen, StartPosition) {
  board::load(START_FEN);
  const Position& p = *current_position;
  EXPECT_EQ(current_position, &position_stack[0]);
  EXPECT_EQ(p.sides[WHITE].pieces[PAWN], 0x000000000000ff00ULL);
  EXPECT_EQ(p.sides[BLACK].pieces[PAWN], 0x00ff000000000000ULL);
  EXPECT_EQ(p.occupied, 0xffff00000000ffffULL);
  EXPECT_EQ(p.castling, squares("a1 e1 h1 a8 e8 h8"));
  EXPECT_EQ(p.us, &p.sides[WHITE]);
  EXPECT_EQ(p.key, 0x463b96181691fc9cULL);
  for (const SideState& s : p.sides) EXPECT_EQ(s.passed_pawns | s.doubled_pawns | s.isolated_pawns, 0u);
}

// Every row must also leave the castling and en passant claims the board
// denies out of the set and out of the key.
TEST(Fen, SectionsAccepted) {
  struct Case {
    const char* fen;
    Bitboard ep_square, castling;
    int halfmove;
    bool white;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", bit(20), squares("a1 e1 h1 a8 e8 h8"), 0, 0},
      {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0x10 1", 0, 0, 16, true},
      {"r3k2r/8/8/8/8/8/8/R3K2R white kq e 0 1", 0, squares("a8 e8 h8"), 0, true},  // the first letter counts
      {"r3k2r/8/8/8/8/8/8/R3K2R W Q e33 0 1", 0, squares("a1 e1"), 0, false},     // not 'w': Black
      {"  8/8/8/8/8/8/8/K6k   w - -", 0, 0, 0, true},                               // four words: clock 0
      {"8/8/8/8/8/8/8/K6k w - - 7 1 moves", 0, 0, 7, true},                         // seventh word ignored
      {"4k3/8/8/8/8/8/8/4K2R w KQkq - 0 1", 0, squares("e1 h1"), 0, true},         // no rook, no king
      {"r3k3/8/8/8/8/8/8/R2K3R w KQkq - 0 1", 0, squares("a8 e8"), 0, true},
      {"4k3/8/8/8/8/8/8/4K3 b - e3 0 1", 0, 0, 0, false},          // no pawn on e4
      {"4k3/8/8/8/4P3/8/8/4K3 w - e3 0 1", 0, 0, 0, true},         // the mover's own pawn
      {"4k3/8/8/8/4P3/4N3/8/4K3 b - e3 0 1", 0, 0, 0, false},      // e3 occupied
  };
  for (const Case& c : cases) {
    board::load(c.fen);
    const Position& p = *current_position;
    EXPECT_EQ(p.ep_square, c.ep_square) << c.fen;
    EXPECT_EQ(p.castling, c.castling) << c.fen;
    EXPECT_EQ(p.halfmove_clock, c.halfmove) << c.fen;
    EXPECT_EQ(p.us == &p.sides[WHITE], c.white) << c.fen;
    EXPECT_EQ(p.key, key_from_scratch(p)) << c.fen;
  }
  board::load(cases[0].fen);  // the en passant key counts even when no pawn can take
  EXPECT_EQ(current_position->key, 0x4d0dde8ef7cc031fULL);
}

TEST(Fen, RejectionsKeepThePreviousPosition) {
  const char* const halfmove_check = "sscanf(fen.halfmove, \"%i\", &draw) == 1";
  struct Case {
    const char* fen;
    const char* check;
  } cases[] = {
      {"", "section == 6"},
      {"8/8/8/8/8/8/8/K6k w - - 0", "section == 6"},
      {"8/8/8/8/8/8/8/K6k w - - moves e2e4", halfmove_check},
      {"8/8/8/8/8/8/8/K6k w - - abc 1", halfmove_check},
      {"8/8/8/8/8/8/8/K6x w - - 0 1", "0"},
      {"8/8/8/8/8/8/8/K5k w - - 0 1", "position == 8"},
      {"8/8/8/8/8/8/8/K7k w - - 0 1", "position == 8"},    // over-long rank
      {"8K/6k/8/8/8/8/8/8 w - - 0 1", "position == 8"},    // long and short ranks compensating
      {"8/8/8/8/8/8/8/8/K6k w - - 0 1", "position == 8"},  // surplus '/'
      {"8/8/8/8/8/8/8/K6k w - i3 0 1", "file != -1"},
      {"8/8/8/8/8/8/8/K6k w - e4 0 1", "rank == 2 || rank == 5"},
      {"8/8/8/8/8/8/8/7k w - - 0 1", "exactly one king per side"},
      {"k7/8/8/8/8/8/8/K6k w - - 0 1", "exactly one king per side"},
      {"k7/8/8/8/8/8/8/KP6 w - - 0 1", "no pawn on the first or last rank"},
      {"kp6/8/8/8/8/8/8/K7 w - - 0 1", "no pawn on the first or last rank"},
      {"k7/8/8/8/8/8/8/R6K w - - 0 1", "side not to move is not in check"},
      {"rnbqkbnr/pppppppp/8/8/8/N7/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "at most 32 pieces"},
      {"k7/8/8/8/8/8/PPPPPPPP/QQK5 w - - 0 1", "material reachable in a game"},  // nine pawns' worth
  };
  for (const Case& c : cases) {
    board::load("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    make_move(board::find_move("e1g1"));
    std::vector<char> record0(sizeof(Position));
    memcpy(record0.data(), &position_stack[0], sizeof(Position));
    uint64_t key = current_position->key;

    testing::internal::CaptureStderr();
    EXPECT_FALSE(read_fen(c.fen)) << c.fen;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("engine: check failed: ") + c.check + "\n");
    EXPECT_EQ(ply_count, 1) << c.fen;
    EXPECT_EQ(current_position, &position_stack[1]) << c.fen;
    EXPECT_EQ(current_position->key, key) << c.fen;
    EXPECT_EQ(memcmp(record0.data(), &position_stack[0], sizeof(Position)), 0) << c.fen;
  }
}

TEST(Fen, PawnMasks) {
  struct Case {
    const char* fen;
    int colour;
    Bitboard passed, doubled, isolated;
  } cases[] = {
      {"4k3/8/8/8/4P3/8/4P3/4K3 w - - 0 1", WHITE, squares("e2 e4"), squares("e2"), squares("e2 e4")},
      {"4k3/3p4/8/8/4P3/8/4P3/4K3 w - - 0 1", WHITE, 0, squares("e2"), squares("e2 e4")},
      {"4k3/4p3/8/4p3/8/8/8/4K3 w - - 0 1", BLACK, squares("e7 e5"), squares("e7"), squares("e7 e5")},
      {"4k3/8/8/8/8/1P6/P6P/4K3 w - - 0 1", WHITE, squares("a2 b3 h2"), 0, squares("h2")},
  };
  for (const Case& c : cases) {
    board::load(c.fen);
    const SideState& s = current_position->sides[c.colour];
    EXPECT_EQ(s.passed_pawns, c.passed) << c.fen;
    EXPECT_EQ(s.doubled_pawns, c.doubled) << c.fen;
    EXPECT_EQ(s.isolated_pawns, c.isolated) << c.fen;
  }
}
