// Tables the search tests rely on, built once per test process. A 1 MB
// transposition table keeps bucket arithmetic easy to reason about.
#include <gtest/gtest.h>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "search/search.h"

namespace {

class SearchTables : public testing::Environment {
 public:
  void SetUp() override {
    velta::init_eval_tables();
    velta::init_attack_tables();
    velta::init_reduction_table();
    testing::internal::CaptureStdout();
    velta::tt_create(1);
    testing::internal::GetCapturedStdout();
  }
  void TearDown() override { velta::tt_release(); }
};

[[maybe_unused]] testing::Environment* const environment = testing::AddGlobalTestEnvironment(new SearchTables);

}  // namespace
