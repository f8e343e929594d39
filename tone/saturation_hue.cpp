// SPDX-License-Identifier: MIT
#include "tone/saturation_hue.h"

#include <vector>

#include "core/sample.h"
#include "tone/pixel_runs.h"
#include "tone/color_change.h"

namespace tavo {
namespace {

// Every range of the hue mixes two input channels per output channel:
// out[c] = (in[p[c]] * alpha + in[q[c]] * beta) / 120, alpha + beta = 120.
// Hue 0 falls in the first range with beta 0, which leaves each channel as
// it is.
struct HueMix {
  uint32_t alpha, beta;
  int p[3], q[3];
};

HueMix MixFor(int h) {
  if (h >= 0 && h < 120) return {static_cast<uint32_t>(120 - h), static_cast<uint32_t>(h), {0, 1, 2}, {2, 0, 1}};
  if (h >= 120) return {static_cast<uint32_t>(240 - h), static_cast<uint32_t>(h - 120), {2, 0, 1}, {1, 2, 0}};
  if (h > -120) return {static_cast<uint32_t>(h + 120), static_cast<uint32_t>(-h), {0, 1, 2}, {1, 2, 0}};
  return {static_cast<uint32_t>(h + 240), static_cast<uint32_t>(-(h + 120)), {1, 2, 0}, {2, 0, 1}};
}

SaturationHueParams Clamped(const SaturationHueParams& p) {
  return {ClampInt(p.saturation, -100, 100), ClampInt(p.hue, -180, 180)};
}

// x + (x - m) * k / 100 truncated towards zero, clamped. The quotient is
// taken on the magnitude in unsigned arithmetic, which divides by a
// constant with a multiply even in vector registers.
inline uint16_t Stretch(uint32_t x, uint32_t m, int32_t k) {
  const int32_t d = static_cast<int32_t>(x - m) * k;
  const uint32_t mag = static_cast<uint32_t>(d < 0 ? -d : d) / 100;
  const int32_t v = static_cast<int32_t>(x) + (d < 0 ? -static_cast<int32_t>(mag) : static_cast<int32_t>(mag));
  return static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v);
}

TAVO_PIXEL_KERNEL void AdjustRun(const uint16_t* pr, const uint16_t* qr, const uint16_t* pg, const uint16_t* qg,
                                 const uint16_t* pb, const uint16_t* qb, uint32_t alpha, uint32_t beta, int32_t k,
                                 int count, uint16_t* __restrict out_r, uint16_t* __restrict out_g,
                                 uint16_t* __restrict out_b) {
  for (int i = 0; i < count; ++i) {
    const uint32_t r = (pr[i] * alpha + qr[i] * beta) / 120;
    const uint32_t g = (pg[i] * alpha + qg[i] * beta) / 120;
    const uint32_t b = (pb[i] * alpha + qb[i] * beta) / 120;
    const uint32_t m = (r + g + b) / 3;
    out_r[i] = Stretch(r, m, k);
    out_g[i] = Stretch(g, m, k);
    out_b[i] = Stretch(b, m, k);
  }
}

void AdjustPixels(uint16_t* r, uint16_t* g, uint16_t* b, int64_t n, const SaturationHueParams& p) {
  const HueMix mix = MixFor(p.hue);
  const int32_t k = SaturationGain(p);
  ForEachPixelRun(r, g, b, n,
                  [&](const uint16_t* r0, const uint16_t* g0, const uint16_t* b0, uint16_t* out_r, uint16_t* out_g,
                      uint16_t* out_b, int count) {
                    const uint16_t* in[3] = {r0, g0, b0};
                    AdjustRun(in[mix.p[0]], in[mix.q[0]], in[mix.p[1]], in[mix.q[1]], in[mix.p[2]], in[mix.q[2]],
                              mix.alpha, mix.beta, k, count, out_r, out_g, out_b);
                  });
}

}  // namespace

int SaturationGain(const SaturationHueParams& params) {
  const SaturationHueParams p = Clamped(params);
  const int a = p.hue < 0 ? -p.hue : p.hue;
  if (a < 60) return p.saturation + (a * 100) / 60;
  if (a < 120) return p.saturation + 200 - (a * 100) / 60;
  return p.saturation + (a * 100) / 60 - 200;
}

OpStatus ApplySaturationHue(Image& image, const SaturationHueParams& params) {
  if (image.Empty() || !image.r || image.monochrome == 1) return kOpNothingToDo;
  AdjustPixels(image.r.get(), image.g.get(), image.b.get(), static_cast<int64_t>(image.PixelCount()),
               Clamped(params));
  return kOpMade;
}

void HueStrips(const SaturationHueParams& params, int width, uint8_t* upper, uint8_t* lower) {
  if (width <= 0) return;
  std::vector<uint16_t> strip(static_cast<size_t>(width) * 3);
  uint16_t* planes[3] = {strip.data(), strip.data() + width, strip.data() + 2 * width};
  for (int x = 0; x < width; ++x) {
    const Rgb16 c = HsvToRgb(static_cast<int>(static_cast<int64_t>(x) * kHueTurn / width), 65535, 65535);
    planes[0][x] = c.r;
    planes[1][x] = c.g;
    planes[2][x] = c.b;
  }
  for (int x = 0; x < width; ++x) {
    for (int c = 0; c < 3; ++c) upper[3 * x + c] = static_cast<uint8_t>(planes[c][x] >> 8);
  }
  AdjustPixels(planes[0], planes[1], planes[2], width, Clamped(params));
  for (int x = 0; x < width; ++x) {
    for (int c = 0; c < 3; ++c) lower[3 * x + c] = static_cast<uint8_t>(planes[c][x] >> 8);
  }
}

}  // namespace tavo
