// Attack tables: masks, lookups against a slow ray walk, and tables rebuilt
// from searched multipliers.
#include "position/board_helpers.h"

// Lookups that disagree with a walk along each ray up to the first blocker,
// for every subset of every mask: every entry of the slider tables.
static int wrong_lookups() {
  static const int steps[2][4][2] = {{{1, 1}, {1, -1}, {-1, 1}, {-1, -1}}, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
  int wrong = 0;
  for (int s = 0; s < 64; ++s)
    for (int rook = 0; rook < 2; ++rook) {
      Bitboard mask = rook ? rook_masks[s] : bishop_masks[s], subset = 0;
      do {
        Bitboard walked = 0;
        for (const auto& [df, dr] : steps[rook])
          for (int f = s % 8 + df, r = s / 8 + dr; f >= 0 && f < 8 && r >= 0 && r < 8; f += df, r += dr) {
            walked |= bit(f + 8 * r);
            if (subset & bit(f + 8 * r)) break;
          }
        wrong += (rook ? rook_attack(s, subset) : bishop_attack(s, subset)) != walked;
      } while ((subset = (subset - mask) & mask));
    }
  return wrong;
}

TEST(AttackTables, LookupsAndMultiplierSearch) {
  const std::tuple<const char*, int, int> sizes[] = {{"a1", 12, 6}, {"d4", 10, 9}, {"b1", 11, 5}, {"c3", 10, 7}};
  for (auto [at, rook, bishop] : sizes)
    EXPECT_EQ(std::pair(popcount(rook_masks[square(at)]), popcount(bishop_masks[square(at)])), std::pair(rook, bishop))
        << at;
  // An edge blocker is no index: a1 sees all of its file and rank either way.
  EXPECT_EQ(rook_attack(square("a1"), 0), 0x01010101010101feULL);
  EXPECT_EQ(rook_attack(square("a1"), squares("a8")), 0x01010101010101feULL);
  EXPECT_EQ(bishop_attack(square("a1"), 0), 0x8040201008040200ULL);
  // Blockers stop the rays and are included; squares off the lines change nothing.
  EXPECT_EQ(rook_attack(square("d4"), squares("d6 f4 d1 b4 a1 h8 f6")), squares("d5 d6 e4 f4 d3 d2 d1 c4 b4"));
  EXPECT_EQ(wrong_lookups(), 0);

  // With the rook table's first entry emptied, a rebuild searches (and prints)
  // new multipliers, whose tables must answer exactly like the built-in ones.
  uint64_t built_in[64];
  memcpy(built_in, rook_magics, sizeof built_in);
  rook_magics[0] = 0;
  testing::internal::CaptureStdout();
  init_attack_tables();
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(wrong_lookups(), 0);
  memcpy(rook_magics, built_in, sizeof built_in);
  init_attack_tables();
  // The header, then 64 times "0x", sixteen digits and ", " on one line.
  EXPECT_TRUE(printed.starts_with("Magic numbers for rooks :\n0x") && printed.size() == 26 + 64 * 20 + 1) << printed;
}
