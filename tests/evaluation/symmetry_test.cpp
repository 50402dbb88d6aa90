// The score along seeded random games: equal for each position and its
// colour-reflected twin, and a benchmark of the evaluation's speed.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "eval_helpers.h"

namespace {

using namespace evaltest;

const char* const GAME_STARTS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R b KQ - 3 9",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
};

// Visits `count` positions of seeded random legal games of up to 120 plies,
// with check information and attack maps current at each visit.
template <class Visit>
void random_positions(unsigned seed, int count, Visit visit) {
  std::mt19937 rng(seed);
  for (int game = 0; count > 0; ++game) {
    ASSERT_TRUE(read_fen(GAME_STARTS[game % std::size(GAME_STARTS)]));
    for (int ply = 0; ply < 120 && count > 0; ++ply) {
      compute_check_info();
      compute_attacks();
      visit();
      --count;
      generate_moves(GEN_ALL);
      const MoveList& list = current_position->moves;
      if (list.count == 0) break;  // mate or stalemate
      make_move(list.moves[std::uniform_int_distribution<int>(0, list.count - 1)(rng)]);
    }
  }
}

// FEN of the position's colour-reflected twin: ranks mirrored, colours
// swapped, the other side to move, castling rights and en passant mirrored.
std::string twin_fen(const Position& p) {
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      int s = (7 - rank) * 8 + file;
      char letter = 0;
      for (int c : {BLACK, WHITE})
        for (int t = PAWN; t <= KING; ++t)
          if (p.sides[c].pieces[t] & bit(s)) letter = "PNBRQKpnbrqk"[c * 6 + t - 1];
      if (!letter) { ++empty; continue; }
      if (empty) fen += char('0' + empty), empty = 0;
      fen += letter;
    }
    if (empty) fen += char('0' + empty);
    if (rank) fen += '/';
  }
  fen += p.us->colour->is_white ? " b " : " w ";
  std::string castling;
  Bitboard rights = __builtin_bswap64(p.castling);                      // one byte per rank
  const Bitboard pairs[4] = {0x90, 0x11, 0x90ULL << 56, 0x11ULL << 56};  // e1h1 e1a1 e8h8 e8a8
  for (int i = 0; i < 4; ++i)
    if ((rights & pairs[i]) == pairs[i]) castling += "KQkq"[i];
  fen += castling.empty() ? "-" : castling;
  if (p.ep_square) {
    int s = lsb(p.ep_square) ^ 56;
    fen += std::string(" ") + char('a' + file_of(s)) + char('1' + rank_of(s));
  } else {
    fen += " -";
  }
  return fen + " " + std::to_string(p.halfmove_clock) + " 1";
}

TEST(EvalSymmetry, ReflectedTwinScoresTheSame) {
  // Scores are taken along the games, with incrementally kept pawn masks; the
  // twins are read afterwards, since reading a FEN clears the game.
  std::vector<std::pair<int, std::string>> played;
  random_positions(20240611, 10000, [&] { played.emplace_back(evaluate(), twin_fen(*current_position)); });
  ASSERT_EQ(played.size(), 10000u);
  for (const auto& [score, twin] : played) {
    load(twin);
    ASSERT_EQ(evaluate(), score) << "twin " << twin;
  }
}

// Benchmark, not a pass/fail test: run with --gtest_also_run_disabled_tests.
TEST(DISABLED_EvalSpeed, Positions) {
  std::vector<Position> sample;
  random_positions(7, 400, [&] { sample.push_back(*current_position); });
  // Each sample gets its own stack record, linked to itself.
  for (size_t i = 0; i < sample.size(); ++i) {
    position_stack[i] = sample[i];
    link_record(position_stack[i], sample[i].us->colour->is_white);
  }
  const int rounds = 2000;
  long long sink = 0;
  auto rate = [&](bool with_maps) {
    auto begin = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r)
      for (size_t i = 0; i < sample.size(); ++i) {
        current_position = &position_stack[i];
        if (with_maps) compute_check_info(), compute_attacks();
        sink += evaluate();
      }
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - begin;
    return rounds * sample.size() / seconds.count();
  };
  double full = rate(true), alone = rate(false);
  std::printf("%zu positions x %d: %.0f evaluations/s with check info and attack maps, %.0f evaluate() alone (%lld)\n",
              sample.size(), rounds, full, alone, sink);
  ply_count = 0;
  current_position = position_stack;
}

}  // namespace
