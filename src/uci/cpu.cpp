// The processor check. This file is built without the POPCNT and BMI2
// instructions, so that it runs first on any processor and lets a build that
// uses them refuse to start with a message instead of an illegal instruction.
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include "uci/uci.h"

namespace velta {

#if defined(__x86_64__) || defined(__i386__)

bool cpu_has_popcnt() {
  unsigned a, b, c, d;
  return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_POPCNT);
}

bool cpu_has_bmi2() {
  unsigned a, b, c, d;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_BMI2);
}

#else

bool cpu_has_popcnt() { return false; }
bool cpu_has_bmi2() { return false; }

#endif

}  // namespace velta
