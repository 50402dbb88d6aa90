// Magic bitboards for rooks and bishops: the relevant occupancy of a square,
// multiplied by the square's multiplier and shifted right, indexes a
// fixed-stride slice of attack sets. Built once at start-up.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "movegen/movegen.h"

namespace velta {

namespace {
MagicTables tables;
}  // namespace

const MagicTables& magic = tables;

// Built-in multipliers; a table whose first entry is zero is searched for at start-up.
const uint64_t BUILT_IN_ROOK_MAGICS[64] = {
    0x0080041022854002ULL, 0x04c0004010042000ULL, 0x02000a0240201080ULL, 0x1600082012021240ULL, 0x1100121005000800ULL,
    0x4200080403020010ULL, 0x020020c10a000c08ULL, 0x0180108001a04d00ULL, 0x1046002102004080ULL, 0x0211402000401004ULL,
    0x40a1002006110040ULL, 0x4001002009001000ULL, 0x0011000408010010ULL, 0x0002000200102408ULL, 0x0801000200610014ULL,
    0x4042000214440083ULL, 0x2000248000804000ULL, 0x0020008022400080ULL, 0x0020008020100180ULL, 0x0000210010030008ULL,
    0x04080080082c0280ULL, 0x4111010008540082ULL, 0x0001140010b20821ULL, 0x0000020013084284ULL, 0x0009008200204a00ULL,
    0x4081400040201000ULL, 0x0013001100402000ULL, 0x0042120200204840ULL, 0x4008000404002040ULL, 0x5021002900040002ULL,
    0x1006008200014408ULL, 0x0001040200004881ULL, 0x010d401420800180ULL, 0x0030002000400050ULL, 0x0020001101004022ULL,
    0x1800210901005000ULL, 0x0004680101003004ULL, 0x1002008002800400ULL, 0x0120020904000810ULL, 0x500004840a000141ULL,
    0x4080012000c04010ULL, 0x02c100c000810020ULL, 0x2626200011050040ULL, 0x2002001021420008ULL, 0x00020070040a0020ULL,
    0x020d0004004b0008ULL, 0x12021082080c0041ULL, 0x280000804502000cULL, 0x0680008064510700ULL, 0x0000401002200040ULL,
    0x0422008441106200ULL, 0x2802005020184600ULL, 0x00a4008214080080ULL, 0x1010104c40200801ULL, 0x00a1004200440100ULL,
    0x0200104900840200ULL, 0x0a4100812200409aULL, 0x0408400011002081ULL, 0x0814102000084101ULL, 0x0200200410000901ULL,
    0x0003004442080011ULL, 0x2001008204000801ULL, 0x0021100248010c84ULL, 0x0124002401044082ULL,
};
const uint64_t BUILT_IN_BISHOP_MAGICS[64] = {
    0x0410200240902101ULL, 0x000e100c05004000ULL, 0x0084042c00480101ULL, 0x0048214040080060ULL, 0x14c4030800004240ULL,
    0x410a0844140000c0ULL, 0x0102110420b40600ULL, 0x4002212818141002ULL, 0x1001100a18080880ULL, 0x10a0020801040080ULL,
    0x04e4512805830100ULL, 0x0101044040804020ULL, 0x00080c0520004006ULL, 0x0020020854340500ULL, 0x3208009210022000ULL,
    0x0000050242101410ULL, 0x0084242008064803ULL, 0x0030400252220408ULL, 0x0034200200220200ULL, 0x1002400401020045ULL,
    0x0021002820080001ULL, 0x0201024200450400ULL, 0x5002081100900440ULL, 0x0092000042060118ULL, 0x0010500004200200ULL,
    0x4010020108080100ULL, 0x0058080819020120ULL, 0x0040040020410120ULL, 0x0005011001004000ULL, 0x40890a0009080100ULL,
    0x0002108200d80828ULL, 0x0663002010422802ULL, 0x2014110c01412400ULL, 0x0202091030041008ULL, 0x0500249002080420ULL,
    0x3040400820020200ULL, 0x00c0014100001100ULL, 0x0082040044080800ULL, 0x0010040120024104ULL, 0x4018020042002120ULL,
    0x2024500208041004ULL, 0x0001044304402040ULL, 0x5082018020800400ULL, 0x4000020214000601ULL, 0x501004110c000200ULL,
    0x202002ab08430200ULL, 0x0506049106110400ULL, 0x0028420400c00230ULL, 0x00020b4108400001ULL, 0x0080420804020040ULL,
    0x0000084200900c90ULL, 0x0000400e050c0000ULL, 0x4100002002540402ULL, 0x1408101030072028ULL, 0x5088108448104000ULL,
    0x0848485100420001ULL, 0x1002008208904410ULL, 0x0200004404040280ULL, 0x120a000202110400ULL, 0x4809400424460800ULL,
    0x4140320010020202ULL, 0x0013010508500108ULL, 0x0060408408020241ULL, 0x400c208804410040ULL,
};

namespace {

// One piece kind's part of the tables.
struct SliderTables {
  const int (*directions)[2];
  int slice;  // entries per square
  Bitboard* masks;
  uint32_t* shifts;
  uint64_t* magics;
  Bitboard* attacks;
};

// Attack set for an occupancy by walking each ray up to and including the first blocker.
Bitboard walk_attacks(const int (*directions)[2], int s, Bitboard occupied) {
  Bitboard result = 0;
  for (int d = 0; d < 4; ++d)
    for (int f = file_of(s) + directions[d][0], r = rank_of(s) + directions[d][1]; on_board(f, r);
         f += directions[d][0], r += directions[d][1]) {
      result |= bit(f + 8 * r);
      if (occupied & bit(f + 8 * r)) break;
    }
  return result;
}

// The squares of each ray except its last one: a blocker on the edge changes nothing.
Bitboard relevant_mask(const int (*directions)[2], int s) {
  Bitboard mask = 0;
  for (int d = 0; d < 4; ++d)
    for (int f = file_of(s) + directions[d][0], r = rank_of(s) + directions[d][1];
         on_board(f + directions[d][0], r + directions[d][1]); f += directions[d][0], r += directions[d][1])
      mask |= bit(f + 8 * r);
  return mask;
}

// Occupancy number i of a mask: bit j of i selects the j-th lowest mask square.
Bitboard nth_occupancy(Bitboard mask, int i) {
  Bitboard occupancy = 0;
  for (int j = 0; mask; ++j) {
    int s = pop_lsb(mask);
    if (i >> j & 1) occupancy |= bit(s);
  }
  return occupancy;
}

// 64 random bits from four calls of rand, 16 bits each, lowest first.
uint64_t random_u64() {
  uint64_t r = 0;
  for (int i = 0; i < 4; ++i) r |= uint64_t(rand() & 0xffff) << (16 * i);
  return r;
}

// A multiplier for one square that sends no two occupancies with different
// attack sets to the same slot.
uint64_t find_magic(const Bitboard* occupancies, const Bitboard* attack_sets, int size, uint32_t shift) {
  static Bitboard slots[ROOK_SLICE];
  for (;;) {
    // Sparse candidates (the AND of three random words) collide less often.
    uint64_t candidate = random_u64() & random_u64() & random_u64();
    memset(slots, 0, sizeof(Bitboard) * size);
    int i = 0;
    for (; i < size; ++i) {
      Bitboard& slot = slots[(occupancies[i] * candidate) >> shift];
      if (slot && slot != attack_sets[i]) break;
      slot = attack_sets[i];  // attack sets are never empty, so zero marks a free slot
    }
    if (i == size) return candidate;
  }
}

// Fills one piece kind's tables; returns false when the scratch lists cannot be had.
bool build(const SliderTables& t, const uint64_t* multipliers, bool& searched) {
  auto* occupancies = static_cast<Bitboard*>(calloc(size_t(64) * t.slice, sizeof(Bitboard)));
  auto* attack_sets = static_cast<Bitboard*>(calloc(size_t(64) * t.slice, sizeof(Bitboard)));
  if (!occupancies || !attack_sets) return free(occupancies), free(attack_sets), false;
  searched = multipliers[0] == 0;
  if (searched) srand(unsigned(time(nullptr)));
  for (int s = 0; s < 64; ++s) {
    t.masks[s] = relevant_mask(t.directions, s);
    t.shifts[s] = 64 - popcount(t.masks[s]);
    int size = 1 << popcount(t.masks[s]);
    Bitboard* occ = occupancies + s * t.slice;
    Bitboard* att = attack_sets + s * t.slice;
    for (int i = 0; i < size; ++i)
      occ[i] = nth_occupancy(t.masks[s], i), att[i] = walk_attacks(t.directions, s, occ[i]);
    t.magics[s] = searched ? find_magic(occ, att, size, t.shifts[s]) : multipliers[s];
    for (int i = 0; i < size; ++i) t.attacks[s * t.slice + ((occ[i] * t.magics[s]) >> t.shifts[s])] = att[i];
  }
  free(occupancies);
  free(attack_sets);
  return true;
}

}  // namespace

MagicBuild build_magic_tables(MagicTables& t, const uint64_t* rook_multipliers, const uint64_t* bishop_multipliers) {
  MagicBuild result{};
  result.out_of_memory =
      !build({ROOK_DIRECTIONS, ROOK_SLICE, t.rook_masks, t.rook_shifts, t.rook_magics, t.rook_attacks},
             rook_multipliers, result.searched_rooks) ||
      !build({BISHOP_DIRECTIONS, BISHOP_SLICE, t.bishop_masks, t.bishop_shifts, t.bishop_magics, t.bishop_attacks},
             bishop_multipliers, result.searched_bishops);
  return result;
}

MagicBuild init_attack_tables() { return build_magic_tables(tables, BUILT_IN_ROOK_MAGICS, BUILT_IN_BISHOP_MAGICS); }

}  // namespace velta
