// Moves and positions as text: the long and UCI move forms, the board
// diagram and the reader of a "moves" list.
#include <cstdio>

#include "position/board_helpers.h"

using namespace velta;
using board::square;

TEST(MoveText, LongAndUciForms) {
  struct Case {
    Move move;
    const char* long_form;
    const char* uci_form;
  } cases[] = {
      {encode_move(square("e2"), square("e4"), PAWN), "e2e4", "e2e4"},
      {encode_move(square("g1"), square("f3"), KNIGHT), "Ng1f3", "g1f3"},
      {encode_move(square("e4"), square("d5"), PAWN, PAWN), "e4xd5", "e4d5"},
      {encode_move(square("c4"), square("f7"), BISHOP, KNIGHT) | MOVE_CHECK, "Bc4xNf7+", "c4f7"},
      {encode_move(square("e7"), square("e8"), PAWN, 0, QUEEN), "e7e8=Q", "e7e8q"},
      {encode_move(square("d7"), square("c8"), PAWN, ROOK, KNIGHT), "d7xRc8=N", "d7c8n"},
      {encode_move(square("e1"), square("g1"), KING), "Ke1g1", "e1g1"},
      {encode_move(square("b1"), square("c3"), KNIGHT) | MOVE_HASH, "Nb1c3H", "b1c3"},
      {encode_move(square("d4"), square("f5"), KNIGHT) | MOVE_CHECK | MOVE_DISCOVERED | MOVE_HASH, "Nd4f5+!H",
       "d4f5"},
      {0, "null", nullptr},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    int length = print_move_long(c.move);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.long_form);
    EXPECT_EQ(length, int(std::string(c.long_form).size())) << c.long_form;
    if (!c.uci_form) continue;
    testing::internal::CaptureStdout();
    print_move_uci(c.move);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.uci_form);
  }
}

namespace {

// The eight rank lines and the bottom of the diagram of a FEN placement.
std::string diagram(const std::string& placement, bool white_to_move, bool check) {
  std::string grid;  // a8 ... h8, a7 ... h1
  for (char c : placement)
    if (c >= '1' && c <= '8') grid.append(c - '0', '.');
    else if (c != '/') grid += c;
  std::string out;
  for (int rank = 7; rank >= 0; --rank) {
    out += {' ', char('1' + rank), ' ', '\xB3'};
    for (int file = 0; file < 8; ++file) {
      char shade = (file + rank) % 2 ? '\xB0' : ' ';
      char piece = grid[(7 - rank) * 8 + file];
      out += {shade, piece == '.' ? shade : piece, shade};
    }
    if (rank == (white_to_move ? 0 : 7)) out += check ? " * (check !)" : " *";
    out += "\n";
  }
  return out + "   \xC0" + std::string(24, '\xC4') + "\n     A  B  C  D  E  F  G  H\n\n";
}

}  // namespace

TEST(MoveText, BoardDiagram) {
  struct Case {
    const char* moves;
    const char* history;
    const char* fen;  // the position reached, exactly as the fen line shows it
    bool check;
  } cases[] = {
      {"", "", START_FEN, false},
      {"e2e4 e7e5 g1f3", "after moves:\n   1. e2e4      e7e5         2. Ng1f3     \n\n",
       "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2", false},
      {"f2f3 e7e5 g2g4 d8h4", "after moves:\n   1. f2f3      e7e5         2. g2g4      Qd8h4+    \n\n",
       "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", true},
      {"g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1",
       "after moves:\n   1. Ng1f3     Ng8f6        2. Nf3g1     Nf6g8        3. Ng1f3     Ng8f6     \n"
       "   4. Nf3g1     \n\n",
       "rnbqkb1r/pppppppp/5n2/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 7 4", false},
  };
  for (const Case& c : cases) {
    board::load(c.fen);
    char key[32];
    snprintf(key, sizeof key, "0x%016llx", (unsigned long long)current_position->key);
    std::string fen = c.fen;
    bool white = fen.find(" w ") != std::string::npos;
    std::string expected = std::string("\n").append(c.history);
    expected += diagram(fen.substr(0, fen.find(' ')), white, c.check);
    expected.append("key = ").append(key).append("\nfen = ").append(fen).append("\n");

    board::load(START_FEN);
    play_move_list(c.moves);
    compute_check_info();
    testing::internal::CaptureStdout();
    print_board();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected) << c.moves;
  }
}

TEST(MoveText, MoveListReader) {
  struct Case {
    const char* fen;
    const char* moves;
    const char* check;  // the failed check reported, or "" when all moves were played
    const char* result;  // the position reached
  } cases[] = {
      {START_FEN, "e2e4 e7e5 g1f3", "", "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"},
      {START_FEN, "e2e4xy e7e5", "", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2"},
      {START_FEN, "e2e4 e7", "strlen(pch) >= 4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
      {START_FEN, "i2i4", "file_from != -1 && rank_from != -1", START_FEN},
      {START_FEN, "e2e9", "file_to != -1 && rank_to != -1", START_FEN},
      {START_FEN, "e3e4", "moved", START_FEN},
      {START_FEN, "e2e4x", "promotion >= KNIGHT && promotion <= QUEEN", START_FEN},
      {START_FEN, "e2e5", "legal", START_FEN},
      {START_FEN, "e7e5", "legal", START_FEN},  // the wrong side's piece
      {START_FEN, "f2f3 e7e5 e1f2 d8h4 f2g3 a7a6", "legal",  // into the queen's reach
       "rnb1kbnr/pppp1ppp/8/4p3/7q/5P2/PPPPPKPP/RNBQ1BNR w kq - 2 3"},
      {START_FEN, "e2e4 a7a6 e4e5 d7d5 e5d6", "", "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3"},
      {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8", "legal", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1"},
      {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8Q", "promotion >= KNIGHT && promotion <= QUEEN",
       "4k3/P7/8/8/8/8/8/4K3 w - - 0 1"},
      {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", "", "Q3k3/8/8/8/8/8/8/4K3 b - - 0 1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1 e8g8", "", "r4rk1/8/8/8/8/8/8/2KR3R w - - 2 2"},
  };
  for (const Case& c : cases) {
    board::load(c.result);
    uint64_t expected = current_position->key;
    board::load(c.fen);
    testing::internal::CaptureStderr();
    play_move_list(c.moves);
    std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(reported, *c.check ? std::string("engine: check failed: ") + c.check + "\n" : "") << c.moves;
    EXPECT_EQ(current_position->key, expected) << c.moves;
    EXPECT_EQ(current_position->key, key_from_scratch(*current_position)) << c.moves;
  }
}
