// SPDX-License-Identifier: MIT
// restore/wavelet_enlarge.h - the enlarging path of wavelet sharpening:
// periodic Daubechies analysis, gains per band, and one synthesis step more
// than analysis steps, which doubles both sides.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/progress.h"
#include "core/status.h"

namespace tavo {

// Synthesis low-pass h of Daubechies order 1..10: 2 x order taps, the
// orthonormal scaling filter times sqrt(2), so the taps sum to 2 (order 1:
// 1, 1). The high-pass is g[k] = (-1)^k h[2N - 1 - k]; analysis uses h / 2
// and g / 2. Order taken as 1..10.
const double* DaubechiesLowPass(int order);

// L: the largest k + 1 (k = 0..4) whose gain g[5 - k] is not exactly 1.0;
// 0 when all five are.
int WaveletEnlargeLevels(const double g[6]);

// Work area (2Wp x 2Hp doubles, Wp and Hp the sides rounded up to a
// multiple of 2^levels), the lines each thread filters, and three planes
// of 2W x 2H samples.
uint64_t WaveletEnlargeBytes(int width, int height, int levels, int threads);

// Enlarges every current plane to 2W x 2H (see ApplyWavelet). `progress`
// (may be null) hears of each plane before it is enlarged. kOpNoMemory, or
// kOpCancelled when stopped there, leaves the image untouched: the new
// planes are swapped in only at the end.
OpStatus WaveletEnlargeImage(Image& image, int order, const double g[6], Progress* progress = nullptr);

}  // namespace tavo
