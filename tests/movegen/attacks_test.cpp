// Attack tables, the multiplier search and check information.
#include <cstring>
#include <random>

#include "position/board_helpers.h"

using namespace velta;
using board::square;
using board::squares;

namespace {

// Attacks of a slider found by walking each ray up to the first blocker.
Bitboard walk(int s, Bitboard occupied, bool rook) {
  static const int steps[2][4][2] = {{{1, 1}, {1, -1}, {-1, 1}, {-1, -1}}, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
  Bitboard attacks = 0;
  for (const auto& [df, dr] : steps[rook])
    for (int f = s % 8 + df, r = s / 8 + dr; f >= 0 && f < 8 && r >= 0 && r < 8; f += df, r += dr) {
      attacks |= bit(f + 8 * r);
      if (occupied & bit(f + 8 * r)) break;
    }
  return attacks;
}

// Lookups that disagree with the ray walk: every subset of each mask, and
// random occupancies with squares outside the masks as well.
int wrong_lookups() {
  std::mt19937_64 random(7);
  int wrong = 0;
  for (int s = 0; s < 64; ++s)
    for (int rook = 0; rook < 2; ++rook) {
      auto check = [&](Bitboard occupied) {
        wrong += (rook ? rook_attack(s, occupied) : bishop_attack(s, occupied)) != walk(s, occupied, rook);
      };
      Bitboard mask = rook ? rook_masks[s] : bishop_masks[s], subset = 0;
      do check(subset);
      while ((subset = (subset - mask) & mask));
      for (int i = 0; i < 500; ++i) check(random() & random());
    }
  return wrong;
}

}  // namespace

TEST(AttackTables, MasksAndLookups) {
  const char* mask_squares[] = {"a1", "d4", "b1", "c3"};
  const int rook_sizes[] = {12, 10, 11, 10}, bishop_sizes[] = {6, 9, 5, 7};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(popcount(rook_masks[square(mask_squares[i])]), rook_sizes[i]) << mask_squares[i];
    EXPECT_EQ(popcount(bishop_masks[square(mask_squares[i])]), bishop_sizes[i]) << mask_squares[i];
  }
  const Bitboard d4_blocked = squares("d5 d6 e4 f4 d3 d2 d1 c4 b4");
  struct Lookup {
    Bitboard found, expected;
  } lookups[] = {
      {rook_attack(square("a1"), 0), 0x01010101010101feULL},
      {rook_attack(square("a1"), squares("a8")), 0x01010101010101feULL},  // an edge blocker is no index
      {bishop_attack(square("a1"), 0), 0x8040201008040200ULL},
      {rook_attack(square("d4"), squares("d6 f4 d1 b4")), d4_blocked},
      {rook_attack(square("d4"), squares("d6 f4 d1 b4 a1 h8 f6 b2")), d4_blocked},
      {white_pawn_attacks[square("h2")], squares("g3")},
      {black_pawn_attacks[square("a7")], squares("b6")},
      {line_bits[square("a1")], 0x100800101ULL},
      {line_bits[square("b1")], 0x200400201ULL},
      {line_bits[square("d4")], 0x4000800808ULL},
      {line_bits[square("h8")], 0x400000808080ULL},
  };
  for (size_t i = 0; i < std::size(lookups); ++i) EXPECT_EQ(lookups[i].found, lookups[i].expected) << "row " << i;
  for (int s = 56; s < 64; ++s) EXPECT_EQ(white_pawn_attacks[s], 0u) << s;
  EXPECT_EQ(wrong_lookups(), 0);
}

// An empty multiplier table is searched for at start-up; the tables built
// from the found multipliers must answer exactly like the built-in ones.
TEST(AttackTables, MultiplierSearchRebuildsEquivalentTables) {
  uint64_t built_in[64];
  memcpy(built_in, rook_magics, sizeof built_in);
  rook_magics[0] = 0;
  testing::internal::CaptureStdout();
  init_attack_tables();
  std::string printed = testing::internal::GetCapturedStdout();
  bool differs = memcmp(built_in, rook_magics, sizeof built_in) != 0;
  int wrong = wrong_lookups();

  memcpy(rook_magics, built_in, sizeof built_in);
  testing::internal::CaptureStdout();
  init_attack_tables();
  std::string printed_again = testing::internal::GetCapturedStdout();

  // The header, then one line of 64 numbers: "0x", 16 lower-case hexadecimal digits, ", ".
  const std::string header = "Magic numbers for rooks :\n";
  bool shaped = printed.size() == header.size() + 64 * 20 + 1 && printed.starts_with(header) && printed.ends_with(", \n");
  for (size_t i = header.size(); shaped && i + 1 < printed.size(); i += 20)
    shaped = !printed.compare(i, 2, "0x") && printed.find_first_not_of("0123456789abcdef", i + 2) == i + 18 &&
             !printed.compare(i + 18, 2, ", ");
  EXPECT_TRUE(shaped) << printed;
  EXPECT_TRUE(differs);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(printed_again, "");
  EXPECT_EQ(wrong_lookups(), 0);
}

TEST(CheckInfo, ChecksPinsAndDiscoveries) {
  const Bitboard ALL = ~Bitboard(0);
  struct Case {
    const char* fen;
    int colour;
    Bitboard checkers, pinned, discoverers, evasion;
  } cases[] = {
      {START_FEN, WHITE, 0, 0, 0, ALL},
      {"4k3/8/8/8/1b6/8/3B4/4K3 w - - 0 1", WHITE, 0, squares("d2"), 0, ALL},
      {"4k3/8/8/8/1b6/8/3B4/4K3 w - - 0 1", BLACK, 0, 0, 0, ALL},
      {"4r2k/8/8/8/8/8/8/4K3 w - - 0 1", WHITE, squares("e8"), 0, 0, squares("e2 e3 e4 e5 e6 e7 e8")},
      {"4r2k/8/8/8/8/3n4/8/4K3 w - - 0 1", WHITE, squares("e8 d3"), 0, 0, ALL},
      {"4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", WHITE, squares("f3"), 0, 0, squares("f3")},
      {"7K/8/8/8/8/8/8/R1N3k1 w - - 0 1", WHITE, 0, 0, squares("c1"), ALL},
      {"7K/8/8/8/8/8/8/R1N1B1k1 w - - 0 1", WHITE, 0, 0, 0, ALL},
      {"7K/8/8/8/8/8/8/R1N3k1 w - - 0 1", BLACK, 0, 0, 0, ALL},
      {"4k3/4q3/8/8/8/8/4R3/4K3 b - - 0 1", BLACK, 0, squares("e7"), 0, ALL},
      {"4k3/4q3/8/8/8/8/4R3/4K3 b - - 0 1", WHITE, 0, squares("e2"), 0, ALL},
  };
  for (const Case& c : cases) {
    board::load(c.fen);
    compute_check_info();
    const AttackInfo& info = current_position->attack_info[c.colour];
    EXPECT_EQ(info.checkers, c.checkers) << c.fen;
    EXPECT_EQ(info.pinned, c.pinned) << c.fen;
    EXPECT_EQ(info.discoverers, c.discoverers) << c.fen;
    EXPECT_EQ(info.evasion_mask, c.evasion) << c.fen;
  }
  board::load(START_FEN);
  compute_check_info();
  EXPECT_EQ(current_position->attack_info[WHITE].check_squares[KNIGHT], squares("c2 d3 f3 g2"));

}
