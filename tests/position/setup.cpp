// The engine's tables are global and built once, as at start-up.
#include "position/board_helpers.h"

struct EngineTables : ::testing::Environment {
  void SetUp() override { velta::init_eval_tables(), velta::init_attack_tables(); }
};
[[maybe_unused]] static auto* const tables = ::testing::AddGlobalTestEnvironment(new EngineTables);
