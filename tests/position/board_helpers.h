// Helpers shared by the position and move-generation tests, and the start-up
// work both test binaries need: the engine's tables are global, built once.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <span>
#include <string>
#include <tuple>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "uci/uci.h"

using namespace velta;

inline int square(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

// "e2 e4" -> the set of both squares.
inline Bitboard squares(const std::string& names) {
  Bitboard set = 0;
  for (size_t i = 0; i + 1 < names.size(); i += 3) set |= bit(square(&names[i]));
  return set;
}

// The UCI text of a move, written here independently of the engine's printer.
inline std::string uci(Move m) {
  int from = move_from(m), to = move_to(m), promotion = move_promotion(m);
  std::string text = {char('a' + from % 8), char('1' + from / 8), char('a' + to % 8), char('1' + to / 8)};
  return promotion ? text + "??nbrq"[promotion] : text;
}

inline void load(const char* fen) { ASSERT_TRUE(read_fen(fen)) << fen; }

// The generated moves (of the piece on `from` only, when given) in list order;
// `marked` adds the ordering flags: ^ advance, ~ escape, + check, ! discovered.
inline std::string listed(int mode = GEN_ALL, const char* from = nullptr, bool marked = false) {
  compute_check_info(), compute_attacks(), generate_moves(mode);
  std::string text;
  for (Move m : std::span(current_position->moves.moves, current_position->moves.count)) {
    if (from && move_from(m) != square(from)) continue;
    text.append(text.empty() ? "" : " ").append(uci(m));
    for (int flag = 0; marked && flag < 4; ++flag)
      if (m & MOVE_ADVANCE << flag) text += "^~+!"[flag];
  }
  return text;
}

// The text the engine reports for a failed check, or none.
inline std::string failed(std::string check) { return check.empty() ? "" : "engine: check failed: " + check + "\n"; }

struct EngineTables : testing::Environment {
  // Perft stops when input waits; an empty in-memory input never does,
  // whatever the test runner connects to standard input.
  void SetUp() override { init_eval_tables(), init_attack_tables(), use_memory_input("", 0); }
};
inline auto* const engine_tables = testing::AddGlobalTestEnvironment(new EngineTables);
