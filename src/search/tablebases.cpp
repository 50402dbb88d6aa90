// Syzygy endgame tables, read through the Fathom library: the win, draw or
// loss of a position in the search, and at the root the moves that keep the
// best result, the fastest way. Built without the library, no table is ever
// found and nothing here is called.
#include <algorithm>

#include "search/internal.h"

#ifdef VELTA_SYZYGY
#include <tbprobe.h>
#endif

namespace velta {

#ifdef VELTA_SYZYGY

namespace {

// Fathom's results from the side to move's point of view (2 is the draw).
constexpr unsigned LOSS = 0, BLESSED_LOSS = 1, CURSED_WIN = 3, WIN = 4;

// Every probe takes the position as eight bitboards, the halfmove clock,
// castling rights (none: the tables never cover them), the en passant square
// and the side to move, then arguments of its own.
template <typename Probe, typename... Rest>
auto probe_position(Probe probe, const Position& p, unsigned halfmove_clock, Rest... rest) {
  auto both = [&](int type) { return p.sides[WHITE].pieces[type] | p.sides[BLACK].pieces[type]; };
  return probe(p.sides[WHITE].pieces[0], p.sides[BLACK].pieces[0], both(KING), both(QUEEN), both(ROOK), both(BISHOP),
               both(KNIGHT), both(PAWN), halfmove_clock, 0u, p.ep_square ? unsigned(lsb(p.ep_square)) : 0u,
               p.us->colour->is_white != 0, rest...);
}

// Fathom numbers promotions queen 1 to knight 4.
int promotion_of(unsigned promotes) { return promotes ? 6 - int(promotes) : 0; }

// A win or loss the fifty-move rule turns into a draw counts as a draw
// while the rule counts.
int score_of(unsigned wdl, bool rule50, int win) {
  if (wdl == WIN || (wdl == CURSED_WIN && !rule50)) return win;
  if (wdl == LOSS || (wdl == BLESSED_LOSS && !rule50)) return -win;
  return 0;
}

// Root moves are ranked by the tables, higher first. With distance tables:
// wins first, the faster the better, then draws, then losses, the slower the
// better; with result tables alone, by the library's own rank of the move.
constexpr int WIN_RANK = 10000;  // less the distance to a capture, pawn move or mate
constexpr int DRAW_RANK = 5000;  // above every loss, ranked by its distance up to
constexpr int LONGEST_LOSS_RANK = DRAW_RANK - 1;
constexpr int RESULT_RANK = 1000;  // plus the library's rank, when only result tables tell

// A root move as the tables judge it.
struct TableMove {
  int from, to, promotion;
  int rank, score;
};

// The moves the distance tables judge, with each move's distance counted from
// the root; a win the rule takes away before it is reached is a draw.
int judge_by_distance(const SearchContext& ctx, const unsigned* results, TableMove* out) {
  int n = 0;
  for (unsigned i = 0; results[i] != TB_RESULT_FAILED; ++i) {
    unsigned r = results[i], wdl = TB_GET_WDL(r);
    int dtz = int(TB_GET_DTZ(r));
    if (ctx.tb.rule50 && wdl == WIN && ctx.board.current->halfmove_clock + dtz > 100) wdl = CURSED_WIN;
    int score = score_of(wdl, ctx.tb.rule50, TB_WIN_SCORE - dtz);
    int rank = score > 0 ? WIN_RANK - dtz : score < 0 ? std::min(dtz, LONGEST_LOSS_RANK) : DRAW_RANK;
    out[n++] = {int(TB_GET_FROM(r)), int(TB_GET_TO(r)), promotion_of(TB_GET_PROMOTES(r)), rank, score};
  }
  return n;
}

int judge_by_result(const TbRootMoves& ranked, TableMove* out) {
  for (unsigned i = 0; i < ranked.size; ++i) {
    TbMove t = ranked.moves[i].move;
    int rank = ranked.moves[i].tbRank;
    int score = rank > 0 ? TB_WIN_SCORE : rank < 0 ? -TB_WIN_SCORE : 0;
    out[i] = {int(TB_MOVE_FROM(t)), int(TB_MOVE_TO(t)), promotion_of(TB_MOVE_PROMOTES(t)), RESULT_RANK + rank, score};
  }
  return int(ranked.size);
}

// The tables' judgement of a move, or none (such a move is never kept).
const TableMove* judged(const TableMove* judged_moves, int count, Move m) {
  for (int i = 0; i < count; ++i) {
    const TableMove& t = judged_moves[i];
    if (t.from == move_from(m) && t.to == move_to(m) && t.promotion == move_promotion(m)) return &t;
  }
  return nullptr;
}

}  // namespace

// tb_init releases the tables loaded before; an empty path loads none but
// keeps the old count. (Debian's build of the library reports each unmapping
// that succeeded as a failure on standard error, so the front end loads a
// path only when it changes, and leaves the tables to the process's end.)
int tb_load(const char* path) { return tb_init(path) && *path ? int(TB_LARGEST) : 0; }

bool tb_probe(const SearchContext& ctx, const Position& p, int ply, int& score) {
  unsigned wdl = probe_position([](auto... a) { return tb_probe_wdl(a...); }, p, 0u);
  if (wdl == TB_RESULT_FAILED) return false;
  score = score_of(wdl, ctx.tb.rule50, TB_WIN_SCORE - ply);
  return true;
}

// Keeps the root moves of the best rank: with distance tables the best
// result the fastest way (among losses the slowest), else the best result.
bool tb_rank_root(SearchContext& ctx, const MoveList& moves) {
  const Position& p = *ctx.board.current;
  unsigned clock = unsigned(p.halfmove_clock);
  unsigned results[TB_MAX_MOVES];
  unsigned best = probe_position([](auto... a) { return tb_probe_root(a...); }, p, clock, results);
  TbRootMoves ranked;
  TableMove judged_moves[TB_MAX_MOVES];
  int count;
  if (best != TB_RESULT_FAILED)
    count = judge_by_distance(ctx, results, judged_moves);
  else if (probe_position([](auto... a) { return tb_probe_root_wdl(a...); }, p, clock, ctx.tb.rule50, &ranked))
    count = judge_by_result(ranked, judged_moves);
  else
    return false;
  const TableMove* top = nullptr;
  for (int i = 0; i < moves.count; ++i) {
    const TableMove* t =
        root_move_searched(ctx, moves.moves[i]) ? judged(judged_moves, count, moves.moves[i]) : nullptr;
    if (t && (!top || t->rank > top->rank)) top = t;
  }
  if (!top) return false;
  MoveList kept{};
  for (int i = 0; i < moves.count; ++i) {
    const TableMove* t =
        root_move_searched(ctx, moves.moves[i]) ? judged(judged_moves, count, moves.moves[i]) : nullptr;
    if (t && t->rank == top->rank) kept.moves[kept.count++] = moves.moves[i];
  }
  ctx.search_moves = kept;
  // The distance of the root itself: Fathom counts a losing move's one further.
  int score = top->score;
  if (best != TB_RESULT_FAILED && score) score = (score > 0 ? 1 : -1) * (TB_WIN_SCORE - int(TB_GET_DTZ(best)));
  ctx.state.tb_root_score = score;
  ++ctx.state.tbhits;
  return true;
}

#else

int tb_load(const char*) { return 0; }
bool tb_probe(const SearchContext&, const Position&, int, int&) { return false; }
bool tb_rank_root(SearchContext&, const MoveList&) { return false; }

#endif

bool tb_covers(const SearchContext& ctx, const Position& p) {
  return ctx.tb.largest && !can_castle(p) && popcount(p.occupied) <= std::min(ctx.tb.largest, ctx.tb.probe_limit);
}

bool tb_available() {
#ifdef VELTA_SYZYGY
  return true;
#else
  return false;
#endif
}

}  // namespace velta
