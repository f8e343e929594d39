// SPDX-License-Identifier: MIT
#include "tone/levels.h"

#include <cmath>
#include <vector>

#include "core/sample.h"
#include "core/slots.h"

namespace tavo {
namespace {

// Below this many pixels a plane is mapped sample by sample: building the
// 65536-entry table would cost more pow() calls than the plane itself.
constexpr size_t kTableThreshold = 65536;

void MapPlane(uint16_t* plane, size_t n, const uint16_t* lut) {
  const int64_t count = static_cast<int64_t>(n);
#pragma omp parallel for schedule(static)
  for (int64_t i = 0; i < count; ++i) plane[i] = lut[plane[i]];
}

}  // namespace

LevelWindow ClampLevelWindow(const LevelWindow& window) {
  LevelWindow w = window;
  w.in_max = ClampInt(w.in_max, 1, 255);
  w.in_min = ClampInt(w.in_min, 0, w.in_max - 1);
  w.out_max = ClampInt(w.out_max, 1, 255);
  w.out_min = ClampInt(w.out_min, 0, w.out_max - 1);
  w.brightness = ClampInt(w.brightness, -255, 255);
  w.contrast = ClampInt(w.contrast, -100, 100);
  w.gamma = ClampInt(w.gamma, 1, 400);
  return w;
}

double LevelMap(int value, const LevelWindow& window) {
  const LevelWindow w = ClampLevelWindow(window);
  int in_min = w.in_min, in_max = w.in_max, out_min = w.out_min, out_max = w.out_max;
  if (w.contrast > 0) {
    const int d = ((in_max - in_min) * w.contrast) / 200;
    in_min += d;
    in_max -= d;
  }
  if (w.contrast < 0) {
    const int d = (-(out_max - out_min) * w.contrast) / 200;
    out_min += d;
    out_max -= d;
  }
  const double start = (in_min - w.brightness) * 256.0;
  if (in_max <= in_min) {
    // Contrast 100 closed the window to one point: a threshold there rather
    // than the 1e-10 denominator, which would send every sample to white.
    return value >= start ? out_max * 256.0 : out_min * 256.0;
  }
  double numerator = value - start;
  if (numerator <= 0) numerator = 1e-10;
  const double denominator = (in_max - in_min) * 256.0;
  double t = std::pow(numerator / denominator, 100.0 / w.gamma);
  if (t > 1.0) t = 1.0;
  double result = out_min * 256.0 + t * (out_max - out_min) * 256.0;
  if (result > 65535.0) result = 65535.0;
  return result;
}

void BuildLevelTable(const LevelWindow& window, uint16_t table[65536]) {
  const LevelWindow w = ClampLevelWindow(window);
#pragma omp parallel for schedule(static)
  for (int v = 0; v < 65536; ++v) table[v] = ClampSampleDouble(LevelMap(v, w));
}

void LevelCurve(const LevelWindow& window, uint8_t out[256]) {
  const LevelWindow w = ClampLevelWindow(window);
  for (int i = 0; i < 256; ++i) out[i] = static_cast<uint8_t>(ClampSampleDouble(LevelMap(i * 256, w)) >> 8);
}

OpStatus ApplyLevels(Image& image, const LevelParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  const bool per_channel = params.table != kLevelAllColours;
  if (per_channel && image.monochrome == 1) {
    ExpandMonochrome(image);
    image.monochrome = 0;
  }
  const size_t n = image.PixelCount();
  if (n < kTableThreshold) {
    for (int c = 0; c < 3; ++c) {
      const LevelWindow w = ClampLevelWindow(params.windows[per_channel ? c + 1 : 0]);
      uint16_t* plane = image.Channel(c);
      for (size_t i = 0; i < n; ++i) plane[i] = ClampSampleDouble(LevelMap(plane[i], w));
    }
    return kOpMade;
  }
  std::vector<uint16_t> tables(per_channel ? 3 * 65536 : 65536);
  for (int c = 0; c < (per_channel ? 3 : 1); ++c) {
    BuildLevelTable(params.windows[per_channel ? c + 1 : 0], tables.data() + c * 65536);
  }
  for (int c = 0; c < 3; ++c) MapPlane(image.Channel(c), n, tables.data() + (per_channel ? c * 65536 : 0));
  return kOpMade;
}

}  // namespace tavo
