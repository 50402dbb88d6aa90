// Legal move generation: which moves, in which order, with which ordering flags.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "common/helpers.h"

// The generated moves (of the piece on `from` only, when given) in list
// order, with their flags: ^ advance, ~ escape, + check, ! discovered.
static std::string listed(Board& b, int mode, const char* from) {
  prepare_node(*b.current), generate_moves(*b.current, mode);
  std::string text;
  const MoveList& list = b.current->moves;
  for (int i = 0; i < list.count; ++i) {
    Move m = list.moves[i];
    if (from && move_from(m) != square(from)) continue;
    text.append(text.empty() ? "" : " ").append(uci(m));
    for (int flag = 0; flag < 4; ++flag)
      if (m & MOVE_ADVANCE << flag) text += "^~+!"[flag];
  }
  return text;
}

TEST(Generate, LegalMovesInOrderWithFlags) {
  const char *pin = "4k3/4r3/8/8/7b/8/4RN2/4K3 w - - 0 1", *rooks = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
  struct Case {
    const char* fen;
    int mode;
    const char *from, *moves;
  } cases[] = {
      {START_FEN, GEN_ALL, nullptr,
       "a2a3 a2a4 b2b3 b2b4 c2c3 c2c4 d2d3 d2d4 e2e3 e2e4 f2f3 f2f4 g2g3 g2g4 h2h3 h2h4 b1a3 b1c3 g1f3 g1h3"},
      {START_FEN, GEN_TACTICAL, nullptr, ""},
      // Promotions, queen first, for each destination from the lowest square.
      {"n3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", GEN_CAPTURES, "b7", "b7a8q+ b7a8r+ b7a8b b7a8n b7b8q+ b7b8r+ b7b8b b7b8n"},
      // Taking en passant would open the rank between the rook and the king.
      {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", GEN_ALL, "e5", "e5e6^~"},  // the pawn escapes the rook
      // Taking en passant uncovers the bishop; the capture comes before the push.
      {"5k2/8/8/2pP4/8/B7/8/4K3 w - c6 0 1", GEN_ALL, "d5", "d5c6+! d5d6^"},
      // Double check: only the king moves, off the rook's file and the knight's reach.
      {"4r2k/8/8/8/8/3n4/8/R3K3 w Q - 0 1", GEN_ALL, nullptr, "e1d1 e1f1 e1d2"},
      // A pinned rook moves along the pin line, up to the pinner; a pinned knight not at all.
      {pin, GEN_ALL, "e2", "e2e3 e2e4 e2e5 e2e6 e2e7+"},
      {pin, GEN_ALL, "f2", ""},
      // Leaving the rook's file uncovers check.
      {"4k3/8/8/8/8/3p4/4P3/4R1K1 w - - 0 1", GEN_ALL, "e2", "e2d3! e2e3 e2e4"},
      // The attacked, undefended knight escapes to safe squares only.
      {"3rk3/8/8/8/8/2p5/1N6/4K3 w - - 0 1", GEN_ALL, "b2", "b2d1 b2d3 b2a4~ b2c4~"},
      // Castling comes last, king side first, never across an attacked square.
      {rooks, GEN_ALL, "e1", "e1d1 e1f1 e1d2 e1e2 e1f2 e1g1 e1c1"},
      {"r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1", GEN_ALL, "e1", "e1d1 e1f2 e1c1"},
      // The tactical mode keeps a passed pawn's quiet push, not a quiet knight move.
      {"4k3/8/8/8/8/8/P7/1N2K3 w - - 0 1", GEN_TACTICAL, nullptr, "a2a3^ a2a4^"},
  };
  static Board b;
  for (const Case& c : cases) EXPECT_EQ(listed(load(b, c.fen), c.mode, c.from), c.moves) << c.fen << " mode " << c.mode;
}

// In every position two plies from those of tests/perft.txt: the keyed and
// quiet stages together list the same moves as the whole generation, each
// with its flags and in the same order within its stage; the tactical mode
// lists the keyed moves but castling; and the quick count up to two answers
// as the full count does (also where pins or a single escape leave fewer).
static std::vector<Move> moves_of(const MoveList& list, int from, bool keyed, bool castling = true) {
  std::vector<Move> moves;
  for (int i = from; i < list.count; ++i) {
    Move m = list.moves[i];
    if (bool(m & ORDER_KEY_MASK) == keyed && (castling || !is_castling(m))) moves.push_back(m);
  }
  return moves;
}

static void expect_stages_and_count(Board& b, int plies, const std::string& fen) {
  Position& p = *b.current;
  prepare_node(p);
  generate_moves(p, GEN_TACTICAL);
  MoveList tactical = p.moves;
  generate_moves(p, GEN_KEYED);
  int keyed_count = p.moves.count;
  // Counting between the stages leaves the list as it is.
  int up_to_two = count_legal_moves_up_to_two(p);
  int counted = count_legal_moves(p);
  generate_moves(p, GEN_QUIET);
  MoveList staged = p.moves;
  generate_moves(p, GEN_ALL);
  MoveList list = p.moves;
  std::string where = fen + " after " + std::to_string(b.ply_count) + " plies";
  ASSERT_EQ(moves_of(staged, 0, true), moves_of(list, 0, true)) << where;
  ASSERT_EQ(moves_of(staged, keyed_count, false), moves_of(list, 0, false)) << where;
  ASSERT_EQ(staged.count, list.count) << where;
  ASSERT_EQ(moves_of(tactical, 0, true), moves_of(list, 0, true, false)) << where;
  ASSERT_EQ(up_to_two, std::min(list.count, 2)) << where;
  ASSERT_EQ(counted, list.count) << where;
  for (int i = 0; plies > 0 && i < list.count; ++i) {
    make_move(b, list.moves[i]);
    expect_stages_and_count(b, plies - 1, fen);
    take_back(b);
  }
}

TEST(Generate, StagesAndCount) {
  static Board b;
  std::ifstream file(VELTA_SOURCE_DIR "/tests/perft.txt");
  ASSERT_TRUE(file) << "tests/perft.txt";
  for (std::string line; std::getline(file, line);)
    if (!line.empty() && line[0] != '#')
      expect_stages_and_count(load(b, line.substr(0, line.find('|')).c_str()), 2, line);
  for (const char* fen :
       {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "7k/6Q1/8/8/8/8/8/K7 b - - 0 1", "7k/6np/7P/8/3B4/8/8/K7 b - - 0 1",
        "k7/8/1K6/8/8/8/8/3R4 b - - 0 1", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", "7k/p4K2/6P1/8/8/8/8/8 b - - 0 1",
        "7k/5K2/p5P1/8/8/8/8/8 b - - 0 1"})
    expect_stages_and_count(load(b, fen), 0, fen);
  for (const char* fen : {"rk4r1/pppppppp/8/8/8/8/PPPPPPPP/RK4R1 w KQkq - 0 1", "5k2/8/8/8/8/8/8/1K4R1 w G - 0 1",
                          "2r2kr1/8/8/8/8/8/8/2R2KR1 w GCgc - 0 1", "1k1r4/8/8/8/8/8/8/R1K3R1 w GA - 0 1"})
    expect_stages_and_count(load(b, fen), 2, fen);
}

// Castling written and read in both notations: the king's move in standard
// chess (e1g1), the king taking its own rook in Chess960 (e1h1, b1a1), where
// b1c1 stays a king step. Each castling word plays the castling the FEN after
// it shows, king side first; the other notation's word is refused.
TEST(Castling, BothNotations) {
  struct Case {
    const char* fen;
    bool chess960;
    const char *castlings, *refused, *play, *after;
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", false, "e1g1 e1c1", "e1h1", "e1g1",
       "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, "e1h1 e1a1", "e1g1", "e1h1", "r3k2r/8/8/8/8/8/8/R4RK1 b ha - 1 1"},
      {"rk4r1/8/8/8/8/8/8/RK5R b KQkq - 0 1", false, "b8g8 b8a8", "", "b8a8", "2kr2r1/8/8/8/8/8/8/RK5R w HA - 1 1"},
      {"rk4r1/8/8/8/8/8/8/RK5R b KQkq - 0 1", false, "b8g8 b8a8", "", "b8c8", "r1k3r1/8/8/8/8/8/8/RK5R w HA - 1 1"},
      {"1r4kr/8/8/8/8/8/8/1R4KR w KQkq - 0 1", true, "g1h1 g1b1", "g1g1", "g1h1",
       "1r4kr/8/8/8/8/8/8/1R3RK1 b hb - 1 1"},
      {"2r2kr1/pppppppp/8/8/8/8/PPPPPPPP/2R2KR1 w GCgc - 0 1", true, "f1g1 f1c1", "", "f1c1",
       "2r2kr1/pppppppp/8/8/8/8/PPPPPPPP/2KR2R1 b gc - 1 1"},
      {"4k3/8/8/8/8/8/8/4KR1R w F - 0 1", true, "e1f1", "e1g1", "e1f1", "4k3/8/8/8/8/8/8/5RKR b - - 1 1"},
      {"3k4/8/8/8/8/8/8/R1K5 w A - 0 1", true, "c1a1", "c1c1", "c1a1", "3k4/8/8/8/8/8/8/2KR4 b - - 1 1"},
  };
  static Board b;
  for (const Case& c : cases) {
    ASSERT_EQ(set_position(b, c.fen, c.chess960).check, nullptr) << c.fen;
    std::string castlings;
    const MoveList& list = legal_moves(b);
    for (int i = 0; i < list.count; ++i) {
      char text[MOVE_TEXT_SIZE];
      if (is_castling(list.moves[i]))
        castlings.append(castlings.empty() ? "" : " ").append(text, move_text(b, list.moves[i], text));
    }
    EXPECT_EQ(castlings, c.castlings) << c.fen;
    if (*c.refused) {
      EXPECT_STREQ(play_move(b, c.refused).check, "legal") << c.fen;
    }
    EXPECT_EQ(play_move(b, c.play).check, nullptr) << c.fen;
    char fen[FEN_TEXT_SIZE];
    fen_text(b, fen);
    EXPECT_STREQ(fen, c.after) << c.fen;
  }
}
