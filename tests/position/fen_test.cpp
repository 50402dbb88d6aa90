// FEN reading: what record 0 holds, and the texts refused with the earlier
// position left as it was.
#include <cstring>
#include <sstream>
#include <tuple>

#include "common/helpers.h"

// Accepted rows give what the sections must produce; castling and en passant
// claims that the board denies are dropped. Refused rows give the failed
// check, and the game set up before (castled, at ply 1) must survive them.
TEST(Fen, ReadOrRefuse) {
  struct Case {
    const char *fen, *refused = "";
    Bitboard ep = 0, castling = 0;
    int halfmove = 0;
    bool white = true;
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "", bit(20), 0x9100000000000091ULL, 0, false},
      {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0x10 1", "", 0, 0, 16},
      {"r3k2r/8/8/8/8/8/8/R3K2R white kq e 0 1", "", 0, squares("a8 e8 h8")},
      {"4k2r/8/8/8/8/8/8/R3K3 W KQkq e33 0 1", "", 0, squares("a1 e1 e8 h8"), 0, false},  // Black; no h1, a8 rook
      {"4k3/8/8/8/8/8/8/4K3 b - e3", "", 0, 0, 0, false},      // four words; e3 without a pawn on e4
      {"4k3/8/8/8/8/8/4p3/4K3 w - e3 7 1 more", "", 0, 0, 7},  // seven words; e3 with White to move
      {"8/8/8/8/8/8/8/K6k w - - 0", "section == 6"},
      {"8/8/8/8/8/8/8/K6k w - - abc 1", "sscanf(fen.halfmove, \"%i\", &draw) == 1"},
      {"8/8/8/8/8/8/8/K6x w - - 0 1", "0"},
      {"8/8/8/8/8/8/8/K7k w - - 0 1", "position == 8"},    // over-long rank
      {"8/8/8/8/8/8/8/8/K6k w - - 0 1", "position == 8"},  // surplus '/'
      {"8/8/8/8/8/8/8/K6k w - i3 0 1", "file != -1"},
      {"8/8/8/8/8/8/8/K6k w - e4 0 1", "rank == 2 || rank == 5"},
      {"k7/8/8/8/8/8/8/K6k w - - 0 1", "exactly one king per side"},
      {"k7/8/8/8/8/8/8/KP6 w - - 0 1", "no pawn on the first or last rank"},
      {"k7/8/8/8/8/8/8/R6K w - - 0 1", "side not to move is not in check"},
      {"k7/8/8/8/8/8/PPPPPPPP/QQK5 w - - 0 1", "material reachable in a game"},  // nine pawns' worth
  };
  static Board b, before;
  for (const Case& c : cases) {
    load(b, "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    play_move(b, "e1g1");
    memcpy(static_cast<void*>(&before), &b, sizeof b);
    const char* failed = set_position(b, c.fen).check;
    EXPECT_STREQ(failed ? failed : "", c.refused) << c.fen;
    const Position& p = *b.current;
    if (*c.refused)
      EXPECT_TRUE(!memcmp(static_cast<void*>(&before), &b, sizeof b)) << c.fen;
    else
      EXPECT_EQ(std::tuple(p.ep_square, p.castling, p.halfmove_clock, p.us == &p.sides[WHITE], p.key, b.ply_count),
                std::tuple(c.ep, c.castling, c.halfmove, c.white, key_from_scratch(p), 0))
          << c.fen;
  }

  // Of two pawns on a file only the rear one, as its own side sees it, is
  // doubled; c7 stops b3 but not the e-pawns.
  load(b, "4k3/2p4p/7p/8/4P3/1P6/P3P3/4K3 w - - 0 1");
  auto masks = [](const SideState& s) { return std::tuple(s.passed_pawns, s.doubled_pawns, s.isolated_pawns); };
  EXPECT_EQ(masks(b.current->sides[WHITE]), std::tuple(squares("a2 e2 e4"), squares("e2"), squares("e2 e4")));
  EXPECT_EQ(masks(b.current->sides[BLACK]), std::tuple(squares("h7 h6"), squares("h7"), squares("c7 h7 h6")));
}

// Castling rights read in every notation (tests/position/castling_rights.txt)
// and written back: KQkq in standard chess, rook files in Chess960, which
// rights off the standard squares ask for themselves. Reading the text
// written gives the same record.
TEST(Fen, CastlingInEveryNotation) {
  static Board b;
  for (const auto& r : rows_of("position/castling_rights.txt"))
    for (bool chess960 : {false, true}) {
      ASSERT_EQ(set_position(b, r[0].c_str(), chess960).check, nullptr) << r[0];
      char text[FEN_TEXT_SIZE];
      fen_text(b, text);
      std::istringstream words(text);
      std::string placement, side, rights;
      words >> placement >> side >> rights;
      EXPECT_EQ(rights, chess960 ? r[3] : r[2]) << r[0];
      Position first;
      copy_record(first, *b.current);
      ASSERT_EQ(set_position(b, text, chess960).check, nullptr) << text;
      EXPECT_EQ(std::tuple(first.castling, first.key, b.current->castling, b.current->key),
                std::tuple(squares(r[1]), key_from_scratch(first), first.castling, first.key))
          << r[0];
    }
}
