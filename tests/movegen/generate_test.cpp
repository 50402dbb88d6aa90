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
  static Board b;
  for (const auto& r : rows_of("movegen/moves.txt")) {
    const int mode = r[1] == "all" ? GEN_ALL : r[1] == "tactical" ? GEN_TACTICAL : GEN_CAPTURES;
    load(b, r[0] == "startpos" ? START_FEN : r[0].c_str());
    EXPECT_EQ(listed(b, mode, r[2] == "-" ? nullptr : r[2].c_str()), r[3]) << r[0] << " mode " << r[1];
  }
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
  for (const auto& r : rows_of("perft.txt")) expect_stages_and_count(load(b, r[0].c_str()), 2, r[0]);
  for (const char* fen :
       {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "7k/6Q1/8/8/8/8/8/K7 b - - 0 1", "7k/6np/7P/8/3B4/8/8/K7 b - - 0 1",
        "k7/8/1K6/8/8/8/8/3R4 b - - 0 1", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", "7k/p4K2/6P1/8/8/8/8/8 b - - 0 1",
        "7k/5K2/p5P1/8/8/8/8/8 b - - 0 1"})
    expect_stages_and_count(load(b, fen), 0, fen);
  for (const char* fen : {"rk4r1/pppppppp/8/8/8/8/PPPPPPPP/RK4R1 w KQkq - 0 1", "5k2/8/8/8/8/8/8/1K4R1 w G - 0 1",
                          "2r2kr1/8/8/8/8/8/8/2R2KR1 w GCgc - 0 1", "1k1r4/8/8/8/8/8/8/R1K3R1 w GA - 0 1"})
    expect_stages_and_count(load(b, fen), 2, fen);
}

// Castling in both notations (tests/movegen/castling.txt): each castling word
// plays the castling the FEN after it shows; the other notation's word is refused.
TEST(Castling, BothNotations) {
  static Board b;
  for (const auto& r : rows_of("movegen/castling.txt")) {
    ASSERT_EQ(set_position(b, r[0].c_str(), r[1] == "chess960").check, nullptr) << r[0];
    std::string castlings;
    const MoveList& list = legal_moves(b);
    for (int i = 0; i < list.count; ++i) {
      char text[MOVE_TEXT_SIZE];
      if (is_castling(list.moves[i]))
        castlings.append(castlings.empty() ? "" : " ").append(text, move_text(b, list.moves[i], text));
    }
    EXPECT_EQ(castlings, r[2]) << r[0];
    if (!r[3].empty()) {
      EXPECT_STREQ(play_move(b, r[3].c_str()).check, "legal") << r[0];
    }
    char fen[FEN_TEXT_SIZE];
    EXPECT_EQ(play_move(b, r[4].c_str()).check, nullptr) << r[0];
    fen_text(b, fen);
    EXPECT_EQ(fen, r[5]) << r[0];
  }
}
