// Set-up shared by the evaluation tests: a position from FEN with the data
// the evaluation expects already computed.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"

namespace evaltest {

using namespace velta;

inline int sq(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

// Sets up the FEN with check information and attack maps current, and the
// piece count set as evaluate() would set it, so the terms can be called alone.
inline void load(const std::string& fen) {
  ASSERT_TRUE(read_fen(fen.c_str())) << fen;
  compute_check_info();
  compute_attacks();
  PieceCount = popcount(current_position->occupied);
}

inline const SideState& white() { return current_position->sides[WHITE]; }
inline const SideState& black() { return current_position->sides[BLACK]; }

}  // namespace evaltest
