// Syzygy endgame tables, read through the Fathom library: the win, draw or
// loss of a position in the search, and at the root the moves that keep the
// best result, the fastest way. Built without the library, no table is ever
// found and nothing here is called.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "search/search.h"

#ifdef VELTA_SYZYGY
#include <tbprobe.h>
#endif

namespace velta {

namespace {

int largest;      // pieces of the largest table loaded; 0: none (written only between searches)
bool initialised;  // the library holds the tables of the last path loaded

// Fathom's results from the side to move's point of view.
constexpr unsigned LOSS = 0, BLESSED_LOSS = 1, DRAW = 2, CURSED_WIN = 3, WIN = 4;

}  // namespace

#ifdef VELTA_SYZYGY

namespace {

// The folders of the tables held, as given. Match managers send every option
// again before each game: the same folders keep the tables read and mapped.
char loaded_path[4096];

struct Pieces {
  uint64_t white, black, kings, queens, rooks, bishops, knights, pawns;
  unsigned ep;
  bool white_to_move;
};

Pieces pieces_of(const Position& p) {
  auto both = [&](int type) { return p.sides[WHITE].pieces[type] | p.sides[BLACK].pieces[type]; };
  return {p.sides[WHITE].pieces[0], p.sides[BLACK].pieces[0], both(KING), both(QUEEN), both(ROOK), both(BISHOP),
          both(KNIGHT), both(PAWN), p.ep_square ? unsigned(lsb(p.ep_square)) : 0u, p.us->colour->is_white != 0};
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

}  // namespace

// tb_init releases the tables loaded before (a tb_free before it would
// release them twice); an empty path loads none but keeps the old count.
int tb_load(const char* path) {
  if (initialised && !strcmp(path, loaded_path)) return largest;
  initialised = true;
  largest = tb_init(path) && *path ? int(TB_LARGEST) : 0;
  snprintf(loaded_path, sizeof loaded_path, "%s", path);  // a path cut short never matches again
  return largest;
}

// The tables stay mapped until the process ends (or the next tb_init
// releases them): Fathom's tb_free reports each unmapping that succeeded as a
// failure on standard error (Debian's 2019 build), a line a match manager
// logs for every table probed.
void tb_release() { initialised = false, largest = 0; }

bool tb_probe(const SearchContext& ctx, const Position& p, int ply, int& score) {
  Pieces x = pieces_of(p);
  unsigned wdl = tb_probe_wdl(x.white, x.black, x.kings, x.queens, x.rooks, x.bishops, x.knights, x.pawns, 0, 0, x.ep,
                              x.white_to_move);
  if (wdl == TB_RESULT_FAILED) return false;
  score = score_of(wdl, ctx.tb.rule50, TB_WIN_SCORE - ply);
  return true;
}

// Each root move's result and distance to a capture, pawn move or mate
// (DTZ, in plies): the kept moves are those with the best result, and among
// wins the fastest, among losses the slowest. Without DTZ tables, the best
// result alone.
bool tb_rank_root(SearchContext& ctx, const MoveList& moves) {
  const Position& p = *ctx.board.current;
  Pieces x = pieces_of(p);
  unsigned results[TB_MAX_MOVES];
  unsigned best = tb_probe_root(x.white, x.black, x.kings, x.queens, x.rooks, x.bishops, x.knights, x.pawns,
                                unsigned(p.halfmove_clock), 0, x.ep, x.white_to_move, results);
  bool with_dtz = best != TB_RESULT_FAILED;
  TbRootMoves ranked;
  if (!with_dtz && !tb_probe_root_wdl(x.white, x.black, x.kings, x.queens, x.rooks, x.bishops, x.knights, x.pawns,
                                      unsigned(p.halfmove_clock), 0, x.ep, x.white_to_move, ctx.tb.rule50, &ranked))
    return false;
  // A move's rank: the result first, then the distance it leaves.
  auto rank_of = [&](Move m, int& score) {
    for (unsigned i = 0; with_dtz && results[i] != TB_RESULT_FAILED; ++i) {
      unsigned r = results[i];
      if (TB_GET_FROM(r) != unsigned(move_from(m)) || TB_GET_TO(r) != unsigned(move_to(m))) continue;
      if (promotion_of(TB_GET_PROMOTES(r)) != move_promotion(m)) continue;
      // The distance counts from the root; a win the rule takes away before it is reached is a draw.
      int dtz = int(TB_GET_DTZ(r));
      unsigned wdl = TB_GET_WDL(r);
      if (ctx.tb.rule50 && wdl == WIN && p.halfmove_clock + dtz > 100) wdl = CURSED_WIN;
      score = score_of(wdl, ctx.tb.rule50, TB_WIN_SCORE - dtz);
      return score > 0 ? 10000 - dtz : score < 0 ? std::min(dtz, 4999) : 5000;
    }
    for (unsigned i = 0; !with_dtz && i < ranked.size; ++i) {
      TbMove t = ranked.moves[i].move;
      if (TB_MOVE_FROM(t) != unsigned(move_from(m)) || TB_MOVE_TO(t) != unsigned(move_to(m))) continue;
      if (promotion_of(TB_MOVE_PROMOTES(t)) != move_promotion(m)) continue;
      int rank = ranked.moves[i].tbRank;
      score = rank > 0 ? TB_WIN_SCORE : rank < 0 ? -TB_WIN_SCORE : 0;
      return 1000 + rank;
    }
    score = 0;
    return -1;  // not found: never kept
  };
  int best_rank = -1, best_score = 0;
  for (int i = 0; i < moves.count; ++i) {
    int score, rank = root_move_searched(ctx, moves.moves[i]) ? rank_of(moves.moves[i], score) : -1;
    if (rank > best_rank) best_rank = rank, best_score = score;
  }
  if (best_rank < 0) return false;
  MoveList kept{};
  for (int i = 0; i < moves.count; ++i) {
    int score;
    if (root_move_searched(ctx, moves.moves[i]) && rank_of(moves.moves[i], score) == best_rank)
      kept.moves[kept.count++] = moves.moves[i];
  }
  ctx.search_moves = kept;
  // The distance of the root itself: Fathom counts a losing move's one further.
  if (with_dtz && best_score) best_score = (best_score > 0 ? 1 : -1) * (TB_WIN_SCORE - int(TB_GET_DTZ(best)));
  ctx.state.tb_root_score = best_score;
  ++ctx.state.tbhits;
  return true;
}

#else

int tb_load(const char*) { return largest = 0; }
void tb_release() {}
bool tb_probe(const SearchContext&, const Position&, int, int&) { return false; }
bool tb_rank_root(SearchContext&, const MoveList&) { return false; }

#endif

bool tb_covers(const SearchContext& ctx, const Position& p) {
  return ctx.tb.enabled && largest && !p.castling && popcount(p.occupied) <= largest;
}

bool tb_available() {
#ifdef VELTA_SYZYGY
  return true;
#else
  return false;
#endif
}

}  // namespace velta
