// SPDX-License-Identifier: MIT
// core/sample.h - the one clamp every stored sample and every bounded
// integer goes through.
#pragma once
#include <cstdint>

namespace tavo {

// v limited to lo..hi.
constexpr int ClampInt(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// v limited to the sample range 0..65535.
constexpr uint16_t ClampSample(int64_t v) {
  return static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v);
}

// A double made a sample: truncated towards zero, then limited to 0..65535
// (NaN gives 0). Written as two selections (maxsd, minsd) rather than
// branches: sharpening filters overshoot at random on noisy pictures.
inline uint16_t ClampSampleDouble(double v) {
  const double low = 0.0 < v ? v : 0.0;  // NaN fails the test and gives 0
  return static_cast<uint16_t>(low < 65535.0 ? low : 65535.0);
}

}  // namespace tavo
