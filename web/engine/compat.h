// Included before every engine source in the WebAssembly build: what this
// compiler's C++ library lacks, and the engine uses.
#pragma once

#include <bit>

// std::bit_cast (C++20) is missing from older libc++ releases; the compiler
// has the builtin it is made of.
#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
