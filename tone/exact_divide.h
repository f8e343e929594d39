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

// n / d truncated towards zero, for |n| < 2^31 - 2^15, 1 <= d < 2^15 and
// a quotient below 2^16 in magnitude: a single-precision division (twice
// the lanes of a double one) and one step of correction. The float
// quotient is within |q| * 2^-23 < 1 of the true one, so its truncation is
// off by at most one, and the remainder, exact in 32 bits, settles it.
inline int32_t SmallQuotient(int32_t n, int32_t d) {
  const int32_t a = n < 0 ? -n : n;
  int32_t q = static_cast<int32_t>(static_cast<float>(a) / static_cast<float>(d));
  const int32_t rest = a - q * d;
  q += rest >= d ? 1 : 0;
  q -= rest < 0 ? 1 : 0;
  return n < 0 ? -q : q;
}

// A divisor that stays the same for a whole pass: a multiply by its rounded
// reciprocal replaces the division.
struct FixedDivisor {
  double d, inverse;
  explicit FixedDivisor(int32_t divisor) : d(divisor), inverse(1.0 / divisor) {}
};

// n / d truncated, for 0 <= n < 2^31. n * inverse is within a few units in
// the last place of n / d, far less than 1, so its truncation is the
// quotient or one off either way; the products q * d are exact and settle
// which.
inline int32_t FixedQuotient(int32_t n, const FixedDivisor& div) {
  const double x = n;
  double q = static_cast<double>(static_cast<int32_t>(x * div.inverse));
  q = q * div.d > x ? q - 1 : q;
  q = (q + 1) * div.d <= x ? q + 1 : q;
  return static_cast<int32_t>(q);
}

}  // namespace tavo
