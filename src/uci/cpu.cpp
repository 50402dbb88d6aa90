// The processor check. This file is built without the POPCNT and BMI2
// instructions, so that it runs first on any x86-64 processor and lets the
// engine refuse to start with a message instead of an illegal instruction.
#include <cpuid.h>

#include "uci/uci.h"

namespace velta {

bool cpu_has_popcnt() {
  unsigned a, b, c, d;
  return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_POPCNT);
}

bool cpu_has_bmi2() {
  unsigned a, b, c, d;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_BMI2);
}

}  // namespace velta
