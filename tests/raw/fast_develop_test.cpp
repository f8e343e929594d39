// SPDX-License-Identifier: MIT
#include "raw/fast_develop.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>
#include <vector>

#include "core/memory.h"
#include "core/slots.h"
#include "raw/libraw_session.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

std::vector<uint16_t> Table(int black, int white, double gamma) {
  std::vector<uint16_t> t(65536);
  BuildToneTable(black, white, gamma, t.data());
  return t;
}

// Hermite form of the toe-to-shoulder cubic, in long double: the same curve
// as the coefficient formulas, written independently of them.
long double ReferenceTone(int black, int white, double gamma, int v) {
  const long double x0 = (black + 8) * 128.0L, x1 = (white - 4) * 256.0L;
  const long double s0 = 2048.0L / x0, s1 = 2048.0L / (65536.0L - x1);
  long double y;
  if (v < x0) {
    y = 1024.0L * v * v / (x0 * x0);
  } else if (v < x1) {
    const long double h = x1 - x0, t = (v - x0) / h;
    y = (2 * t * t * t - 3 * t * t + 1) * 1024.0L + (t * t * t - 2 * t * t + t) * h * s0 +
        (-2 * t * t * t + 3 * t * t) * 63488.0L + (t * t * t - t * t) * h * s1;
  } else {
    y = (v - 65536.0L) * s1 + 65536.0L;
  }
  if (y <= 0) return 0;
  return std::pow(y, 1.0L / gamma) * 65535.0L / std::pow(65535.0L, 1.0L / gamma);
}

TEST(BuildToneTable, HandWorkedPointsOnEachPiece) {
  // black 0, white 255, gamma 1: x0 = 8 * 128 = 1024, x1 = 251 * 256 = 64256,
  // k = 1, shoulder slope s1 = 2048 / 1280 = 1.6.
  const std::vector<uint16_t> t = Table(0, 255, 1.0);
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[1], 0);         // 1024 * 1 / 1024^2 = 0.00098
  EXPECT_EQ(t[512], 256);     // 1024 * 512^2 / 1024^2 = 256
  EXPECT_EQ(t[640], 400);     // 640^2 / 1024 = 400
  EXPECT_EQ(t[1000], 976);    // 10^6 / 1024 = 976.56
  EXPECT_EQ(t[1023], 1022);   // 1023^2 / 1024 = 1022.001, still the parabola
  EXPECT_EQ(t[64256], 63488); // (64256 - 65536) * 1.6 + 65536
  EXPECT_EQ(t[65535], 65534); // -1.6 + 65536 = 65534.4
  // Cubic (Hermite evaluation by hand calculator): 2936.66, 35492.017, 63486.40.
  EXPECT_EQ(t[2000], 2936);
  EXPECT_EQ(t[32768], 35492);
  EXPECT_EQ(t[64255], 63486);

  // Gamma 2: k = 65535 / sqrt(65535) = sqrt(65535) = 255.998.
  const std::vector<uint16_t> g2 = Table(0, 255, 2.0);
  EXPECT_EQ(g2[512], 4095);    // sqrt(256) * 255.998 = 4095.97
  EXPECT_EQ(g2[65535], 65534); // sqrt(65534.4 * 65535) = 65534.7

  // Defaults of R: black 5, white 180, gamma 2.2: x0 = 1664, x1 = 45056.
  const std::vector<uint16_t> r = Table(5, 180, 2.2);
  EXPECT_EQ(r[100], 767);      // y = 1024 * 100^2 / 1664^2 = 3.698 -> 767.97
  EXPECT_EQ(r[1664], 9896);    // the toe point, y = 1024 -> 9896.59
  EXPECT_EQ(r[20000], 47402);  // cubic -> 47402.36
  EXPECT_EQ(r[50000], 64824);  // shoulder line -> 64824.66
}

TEST(BuildToneTable, AgreesWithHermiteReferenceOverTheRange) {
  const int cases[][2] = {{5, 180}, {3, 160}, {0, 130}, {32, 128}, {0, 255}};
  const double gammas[] = {2.2, 1.0, 4.0, 1.7, 3.3};
  for (int k = 0; k < 5; ++k) {
    const std::vector<uint16_t> t = Table(cases[k][0], cases[k][1], gammas[k]);
    int compared = 0;
    for (int v = 1; v < 65536; v += 7) {
      const long double ref = ReferenceTone(cases[k][0], cases[k][1], gammas[k], v);
      const long double frac = ref - std::floor(ref);
      if (frac < 1e-6L || frac > 1 - 1e-6L) continue;  // too close to call
      const long double expected = ref >= 65535 ? 65535 : std::floor(ref);
      ASSERT_EQ(t[v], static_cast<int>(expected)) << "case " << k << " v " << v;
      ++compared;
    }
    EXPECT_GT(compared, 9000);
  }
}

TEST(BuildToneTable, OutputNeverFallsAsInputRises) {
  const std::vector<uint16_t> t = Table(32, 128, 1.0);
  for (int v = 1; v < 65536; ++v) ASSERT_LE(t[v - 1], t[v]) << v;
}

// Mosaic records, four channels per pixel, row 0 at the top.
struct Mosaic {
  int w, h;
  std::vector<uint16_t> rec;
  Mosaic(int width, int height) : w(width), h(height), rec(static_cast<size_t>(width) * height * 4) {}
  void Set(int x, int y, int c, uint16_t v) { rec[(static_cast<size_t>(y) * w + x) * 4 + c] = v; }
};

// RGGB, greens already folded into channel 1:
//   y=0:  R10 G20 R30 G40
//   y=1:  G50 B60 G70 B80
//   y=2:  R90 G11 R13 G17
//   y=3:  G19 B23 G29 B31
Mosaic SmallBayer() {
  const int values[4][4] = {{10, 20, 30, 40}, {50, 60, 70, 80}, {90, 11, 13, 17}, {19, 23, 29, 31}};
  Mosaic m(4, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const int colour = (y % 2 == 0) ? (x % 2 == 0 ? 0 : 1) : (x % 2 == 0 ? 1 : 2);
      m.Set(x, y, colour, static_cast<uint16_t>(values[y][x]));
    }
  }
  return m;
}

struct Planes {
  int w, h;
  std::vector<uint16_t> r, g, b;
  Planes(int width, int height)
      : w(width), h(height), r(static_cast<size_t>(width) * height), g(r.size()), b(r.size()) {}
  // (x, stored row)
  std::vector<int> At(int x, int row) const {
    const size_t i = static_cast<size_t>(row) * w + x;
    return {r[i], g[i], b[i]};
  }
};

Planes Demosaic(const Mosaic& m, int pattern) {
  Planes p(m.w, m.h);
  DemosaicRows(m.rec.data(), m.w, m.h, pattern, 0, m.h, p.r.data(), p.g.data(), p.b.data());
  return p;
}

TEST(DemosaicRows, BayerMeansWithEdgeAndCornerWeights) {
  const Planes p = Demosaic(SmallBayer(), kPattern2x2);
  // Target row = 3 - mosaic row.
  // (1,1) blue 60: R from the four corners (10+30+90+13)/4 = 35; G from the
  // four edges 2*(20+50+70+11)/8 = 37.
  EXPECT_EQ(p.At(1, 2), (std::vector<int>{35, 37, 60}));
  // (0,0) red 10, top-left corner: G 2*(20+50)/4 = 35, B from (1,1) = 60.
  EXPECT_EQ(p.At(0, 3), (std::vector<int>{10, 35, 60}));
  // (2,1) green 70: R 2*(30+13)/4 = 21, B 2*(60+80)/4 = 70.
  EXPECT_EQ(p.At(2, 2), (std::vector<int>{21, 70, 70}));
  // (3,3) blue 31, bottom-right corner: R from (2,2) = 13, G 2*(17+29)/4 = 23.
  EXPECT_EQ(p.At(3, 0), (std::vector<int>{13, 23, 31}));
  // (0,3) green 19, bottom-left corner: R from (0,2) = 90, B from (1,3) = 23.
  EXPECT_EQ(p.At(0, 0), (std::vector<int>{90, 19, 23}));
}

TEST(DemosaicRows, ZeroSamplesCountAsAbsent) {
  Mosaic m = SmallBayer();
  m.Set(2, 1, 1, 0);  // green 70 gone
  m.Set(2, 2, 0, 0);  // red 13 gone
  const Planes p = Demosaic(m, kPattern2x2);
  // The green hole takes its diagonal greens (20+40+11+17)/4 = 22.
  EXPECT_EQ(p.At(2, 2)[1], 22);
  // The red hole has no red in its window: 0.
  EXPECT_EQ(p.At(2, 1)[0], 0);
  // (1,1) now sees three greens 2*(20+50+11)/6 = 27 and three reds
  // (10+30+90)/3 = 43.
  EXPECT_EQ(p.At(1, 2)[1], 27);
  EXPECT_EQ(p.At(1, 2)[0], 43);
}

TEST(DemosaicRows, SixBySixBlendsTheCentreWithWeight16) {
  Mosaic m(3, 3);
  m.Set(1, 1, 0, 100);
  m.Set(0, 1, 0, 40);
  m.Set(2, 2, 0, 70);
  const Planes p = Demosaic(m, kPattern6x6);
  EXPECT_EQ(p.At(1, 1)[0], 92);  // (16*100 + 2*40 + 70) / 19 = 92.1
  EXPECT_EQ(p.At(0, 2)[0], 60);  // (0,0): (2*40 + 100) / 3
  EXPECT_EQ(p.At(2, 2)[0], 100); // (2,0): only the corner (1,1)
  EXPECT_EQ(p.At(1, 1)[1], 0);   // no green anywhere
}

TEST(DemosaicRows, FullColourRecordsAreCopiedBottomRowFirst) {
  Mosaic m(2, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 2; ++x) {
      for (int c = 0; c < 3; ++c) m.Set(x, y, c, static_cast<uint16_t>(x * 1000 + y * 10 + c));
    }
  }
  const Planes p = Demosaic(m, kPatternNone);
  EXPECT_EQ(p.At(1, 0), (std::vector<int>{1020, 1021, 1022}));  // mosaic (1, 2)
  EXPECT_EQ(p.At(0, 2), (std::vector<int>{0, 1, 2}));           // mosaic (0, 0)
}

TEST(DemosaicRows, BandsTogetherEqualOneCall) {
  const Mosaic m = SmallBayer();
  const Planes whole = Demosaic(m, kPattern2x2);
  Planes parts(4, 4);
  DemosaicRows(m.rec.data(), 4, 4, kPattern2x2, 2, 4, parts.r.data(), parts.g.data(), parts.b.data());
  DemosaicRows(m.rec.data(), 4, 4, kPattern2x2, 0, 2, parts.r.data(), parts.g.data(), parts.b.data());
  EXPECT_EQ(whole.r, parts.r);
  EXPECT_EQ(whole.g, parts.g);
  EXPECT_EQ(whole.b, parts.b);
}

// Planes whose luminance ((R+G+B)/3) >> 2 is `l`: every channel 4 * l.
Planes LumaPlanes(int w, int h, const std::vector<int>& l) {
  Planes p(w, h);
  for (size_t i = 0; i < l.size(); ++i) {
    p.r[i] = p.g[i] = p.b[i] = static_cast<uint16_t>(4 * l[i]);
  }
  return p;
}

struct Luma {
  std::vector<uint16_t> t1, t2;
};

Luma RunLuma(const Planes& p, int sharpness, int radius) {
  Luma out{std::vector<uint16_t>(p.r.size()), std::vector<uint16_t>(p.r.size())};
  LuminanceStage(p.r.data(), p.g.data(), p.b.data(), p.w, p.h, sharpness, radius, out.t1.data(), out.t2.data());
  return out;
}

// L = 10 20 30 / 40 50 60 / 70 80 90 (index row * 3 + x).
// T1, the cross mean: interior (50+20+80+40+60)/5 = 50; edges
// (20+10+30+50)>>2 = 27, (40+10+70+50)>>2 = 42, (60+30+90+50)>>2 = 57,
// (80+70+90+50)>>2 = 72; corners (10+20+40)/3 = 23, (30+20+60)/3 = 36,
// (70+40+80)/3 = 63, (90+60+80)/3 = 76.
TEST(LuminanceStage, CrossMeanWithBorderRulesAndSharpening) {
  const Planes p = LumaPlanes(3, 3, {10, 20, 30, 40, 50, 60, 70, 80, 90});
  const Luma none = RunLuma(p, 0, 0);
  EXPECT_EQ(none.t1, (std::vector<uint16_t>{23, 27, 36, 42, 50, 57, 63, 72, 76}));
  EXPECT_EQ(none.t2, none.t1);  // sharpness 0 keeps the ratio at 1

  // Sharpness 4: N = 16.
  const Luma four = RunLuma(p, 4, 0);
  // centre: u = (23+27+36+42+57+63+72+76) >> 3 = 49, d = 1: (49+50)/2 = 49.
  EXPECT_EQ(four.t2[4], 49);
  // (0,0): u = (27+42+50)/3 = 39, d = -16 <= -N: 23 + 0 = 23.
  EXPECT_EQ(four.t2[0], 23);
  // (1,0): u = (23+36+42+50+57)/5 = 41, d = -14: (41+27)/2 = 34.
  EXPECT_EQ(four.t2[1], 34);
  // (2,2): u = (50+57+72)/3 = 59, d = 17 >= N: 76 + (1*4)/2 = 78.
  EXPECT_EQ(four.t2[8], 78);

  // Sharpness 8: N = 0, every pixel v + 4d; negative results clamp to 0.
  const Luma eight = RunLuma(p, 8, 0);
  EXPECT_EQ(eight.t2[4], 54);  // 50 + 4
  EXPECT_EQ(eight.t2[0], 0);   // 23 - 64
}

TEST(LuminanceStage, NegativeSharpeningTruncatesTowardZero) {
  // 5 x 5 of L = 290 with a black centre. T1 at the centre and its cross
  // neighbours is (4*290)/5 = 232, at the diagonal neighbours 290; the ring
  // mean is (4*232 + 4*290) >> 3 = 261, so d = -29. Sharpness 1: N = 28,
  // 232 + ((-29+28) * 1) / 2 = 232 + 0 (a floor would give 231).
  std::vector<int> l(25, 290);
  l[12] = 0;
  const Luma out = RunLuma(LumaPlanes(5, 5, l), 1, 0);
  EXPECT_EQ(out.t1[12], 232);
  EXPECT_EQ(out.t2[12], 232);
}

TEST(LuminanceStage, ClampsAtTheTopOfTheRange) {
  // Flat 16383 with a 0 dip at the centre: around it the sharpening lifts
  // above 16383 and must stop there.
  std::vector<int> l(25, 16383);
  l[12] = 0;
  const Luma out = RunLuma(LumaPlanes(5, 5, l), 8, 1);
  for (uint16_t v : out.t2) EXPECT_LE(v, 16383);
  EXPECT_EQ(out.t2[6], 16383);  // (1,1): T1 16383 over a ring that the dip lowers
}

TEST(LuminanceStage, OnePixelWideAndOnePixelImages) {
  // 1 x 3 column, L 30 60 90: the ends have one neighbour, (30+60)/2 = 45
  // and (90+60)/2 = 75; the middle two, (60+30+90)/3 = 60.
  const Luma col = RunLuma(LumaPlanes(1, 3, {30, 60, 90}), 0, 0);
  EXPECT_EQ(col.t1, (std::vector<uint16_t>{45, 60, 75}));
  // 1 x 1: T1 is L itself; with no ring the sharpening leaves it.
  const Luma one = RunLuma(LumaPlanes(1, 1, {77}), 8, 1);
  EXPECT_EQ(one.t1[0], 77);
  EXPECT_EQ(one.t2[0], 77);
}

TEST(RingMean, CountsOnlyPointsInsideThePlane) {
  // Zeros but 120 at (1,2), which lies in every ring below: the mean is
  // 120 / count.
  std::vector<uint16_t> plane(36, 0);
  plane[2 * 6 + 1] = 120;
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 0, 0, 1), 17);  // corner, 7 points
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 1, 0, 1), 12);  // 10 points
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 2, 0, 1), 10);  // 12 points
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 1, 1, 1), 8);   // 14 points
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 2, 1, 1), 7);   // 17 points
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 2, 2, 1), 6);   // all 20
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 0, 1, 0), 24);  // edge, 5 points
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 0, 3, 0), 24);
  EXPECT_EQ(RingMean(plane.data(), 6, 6, 1, 1, 0), 15);  // 8 points
}

TEST(SaturationGain, PiecewiseRule) {
  EXPECT_EQ(SaturationGain(0, 0), 0);
  EXPECT_EQ(SaturationGain(0, 4), 60);
  EXPECT_EQ(SaturationGain(36, 3), 81);
  EXPECT_EQ(SaturationGain(-36, 3), 81);
  EXPECT_EQ(SaturationGain(60, 2), 90);    // 30 + 120 - 60
  EXPECT_EQ(SaturationGain(119, 0), 1);
  EXPECT_EQ(SaturationGain(120, 1), 15);   // 120 + 15 - 120
}

// One pixel through stage 4; f = 0.
std::vector<int> ColourOf(int r, int g, int b, uint16_t t1, uint16_t t2, int q, int h) {
  Image img = MakeFlatImage(1, 1, 0);
  img.r[0] = static_cast<uint16_t>(r);
  img.g[0] = static_cast<uint16_t>(g);
  img.b[0] = static_cast<uint16_t>(b);
  Plane scratch[3];
  ColourStage(img, &t1, &t2, 0, q, h, scratch);
  return {img.r[0], img.g[0], img.b[0]};
}

TEST(ColourStage, GainHueAndLuminanceRatio) {
  // A = 0, T2 = T1: unchanged.
  EXPECT_EQ(ColourOf(300, 200, 100, 100, 100, 0, 0), (std::vector<int>{300, 200, 100}));
  // T2 = 2 T1 doubles.
  EXPECT_EQ(ColourOf(300, 200, 100, 100, 200, 0, 0), (std::vector<int>{600, 400, 200}));
  // q = 4: A = 60, out = 2c - m with m = 200.
  EXPECT_EQ(ColourOf(300, 200, 100, 100, 100, 4, 0), (std::vector<int>{400, 200, 0}));
  // h = +12, A = 12: r' = (108*300 + 12*100)/120 = 280, g' = (108*200 +
  // 12*300)/120 = 210, b' = (108*100 + 12*200)/120 = 110, m = 200;
  // out 280 + 80*12/60 = 296, 210 + 10*12/60 = 212, 110 - 90*12/60 = 92.
  EXPECT_EQ(ColourOf(300, 200, 100, 100, 100, 0, 12), (std::vector<int>{296, 212, 92}));
  // h = -12: r' = (108*300 + 12*200)/120 = 290, g' = (108*200 + 12*100)/120
  // = 190, b' = (108*100 + 12*300)/120 = 120; 290 + 18, 190 - 2, 120 - 16.
  EXPECT_EQ(ColourOf(300, 200, 100, 100, 100, 0, -12), (std::vector<int>{308, 188, 104}));
  // (c - m) * A / 60 truncates toward zero. q = 1: A = 15, m = 600/3 = 200;
  // r 307 + 107*15/60 = 307 + 26; g 193 + (-105/60 = -1.75 -> -1);
  // b 100 - 25.
  EXPECT_EQ(ColourOf(307, 193, 100, 100, 100, 1, 0), (std::vector<int>{333, 192, 75}));
  // Smoothed luminance 0: black whatever the colour.
  EXPECT_EQ(ColourOf(300, 200, 100, 0, 500, 4, 12), (std::vector<int>{0, 0, 0}));
}

TEST(ColourStage, WideIntermediateProduct) {
  // 50000 * 50000 = 2.5e9 does not fit 32 bits; / 40000 = 62500.
  EXPECT_EQ(ColourOf(50000, 50000, 50000, 40000, 50000, 0, 0), (std::vector<int>{62500, 62500, 62500}));
  // r: (65535 - 21845) * 60 / 60 + 65535 = 109225, * 60000 / 1000 clamps;
  // g and b: -21845 * 60 clamps to 0.
  EXPECT_EQ(ColourOf(65535, 0, 0, 1000, 60000, 4, 0), (std::vector<int>{65535, 0, 0}));
}

TEST(ColourStage, FalseColourSmoothsFromTheOriginalPlanes) {
  // 3 x 3 grey of 90 with a centre of 30, f = 2, A = 0, T2 = T1:
  // centre ((2*720)/8 + 30)/3 = 70; corner ((2*210)/3 + 90)/3 = 76;
  // edge ((2*390)/5 + 90)/3 = 82.
  Image img = MakeFlatImage(3, 3, 90);
  for (int c = 0; c < 3; ++c) img.Channel(c)[4] = 30;
  const uint16_t* old_r = img.r.get();
  std::vector<uint16_t> t(9, 100);
  Plane scratch[3] = {NewPlane(9, false), NewPlane(9, false), NewPlane(9, false)};
  ColourStage(img, t.data(), t.data(), 2, 0, 0, scratch);
  EXPECT_NE(img.r.get(), old_r);  // new planes replaced the old ones
  for (int c = 0; c < 3; ++c) {
    const uint16_t* p = img.Channel(c);
    EXPECT_EQ(p[4], 70);
    EXPECT_EQ(p[0], 76);
    EXPECT_EQ(p[8], 76);
    EXPECT_EQ(p[1], 82);
    EXPECT_EQ(p[5], 82);
  }
}

// Stage 4 written out plainly with 64-bit arithmetic throughout, every
// neighbour found by testing the bounds.
std::vector<uint16_t> ReferenceColour(const Image& in, const std::vector<uint16_t>& t1,
                                      const std::vector<uint16_t>& t2, int f, int q, int h) {
  const int w = in.width, ht = in.height;
  const int64_t a = (h < 0 ? -h : h) + 15 * q;
  std::vector<uint16_t> out(static_cast<size_t>(w) * ht * 3);
  for (int y = 0; y < ht; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      int64_t src[3];
      for (int c = 0; c < 3; ++c) {
        src[c] = in.Channel(c)[i];
        int64_t sum = 0, n = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            if ((dx == 0 && dy == 0) || x + dx < 0 || y + dy < 0 || x + dx >= w || y + dy >= ht) continue;
            sum += in.Channel(c)[i + dy * w + dx];
            ++n;
          }
        }
        if (f > 0 && n > 0) src[c] = ((f * sum) / n + src[c]) / (f + 1);
      }
      int64_t rot[3] = {src[0], src[1], src[2]};
      if (h > 0) {
        rot[0] = ((120 - h) * src[0] + h * src[2]) / 120;
        rot[1] = ((120 - h) * src[1] + h * src[0]) / 120;
        rot[2] = ((120 - h) * src[2] + h * src[1]) / 120;
      } else if (h < 0) {
        rot[0] = ((120 + h) * src[0] - h * src[1]) / 120;
        rot[1] = ((120 + h) * src[1] - h * src[2]) / 120;
        rot[2] = ((120 + h) * src[2] - h * src[0]) / 120;
      }
      const int64_t m = (rot[0] + rot[1] + rot[2]) / 3;
      for (int c = 0; c < 3; ++c) {
        int64_t v = 0;
        if (t1[i] != 0) v = ((((rot[c] - m) * a) / 60 + rot[c]) * t2[i]) / t1[i];
        out[i * 3 + c] = static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v);
      }
    }
  }
  return out;
}

TEST(ColourStage, AgreesWithAPlainReferenceOnNoise) {
  const int w = 23, h = 17;
  uint32_t s = 99;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
  };
  const int settings[][3] = {{0, 0, 0}, {2, 3, 0}, {4, 4, 36}, {1, 2, -36}, {3, 0, 12}, {-2, 1, -7}};
  for (const auto& st : settings) {
    SCOPED_TRACE(st[0] * 100 + st[1] * 10 + st[2]);
    Image img = MakeFlatImage(w, h, 0);
    std::vector<uint16_t> t1(w * h), t2(w * h);
    for (int i = 0; i < w * h; ++i) {
      for (int c = 0; c < 3; ++c) img.Channel(c)[i] = static_cast<uint16_t>(next() % 65536);
      t1[i] = static_cast<uint16_t>(next() % 20 == 0 ? 0 : 1 + next() % 16383);
      t2[i] = static_cast<uint16_t>(next() % 16384);
    }
    const std::vector<uint16_t> expected = ReferenceColour(img, t1, t2, st[0], st[1], st[2]);
    Plane scratch[3] = {NewPlane(w * h, false), NewPlane(w * h, false), NewPlane(w * h, false)};
    ColourStage(img, t1.data(), t2.data(), st[0], st[1], st[2], scratch);
    for (int i = 0; i < w * h; ++i) {
      for (int c = 0; c < 3; ++c) ASSERT_EQ(img.Channel(c)[i], expected[i * 3 + c]) << i << " " << c;
    }
  }
}

TEST(ClampFastParams, BringsValuesIntoRange) {
  FastDevelopParams p;
  p.gamma[0] = 0.5;
  p.gamma[1] = 9.0;
  p.gamma[2] = std::nan("");
  p.black[0] = -3;
  p.white[1] = 300;
  p.white[2] = 10;
  p.sharpness = 12;
  p.radius = 5;
  p.false_colour = -1;
  p.saturation = 7;
  p.hue_shift = -90;
  const FastDevelopParams c = ClampFastParams(p);
  EXPECT_EQ(c.gamma[0], 1.0);
  EXPECT_EQ(c.gamma[1], 4.0);
  EXPECT_EQ(c.gamma[2], 2.2);
  EXPECT_EQ(c.black[0], 0);
  EXPECT_EQ(c.white[1], 255);
  EXPECT_EQ(c.white[2], 128);
  EXPECT_EQ(c.sharpness, 8);
  EXPECT_EQ(c.radius, 1);
  EXPECT_EQ(c.false_colour, 0);
  EXPECT_EQ(c.saturation, 4);
  EXPECT_EQ(c.hue_shift, -36);
}

Mosaic NoiseBayer(int w, int h, uint32_t seed) {
  Mosaic m(w, h);
  uint32_t s = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      const int colour = (y % 2 == 0) ? (x % 2 == 0 ? 0 : 1) : (x % 2 == 0 ? 1 : 2);
      m.Set(x, y, colour, static_cast<uint16_t>((s >> 12) % 60000));
    }
  }
  return m;
}

Image DevelopWithThreads(const Mosaic& source, int threads, const FastDevelopParams& params) {
  Mosaic m = source;
  Image img;
  EXPECT_TRUE(AllocateImagePlanes(img, m.w, m.h, true));
  const int before = omp_get_max_threads();
  omp_set_num_threads(threads);
  EXPECT_TRUE(FastDevelop(m.rec.data(), m.w, m.h, kPattern2x2, params, img));
  omp_set_num_threads(before);
  return img;
}

TEST(FastDevelop, SameResultOnOneOrFourThreadsAndAsStageByStage) {
  // Large enough for the bands to run on worker threads.
  const int w = 601, h = 451;
  const Mosaic m = NoiseBayer(w, h, 11);
  FastDevelopParams params;  // defaults: sharpening and false-colour on
  params.hue_shift = 8;
  const Image one = DevelopWithThreads(m, 1, params);
  const Image four = DevelopWithThreads(m, 4, params);
  EXPECT_TRUE(SamePlanes(one, four));

  // The same stages run by hand over the whole image, no bands.
  Mosaic copy = m;
  std::vector<uint16_t> tables[3];
  for (int c = 0; c < 3; ++c) tables[c] = Table(params.black[c], params.white[c], params.gamma[c]);
  const uint16_t* const ptrs[3] = {tables[0].data(), tables[1].data(), tables[2].data()};
  ToneMosaicRows(copy.rec.data(), w, 0, h, ptrs);
  Image manual;
  ASSERT_TRUE(AllocateImagePlanes(manual, w, h, true));
  DemosaicRows(copy.rec.data(), w, h, kPattern2x2, 0, h, manual.r.get(), manual.g.get(), manual.b.get());
  std::vector<uint16_t> t1(w * h), t2(w * h);
  LuminanceStage(manual.r.get(), manual.g.get(), manual.b.get(), w, h, params.sharpness, params.radius,
                 t1.data(), t2.data());
  Plane scratch[3] = {NewPlane(w * h, false), NewPlane(w * h, false), NewPlane(w * h, false)};
  ColourStage(manual, t1.data(), t2.data(), params.false_colour, params.saturation, params.hue_shift, scratch);
  EXPECT_TRUE(SamePlanes(one, manual));
}

TEST(FastDevelop, RefusesATargetOfAnotherSize) {
  Mosaic m = NoiseBayer(8, 6, 1);
  Image img = MakeFlatImage(8, 5, 7);
  EXPECT_FALSE(FastDevelop(m.rec.data(), 8, 6, kPattern2x2, FastDevelopParams{}, img));
  EXPECT_EQ(img.r[0], 7);
}

}  // namespace
}  // namespace tavo
