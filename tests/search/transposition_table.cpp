// Store, replacement, bounds and fill counting of the transposition table,
// and its moves taken for what they are: guesses, checked before any use.
#include <algorithm>
#include <tuple>
#include <vector>

#include "common/helpers.h"

namespace {

// A 1 MB table (65536 slots); keys that differ only above the index bits share one bucket.
constexpr uint64_t BUCKET = 0x1230;
constexpr uint64_t key_in_bucket(int n) { return BUCKET | uint64_t(n) << 32; }

void put(TTSlot& slot, uint64_t key, uint64_t data) { slot.data = data, slot.check = key ^ data; }
uint64_t key_of(const TTSlot& slot) { return slot.check ^ slot.data; }

TEST(TranspositionTable, StoreTargetAndBound) {
  TestContext test;
  TranspositionTable& tt = test.table;
  const struct {
    int depths[4], own_slot, new_depth, expected_slot, filled_delta;
  } cases[] = {
      {{5, 3, 3, 7}, 3, 1, 3, 0},     // own key overwritten even by a shallower result
      {{-1, 4, 6, -1}, 2, 2, 2, 0},   // own key wins over an earlier empty slot
      {{5, -1, 2, -1}, -1, 9, 1, 1},  // a new key takes the first empty slot
      {{5, 3, 3, 7}, -1, 8, 1, 0},    // full bucket: the shallowest, the lower slot on a tie
  };
  TTSlot* bucket = tt.slots + BUCKET;
  TTEntry e;
  for (const auto& c : cases) {
    for (int s = 0; s < 4; ++s)  // -1: an empty slot
      if (c.depths[s] >= 0)
        put(bucket[s], key_in_bucket(s + 1), tt_data({uint8_t(c.depths[s]), BOUND_EXACT, 7, 0}));
      else
        put(bucket[s], 0, 0);
    uint64_t key = c.own_slot >= 0 ? key_in_bucket(c.own_slot + 1) : key_in_bucket(9), filled = tt.filled;
    tt_store(tt, key, 0x1234, -55, -100, 100, c.new_depth);
    EXPECT_EQ(tt.filled - filled, uint64_t(c.filled_delta));
    ASSERT_TRUE(tt_probe(tt, key, e));
    EXPECT_EQ(std::pair(int(e.depth), e.move), std::pair(c.new_depth, 0x1234u));
    for (int s = 0; s < 4; ++s)  // the other slots keep their keys
      EXPECT_EQ(key_of(bucket[s]), s == c.expected_slot ? key : c.depths[s] < 0 ? 0 : key_in_bucket(s + 1)) << s;
  }
  // A slot torn by two writers (the key word of one store, the data of
  // another) answers for neither position.
  put(bucket[0], key_in_bucket(1), tt_data({5, BOUND_EXACT, 7, 0}));
  bucket[0].data = tt_data({9, BOUND_LOWER, -300, 0x4321});
  EXPECT_FALSE(tt_probe(tt, key_in_bucket(1), e));
  // The bound follows the window the node was searched with.
  const struct {
    int score, alpha, beta;
    uint8_t bound;
  } bounds[] = {{-40, -40, 60, BOUND_UPPER}, {-90, -40, 60, BOUND_UPPER}, {60, -40, 60, BOUND_LOWER},
                {700, -40, 60, BOUND_LOWER}, {59, -40, 60, BOUND_EXACT},  {-39, -40, 60, BOUND_EXACT}};
  for (const auto& b : bounds) {
    tt_store(tt, 77, 5, b.score, b.alpha, b.beta, 3);
    ASSERT_TRUE(tt_probe(tt, 77, e));
    EXPECT_EQ(std::pair(e.bound, int(e.score)), std::pair(b.bound, b.score));
  }
  // hashfull counts slots written since the last clear, per thousand, rounded down.
  tt_clear(tt);
  for (uint64_t b = 1; b <= 655; ++b) tt_store(tt, 4 * b, 0, 0, -1, 1, 1);  // one slot in each of 655 buckets
  EXPECT_EQ(hashfull(tt), 9);                                               // 655000 / 65536 = 9.99
}

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
