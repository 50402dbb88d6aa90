// The evaluation driver: piece count, the special rules for three and four
// pieces, and otherwise the sum of both sides' terms as differences.
#include <algorithm>
#include <cstdlib>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"

namespace velta {

namespace {

bool has(const SideState& side, int type) { return side.pieces[type]; }
bool has_minor(const SideState& side) { return side.pieces[KNIGHT] | side.pieces[BISHOP]; }

int pawns_and_pieces(const SideState& us, const SideState& them, int k) {
  return evaluate_pawns(us, them, k) - evaluate_pawns(them, us, k) + evaluate_pieces(us, them, k) -
         evaluate_pieces(them, us, k);
}

int known_win(const SideState& winner, const SideState& loser) {
  return 10000 + simple_material(winner, loser) + KingCentre[winner.king_square] - KingCentre[loser.king_square];
}

// Three pieces: the side with the extra piece scores by the lone-king rule.
int three_pieces(const Position& p) {
  const SideState& us = *p.us;
  const SideState& them = *p.them;
  bool us_strong = popcount(us.pieces[0]) == 2;
  const SideState& strong = us_strong ? us : them;
  const SideState& weak = us_strong ? them : us;
  int r = evaluate_lone_king(strong, weak, us.colour->is_white);
  return us_strong ? r : -r;
}

// Four pieces: returns true and the score when a special rule applies.
bool four_pieces(const Position& p, int& score) {
  const SideState& us = *p.us;
  const SideState& them = *p.them;
  if (has(us, PAWN) && has_minor(them)) return score = pawns_and_pieces(us, them, 4) + 100, true;
  if (has_minor(us) && has(them, PAWN)) return score = pawns_and_pieces(us, them, 4) - 100, true;
  if (has(us, PAWN) || has(them, PAWN)) return false;
  int us_count = popcount(us.pieces[0]);
  if (us_count == 2) {
    int us_queens = popcount(us.pieces[QUEEN]), them_queens = popcount(them.pieces[QUEEN]);
    if (us_queens == them_queens)
      score = KingCentre[us.king_square] - KingCentre[them.king_square];
    else
      score = us_queens > them_queens ? known_win(us, them) : -known_win(them, us);
    return true;
  }
  const SideState& strong = us_count == 3 ? us : them;
  if (popcount(strong.pieces[KNIGHT]) == 2)
    score = 0;  // two knights cannot force mate
  else
    score = us_count == 3 ? known_win(us, them) : -known_win(them, us);
  return true;
}

}  // namespace

int simple_material(const SideState& a, const SideState& b) {
  int sum = 0;
  for (int t = PAWN; t <= QUEEN; ++t) sum += SIMPLE_VALUE[t] * (popcount(a.pieces[t]) - popcount(b.pieces[t]));
  return sum;
}

int psq_sum(const SideState& x, int k) {
  int sum = PstKing[k][x.king_square];
  for (Bitboard b = x.pieces[KNIGHT]; b;) sum += PstKnight[k][pop_lsb(b)];
  for (Bitboard b = x.pieces[BISHOP]; b;) sum += PstBishop[k][pop_lsb(b)];
  for (Bitboard b = x.pieces[ROOK]; b;) sum += PstRook[k][pop_lsb(b)];
  for (Bitboard b = x.pieces[QUEEN]; b;) sum += PstQueen[k][pop_lsb(b)];
  return sum;
}

int rook_files(const SideState& x, const SideState& y, int k) {
  Bitboard rooks = x.pieces[ROOK];
  if (!rooks) return 0;
  const int32_t* params = EvalParams[k];
  int w = popcount(y.pieces[PAWN]) * params[rook_open_file];
  int s = popcount(rooks & x.colour->last_two_ranks) * w;
  while (rooks) {
    Bitboard ahead = front_span[x.colour->is_white][pop_lsb(rooks)];
    if (ahead & x.pieces[PAWN]) continue;
    s += ahead & y.pieces[PAWN] ? pct(params[rook_half_open_pct], w) : w;
  }
  return s;
}

int evaluate_lone_king(const SideState& s, const SideState& w, int white_to_move) {
  bool weak_to_move = w.colour->is_white == white_to_move;
  Bitboard near_weak = king_attacks[w.king_square], near_strong = king_attacks[s.king_square];
  if (Bitboard pawn = s.pieces[PAWN]) {
    if (weak_to_move && (near_weak & pawn) && !(near_strong & pawn)) return 0;  // the pawn falls
    int e = evaluate_pawns(s, w, 3);
    int square = lsb(pawn);
    Bitboard path = front_span[s.colour->is_white][square];
    if (path & s.pieces[KING]) return e + 100;
    if (!(path & ~near_strong)) return e + known_win(s, w);
    // Rule of the square: can the weak king reach the queening square in time?
    int queening = s.colour->is_white ? file_of(square) + 56 : file_of(square);
    int moves = popcount(path) + weak_to_move;
    int rank_gap = rank_of(w.king_square) - rank_of(queening), file_gap = file_of(w.king_square) - file_of(queening);
    int distance = std::max(std::abs(rank_gap), std::abs(file_gap));
    return moves >= distance ? e + 100 : e + known_win(s, w);
  }
  if (has_minor(s)) return 0;
  if (Bitboard heavy = s.pieces[ROOK] | s.pieces[QUEEN]) {
    if (weak_to_move && (near_weak & heavy) && !(near_strong & heavy)) return 0;  // the piece falls
    return known_win(s, w);
  }
  return 0;
}

int evaluate(const Position& p) {
  int k = popcount(p.occupied);
  if (k == 3) return three_pieces(p);
  int score;
  if (k == 4 && four_pieces(p, score)) return score;
  const SideState& us = *p.us;
  const SideState& them = *p.them;
  return psq_sum(us, k) - psq_sum(them, k) + rook_files(us, them, k) - rook_files(them, us, k) +
         pawns_and_pieces(us, them, k);
}

}  // namespace velta
