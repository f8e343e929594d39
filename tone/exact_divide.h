// SPDX-License-Identifier: MIT
// tone/exact_divide.h - integer division by a divisor known only at run
// time, in double arithmetic: it vectorises, where an integer division per
// pixel would dominate the passes that need one.
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

// n / d truncated towards zero, for |n| + d < 2^31, 1 <= d < 2^24 and a
// quotient below 2^22 in magnitude: a single-precision division (twice the
// lanes of a double one) and one step of correction. The float quotient
// is within |q| * 2^-23 < 1/2 of the true one, so its truncation is off by
// at most one, and the remainder, exact in 32 bits, settles it.
inline int32_t SmallQuotient(int32_t n, int32_t d) {
  const int32_t a = n < 0 ? -n : n;
  int32_t q = static_cast<int32_t>(static_cast<float>(a) / static_cast<float>(d));
  const int32_t rest = a - q * d;
  q += rest >= d ? 1 : 0;
  q -= rest < 0 ? 1 : 0;
  return n < 0 ? -q : q;
}

}  // namespace tavo
