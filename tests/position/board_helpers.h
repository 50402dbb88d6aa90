// Small helpers shared by the position and move-generation tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"

namespace board {

inline int square(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

// "e2 e4" -> the set of both squares.
inline velta::Bitboard squares(const std::string& names) {
  velta::Bitboard set = 0;
  for (size_t i = 0; i + 1 < names.size(); i += 3) set |= velta::bit(square(&names[i]));
  return set;
}

// The UCI text of a move, written here independently of the engine's printer.
inline std::string uci(velta::Move m) {
  int from = velta::move_from(m), to = velta::move_to(m), promotion = velta::move_promotion(m);
  std::string text = {char('a' + from % 8), char('1' + from / 8), char('a' + to % 8), char('1' + to / 8)};
  return promotion ? text + "??nbrq"[promotion] : text;
}

inline void load(const char* fen) { ASSERT_TRUE(velta::read_fen(fen)) << fen; }

// The generator and its preconditions on the current record.
inline const velta::MoveList& generate(int mode = velta::GEN_ALL) {
  velta::compute_check_info();
  velta::compute_attacks();
  velta::generate_moves(mode);
  return velta::current_position->moves;
}

// The generated moves (of the piece on `from` only, when given) in list order.
inline std::string listed(int mode, int from = -1) {
  const velta::MoveList& list = generate(mode);
  std::string text;
  for (int i = 0; i < list.count; ++i)
    if (from < 0 || velta::move_from(list.moves[i]) == from)
      text.append(text.empty() ? "" : " ").append(uci(list.moves[i]));
  return text;
}

// The generated legal move with this UCI text, or 0.
inline velta::Move find_move(const std::string& text) {
  const velta::MoveList& list = generate();
  for (int i = 0; i < list.count; ++i)
    if (uci(list.moves[i]) == text) return list.moves[i];
  return 0;
}

}  // namespace board
