// The score along seeded random games equals the score along the same games
// reflected (ranks mirrored, colours swapped), and a benchmark of its speed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"

using namespace velta;

// Scores along a game from `fen`: with `rng`, random legal moves for up to
// 120 plies, appended to `moves`; without, the given moves reflected.
static std::vector<int> scores_along(const char* fen, std::vector<Move>& moves, std::mt19937* rng) {
  EXPECT_TRUE(read_fen(fen)) << fen;
  std::vector<int> scores;
  for (size_t ply = 0;; ++ply) {
    compute_check_info(), compute_attacks();
    scores.push_back(evaluate());
    generate_moves(GEN_ALL);
    const MoveList& list = current_position->moves;
    if (rng && list.count && ply < 120)
      moves.push_back(list.moves[std::uniform_int_distribution(0, list.count - 1)(*rng)]);
    if (ply == moves.size()) return scores;
    make_move(rng ? moves[ply] : moves[ply] ^ MIRROR_RANKS);
  }
}

TEST(EvalSymmetry, ReflectedGamesScoreTheSame) {
  const char* const starts[][2] = {  // a position and its reflected twin
      {START_FEN, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "8/4p1p1/8/1r3P1K/kp5R/3P4/2P5/8 b - - 0 1"}};
  std::mt19937 rng(20240611);
  for (size_t game = 0, compared = 0; compared < 10000; ++game) {
    std::vector<Move> moves;
    std::vector<int> scores = scores_along(starts[game % 2][0], moves, &rng);
    ASSERT_EQ(scores_along(starts[game % 2][1], moves, nullptr), scores) << "game " << game;
    compared += scores.size();
  }
}

// Benchmark, not a pass/fail test: run with --gtest_also_run_disabled_tests.
TEST(DISABLED_EvalSpeed, Positions) {
  std::mt19937 rng(7);
  std::vector<Move> moves;
  const size_t records = scores_along(START_FEN, moves, &rng).size(), evaluations = records * 50000;
  long long sink = 0;
  auto begin = std::chrono::steady_clock::now();
  for (size_t i = 0; i < evaluations; ++i) current_position = &position_stack[i % records], sink += evaluate();
  std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - begin;
  std::printf("%.0f evaluations/s (checksum %lld)\n", evaluations / seconds.count(), sink);
}
