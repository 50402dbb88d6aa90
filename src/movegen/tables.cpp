// Constant attack geometry, computed at compile time from the rules of
// movement so that every entry follows from its rule.
#include "movegen/movegen.h"

namespace velta {

namespace {

template <int N>
constexpr SquareTable leaper(const int (&steps)[N][2]) {
  SquareTable t{};
  for (int s = 0; s < 64; ++s)
    for (const auto& step : steps) {
      int f = file_of(s) + step[0], r = rank_of(s) + step[1];
      if (on_board(f, r)) t[s] |= bit(f + 8 * r);
    }
  return t;
}

template <int N>
constexpr SquareTable rays(const int (&directions)[N][2]) {
  SquareTable t{};
  for (int s = 0; s < 64; ++s)
    for (const auto& d : directions)
      for (int f = file_of(s) + d[0], r = rank_of(s) + d[1]; on_board(f, r); f += d[0], r += d[1])
        t[s] |= bit(f + 8 * r);
  return t;
}

constexpr int KNIGHT_STEPS[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr int KING_STEPS[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr int WHITE_PAWN_STEPS[2][2] = {{-1, 1}, {1, 1}};
constexpr int BLACK_PAWN_STEPS[2][2] = {{-1, -1}, {1, -1}};

constexpr SquareTable union_of(const SquareTable& a, const SquareTable& b) {
  SquareTable t{};
  for (int s = 0; s < 64; ++s) t[s] = a[s] | b[s];
  return t;
}

constexpr std::array<uint64_t, 64> make_line_bits() {
  std::array<uint64_t, 64> t{};
  for (int s = 0; s < 64; ++s) {
    int f = file_of(s), r = rank_of(s);
    t[s] = bit(r) | bit(8 + f) | bit(23 + r - f) | bit(32 + f + r);
  }
  return t;
}

// Walking from a in each of the eight directions (a king's steps), every
// square reached gets the squares passed on the way.
constexpr std::array<SquareTable, 64> make_between() {
  std::array<SquareTable, 64> t{};
  for (int a = 0; a < 64; ++a)
    for (const auto& d : KING_STEPS) {
      Bitboard passed = 0;
      for (int f = file_of(a) + d[0], r = rank_of(a) + d[1]; on_board(f, r); f += d[0], r += d[1]) {
        t[a][f + 8 * r] = passed;
        passed |= bit(f + 8 * r);
      }
    }
  return t;
}

}  // namespace

constexpr SquareTable knight_attacks = leaper(KNIGHT_STEPS);
constexpr SquareTable king_attacks = leaper(KING_STEPS);
constexpr SquareTable white_pawn_attacks = leaper(WHITE_PAWN_STEPS);
constexpr SquareTable black_pawn_attacks = leaper(BLACK_PAWN_STEPS);
constexpr SquareTable rook_rays = rays(ROOK_DIRECTIONS);
constexpr SquareTable bishop_rays = rays(BISHOP_DIRECTIONS);
constexpr SquareTable queen_rays = union_of(rook_rays, bishop_rays);
constexpr std::array<uint64_t, 64> line_bits = make_line_bits();
constexpr std::array<SquareTable, 64> between_squares = make_between();

static_assert(line_bits[0] == 0x100800101ULL && line_bits[27] == 0x4000800808ULL);

}  // namespace velta
