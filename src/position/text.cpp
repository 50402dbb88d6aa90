// Moves and positions as text: UCI moves, the long descriptive form, the
// reader of a "position ... moves" list and the board diagram.
#include <cstdio>
#include <cstring>

#include "movegen/movegen.h"
#include "position/position.h"

namespace velta {

namespace {

const char FILES[] = "abcdefgh";
const char RANKS[] = "12345678";
const char PIECE_LETTERS[] = "?PNBRQK";
const char PROMOTION_LONG[] = "??NBRQ?";
const char PROMOTION_UCI[] = "??nbrq?";

int index_in(const char* table, char c) {
  const char* found = c ? strchr(table, c) : nullptr;
  return found ? int(found - table) : -1;
}

// Type and colour of the piece on a square; type 0 when it is empty.
int piece_on(const Position& p, int s, int& colour) {
  for (int t = PAWN; t <= KING; ++t)
    for (colour = BLACK; colour <= WHITE; ++colour)
      if (p.sides[colour].pieces[t] & bit(s)) return t;
  return NO_PIECE;
}

// Checks one word of a move list and returns the legal move it names, or 0
// after reporting the first check it fails.
Move read_move_word(const char* word) {
  if (strlen(word) < 4) return report_failed_check("strlen(pch) >= 4"), 0;
  int file_from = index_in(FILES, word[0]), rank_from = index_in(RANKS, word[1]);
  if (file_from == -1 || rank_from == -1) return report_failed_check("file_from != -1 && rank_from != -1"), 0;
  int file_to = index_in(FILES, word[2]), rank_to = index_in(RANKS, word[3]);
  if (file_to == -1 || rank_to == -1) return report_failed_check("file_to != -1 && rank_to != -1"), 0;
  int colour, from = file_from + 8 * rank_from, to = file_to + 8 * rank_to;
  if (!piece_on(*current_position, from, colour)) return report_failed_check("moved"), 0;
  int promotion = 0;
  if (strlen(word) == 5) {
    promotion = index_in(PROMOTION_UCI, word[4]);
    if (promotion < KNIGHT || promotion > QUEEN)
      return report_failed_check("promotion >= KNIGHT && promotion <= QUEEN"), 0;
  }
  // Only a legal move is made: the generated word also carries the right
  // castling and en passant fields.
  prepare_and_generate();
  const MoveList& list = current_position->moves;
  for (int i = 0; i < list.count; ++i) {
    Move m = list.moves[i];
    if (move_from(m) == from && move_to(m) == to && move_promotion(m) == promotion) return m;
  }
  return report_failed_check("legal"), 0;
}

void print_square(int s) { printf("%c%c", FILES[file_of(s)], RANKS[rank_of(s)]); }

void print_fen(const Position& p) {
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0, colour;
    for (int file = 0; file < 8; ++file) {
      int type = piece_on(p, file + 8 * rank, colour);
      if (!type) {
        ++empty;
        continue;
      }
      if (empty) printf("%i", empty), empty = 0;
      printf("%c", colour == WHITE ? PIECE_LETTERS[type] : PIECE_LETTERS[type] | 0x20);
    }
    if (empty) printf("%i", empty);
    if (rank) printf("/");
  }
  printf(" %c ", p.us->colour->is_white ? 'w' : 'b');
  bool any = false;
  for (int i = 0; i < 4; ++i)
    if ((p.castling & CASTLING_RIGHTS[i]) == CASTLING_RIGHTS[i]) printf("%c", "KQkq"[i]), any = true;
  if (!any) printf("-");
  printf(" ");
  if (p.ep_square)
    print_square(lsb(p.ep_square));
  else
    printf("-");
  printf(" %i %i\n", p.halfmove_clock, (ply_count + dropped_plies) / 2 + 1);  // counts dropped history too
}

void print_move_history() {
  if (ply_count == 0) return;
  printf("after moves:\n");
  for (int i = 0; i < ply_count; ++i) {
    if (i % 2 == 0) printf("%4i. ", i / 2 + 1);
    for (int width = print_move_long(position_stack[i].move_played); width < 10; ++width) printf(" ");
    if (i % 6 == 5) printf("\n");
  }
  printf("\n\n");
}

}  // namespace

void print_move_uci(Move m) {
  print_square(move_from(m));
  print_square(move_to(m));
  if (move_promotion(m)) printf("%c", PROMOTION_UCI[move_promotion(m)]);
}

int print_move_long(Move m) {
  if (m == 0) return printf("null");
  int n = 0;
  if (move_piece(m) != PAWN) n += printf("%c", PIECE_LETTERS[move_piece(m)]);
  print_square(move_from(m));
  n += 2;
  if (move_captured(m)) {
    n += printf("x");
    if (move_captured(m) != PAWN) n += printf("%c", PIECE_LETTERS[move_captured(m)]);
  }
  print_square(move_to(m));
  n += 2;
  if (move_promotion(m)) n += printf("=%c", PROMOTION_LONG[move_promotion(m)]);
  if (m & MOVE_CHECK) n += printf("+");
  if (m & MOVE_DISCOVERED) n += printf("!");
  if (m & MOVE_HASH) n += printf("H");
  return n;
}

void play_move_list(const char* text) {
  static char work[8192];
  snprintf(work, sizeof work, "%s", text);
  for (char* word = strtok(work, " "); word; word = strtok(nullptr, " ")) {
    // A long game drops the history that can no longer repeat to keep room for the search.
    if (ply_count >= GAME_PLY_LIMIT && (!compact_history() || ply_count >= GAME_PLY_LIMIT)) {
      report_failed_check("game fits in the position stack");
      return;
    }
    Move m = read_move_word(word);
    if (!m) return;
    make_move(m);
  }
}

void print_board() {
  const Position& p = *current_position;
  printf("\n");
  print_move_history();
  bool white_to_move = p.us->colour->is_white;
  for (int rank = 7; rank >= 0; --rank) {
    printf(" %i %c", rank + 1, 0xB3);
    for (int file = 0; file < 8; ++file) {
      int colour, type = piece_on(p, file + 8 * rank, colour);
      char background = (file + rank) % 2 ? char(0xB0) : ' ';
      char content = !type ? background : colour == WHITE ? PIECE_LETTERS[type] : char(PIECE_LETTERS[type] | 0x20);
      printf("%c%c%c", background, content, background);
    }
    if ((rank == 7 && !white_to_move) || (rank == 0 && white_to_move)) {
      printf(" *");
      if (p.us->attack_info->checkers) printf(" (check !)");
    }
    printf("\n");
  }
  printf("   %c", 0xC0);
  for (int i = 0; i < 24; ++i) printf("%c", 0xC4);
  printf("\n     A  B  C  D  E  F  G  H\n\n");
  printf("key = 0x%08x%08x\n", unsigned(p.key >> 32), unsigned(p.key));
  printf("fen = ");
  print_fen(p);
}

}  // namespace velta
