// The board model shared by every other part of the engine: squares, pieces,
// the packed move word, the position record and the stack of records that
// holds the game history and the search path.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace velta {

// Squares a1 = 0 ... h1 = 7, a2 = 8 ... h8 = 63; bit n of a Bitboard is square n.
using Bitboard = uint64_t;
using Move = uint32_t;

constexpr int BLACK = 0, WHITE = 1;  // arrays indexed by colour put Black first
constexpr int NO_PIECE = 0, PAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6;
// A move list's capacity. The FEN reader accepts only material a game can
// reach, whose positions are not known to exceed 218 legal moves; 372 keeps a
// wide margin for the four words of every promotion.
constexpr int MAX_MOVES = 372;
constexpr int STACK_SIZE = 1024;
// The deepest ply a search reaches: iterations, quiescence and forced-move
// extensions all stop here, so mate scores stay above MATE - 64.
constexpr int MAX_PLY = 63;
// Game moves may fill the stack up to here; the rest is the search's room.
constexpr int GAME_PLY_LIMIT = STACK_SIZE - 128;

constexpr int file_of(int s) { return s & 7; }
constexpr int rank_of(int s) { return s >> 3; }
constexpr Bitboard bit(int s) { return Bitboard(1) << s; }
constexpr Bitboard FILE_A = 0x0101010101010101ULL, NOT_FILE_A = ~FILE_A, NOT_FILE_H = ~(FILE_A << 7);
constexpr bool on_board(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }
inline int lsb(Bitboard b) { return std::countr_zero(b); }
inline int pop_lsb(Bitboard& b) {
  int s = std::countr_zero(b);
  b &= b - 1;
  return s;
}
// Without the POPCNT instruction (the x86-64 build) GCC would call a library
// function for every count: the count of bit pairs, nibbles and bytes, summed
// by one multiply, is inlined instead.
inline int popcount(Bitboard b) {
#if defined(__x86_64__) && !defined(__POPCNT__)
  b -= (b >> 1) & 0x5555555555555555ULL;
  b = (b & 0x3333333333333333ULL) + ((b >> 2) & 0x3333333333333333ULL);
  b = (b + (b >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
  return int((b * 0x0101010101010101ULL) >> 56);
#else
  return std::popcount(b);
#endif
}

// Move word: bits 0-5 to, 6-11 from, 12-14 piece code (7 - moving type),
// 15 castling (see below), 16 advance, 17 escape, 18 check, 19 discovered, 20-22 captured type,
// 24-26 promotion type, 28 hash move. Bits 16-28 form the ordering key, so
// comparing keys ranks hash move, promotion, victim, check, escape, advance.
constexpr int FROM_SHIFT = 6, PIECE_SHIFT = 12, CAPTURED_SHIFT = 20, PROMOTION_SHIFT = 24;
constexpr int ESCAPE_BIT = 17, CHECK_BIT = 18;
constexpr Move MOVE_ADVANCE = 1u << 16;
constexpr Move MOVE_ESCAPE = 1u << ESCAPE_BIT;
constexpr Move MOVE_CHECK = 1u << CHECK_BIT;
constexpr Move MOVE_DISCOVERED = 1u << 19;
constexpr Move MOVE_HASH = 1u << 28;
// Castling is a king move to its destination, the g or c file, the rook going
// to the f or d file. The king's two-square step is castling by itself, as in
// standard chess; every other castling (Chess960: a king that starts on
// another file moves 0, 1, 3, 4 or 5 squares) carries this bit, which lies in
// the low 16 bits that move ordering keeps.
constexpr Move MOVE_CASTLING = 1u << 15;
constexpr Move ORDER_KEY_MASK = 0x1fff0000;
constexpr Move SQUARES_MASK = 0xfff;  // from and to: a move's index in from-to tables
constexpr Move MIRROR_RANKS = 0xe38;  // flips the rank bits of both squares

constexpr int move_to(Move m) { return m & 63; }
constexpr int move_from(Move m) { return (m >> FROM_SHIFT) & 63; }
constexpr int move_piece_code(Move m) { return (m >> PIECE_SHIFT) & 7; }
constexpr int move_piece(Move m) { return 7 - move_piece_code(m); }
constexpr int move_captured(Move m) { return (m >> CAPTURED_SHIFT) & 7; }
constexpr int move_promotion(Move m) { return (m >> PROMOTION_SHIFT) & 7; }
constexpr Move encode_move(int from, int to, int piece, int captured = 0, int promotion = 0) {
  return Move(to) | Move(from) << FROM_SHIFT | Move(7 - piece) << PIECE_SHIFT | Move(captured) << CAPTURED_SHIFT |
         Move(promotion) << PROMOTION_SHIFT;
}

struct MoveList {
  int32_t count;
  Move moves[MAX_MOVES];
};

// Constant per-colour data, one record for each colour.
struct ColourInfo {
  Bitboard last_two_ranks;  // ranks 7-8 for White, 1-2 for Black
  Bitboard far_half;        // the opponent's half of the board
  Bitboard centre_zone;     // c5-f6 for White, c3-f4 for Black
  int32_t is_white;
  int32_t key_base[7];  // by piece type: index of the piece's first key in ZobristKeys
};
extern const ColourInfo colour_info[2];

struct AttackInfo {
  Bitboard attacks[7];         // [0] all, [1..6] by piece type
  Bitboard piece_attacks[16];  // of each knight, bishop, rook and queen, in that order, each by square
  Bitboard check_squares[7];   // [t]: squares from which an enemy type t attacks this king
  Bitboard checkers, pinned, discoverers, evasion_mask;
};

struct SideState {
  int32_t king_square;
  const ColourInfo* colour;
  AttackInfo* attack_info;  // always this colour's entry in the same Position
  Bitboard pieces[7];       // [0] all pieces of the colour, [1..6] by type
  Bitboard passed_pawns, doubled_pawns, isolated_pawns;
};

// One ply's record. sides, key and castling are the board part that make-move
// copies forward; everything after them is written by make-move or recomputed
// by its producer before use. The record points into itself: copy it with
// copy_record, never with a plain assignment.
struct Position {
  SideState sides[2];
  uint64_t key;
  Bitboard castling;  // squares of unmoved kings and castling rooks (see castling_rooks)
  SideState* us;
  SideState* them;
  AttackInfo attack_info[2];
  Bitboard occupied;
  Bitboard ep_square;
  int32_t halfmove_clock;
  Move move_played;
  MoveList moves;
};

// The game's positions and, above them, the search path: one record per ply,
// `current` always &stack[ply_count]. Moves are made by copying forward and
// taken back by stepping down.
struct Board {
  Position stack[STACK_SIZE];
  int ply_count;
  int dropped_plies;  // game plies dropped from the stack by compact_history
  Position* current;
  // Moves and FEN are written as in Chess960 (castling as the king taking
  // its own rook, rights as rook files): asked for, or needed by the rights.
  bool chess960;
};

// Key layout: 0-767 piece on square (by ColourInfo::key_base), then the four
// castling rights, the eight en passant files and the side to move.
constexpr int KEY_CASTLING = 768, KEY_EN_PASSANT = 772, KEY_WHITE_TO_MOVE = 780;
extern const uint64_t ZobristKeys[781];

// Pawn geometry by colour and square: the file ahead of a pawn, the file
// ahead plus both neighbouring files, and the two files beside file f.
using PawnSpan = std::array<std::array<Bitboard, 64>, 2>;
extern const PawnSpan front_span;
extern const PawnSpan passed_span;
extern const std::array<Bitboard, 8> adjacent_files;

// Castling rights. `castling` holds the squares of kings and rooks that have
// not moved since set-up and took part in a right: a king's square stays in it
// only while the king stands there, and a right is that king with a rook
// square of the set on its rank, beyond the king on the king side (towards h)
// or the queen side (towards a); there is at most one rook a wing. A move
// clears its from and to squares, so a king move ends both rights of its side
// (its rooks' squares may stay, granting nothing) and a rook that moves or is
// taken ends its own. The four rights K, Q, k, q have the keys
// ZobristKeys[KEY_CASTLING + 0..3]; castling_key reads the kings' squares of p.
inline Bitboard above(int s) { return ~((bit(s) << 1) - 1); }  // the squares after s
inline Bitboard below(int s) { return bit(s) - 1; }

// The castling rooks of the king standing on square `king`, both wings.
inline Bitboard castling_rooks(Bitboard castling, int king) {
  return castling & bit(king) ? castling & ~bit(king) & (Bitboard(0xff) << (king & 56)) : 0;
}

[[gnu::always_inline]] inline uint64_t castling_key(const Position& p, Bitboard castling) {
  uint64_t key = 0;
  for (int c = BLACK; c <= WHITE; ++c) {
    int king = p.sides[c].king_square;
    Bitboard rooks = castling_rooks(castling, king);
    const uint64_t* keys = &ZobristKeys[KEY_CASTLING + (c == WHITE ? 0 : 2)];
    if (rooks & above(king)) key ^= keys[0];
    if (rooks & below(king)) key ^= keys[1];
  }
  return key;
}

// Whether either side may still castle (a moved king leaves its unmoved
// rooks' squares in the set, granting nothing).
inline bool can_castle(const Position& p) {
  return castling_rooks(p.castling, p.sides[WHITE].king_square) |
         castling_rooks(p.castling, p.sides[BLACK].king_square);
}

// Whether a move is castling, and the square of its rook in the rights of
// the position it is played in (or of an earlier position of the game).
inline bool is_castling(Move m) {
  int step = move_to(m) - move_from(m);
  return move_piece(m) == KING && ((m & MOVE_CASTLING) || step == 2 || step == -2);
}
inline int castling_rook(Bitboard castling, Move m) {
  int king = move_from(m);
  Bitboard rooks = castling_rooks(castling, king);
  return lsb(rooks & (file_of(move_to(m)) == 6 ? above(king) : below(king)));
}
inline int castling_rook_destination(Move m) { return move_to(m) + (file_of(move_to(m)) == 6 ? -1 : 1); }

inline uint64_t en_passant_key(Bitboard ep_square) { return ZobristKeys[KEY_EN_PASSANT + file_of(lsb(ep_square))]; }

// Index of the move word m in a list, or -1.
inline int find_move(const MoveList& list, Move m) {
  for (int i = 0; i < list.count; ++i)
    if (list.moves[i] == m) return i;
  return -1;
}

inline constexpr char START_FEN[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Points a record's colour, attack-info and side-to-move links at itself.
void link_record(Position& p, int white_to_move);
// Copies a record (its board part and derived data) and re-links the copy.
void copy_record(Position& to, const Position& from);
// Copies a game, its records up to the current one, onto another board.
void copy_game(Board& to, const Board& from);
// Whether either colour has nothing but its king and pawns.
bool has_king_and_pawns_only(const Position& p);
// Type and colour of the piece on a square; NO_PIECE when it is empty.
int piece_on(const Position& p, int s, int& colour);

// Input refused by a check: the check's text and the word at fault, named by
// what it is ("placement", "en passant", "move", ...). Accepted: check nullptr.
constexpr int REFUSED_WORD_SIZE = 72;
struct Refusal {
  const char* check;
  const char* field;
  char word[REFUSED_WORD_SIZE];  // cut short with "..." when longer
};
Refusal refuse(const char* check, const char* field, const char* word);

// Reads a FEN into `out`, checking everything but what needs attack tables
// (whether the side not to move stands in check); `out` is complete only
// when accepted. Castling rights may be given as KQkq (the outermost rook on
// that wing), as rook files (HAha) or mixed (X-FEN's inner rooks); a king and
// rooks anywhere on their first rank, differently for each side.
Refusal parse_fen(const char* text, Position& out);
// Makes `root` record 0 of an empty stack.
void set_root(Board& b, const Position& root);
// Writes the game's moves as in Chess960 when asked to, or when a right's
// king or rook stands off the squares of standard chess.
void set_notation(Board& b, bool chess960);
// The key of a record computed from scratch.
uint64_t key_from_scratch(const Position& p);
// The record's key in the opening-book (Polyglot) convention: the engine's
// key, less the en passant key when no pawn of the side to move stands
// beside the pawn that just made its double step.
uint64_t book_key(const Position& p);
// Recomputes the passed, doubled and isolated pawn masks of both colours.
void compute_pawn_masks(Position& p);

// Copy-make: fills the next stack record from the current one and makes it
// current; the second form is given the new key, key_after(current, m).
void make_move(Board& b, Move m);
void make_move(Board& b, Move m, uint64_t key);
// The key of the position a move leads to.
uint64_t key_after(const Position& p, Move m);
void make_null_move(Board& b);
// The key after passing the move.
inline uint64_t key_after_null(const Position& p) {
  return p.key ^ ZobristKeys[KEY_WHITE_TO_MOVE] ^ (p.ep_square ? en_passant_key(p.ep_square) : 0);
}
inline void take_back(Board& b) {
  --b.ply_count;
  --b.current;
}
// Drops the history before the last capture or pawn move to make room on the
// stack; returns false when that history is too long to drop.
bool compact_history(Board& b);

// Text. Each writer fills `out` (zero-terminated) and returns its length.
// Castling is written as the king's move (e1g1), or in a Chess960 game as the
// king taking its own rook (e1h1), the convention of UCI GUIs there. A move
// given with its board is one of the current record or of a line from it.
constexpr int MOVE_TEXT_SIZE = 16, FEN_TEXT_SIZE = 128;
int move_text(Move m, char* out);                  // UCI form: e2e4, e7e8q, e1g1
int move_text(const Board& b, Move m, char* out);  // UCI form in the game's notation
int move_text_long(Move m, char* out);             // Ng1f3, e4xd5, d7xRc8=N, O-O-O, with + ! H flags
// Castling rights as KQkq, or as rook files (HAha) in a Chess960 game.
int fen_text(const Board& b, char* out);
// Reads one word of a move list into squares and promotion type (0 for none);
// returns the failed check, or nullptr. Legality is the generator's business.
const char* parse_move_word(const char* word, const Position& p, int& from, int& to, int& promotion);
// The destination a move is written with in the game's notation.
int written_destination(const Board& b, Move m);
// Finds the move a UCI word names in a list of the current record's moves, or 0.
Move find_move_text(const Board& b, const MoveList& list, const char* word);

}  // namespace velta
