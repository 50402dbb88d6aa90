// The transposition table's moves taken for what they are: guesses, checked
// before any use. (Its store and replacement rules are pinned by bench's node
// total, its fill count by the golden searches' hashfull.)
#include <algorithm>
#include <tuple>
#include <vector>

#include "common/helpers.h"

namespace {

// The line of a search's last report.
void keep_line(void* line, const SearchInfo& info) {
  static_cast<std::vector<Move>*>(line)->assign(info.pv, info.pv + info.pv_length);
}

// A slot may hold another position's move (a key collision, a torn slot). In the
// slots of the root and of the principal variation, such a word is never
// searched, reported, nor followed when the line is read back.
TEST(TranspositionTable, MovesOfOtherPositionsAreNeverPlayed) {
  const char* fen = "r1bqk2r/pppp1ppp/2n2n2/4p3/1bB1P3/2NP1N2/PPP2PPP/R1BQK2R w KQkq - 1 5";
  // None (a clean search), the pinned knight, a pawn from empty e2, a black move, a false flag, no move.
  const Move words[] = {0,
                        mv("c3d5", KNIGHT),
                        mv("e2e4", PAWN, 0, MOVE_ADVANCE),
                        mv("f6e4", KNIGHT, PAWN),
                        mv("d1d2", QUEEN, 0, MOVE_CHECK),
                        0xffffffff};
  TestContext test;
  SearchContext& ctx = *test.ctx;
  std::vector<Move> reported;
  const OutputSink keep = {&reported, keep_line, keep_line, keep_line, nullptr};
  ctx.sink = &keep;
  SearchResult clean{};
  std::vector<Move> line;
  // The word goes where it is no legal move, with a bound that settles nothing.
  auto plant = [&](Move word) {
    for (size_t i = 0;; make_move(ctx.board, line[i++])) {
      const MoveList& legal = legal_moves(ctx.board);
      if (find_move(legal, word) < 0) tt_store(*ctx.tt, ctx.board.current->key, word, MATE, MATE, MATE + 1, 0);
      if (i == line.size()) break;
      ASSERT_GE(find_move(legal, line[i]), 0) << uci(line[i]);  // each move of the line legal where played
    }
    load(ctx.board, fen);
  };
  for (Move word : words) {
    load(ctx.board, fen);
    reset_new_game(ctx);
    if (word) plant(word);
    ctx.limits.mode = LIMIT_DEPTH, ctx.limits.depth_limit = 7;
    const SearchResult r = search_position(ctx);
    if (!word) clean = r, line = reported;
    ASSERT_GE(line.size(), 2u);
    // The answer, its nodes and the line reported are those of the clean search.
    EXPECT_EQ(std::tuple(r.best_move, r.ponder_move, r.score, r.info.nodes, reported),
              std::tuple(clean.best_move, line[1], clean.score, clean.info.nodes, line))
        << uci(word);
    // Read back with the word in the slots, the line stops where it meets it.
    plant(word);
    ctx.state.pv_length = 0;
    collect_pv(ctx, r.best_move);
    EXPECT_TRUE(ctx.state.pv_length < int(line.size()) &&
                std::equal(ctx.state.pv, ctx.state.pv + ctx.state.pv_length, line.begin()))
        << uci(word);
  }
}

}  // namespace
