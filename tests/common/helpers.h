// Shared by the unit tests: the engine's constant tables, built once per test
// binary as at start-up, and shorthand for squares, moves and positions.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

// Plays the moves of a text ("e2e4 e7e5"), each of which must be accepted.
inline Board& play(Board& b, const std::string& moves) {
  std::istringstream words(moves);
  for (std::string m; words >> m;) EXPECT_EQ(play_move(b, m.c_str()).check, nullptr) << m;
  return b;
}

// The rows of a data file of tests/ ("perft.txt"): fields split at '|' and
// trimmed; '#' starts a comment, and a line without a field is no row.
inline std::vector<std::vector<std::string>> rows_of(const std::string& name) {
  std::ifstream file(VELTA_SOURCE_DIR "/tests/" + name);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(file, line);) {
    std::istringstream fields(line.substr(0, line.find('#')) + '|');  // a last '|' ends an empty field
    std::vector<std::string> row;
    for (std::string field; std::getline(fields, field, '|');) {
      size_t first = field.find_first_not_of(" \t"), last = field.find_last_not_of(" \t");
      row.push_back(first == std::string::npos ? "" : field.substr(first, last - first + 1));
    }
    if (row.size() > 1 || (row.size() == 1 && !row[0].empty())) rows.push_back(row);
  }
  return rows;
}
