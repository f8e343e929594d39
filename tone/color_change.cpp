// SPDX-License-Identifier: MIT
#include "tone/color_change.h"

#include <algorithm>
#include <cstdlib>

#include "core/sample.h"
#include "core/slots.h"
#include "tone/exact_divide.h"
#include "tone/pixel_runs.h"

namespace tavo {
namespace {

// Both conversions are written without branches on the pixel so that the
// passes below vectorise; the public RgbToHsv and HsvToRgb use the same
// code.
inline Hsv HsvOf(int r16, int g16, int b16) {
  const int r = r16 >> 1, g = g16 >> 1, b = b16 >> 1;
  // The chosen channel is always a largest one and the smallest of the
  // other two is the smallest of all; only the tie rule picks which
  // difference gives the hue. Written with & so that nothing branches.
  const bool r_top = (g <= r) & (b <= r);
  const bool g_top = !r_top & (r <= g) & (b <= g);
  const int rg_max = r > g ? r : g, rg_min = r < g ? r : g;
  const int top = rg_max > b ? rg_max : b;
  const int bottom = rg_min < b ? rg_min : b;
  const int delta = top - bottom;
  const int num = r_top ? g - b : g_top ? b - r : r - g;
  const int base = r_top ? 0 : g_top ? 2 * kHueSixth : 4 * kHueSixth;
  // |num| <= delta < 2^15: the products stay below 2^31 - 2^15 and the
  // quotients within 8192 and 65535.
  const int safe_delta = delta > 0 ? delta : 1, safe_top = top > 0 ? top : 1;
  int hue = delta > 0 ? SmallQuotient(num * kHueSixth, safe_delta) + base : 0;
  hue += hue < 0 ? kHueTurn : 0;
  const int saturation = delta > 0 ? SmallQuotient(delta * 65535, safe_top) : 0;
  return {hue, saturation, top * 2};
}

// x / 65535 for x <= 65535 * 65535 with two adds and shifts, where the
// compiler's multiply by the reciprocal needs 64-bit lanes; checked
// against the division for every such x.
inline uint32_t Div65535(uint32_t x) { return (x + (x >> 16) + 1) >> 16; }

// Hue 0..49151, saturation and value 0..65535. Every product is at most
// 65535 * 65535 and is formed in unsigned 32 bits.
inline Rgb16 RgbOf(uint32_t hue, uint32_t s, uint32_t v) {
  const uint32_t i = hue / kHueSixth, f = hue % kHueSixth;
  const uint32_t p = Div65535((65535 - s) * v);
  const uint32_t q = Div65535((65535 - (s * f) / kHueSixth) * v);
  const uint32_t t = Div65535((65535 - ((kHueSixth - f) * s) / kHueSixth) * v);
  // Sectors 0..5: (V, t, p) (q, V, p) (p, V, t) (p, q, V) (t, p, V) (V, p, q),
  // chosen with masks (exactly one is all ones) so that nothing branches.
  const uint32_t m0 = 0u - (i == 0), m1 = 0u - (i == 1), m2 = 0u - (i == 2);
  const uint32_t m3 = 0u - (i == 3), m4 = 0u - (i == 4), m5 = 0u - (i >= 5);
  const uint32_t r = (v & (m0 | m5)) | (q & m1) | (p & (m2 | m3)) | (t & m4);
  const uint32_t g = (t & m0) | (v & (m1 | m2)) | (q & m3) | (p & (m4 | m5));
  const uint32_t b = (p & (m0 | m1)) | (t & m2) | (v & (m3 | m4)) | (q & m5);
  return {static_cast<uint16_t>(r), static_cast<uint16_t>(g), static_cast<uint16_t>(b)};
}

int Wrap(int hue) { return hue < 0 ? hue + kHueTurn : hue >= kHueTurn ? hue - kHueTurn : hue; }

// A monochrome image is made a colour image first: the passes read and
// write all three planes.
void ToColour(Image& image) {
  if (image.monochrome != 1) return;
  ExpandMonochrome(image);
  image.monochrome = 0;
}

struct RgbJob {
  int src[3];     // 8-bit
  int dst[3];     // 16-bit (8-bit x 256)
  int tolerance;  // 0..255
  int divisor;    // tolerance, or 1 for tolerance 0
};

// The numerator of a hit is at most 65535 * T < 2^24.
TAVO_PIXEL_KERNEL void RgbRun(const uint16_t* r, const uint16_t* g, const uint16_t* b, uint16_t* __restrict out_r,
                              uint16_t* __restrict out_g, uint16_t* __restrict out_b, int count, RgbJob job) {
  for (int i = 0; i < count; ++i) {
    const int d = (std::abs((r[i] >> 8) - job.src[0]) + std::abs((g[i] >> 8) - job.src[1]) +
                   std::abs((b[i] >> 8) - job.src[2])) / 3;
    const bool hit = d <= job.tolerance;
    const int keep = job.divisor - d;
    // A miss may make the numerator negative; its quotient is not used.
    const int nr = ExactQuotient(job.dst[0] * keep + r[i] * d, job.divisor);
    const int ng = ExactQuotient(job.dst[1] * keep + g[i] * d, job.divisor);
    const int nb = ExactQuotient(job.dst[2] * keep + b[i] * d, job.divisor);
    out_r[i] = hit ? static_cast<uint16_t>(nr) : r[i];
    out_g[i] = hit ? static_cast<uint16_t>(ng) : g[i];
    out_b[i] = hit ? static_cast<uint16_t>(nb) : b[i];
  }
}

struct HsvJob {
  int h0, h1;          // internal hues, within half a turn of each other
  int s0, v0, s1, v1;  // 16-bit
  int tolerance;       // quarter degrees
  Rgb16 exact;         // the colour an exact match takes when T = 0
};

TAVO_PIXEL_KERNEL void HsvRun(const uint16_t* r, const uint16_t* g, const uint16_t* b, uint16_t* __restrict out_r,
                              uint16_t* __restrict out_g, uint16_t* __restrict out_b, int count, HsvJob job) {
  const bool scale_s = job.s0 > 256, scale_v = job.v0 > 256;
  const int half_s1 = job.s1 / 2, half_v1 = job.v1 / 2;
  const bool exact = job.tolerance == 0;
  for (int i = 0; i < count; ++i) {
    const Hsv hsv = HsvOf(r[i], g[i], b[i]);
    int d = (std::abs(hsv.hue - job.h0) * 60) / 2048;
    // Half a turn is 720 quarter degrees. A source hue moved below 0 can
    // put a pixel more than a whole turn away; its distance is then d -
    // 1440, where 1440 - d would go negative and catch it.
    if (d > 720) d = std::abs(1440 - d);
    const bool hit = d <= job.tolerance;
    // (S1 / 2) * s <= 32640 * 65535 and s0 >= 512 keep the quotient below
    // 2^22. Both quotients are formed whether used or not (with a stand-in
    // divisor), which keeps the loop free of branches.
    const int scaled_s = SmallQuotient(half_s1 * hsv.saturation, scale_s ? job.s0 : 65280) * 2;
    const int scaled_v = SmallQuotient(half_v1 * hsv.value, scale_v ? job.v0 : 65280) * 2;
    const int s = scale_s ? scaled_s : job.s1;
    const int v = scale_v ? scaled_v : job.v1;
    const Rgb16 moved = RgbOf(static_cast<uint32_t>(Wrap(hsv.hue - job.h0 + job.h1)),
                              static_cast<uint32_t>(ClampInt(s, 0, 65535)), static_cast<uint32_t>(ClampInt(v, 0, 65535)));
    // Blended with masks rather than chosen, which would become branches.
    const uint32_t take = 0u - static_cast<uint32_t>(hit), fixed = 0u - static_cast<uint32_t>(exact);
    const uint32_t nr = moved.r ^ ((moved.r ^ job.exact.r) & fixed);
    const uint32_t ng = moved.g ^ ((moved.g ^ job.exact.g) & fixed);
    const uint32_t nb = moved.b ^ ((moved.b ^ job.exact.b) & fixed);
    out_r[i] = static_cast<uint16_t>(r[i] ^ ((r[i] ^ nr) & take));
    out_g[i] = static_cast<uint16_t>(g[i] ^ ((g[i] ^ ng) & take));
    out_b[i] = static_cast<uint16_t>(b[i] ^ ((b[i] ^ nb) & take));
  }
}

}  // namespace

Hsv RgbToHsv(int r, int g, int b) { return HsvOf(ClampInt(r, 0, 65535), ClampInt(g, 0, 65535), ClampInt(b, 0, 65535)); }

Rgb16 HsvToRgb(int hue, int saturation, int value) {
  return RgbOf(static_cast<uint32_t>(ClampInt(hue, 0, kHueTurn - 1)), static_cast<uint32_t>(ClampInt(saturation, 0, 65535)),
               static_cast<uint32_t>(ClampInt(value, 0, 65535)));
}

OpStatus ApplyColorChangeRgb(Image& image, const ColorChangeRgbParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  RgbJob job{{ClampInt(params.source_r, 0, 255), ClampInt(params.source_g, 0, 255), ClampInt(params.source_b, 0, 255)},
             {ClampInt(params.target_r, 0, 255) * 256, ClampInt(params.target_g, 0, 255) * 256,
              ClampInt(params.target_b, 0, 255) * 256},
             ClampInt(params.tolerance, 0, 255), 1};
  // With T = 0 only d = 0 passes, and the blend taken with 1 for T gives
  // the target itself.
  job.divisor = std::max(job.tolerance, 1);
  ToColour(image);
  ForEachPixelRun(image.r.get(), image.g.get(), image.b.get(), static_cast<int64_t>(image.PixelCount()),
                  [&](const uint16_t* r, const uint16_t* g, const uint16_t* b, uint16_t* out_r, uint16_t* out_g,
                      uint16_t* out_b, int count) { RgbRun(r, g, b, out_r, out_g, out_b, count, job); });
  return kOpMade;
}

OpStatus ApplyColorChangeHsv(Image& image, const ColorChangeHsvParams& params) {
  if (image.Empty() || !image.r) return kOpNothingToDo;
  HsvJob job{};
  job.h0 = (ClampInt(params.source_hue, 0, 359) * kHueSixth) / 60;
  job.h1 = (ClampInt(params.target_hue, 0, 359) * kHueSixth) / 60;
  job.s0 = ClampInt(params.source_saturation, 0, 255) * 256;
  job.v0 = ClampInt(params.source_value, 0, 255) * 256;
  job.s1 = ClampInt(params.target_saturation, 0, 255) * 256;
  job.v1 = ClampInt(params.target_value, 0, 255) * 256;
  job.tolerance = ClampInt(params.tolerance, 0, 255);
  if (job.h0 + kHueTurn / 2 < job.h1) job.h1 -= kHueTurn;
  if (job.h1 + kHueTurn / 2 < job.h0) job.h0 -= kHueTurn;
  // The wrap above may leave the target hue below 0; the exact-match
  // colour is made from it brought back onto the circle.
  job.exact = RgbOf(static_cast<uint32_t>(Wrap(job.h1)), static_cast<uint32_t>(job.s1), static_cast<uint32_t>(job.v1));
  ToColour(image);
  ForEachPixelRun(image.r.get(), image.g.get(), image.b.get(), static_cast<int64_t>(image.PixelCount()),
                  [&](const uint16_t* r, const uint16_t* g, const uint16_t* b, uint16_t* out_r, uint16_t* out_g,
                      uint16_t* out_b, int count) { HsvRun(r, g, b, out_r, out_g, out_b, count, job); });
  return kOpMade;
}

void RgbSourceFromPixel(const Rgb16& pixel, ColorChangeRgbParams* params) {
  params->source_r = pixel.r >> 8;
  params->source_g = pixel.g >> 8;
  params->source_b = pixel.b >> 8;
}

void HsvSourceFromPixel(const Rgb16& pixel, ColorChangeHsvParams* params) {
  const Hsv hsv = RgbToHsv(pixel.r, pixel.g, pixel.b);
  params->source_hue = (hsv.hue * 60) / kHueSixth;
  params->source_saturation = hsv.saturation / 256;
  params->source_value = hsv.value / 256;
}

Rgb16 HsvDialogColor(int hue_degrees, int saturation, int value) {
  return HsvToRgb((ClampInt(hue_degrees, 0, 359) * kHueSixth) / 60, ClampInt(saturation, 0, 255) * 256,
                  ClampInt(value, 0, 255) * 256);
}

}  // namespace tavo
