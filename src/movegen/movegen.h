// Attack tables, check information, attack maps, legal move generation,
// perft, and the position set-up checks that need them.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"

namespace velta {

using SquareTable = std::array<Bitboard, 64>;

// Directions as (file step, rank step).
constexpr int ROOK_DIRECTIONS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int BISHOP_DIRECTIONS[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};

// Constant tables by square.
extern const SquareTable knight_attacks, king_attacks;
extern const SquareTable white_pawn_attacks, black_pawn_attacks;
extern const SquareTable rook_rays, bishop_rays, queen_rays;  // attacks on an empty board
// Four bits per square: its rank, its file and its two diagonals. Three
// squares lie on one line exactly when the AND of their words is not zero.
extern const std::array<uint64_t, 64> line_bits;
// The squares strictly between two squares on one rank, file or diagonal; else none.
extern const std::array<SquareTable, 64> between_squares;

// Magic bitboards: (occupancy & mask) * multiplier >> shift indexes the
// square's fixed-stride slice of attack sets.
constexpr int ROOK_SLICE = 4096, BISHOP_SLICE = 512;
struct MagicTables {
  Bitboard rook_masks[64], bishop_masks[64];
  uint64_t rook_magics[64], bishop_magics[64];
  uint32_t rook_shifts[64], bishop_shifts[64];
  Bitboard rook_attacks[64 * ROOK_SLICE], bishop_attacks[64 * BISHOP_SLICE];
};
extern const MagicTables& magic;  // the engine's tables, built by init_attack_tables
extern const uint64_t BUILT_IN_ROOK_MAGICS[64], BUILT_IN_BISHOP_MAGICS[64];

inline Bitboard rook_attack(const MagicTables& t, int s, Bitboard occupied) {
  return t.rook_attacks[s * ROOK_SLICE + (((occupied & t.rook_masks[s]) * t.rook_magics[s]) >> t.rook_shifts[s])];
}
inline Bitboard bishop_attack(const MagicTables& t, int s, Bitboard occupied) {
  uint64_t index = ((occupied & t.bishop_masks[s]) * t.bishop_magics[s]) >> t.bishop_shifts[s];
  return t.bishop_attacks[s * BISHOP_SLICE + index];
}
inline Bitboard rook_attack(int s, Bitboard occupied) { return rook_attack(magic, s, occupied); }
inline Bitboard bishop_attack(int s, Bitboard occupied) { return bishop_attack(magic, s, occupied); }
inline bool on_one_line(int a, int b, int c) { return line_bits[a] & line_bits[b] & line_bits[c]; }

// The squares a colour's pawns attack, and those of its pawns that attack
// some square of a set.
inline Bitboard pawn_attack_map(Bitboard pawns, int white) {
  return white ? ((pawns & NOT_FILE_A) << 7) | ((pawns & NOT_FILE_H) << 9)
               : ((pawns & NOT_FILE_A) >> 9) | ((pawns & NOT_FILE_H) >> 7);
}
inline Bitboard pawns_attacking(Bitboard pawns, Bitboard squares, int white) {
  return pawns & (white ? ((squares & NOT_FILE_A) >> 9) | ((squares & NOT_FILE_H) >> 7)
                        : ((squares & NOT_FILE_H) << 9) | ((squares & NOT_FILE_A) << 7));
}

// Whether square s, owned by the defender's colour, is attacked by the
// knights, sliders and the given pawns of `attacker` through `occupied`.
// Inlined: counting the king's moves at perft's leaves calls it most.
[[gnu::always_inline]] inline bool attacked_by(int s, int defender_is_white, const SideState& attacker,
                                               Bitboard attacker_pawns, Bitboard occupied) {
  Bitboard pawn_squares = defender_is_white ? white_pawn_attacks[s] : black_pawn_attacks[s];
  return (pawn_squares & attacker_pawns) || (knight_attacks[s] & attacker.pieces[KNIGHT]) ||
         (bishop_attack(s, occupied) & (attacker.pieces[BISHOP] | attacker.pieces[QUEEN])) ||
         (rook_attack(s, occupied) & (attacker.pieces[ROOK] | attacker.pieces[QUEEN]));
}

// What a build of the slider tables did: a multiplier table whose first entry
// is zero is searched for first.
struct MagicBuild {
  bool out_of_memory;
  bool searched_rooks, searched_bishops;
};
MagicBuild build_magic_tables(MagicTables& t, const uint64_t* rook_multipliers, const uint64_t* bishop_multipliers);
// The engine's tables from the built-in multipliers.
MagicBuild init_attack_tables();

// Check information of both colours, in two parts: pinned pieces and
// discovery candidates (what the evaluation reads), then check squares,
// checkers and evasion masks (what the generator reads besides; it needs the
// attack maps).
void compute_pins(Position& p);
void compute_checks(Position& p);
// Whether the king of `side` stands attacked in the record p (kings included).
bool king_attacked(const Position& p, const SideState& side);
// Attack maps by piece type of both colours. Maps are computed against all
// occupied squares, so a square of a side's map holding one of its own pieces
// means that piece is defended.
void compute_attack_maps(Position& p);
// What the evaluation reads; what the generator reads besides; and both,
// computed by every node before it generates or evaluates.
inline void prepare_evaluation(Position& p) {
  compute_pins(p);
  compute_attack_maps(p);
}
inline void prepare_generation(Position& p) { compute_checks(p); }
inline void prepare_node(Position& p) {
  prepare_evaluation(p);
  prepare_generation(p);
}

// Generator modes: all legal moves; those with an ordering key but castling;
// captures and promotions; those with an ordering key; those without, added
// after the moves already in the list (together with GEN_KEYED, all moves).
constexpr int GEN_ALL = 0, GEN_TACTICAL = 1, GEN_CAPTURES = 2, GEN_KEYED = 3, GEN_QUIET = 4;
// Fills p.moves with legal moves. Requires prepare_node(p).
void generate_moves(Position& p, int mode);
// The number of legal moves, without building them. Requires prepare_node(p),
// or only prepare_count(p): the side to move's check information.
int count_legal_moves(Position& p);
void prepare_count(Position& p);
// The number of legal moves, or 2 when there are more. Requires prepare_node(p).
int count_legal_moves_up_to_two(Position& p);
// prepare_node and all legal moves of the current record.
inline MoveList& legal_moves(Board& b) {
  prepare_node(*b.current);
  generate_moves(*b.current, GEN_ALL);
  return b.current->moves;
}

// Leaf count of the legal move tree `depth` plies deep (depth >= 1).
uint64_t perft(Board& b, int depth);

// Sets up the board from a FEN, keeping the old position when the text fails
// a check; its moves are written as in Chess960 when asked to or when its
// castling rights need it (Board::chess960).
Refusal set_position(Board& b, const char* fen, bool chess960 = false);
// Plays one word of a move list, in the game's notation, if it names a legal
// move. A long game drops history that can no longer repeat.
Refusal play_move(Board& b, const char* word);

}  // namespace velta
