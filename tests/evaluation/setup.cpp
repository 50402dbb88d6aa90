// The engine's tables are global and built once, as at start-up.
#include <gtest/gtest.h>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"

namespace {

class EngineTables : public ::testing::Environment {
  void SetUp() override {
    velta::init_eval_tables();
    velta::init_attack_tables();
  }
};

[[maybe_unused]] const auto* const tables = ::testing::AddGlobalTestEnvironment(new EngineTables);

}  // namespace
