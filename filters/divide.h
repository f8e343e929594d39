// SPDX-License-Identifier: MIT
// filters/divide.h - truncating division by small divisors through one
// multiply, for the per-sample means of the neighbourhood filters.
#pragma once

namespace tavo {

// n / c truncated, exactly, for 0 <= n < 2^26 and 1 <= c <= 1024, given
// reciprocal = 1.0 / c: (n + 0.5) / c lies at least 0.5 / c >= 2^-11 from
// the next whole number, while the rounded product is within n 2^-52 <
// 2^-26 of it.
inline int DivideSmall(int n, double reciprocal) {
  return static_cast<int>((n + 0.5) * reciprocal);
}

// n / c truncated, exactly, for 0 <= n < 2^31 and 1 <= c < 2^20: when n / c
// is not whole it lies at least 1 / c below the next whole number, and the
// correctly rounded quotient moves it by less than 2^-53 of itself. A
// division, but one that vectorises where a table of reciprocals would not.
inline int DivideExact(int n, int c) {
  return static_cast<int>(static_cast<double>(n) / static_cast<double>(c));
}

}  // namespace tavo
