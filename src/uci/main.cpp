// Velta: a UCI chess engine. Without arguments it reads commands on standard
// input; "velta bench" runs the bench and exits (what distributed testing
// frameworks run to check a build), its last line "<nodes> nodes <nps> nps".
// Built, like cpu.cpp, without POPCNT and BMI2: nothing here may use them
// before the processor has been checked.
#include <cstdio>
#include <cstring>
#include <memory>

#include "uci/uci.h"

namespace {

// Whether the processor has what the build uses; if not, says so and which
// build would run.
bool processor_fits(const velta::BuildTarget& target) {
  bool popcnt = velta::cpu_has_popcnt(), bmi2 = velta::cpu_has_bmi2();
  if ((!target.popcnt || popcnt) && (!target.bmi2 || bmi2)) return true;
  if (target.bmi2)
    fprintf(stderr,
            "Velta needs a processor with the POPCNT and BMI2 instructions (Intel since 2013, AMD since 2015)\n");
  else
    fprintf(stderr, "Velta needs a processor with the POPCNT instruction (Intel since 2008, AMD since 2007)\n");
  fprintf(stderr, "The %s build runs on this one\n", popcnt ? "x86-64-popcnt" : "x86-64");
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool bench = argc == 2 && !strcmp(argv[1], "bench");
  if (argc > 1 && !bench) {
    fprintf(stderr, "usage: %s [bench]\n", argv[0]);
    return 2;
  }
  if (!processor_fits(velta::build_target())) return 1;
  auto engine = std::make_unique<velta::Engine>();
  if (!velta::start_engine(*engine)) return 1;
  int status = 0;
  if (bench)
    velta::print_bench_line(velta::bench_command(*engine));
  else
    status = velta::command_loop(*engine);
  velta::stop_engine(*engine);
  return status;
}
