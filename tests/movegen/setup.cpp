// The engine's tables are global and built once, as at start-up.
#include "position/board_helpers.h"
#include "uci/uci.h"

struct EngineTables : ::testing::Environment {
  void SetUp() override {
    velta::init_eval_tables(), velta::init_attack_tables();
    // Perft stops when input waits; an empty in-memory input never does,
    // whatever the test runner connects to standard input.
    velta::use_memory_input("", 0);
  }
};
[[maybe_unused]] static auto* const tables = ::testing::AddGlobalTestEnvironment(new EngineTables);
