// SPDX-License-Identifier: MIT
// tone/exact_divide.h - integer division by a divisor known only at run
// time, through one double division: it vectorises, where an integer
// division per pixel would dominate the passes that need one.
#pragma once
#include <cstdint>

namespace tavo {

// n / d truncated towards zero, for d >= 1. Both are exact doubles and the
// quotient q is correctly rounded. When q is not whole its magnitude lies
// at least 1/d below the next whole number, while rounding moves it by at
// most |q| * 2^-53 < 1/d (as |n| < 2^53): the truncation is the integer
// quotient.
inline int32_t ExactQuotient(int32_t n, int32_t d) {
  return static_cast<int32_t>(static_cast<double>(n) / static_cast<double>(d));
}

}  // namespace tavo
