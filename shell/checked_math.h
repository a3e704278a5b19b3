#pragma once

#include <cstdint>
#include <limits>
#include <type_traits>

#include "shell/runtime_error.h"

namespace scurrow {

// Adds two integers of the game's 16- or 32-bit fields, raising the overflow
// error instead of wrapping around.
template <typename Int>
Int CheckedAdd(Int a, Int b) {
  static_assert(std::is_integral_v<Int> && std::is_signed_v<Int>);
  Int sum{};
  if (__builtin_add_overflow(a, b, &sum)) {
    throw RuntimeError(ErrorNumber::kOverflow, "Overflow");
  }
  return sum;
}

}  // namespace scurrow
