// Quiescence search: tactical moves below the horizon until the position is
// quiet enough to trust the static evaluation. Captures that cannot raise the
// score (delta pruning) or that lose material on the target square (the
// exchange test) are skipped at zero-window nodes.
#include <algorithm>
#include <utility>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/internal.h"

namespace velta {

namespace {

// A capture must be able to bring the score to within this of alpha.
constexpr int DELTA_MARGIN = 200;

// Candidate attackers of one side by piece type, pawn to king.
struct Attackers {
  Bitboard by_type[7];
};

Attackers candidates(const SideState& side, int t, Bitboard pawns) {
  Attackers a{};
  a.by_type[PAWN] = pawns;
  a.by_type[KNIGHT] = knight_attacks[t] & side.pieces[KNIGHT];
  a.by_type[BISHOP] = bishop_rays[t] & side.pieces[BISHOP];
  a.by_type[ROOK] = rook_rays[t] & side.pieces[ROOK];
  a.by_type[QUEEN] = queen_rays[t] & side.pieces[QUEEN];
  a.by_type[KING] = king_attacks[t] & side.pieces[KING];
  return a;
}

// The least valuable piece that can capture on t through the working occupancy.
int least_attacker(const Attackers& a, int t, Bitboard occupied, int& square) {
  Bitboard diagonal = bishop_attack(t, occupied), straight = rook_attack(t, occupied);
  const Bitboard reach[6] = {0, ~Bitboard(0), ~Bitboard(0), diagonal, straight, diagonal | straight};
  for (int type = PAWN; type <= QUEEN; ++type)
    if (Bitboard b = a.by_type[type] & reach[type]) return square = lsb(b), type;
  return NO_PIECE;
}

bool pinned_candidate(const Attackers& a, const SideState& side) {
  Bitboard all = a.by_type[PAWN] | a.by_type[KNIGHT] | a.by_type[BISHOP] | a.by_type[ROOK] | a.by_type[QUEEN];
  return all & side.attack_info->pinned;
}

}  // namespace

// Static exchange on the target square. Gives up (the move is searched) on
// promotion squares, next to a king, with an en passant square, or with a
// pinned piece among the candidates.
bool exchange_loses(const Position& p, Move m) {
  int f = move_from(m), t = move_to(m);
  const SideState& us = *p.us;
  const SideState& them = *p.them;
  bool white = us.colour->is_white;
  Bitboard our_pawns = (white ? black_pawn_attacks[t] : white_pawn_attacks[t]) & us.pieces[PAWN];
  Bitboard their_pawns = (white ? white_pawn_attacks[t] : black_pawn_attacks[t]) & them.pieces[PAWN];
  if ((our_pawns | their_pawns) && (rank_of(t) == 0 || rank_of(t) == 7)) return false;
  Attackers side[2] = {candidates(us, t, our_pawns), candidates(them, t, their_pawns)};
  if (side[0].by_type[KING] | side[1].by_type[KING] || p.ep_square) return false;
  if (pinned_candidate(side[0], us) || pinned_candidate(side[1], them)) return false;
  int gain = SIMPLE_VALUE[move_captured(m)];
  int on_target = move_piece(m);
  Bitboard occupied = p.occupied & ~bit(f);
  side[0].by_type[on_target] &= ~bit(f);
  for (int capturer = 1;; capturer ^= 1) {
    int square, type = least_attacker(side[capturer], t, occupied, square);
    if (!type) return gain < 0;
    int next = capturer ? gain - SIMPLE_VALUE[on_target] : gain + SIMPLE_VALUE[on_target];
    if (gain < 0 && next < 0) return true;
    if (gain > 0 && next > 0) return false;
    side[capturer].by_type[type] &= ~bit(square);
    occupied &= ~bit(square);
    on_target = type;
    gain = next;
  }
}

namespace {

// Brings the largest move word of entries i.. to entry i; ranks are mirrored
// for Black so that the most advanced origin wins among equals.
Move select_capture(MoveList& list, int i, Move flip) {
  int best = i;
  for (int j = i + 1; j < list.count; ++j)
    if ((list.moves[j] ^ flip) > (list.moves[best] ^ flip)) best = j;
  std::swap(list.moves[i], list.moves[best]);
  return list.moves[i];
}

// Captures worth skipping at a zero-window node: hopeless ones, and losing exchanges.
bool skip_capture(const Position& p, Move m, int alpha, int eval) {
  int n = popcount(p.occupied);
  int cap = PieceValue[move_captured(m) - 1][n];
  int mover = move_piece(m) == KING ? 0 : PieceValue[move_piece(m) - 1][n];
  if (alpha > eval + DELTA_MARGIN + cap) return true;
  return cap < mover && exchange_loses(p, m);
}

}  // namespace

int quiesce(SearchContext& ctx, int ply, int horizon, int alpha, int beta, bool in_check) {
  SearchState& state = ctx.state;
  if (state.stop) return 0;
  ++state.nodes;
  if (ply > MAX_PLY) return alpha;
  if (ply > state.seldepth) state.seldepth = ply;
  if (poll(ctx) || is_draw(ctx.board)) return 0;
  Position& p = *ctx.board.current;
  // What the node needs unless the table settles it is computed before the
  // table is read: check information, attack maps, the static score and,
  // unless that score already stands at beta, the moves. It keeps the
  // processor busy while the bucket comes from memory.
  prepare_evaluation(p);
  int eval = in_check ? 0 : evaluate(p), best;
  bool stands = !in_check && eval >= beta;
  if (!stands) {
    prepare_generation(p);
    generate_moves(p, in_check ? GEN_ALL : ply == horizon ? GEN_TACTICAL : GEN_CAPTURES);
  }
  bool zero_window = beta - alpha <= 1;
  if (zero_window)
    if (TTEntry e; tt_probe(*ctx.tt, p.key, e) && tt_usable(e, alpha, beta)) return e.score;
  if (stands) return eval;
  if (p.moves.count == 0) return in_check ? ply - MATE : eval;
  best = in_check ? -INFINITE_SCORE : eval;
  Move best_move = 0, flip = p.us->colour->is_white ? 0 : MIRROR_RANKS;
  for (int i = 0; i < p.moves.count; ++i) {
    Move m = select_capture(p.moves, i, flip);
    bool gives_check = m & (MOVE_CHECK | MOVE_DISCOVERED);
    if (!in_check && !gives_check && zero_window && move_captured(m) && !move_promotion(m) &&
        skip_capture(p, m, alpha, eval))
      continue;
    uint64_t key = key_after(p, m);
    tt_prefetch(*ctx.tt, key);
    make_move(ctx.board, m, key);
    int v = -quiesce(ctx, ply + 1, horizon, -beta, -std::max(alpha, best), gives_check);
    take_back(ctx.board);
    if (state.stop) return 0;
    if (v > best) {
      if (v >= beta) {
        tt_store(*ctx.tt, p.key, m, v, alpha, beta, 0);
        return v;
      }
      best = v;
      best_move = m;
    }
  }
  tt_store(*ctx.tt, p.key, best_move, best, alpha, beta, 0);
  return best;
}

}  // namespace velta
