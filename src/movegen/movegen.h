// Attack tables, check information, legal move generation and perft.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"

namespace velta {

using SquareTable = std::array<Bitboard, 64>;

// Constant tables by square.
extern const SquareTable knight_attacks, king_attacks;
extern const SquareTable white_pawn_attacks, black_pawn_attacks;
extern const SquareTable rook_rays, bishop_rays, queen_rays;  // attacks on an empty board
// Four bits per square: its rank, its file and its two diagonals. Three
// squares lie on one line exactly when the AND of their words is not zero.
extern const std::array<uint64_t, 64> line_bits;

// Magic bitboards: (occupancy & mask) * multiplier >> shift indexes the square's slice.
extern Bitboard rook_masks[64], bishop_masks[64];
extern uint32_t rook_shifts[64], bishop_shifts[64];
extern uint64_t rook_magics[64], bishop_magics[64];
extern Bitboard rook_attacks[64 * 4096], bishop_attacks[64 * 512];

inline Bitboard rook_attack(int s, Bitboard occupied) {
  return rook_attacks[s * 4096 + (((occupied & rook_masks[s]) * rook_magics[s]) >> rook_shifts[s])];
}
inline Bitboard bishop_attack(int s, Bitboard occupied) {
  return bishop_attacks[s * 512 + (((occupied & bishop_masks[s]) * bishop_magics[s]) >> bishop_shifts[s])];
}
inline bool on_one_line(int a, int b, int c) { return line_bits[a] & line_bits[b] & line_bits[c]; }

// Builds the rook and then the bishop tables; a multiplier table whose first
// entry is zero is searched for first (and printed).
void init_attack_tables();
// Finds and prints multipliers for one piece from its occupancy/attack lists.
void find_magics(const Bitboard* masks, const uint32_t* shifts, const Bitboard* occupancies,
                 const Bitboard* attack_sets, int slice, uint64_t* magics, const char* name);

// Fills checkers, pinned, discoverers, evasion mask and check squares of both
// colours of the current position.
void compute_check_info();
// 1 when the square, owned by colour `defender`, is attacked by the pieces
// (not the king) of `attacker`, with the current position's occupancy.
int square_attacked(int square, const ColourInfo& defender, const SideState& attacker);
// Whether the king of `side` stands attacked in the record p (kings included).
bool king_attacked(const Position& p, const SideState& side);

// Generator modes.
constexpr int GEN_ALL = 0, GEN_TACTICAL = 1, GEN_CAPTURES = 2;
// Fills current_position->moves with legal moves. Requires compute_check_info
// and compute_attacks for the current record.
void generate_moves(int mode);
// Check information, attack maps and all legal moves of the current record.
void prepare_and_generate();

// Leaf count of the legal move tree from level to last (last = depth - 1),
// printing the root breakdown. Stops early, returning a partial count, when
// perft_interrupted is set by waiting input.
uint64_t perft(int level, int last);
extern bool perft_interrupted;

}  // namespace velta
