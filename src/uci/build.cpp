// What this build is, read from the compiler's own definitions: the make
// files choose a target's instructions (-mpopcnt, -mbmi2, an ARM compiler)
// and the compiler announces them. Built like the rest of the engine, unlike
// cpu.cpp, so it describes the code that runs once the processor is checked.
#include "uci/uci.h"

namespace velta {

#define VELTA_VERSION "Velta 0.6"

#if defined(__x86_64__) || defined(_M_X64)
#if defined(__BMI2__)
#define VELTA_TARGET "x86-64-bmi2", VELTA_VERSION " x64 (bmi2)"
#elif defined(__POPCNT__)
#define VELTA_TARGET "x86-64-popcnt", VELTA_VERSION " x64 (popcnt)"
#else
#define VELTA_TARGET "x86-64", VELTA_VERSION " x64"
#endif
#elif defined(__aarch64__) || defined(_M_ARM64)
#define VELTA_TARGET "armv8", VELTA_VERSION " armv8"
#elif defined(__EMSCRIPTEN__)
#define VELTA_TARGET "wasm", VELTA_VERSION " wasm"
#else
#define VELTA_TARGET "generic", VELTA_VERSION
#endif

#if defined(__POPCNT__)
constexpr bool USES_POPCNT = true;
#else
constexpr bool USES_POPCNT = false;
#endif
#if defined(__BMI2__)
constexpr bool USES_BMI2 = true;
#else
constexpr bool USES_BMI2 = false;
#endif

BuildTarget build_target() { return {VELTA_TARGET, USES_POPCNT, USES_BMI2}; }

}  // namespace velta
