// Attack tables: masks and lookups against a slow ray walk, for the built-in
// multipliers and for multipliers searched at start-up.
#include "common/helpers.h"

// Lookups that disagree with a walk along each ray up to the first blocker,
// for every subset of every mask: every entry of the slider tables.
static int wrong_lookups(const MagicTables& t) {
  int wrong = 0;
  for (int s = 0; s < 64; ++s)
    for (int rook = 0; rook < 2; ++rook) {
      Bitboard mask = rook ? t.rook_masks[s] : t.bishop_masks[s], subset = 0;
      do {
        Bitboard walked = 0;
        for (const auto& [df, dr] : rook ? ROOK_DIRECTIONS : BISHOP_DIRECTIONS)
          for (int f = s % 8 + df, r = s / 8 + dr; on_board(f, r); f += df, r += dr) {
            walked |= bit(f + 8 * r);
            if (subset & bit(f + 8 * r)) break;
          }
        wrong += (rook ? rook_attack(t, s, subset) : bishop_attack(t, s, subset)) != walked;
      } while ((subset = (subset - mask) & mask));
    }
  return wrong;
}

TEST(AttackTables, LookupsAndMultiplierSearch) {
  // An edge blocker is no index: a1 sees all of its file and rank either way.
  EXPECT_EQ(popcount(magic.rook_masks[square("a1")]), 12);
  EXPECT_EQ(wrong_lookups(magic), 0);

  // With a multiplier table's first entry zero, the build searches new
  // multipliers, whose tables must answer exactly like the built-in ones.
  static MagicTables searched;
  uint64_t none[64] = {};
  MagicBuild build = build_magic_tables(searched, none, BUILT_IN_BISHOP_MAGICS);
  EXPECT_TRUE(build.searched_rooks && !build.searched_bishops && !build.out_of_memory);
  EXPECT_EQ(wrong_lookups(searched), 0);
}
