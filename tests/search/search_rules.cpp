// The draw test, which decides scores without running a search. (Move
// ordering, the exchange test and the reductions are pinned by bench's node
// total and the golden searches.)
#include <algorithm>
#include <utility>
#include <vector>

#include "common/helpers.h"

namespace {

constexpr char W[] = "4k3/8/8/8/8/8/8/4K3 w - - 0 1", B[] = "4k3/8/8/8/8/8/8/4K3 b - - 0 1";

TEST(SearchRules, DrawByRepetitionFiftyMovesAndBareKings) {
  const struct {
    const char* fen;
    const char* moves;
    bool draw;
  } cases[] = {{START_FEN, "g1f3 g8f6 f3g1 f6g8", false},  // the second occurrence
               {START_FEN, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", true},
               // A double push puts its en passant square in the key: the position after
               // 1...e5 is not the one the knights come back to, which occurs only twice.
               {START_FEN, "e2e4 e7e5 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", false},
               {"4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "", false},
               {"4k3/8/8/8/8/8/4P3/4K3 w - - 100 80", "", true},
               {"4k3/8/8/8/8/8/4P3/4K3 w - - 99 80", "e1d1", true},
               {W, "", true}};  // two bare kings
  static Board b;
  for (const auto& c : cases) EXPECT_EQ(is_draw(play(load(b, c.fen), c.moves)), c.draw) << c.fen << " " << c.moves;
}

}  // namespace
