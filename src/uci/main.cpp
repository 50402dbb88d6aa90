// Velta: a UCI chess engine. No arguments; commands on standard input.
// Built, like cpu.cpp, without POPCNT and BMI2: nothing here may use them
// before the processor has been checked.
#include <cstdio>

#include "uci/uci.h"

int main() {
  if (!velta::cpu_has_popcnt() || !velta::cpu_has_bmi2()) {
    fprintf(stderr, "Velta needs a processor with the POPCNT and BMI2 instructions (Intel since 2013, AMD since 2015)\n");
    return 1;
  }
  if (!velta::start_engine()) return 1;
  int status = velta::command_loop();
  velta::stop_engine();
  return status;
}
