// FEN reading. A FEN is read into a scratch record and checked completely
// before it may replace record 0, so a rejected text never leaves a
// half-built position behind: the engine keeps the position it had.
#include <bit>
#include <cstdio>
#include <cstring>

#include "position/position.h"

namespace velta {

namespace {

constexpr int TEXT_SIZE = 8192;  // a whole input line

// The six sections of a FEN, each a zero-terminated word.
struct FenSections {
  const char *placement, *side, *castling, *en_passant, *halfmove, *fullmove;
};

// Cuts `work` into words in place; returns the number of sections filled
// (stops at six). Four words are a complete FEN without its counters.
int split_sections(char* work, FenSections& fen) {
  const char** sections[6] = {&fen.placement, &fen.side, &fen.castling, &fen.en_passant, &fen.halfmove, &fen.fullmove};
  int section = 0;
  char* rest = nullptr;
  for (char* word = strtok_r(work, " ", &rest); word && section < 6; word = strtok_r(nullptr, " ", &rest))
    *sections[section++] = word;
  if (section == 4) {
    fen.halfmove = "0";
    fen.fullmove = "1";
    section = 6;
  }
  return section;
}

// Places the pieces of the placement section. Every rank must hold exactly
// eight squares, so the square index can never leave the board.
const char* read_placement(const char* placement, Position& p) {
  static const char letters[] = "pnbrqk";
  int index = 56, file = 0, rank_count = 1;
  for (const char* c = placement; *c; ++c) {
    if (*c == '/') {
      if (file != 8 || rank_count == 8) return "position == 8";
      index -= 16, file = 0, ++rank_count;
    } else if (*c >= '1' && *c <= '8') {
      file += *c - '0', index += *c - '0';
      if (file > 8) return "position == 8";
    } else if (const char* l = strchr(letters, *c | 0x20)) {
      if (file == 8) return "position == 8";
      int colour = (*c >= 'A' && *c <= 'Z') ? WHITE : BLACK;
      int type = int(l - letters) + 1;
      p.sides[colour].pieces[type] |= bit(index);
      if (type == KING) p.sides[colour].king_square = index;
      ++index, ++file;
    } else {
      return "0";
    }
  }
  return index == 8 ? nullptr : "position == 8";
}

// The rook a castling letter names for a side: K and Q the outermost rook on
// that wing of the king (X-FEN), a file letter the rook on that file
// (Shredder-FEN, and X-FEN's inner rooks); -1 when there is none.
int named_rook(char letter, const SideState& side, int first_rank) {
  int king = side.king_square;
  Bitboard rooks = side.pieces[ROOK] & (Bitboard(0xff) << first_rank);
  if (rank_of(king) != rank_of(first_rank)) return -1;
  if (letter == 'k' && (rooks & above(king))) return 63 - std::countl_zero(rooks & above(king));
  if (letter == 'q' && (rooks & below(king))) return lsb(rooks & below(king));
  if (letter >= 'a' && letter <= 'h' && (rooks & bit(first_rank + letter - 'a'))) return first_rank + letter - 'a';
  return -1;
}

// Castling letters count only while their king and rook stand on their
// squares, and a wing keeps the first rook named for it.
Bitboard read_castling(const char* letters, const Position& p) {
  Bitboard set = 0;
  for (const char* c = letters; *c; ++c) {
    int colour = *c >= 'A' && *c <= 'Z' ? WHITE : BLACK;
    const SideState& side = p.sides[colour];
    int rook = named_rook(char(*c | 0x20), side, colour == WHITE ? 0 : 56);
    int king = side.king_square;
    if (rook == -1 || castling_rooks(set, king) & (rook > king ? above(king) : below(king))) continue;
    set |= bit(king) | bit(rook);
  }
  return set;
}

// An en passant square counts only behind an enemy pawn that has just made a
// double step: empty itself, with the pawn in front and the start square empty.
const char* read_en_passant(const char* word, Position& p) {
  if (strlen(word) != 2) return nullptr;
  const char* f = strchr("abcdefgh", word[0]);
  const char* r = strchr("12345678", word[1]);
  int file = f && *f ? int(f - "abcdefgh") : -1;
  int rank = r && *r ? int(r - "12345678") : -1;
  if (file == -1) return "file != -1";
  if (rank != 2 && rank != 5) return "rank == 2 || rank == 5";
  int s = file + 8 * rank;
  int mover = p.us->colour->is_white;
  int forward = mover == WHITE ? -8 : 8;  // from s toward the pawn that passed it
  Bitboard occupied = p.sides[0].pieces[0] | p.sides[1].pieces[0];
  bool right_rank = rank == (mover == WHITE ? 5 : 2);
  if (right_rank && (p.them->pieces[PAWN] & bit(s + forward)) && !(occupied & (bit(s) | bit(s - forward))))
    p.ep_square = bit(s);
  return nullptr;
}

void derive_board(Position& p) {
  for (int c = 0; c < 2; ++c) {
    Bitboard* pieces = p.sides[c].pieces;
    pieces[0] = pieces[1] | pieces[2] | pieces[3] | pieces[4] | pieces[5] | pieces[6];
  }
  p.occupied = p.sides[0].pieces[0] | p.sides[1].pieces[0];
}

// Material a game can reach: at most 16 pieces a side, and no more promoted
// pieces than missing pawns. This also keeps every move list within its
// capacity and every piece count within the evaluation tables.
bool reachable_material(const SideState& s) {
  int promoted = 0;
  const int originals[7] = {0, 8, 2, 2, 2, 1, 1};
  for (int t = KNIGHT; t <= QUEEN; ++t) {
    int extra = popcount(s.pieces[t]) - originals[t];
    if (extra > 0) promoted += extra;
  }
  return popcount(s.pieces[0]) <= 16 && popcount(s.pieces[PAWN]) + promoted <= 8;
}

// Positions the rest of the engine cannot handle are refused.
const char* check_board(const Position& p) {
  if (popcount(p.sides[WHITE].pieces[KING]) != 1 || popcount(p.sides[BLACK].pieces[KING]) != 1)
    return "exactly one king per side";
  if (popcount(p.occupied) > 32) return "at most 32 pieces";
  if ((p.sides[WHITE].pieces[PAWN] | p.sides[BLACK].pieces[PAWN]) & 0xff000000000000ffULL)
    return "no pawn on the first or last rank";
  if (!reachable_material(p.sides[WHITE]) || !reachable_material(p.sides[BLACK])) return "material reachable in a game";
  return nullptr;
}

// The kings and rooks of standard chess: e1 with a1 and h1, e8 with a8 and h8.
constexpr Bitboard STANDARD_CASTLING_SQUARES = 0x9100000000000091ULL;

// Whether a right's king or rook stands off the squares of standard chess.
bool needs_chess960(const Position& p) {
  for (int c = BLACK; c <= WHITE; ++c) {
    int king = p.sides[c].king_square;
    Bitboard rooks = castling_rooks(p.castling, king);
    if (rooks && ((rooks | bit(king)) & ~STANDARD_CASTLING_SQUARES)) return true;
  }
  return false;
}

Refusal read_sections(const FenSections& fen, Position& p) {
  memset(static_cast<void*>(&p), 0, sizeof p);
  if (const char* failed = read_placement(fen.placement, p)) return refuse(failed, "placement", fen.placement);
  derive_board(p);
  link_record(p, fen.side[0] == 'w');
  p.castling = read_castling(fen.castling, p);
  if (const char* failed = read_en_passant(fen.en_passant, p)) return refuse(failed, "en passant", fen.en_passant);
  int draw = 0;
  if (sscanf(fen.halfmove, "%i", &draw) != 1)
    return refuse("sscanf(fen.halfmove, \"%i\", &draw) == 1", "halfmove clock", fen.halfmove);
  if (draw < 0 || draw > 9999) return refuse("0 <= halfmove clock <= 9999", "halfmove clock", fen.halfmove);
  p.halfmove_clock = draw;
  if (const char* failed = check_board(p)) return refuse(failed, "placement", fen.placement);
  p.key = key_from_scratch(p);
  compute_pawn_masks(p);
  return {};
}

}  // namespace

Refusal refuse(const char* check, const char* field, const char* word) {
  Refusal r{check, field, {}};
  if (strlen(word) < sizeof r.word)
    strcpy(r.word, word);
  else
    snprintf(r.word, sizeof r.word, "%.*s...", int(sizeof r.word) - 4, word);
  return r;
}

Refusal parse_fen(const char* text, Position& out) {
  char work[TEXT_SIZE];
  snprintf(work, sizeof work, "%s", text);
  FenSections fen{};
  return split_sections(work, fen) == 6 ? read_sections(fen, out) : refuse("section == 6", "fen", text);
}

void set_root(Board& b, const Position& root) {
  b.ply_count = b.dropped_plies = 0;
  b.current = b.stack;
  copy_record(b.stack[0], root);
}

void set_notation(Board& b, bool chess960) { b.chess960 = chess960 || needs_chess960(b.stack[0]); }

}  // namespace velta
