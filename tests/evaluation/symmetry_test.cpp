// The score along seeded random games equals the score along the same games
// reflected (ranks mirrored, colours swapped).
#include <random>
#include <vector>

#include "common/helpers.h"

// Scores along a game from `fen`: with `rng`, random legal moves for up to
// 120 plies, appended to `moves`; without, the given moves reflected.
static std::vector<int> scores_along(Board& b, const char* fen, std::vector<Move>& moves, std::mt19937* rng) {
  load(b, fen);
  std::vector<int> scores;
  for (size_t ply = 0;; ++ply) {
    const MoveList& list = legal_moves(b);
    scores.push_back(evaluate(*b.current));
    if (rng && list.count && ply < 120)
      moves.push_back(list.moves[std::uniform_int_distribution(0, list.count - 1)(*rng)]);
    if (ply == moves.size()) return scores;
    make_move(b, rng ? moves[ply] : moves[ply] ^ MIRROR_RANKS);
  }
}

TEST(EvalSymmetry, ReflectedGamesScoreTheSame) {
  const char* const starts[][2] = {
      // a position and its reflected twin
      {START_FEN, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "8/4p1p1/8/1r3P1K/kp5R/3P4/2P5/8 b - - 0 1"},
      {"8/PPP4k/8/8/8/8/4Kppp/8 w - - 0 1", "8/4kPPP/8/8/8/8/ppp4K/8 b - - 0 1"},  // promotions, few-piece rules
      {"8/8/2k5/4P3/8/3K4/2R5/8 b - - 0 1", "8/2r5/3k4/8/4p3/2K5/8/8 w - - 0 1"}};
  std::mt19937 rng(20240611);
  static Board b;
  for (size_t game = 0, compared = 0; compared < 12000; ++game) {
    std::vector<Move> moves;
    std::vector<int> scores = scores_along(b, starts[game % 4][0], moves, &rng);
    ASSERT_EQ(scores_along(b, starts[game % 4][1], moves, nullptr), scores) << "game " << game;
    compared += scores.size();
  }
}
