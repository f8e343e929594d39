// SPDX-License-Identifier: MIT
// restore/to_sample.h - the double-to-sample step shared by the restoration
// filters that work in double precision.
#pragma once
#include <cstdint>

namespace tavo {

// Rounding noise of the double arithmetic (a few units in the last place,
// summed over a few hundred terms and scaled by gains of at most 50) stays
// far below this; a result that lies this close below a whole number is
// that whole number, so a flat area or gains of 1.0 cannot lose one unit to
// the truncation.
constexpr double kTruncSlack = 1e-6;

// dst[i] = v[i] + kTruncSlack with the fraction cut towards zero, limited
// to 0..65535 (NaN gives 0), for i < n.
void StoreSamples(const double* v, int n, uint16_t* dst);

}  // namespace tavo
