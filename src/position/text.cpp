// Moves and positions as text: UCI moves, the long descriptive form, FEN
// output, and the words of a "position ... moves" list.
#include <cstdio>
#include <cstring>

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

char* put_square(char* out, int s) {
  *out++ = FILES[file_of(s)];
  *out++ = RANKS[rank_of(s)];
  return out;
}

int write_move(Move m, int to, char* out) {
  char* end = put_square(put_square(out, move_from(m)), to);
  if (move_promotion(m)) *end++ = PROMOTION_UCI[move_promotion(m)];
  *end = '\0';
  return int(end - out);
}

}  // namespace

// The rights to castle come from the game's first record: a position later
// in the game keeps a subset of them, and the squares of a right stay in the
// set as long as the right lasts, so a castling move finds its rook there.
int written_destination(const Board& b, Move m) {
  return b.chess960 && is_castling(m) ? castling_rook(b.stack[0].castling, m) : move_to(m);
}

int move_text(Move m, char* out) { return write_move(m, move_to(m), out); }

int move_text(const Board& b, Move m, char* out) { return write_move(m, written_destination(b, m), out); }

int move_text_long(Move m, char* out) {
  if (m == 0) return snprintf(out, MOVE_TEXT_SIZE, "null");
  char* end = out;
  if (m & MOVE_CASTLING) {  // Kb1c1 could be a king step too
    end += snprintf(end, MOVE_TEXT_SIZE, file_of(move_to(m)) == 6 ? "O-O" : "O-O-O");
  } else {
    if (move_piece(m) != PAWN) *end++ = PIECE_LETTERS[move_piece(m)];
    end = put_square(end, move_from(m));
    if (move_captured(m)) {
      *end++ = 'x';
      if (move_captured(m) != PAWN) *end++ = PIECE_LETTERS[move_captured(m)];
    }
    end = put_square(end, move_to(m));
  }
  if (move_promotion(m)) *end++ = '=', *end++ = PROMOTION_LONG[move_promotion(m)];
  if (m & MOVE_CHECK) *end++ = '+';
  if (m & MOVE_DISCOVERED) *end++ = '!';
  if (m & MOVE_HASH) *end++ = 'H';
  *end = '\0';
  return int(end - out);
}

// The move number counts the plies dropped from the stack too.
int fen_text(const Board& b, char* out) {
  const Position& p = *b.current;
  char* end = out;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0, colour;
    for (int file = 0; file < 8; ++file) {
      int type = piece_on(p, file + 8 * rank, colour);
      if (!type) {
        ++empty;
        continue;
      }
      if (empty) *end++ = char('0' + empty), empty = 0;
      *end++ = colour == WHITE ? PIECE_LETTERS[type] : char(PIECE_LETTERS[type] | 0x20);
    }
    if (empty) *end++ = char('0' + empty);
    if (rank) *end++ = '/';
  }
  *end++ = ' ', *end++ = p.us->colour->is_white ? 'w' : 'b', *end++ = ' ';
  char* rights = end;
  for (int c = WHITE; c >= BLACK; --c) {
    int king = p.sides[c].king_square;
    Bitboard rooks = castling_rooks(p.castling, king);
    char letter_case = c == WHITE ? 0 : 0x20;
    if (Bitboard r = rooks & above(king)) *end++ = char((b.chess960 ? 'A' + file_of(lsb(r)) : 'K') | letter_case);
    if (Bitboard r = rooks & below(king)) *end++ = char((b.chess960 ? 'A' + file_of(lsb(r)) : 'Q') | letter_case);
  }
  if (end == rights) *end++ = '-';
  *end++ = ' ';
  if (p.ep_square)
    end = put_square(end, lsb(p.ep_square));
  else
    *end++ = '-';
  return int(end - out) + snprintf(end, 24, " %i %i", p.halfmove_clock, (b.ply_count + b.dropped_plies) / 2 + 1);
}

const char* parse_move_word(const char* word, const Position& p, int& from, int& to, int& promotion) {
  if (strlen(word) < 4) return "strlen(pch) >= 4";
  int file_from = index_in(FILES, word[0]), rank_from = index_in(RANKS, word[1]);
  if (file_from == -1 || rank_from == -1) return "file_from != -1 && rank_from != -1";
  int file_to = index_in(FILES, word[2]), rank_to = index_in(RANKS, word[3]);
  if (file_to == -1 || rank_to == -1) return "file_to != -1 && rank_to != -1";
  int colour;
  from = file_from + 8 * rank_from, to = file_to + 8 * rank_to;
  if (!piece_on(p, from, colour)) return "moved";
  promotion = 0;
  if (strlen(word) == 5) {
    promotion = index_in(PROMOTION_UCI, word[4]);
    if (promotion < KNIGHT || promotion > QUEEN) return "promotion >= KNIGHT && promotion <= QUEEN";
  }
  return nullptr;
}

Move find_move_text(const Board& b, const MoveList& list, const char* word) {
  char text[MOVE_TEXT_SIZE];
  for (int i = 0; i < list.count; ++i)
    if (move_text(b, list.moves[i], text), !strcmp(text, word)) return list.moves[i];
  return 0;
}

}  // namespace velta
