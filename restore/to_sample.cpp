// SPDX-License-Identifier: MIT
#include "restore/to_sample.h"

#include <cstring>

namespace tavo {
namespace {

typedef double Lanes __attribute__((vector_size(32)));
typedef int32_t Ints __attribute__((vector_size(16)));
typedef uint16_t Shorts __attribute__((vector_size(8)));

// Comparisons are false for NaN, so NaN ends at 0.
inline double Clamp(double v) {
  v = v > 0.0 ? v : 0.0;
  return v < 65535.0 ? v : 65535.0;
}

}  // namespace

// Vector selects: sharpened samples fall on either side of the limits at
// random, which branches would mispredict.
__attribute__((target_clones("avx2", "default"))) void StoreSamples(const double* v, int n, uint16_t* dst) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    Lanes x;
    std::memcpy(&x, v + i, sizeof x);
    x += kTruncSlack;
    x = x > 0.0 ? x : Lanes{};
    x = x < 65535.0 ? x : Lanes{} + 65535.0;
    const Shorts s = __builtin_convertvector(__builtin_convertvector(x, Ints), Shorts);
    std::memcpy(dst + i, &s, sizeof s);
  }
  for (; i < n; ++i) dst[i] = static_cast<uint16_t>(Clamp(v[i] + kTruncSlack));
}

}  // namespace tavo
