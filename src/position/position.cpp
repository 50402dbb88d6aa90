// Per-colour constants, pawn geometry, keys, and the record helpers.
#include <array>
#include <cstring>

#include "position/position.h"

namespace velta {

const uint64_t ZobristKeys[781] = {
#include "position/zobrist_keys.inc"
};

const ColourInfo colour_info[2] = {
    {0xffffULL, 0xffffffffULL, 0x3c3c0000ULL, 0, {0, 0, 128, 256, 384, 512, 640}},
    {0xffff000000000000ULL, 0xffffffff00000000ULL, 0x3c3c00000000ULL, 1, {0, 64, 192, 320, 448, 576, 704}},
};

namespace {

// Squares of the given files strictly ahead of square s for colour c.
constexpr Bitboard ahead(int c, int s, Bitboard files) {
  Bitboard ranks = 0;
  for (int r = 0; r < 8; ++r)
    if (c == WHITE ? r > rank_of(s) : r < rank_of(s)) ranks |= Bitboard(0xff) << (8 * r);
  return ranks & files;
}

constexpr Bitboard neighbour_files(int f) { return (f > 0 ? FILE_A << (f - 1) : 0) | (f < 7 ? FILE_A << (f + 1) : 0); }

constexpr PawnSpan make_span(bool with_neighbours) {
  PawnSpan t{};
  for (int c = 0; c < 2; ++c)
    for (int s = 0; s < 64; ++s) {
      Bitboard files = FILE_A << file_of(s);
      if (with_neighbours) files |= neighbour_files(file_of(s));
      t[c][s] = ahead(c, s, files);
    }
  return t;
}

constexpr std::array<Bitboard, 8> make_adjacent() {
  std::array<Bitboard, 8> t{};
  for (int f = 0; f < 8; ++f) t[f] = neighbour_files(f);
  return t;
}

}  // namespace

constexpr PawnSpan front_span = make_span(false);
constexpr PawnSpan passed_span = make_span(true);
constexpr std::array<Bitboard, 8> adjacent_files = make_adjacent();

namespace {

constexpr Bitboard north_fill(Bitboard b) {
  b |= b << 8, b |= b << 16;
  return b | b << 32;
}
constexpr Bitboard south_fill(Bitboard b) {
  b |= b >> 8, b |= b >> 16;
  return b | b >> 32;
}
constexpr Bitboard beside(Bitboard b) { return ((b << 1) & NOT_FILE_A) | ((b >> 1) & NOT_FILE_H); }

// The masks for all pawns at once, with file fills: a pawn is passed when no
// enemy pawn stands ahead of it on its own or a neighbouring file, doubled
// when an own pawn stands ahead of it on its file (so of two pawns on one file
// only the rear one), and isolated when no own pawn stands on a neighbouring file.
void pawn_masks_of(SideState& side, Bitboard enemy_pawns) {
  Bitboard own = side.pieces[PAWN];
  Bitboard guarded = enemy_pawns | beside(enemy_pawns);
  Bitboard behind_enemy, behind_own;  // squares behind an enemy pawn (or beside it), behind an own pawn
  if (side.colour->is_white)
    behind_enemy = south_fill(guarded) >> 8, behind_own = south_fill(own) >> 8;
  else
    behind_enemy = north_fill(guarded) << 8, behind_own = north_fill(own) << 8;
  side.passed_pawns = own & ~behind_enemy;
  side.doubled_pawns = own & behind_own;
  side.isolated_pawns = own & ~beside(north_fill(south_fill(own)));
}

}  // namespace

void link_record(Position& p, int white_to_move) {
  for (int c = 0; c < 2; ++c) {
    p.sides[c].colour = &colour_info[c];
    p.sides[c].attack_info = &p.attack_info[c];
  }
  p.us = &p.sides[white_to_move];
  p.them = &p.sides[!white_to_move];
}

bool has_king_and_pawns_only(const Position& p) {
  return popcount(p.sides[0].pieces[0] & ~p.sides[0].pieces[PAWN]) == 1 ||
         popcount(p.sides[1].pieces[0] & ~p.sides[1].pieces[PAWN]) == 1;
}

void copy_record(Position& to, const Position& from) {
  memcpy(static_cast<void*>(&to), &from, sizeof to);
  link_record(to, from.us->colour->is_white);
}

void copy_game(Board& to, const Board& from) {
  for (int i = 0; i <= from.ply_count; ++i) copy_record(to.stack[i], from.stack[i]);
  to.ply_count = from.ply_count, to.dropped_plies = from.dropped_plies;
  to.current = &to.stack[to.ply_count];
  to.chess960 = from.chess960;
}

int piece_on(const Position& p, int s, int& colour) {
  for (int t = PAWN; t <= KING; ++t)
    for (colour = BLACK; colour <= WHITE; ++colour)
      if (p.sides[colour].pieces[t] & bit(s)) return t;
  return NO_PIECE;
}

void compute_pawn_masks(Position& p) {
  pawn_masks_of(p.sides[BLACK], p.sides[WHITE].pieces[PAWN]);
  pawn_masks_of(p.sides[WHITE], p.sides[BLACK].pieces[PAWN]);
}

uint64_t key_from_scratch(const Position& p) {
  uint64_t key = 0;
  for (int c = 0; c < 2; ++c)
    for (int t = PAWN; t <= KING; ++t)
      for (Bitboard b = p.sides[c].pieces[t]; b;) key ^= ZobristKeys[colour_info[c].key_base[t] + pop_lsb(b)];
  key ^= castling_key(p, p.castling);
  if (p.ep_square) key ^= en_passant_key(p.ep_square);
  if (p.us->colour->is_white) key ^= ZobristKeys[KEY_WHITE_TO_MOVE];
  return key;
}

// The book counts an en passant square only when a pawn could capture there
// (pins and checks aside), while the engine's key counts every double step.
uint64_t book_key(const Position& p) {
  if (!p.ep_square) return p.key;
  int s = lsb(p.ep_square);
  Bitboard capturers = bit(s + (p.us->colour->is_white ? -8 : 8));  // the pawn that passed, then its neighbours
  capturers = ((capturers & NOT_FILE_A) >> 1) | ((capturers & NOT_FILE_H) << 1);
  return p.us->pieces[PAWN] & capturers ? p.key : p.key ^ en_passant_key(p.ep_square);
}

}  // namespace velta
