// Shared by the unit tests: the engine's constant tables, built once per test
// binary as at start-up, and shorthand for squares, moves and positions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/internal.h"

using namespace velta;

struct EngineTables : testing::Environment {
  void SetUp() override { init_eval_tables(), init_attack_tables(), init_reduction_table(); }
};
inline auto* const engine_tables = testing::AddGlobalTestEnvironment(new EngineTables);

constexpr int square(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

// "e2 e4" -> the set of both squares.
inline Bitboard squares(const std::string& names) {
  Bitboard set = 0;
  for (size_t i = 0; i + 1 < names.size(); i += 3) set |= bit(square(&names[i]));
  return set;
}

// A move word from "e2e4" text, its mover, victim, flags and promotion.
constexpr Move mv(const char* text, int piece, int captured = 0, Move flags = 0, int promotion = 0) {
  return encode_move(square(text), square(text + 2), piece, captured, promotion) | flags;
}

inline std::string uci(Move m) {
  char text[MOVE_TEXT_SIZE];
  move_text(m, text);
  return text;
}

// A search context with its own table, as the engine sets up its own.
struct TestContext {
  std::unique_ptr<SearchContext> ctx = std::make_unique<SearchContext>();
  TranspositionTable table{};
  explicit TestContext(int megabytes = 1) {
    tt_allocate(table, megabytes);
    ctx->tt = &table;
  }
  ~TestContext() { tt_release(table); }
  Board& board() { return ctx->board; }
};

// Sets up a FEN that must be accepted.
inline Board& load(Board& b, const char* fen) {
  EXPECT_EQ(set_position(b, fen).check, nullptr) << fen;
  return b;
}
