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
constexpr int MAX_MOVES = 372;
constexpr int STACK_SIZE = 1024;
// Game moves may fill the stack up to here; the rest is the search's room.
constexpr int GAME_PLY_LIMIT = STACK_SIZE - 128;

constexpr int file_of(int s) { return s & 7; }
constexpr int rank_of(int s) { return s >> 3; }
constexpr Bitboard bit(int s) { return Bitboard(1) << s; }
inline int lsb(Bitboard b) { return std::countr_zero(b); }
inline int pop_lsb(Bitboard& b) {
  int s = std::countr_zero(b);
  b &= b - 1;
  return s;
}
inline int popcount(Bitboard b) { return std::popcount(b); }

// Move word: bits 0-5 to, 6-11 from, 12-14 piece code (7 - moving type),
// 16 advance, 17 escape, 18 check, 19 discovered, 20-22 captured type,
// 24-26 promotion type, 28 hash move. Bits 16-28 form the ordering key.
constexpr Move MOVE_ADVANCE = 1u << 16;
constexpr Move MOVE_ESCAPE = 1u << 17;
constexpr Move MOVE_CHECK = 1u << 18;
constexpr Move MOVE_DISCOVERED = 1u << 19;
constexpr Move MOVE_HASH = 1u << 28;
constexpr Move ORDER_KEY_MASK = 0x1fff0000;
constexpr Move MIRROR_RANKS = 0xe38;  // flips the rank bits of both squares

constexpr int move_to(Move m) { return m & 63; }
constexpr int move_from(Move m) { return (m >> 6) & 63; }
constexpr int move_piece_code(Move m) { return (m >> 12) & 7; }
constexpr int move_piece(Move m) { return 7 - move_piece_code(m); }
constexpr int move_captured(Move m) { return (m >> 20) & 7; }
constexpr int move_promotion(Move m) { return (m >> 24) & 7; }
constexpr Move encode_move(int from, int to, int piece, int captured = 0, int promotion = 0) {
  return Move(to) | Move(from) << 6 | Move(7 - piece) << 12 | Move(captured) << 20 | Move(promotion) << 24;
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
  Bitboard attacks[7];        // [0] all, [1..6] by piece type
  Bitboard check_squares[7];  // [t]: squares from which an enemy type t attacks this king
  Bitboard checkers, pinned, discoverers, evasion_mask;
};

struct SideState {
  int32_t psq_sum;
  int32_t king_square;
  const ColourInfo* colour;
  AttackInfo* attack_info;  // always this colour's entry in the same Position
  Bitboard pieces[7];       // [0] all pieces of the colour, [1..6] by type
  Bitboard passed_pawns, doubled_pawns, isolated_pawns;
};

// One ply's record. sides, key and castling are the board part that make-move
// copies forward; everything after them is written by make-move or recomputed
// by its producer before use.
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
  int32_t king_and_pawns_only;
  Move move_played;
  MoveList moves;
};

extern Position position_stack[STACK_SIZE];
extern int ply_count;
extern int dropped_plies;  // game plies dropped from the stack by compact_history
extern Position* current_position;
extern const uint64_t ZobristKeys[781];

// Pawn geometry by colour and square: the file ahead of a pawn, the file
// ahead plus both neighbouring files, and the two files beside file f.
using PawnSpan = std::array<std::array<Bitboard, 64>, 2>;
extern const PawnSpan front_span;
extern const PawnSpan passed_span;
extern const std::array<Bitboard, 8> adjacent_files;

// The four castling rights (K, Q, k, q), each the pair of squares that must
// both still be in `castling`; right i has key ZobristKeys[768 + i].
constexpr Bitboard CASTLING_RIGHTS[4] = {0x90, 0x11, 0x9000000000000000ULL, 0x1100000000000000ULL};

inline uint64_t castling_key(Bitboard castling) {
  uint64_t key = 0;
  for (int i = 0; i < 4; ++i)
    if ((castling & CASTLING_RIGHTS[i]) == CASTLING_RIGHTS[i]) key ^= ZobristKeys[768 + i];
  return key;
}

// Index of the move word m in a list, or -1.
inline int find_move(const MoveList& list, Move m) {
  for (int i = 0; i < list.count; ++i)
    if (list.moves[i] == m) return i;
  return -1;
}

inline constexpr char START_FEN[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Reports a failed input check on standard error as "engine: check failed: <check>".
void report_failed_check(const char* check);

// Points a record's colour, attack-info and side-to-move links at itself.
void link_record(Position& p, int white_to_move);
// 1 when either colour has nothing but its king and pawns.
int has_king_and_pawns_only(const Position& p);

// Sets up record 0 from a FEN; returns false (and keeps the previous position)
// when the text fails a check.
bool read_fen(const char* text);
// The key of the current position computed from scratch.
uint64_t key_from_scratch(const Position& p);
// Recomputes the passed, doubled and isolated pawn masks of both colours.
void compute_pawn_masks();

// Copy-make: fills the next stack record from the current one and makes it current.
void make_move(Move m);
void make_null_move();
inline void take_back() {
  --ply_count;
  --current_position;
}
// Drops the history before the last capture or pawn move to make room on the
// stack; returns false when that history is too long to drop.
bool compact_history();

// Move and board text.
void print_move_uci(Move m);
int print_move_long(Move m);
void play_move_list(const char* text);
void print_board();

}  // namespace velta
