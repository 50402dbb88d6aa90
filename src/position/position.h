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
// 16 advance, 17 escape, 18 check, 19 discovered, 20-22 captured type,
// 24-26 promotion type, 28 hash move. Bits 16-28 form the ordering key, so
// comparing keys ranks hash move, promotion, victim, check, escape, advance.
constexpr int FROM_SHIFT = 6, PIECE_SHIFT = 12, CAPTURED_SHIFT = 20, PROMOTION_SHIFT = 24;
constexpr int ESCAPE_BIT = 17, CHECK_BIT = 18;
constexpr Move MOVE_ADVANCE = 1u << 16;
constexpr Move MOVE_ESCAPE = 1u << ESCAPE_BIT;
constexpr Move MOVE_CHECK = 1u << CHECK_BIT;
constexpr Move MOVE_DISCOVERED = 1u << 19;
constexpr Move MOVE_HASH = 1u << 28;
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
  Bitboard castling;  // subset of a1, e1, h1, a8, e8, h8 still unmoved
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

// The four castling rights (K, Q, k, q), each the pair of squares that must
// both still be in `castling`; right i has key ZobristKeys[KEY_CASTLING + i].
constexpr Bitboard CASTLING_RIGHTS[4] = {0x90, 0x11, 0x9000000000000000ULL, 0x1100000000000000ULL};

inline uint64_t castling_key(Bitboard castling) {
  uint64_t key = 0;
  for (int i = 0; i < 4; ++i)
    if ((castling & CASTLING_RIGHTS[i]) == CASTLING_RIGHTS[i]) key ^= ZobristKeys[KEY_CASTLING + i];
  return key;
}
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
// when accepted.
Refusal parse_fen(const char* text, Position& out);
// Makes `root` record 0 of an empty stack.
void set_root(Board& b, const Position& root);
// The key of a record computed from scratch.
uint64_t key_from_scratch(const Position& p);
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
constexpr int MOVE_TEXT_SIZE = 16, FEN_TEXT_SIZE = 128;
int move_text(Move m, char* out);       // UCI form: e2e4, e7e8q
int move_text_long(Move m, char* out);  // Ng1f3, e4xd5, d7xRc8=N, with + ! H flags
int fen_text(const Board& b, char* out);
// Reads one word of a move list into squares and promotion type (0 for none);
// returns the failed check, or nullptr. Legality is the generator's business.
const char* parse_move_word(const char* word, const Position& p, int& from, int& to, int& promotion);
// Finds the move a UCI word names in a list of moves, or 0.
Move find_move_text(const MoveList& list, const char* word);

}  // namespace velta
