// SPDX-License-Identifier: MIT
#include "raw/fast_develop.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>

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

TEST(BuildToneTable, HandWorkedPointsOnEachPiece) {
  const struct {
    int black, white;
    double gamma;
    std::vector<std::pair<int, int>> points;  // input, output
  } cases[] = {
      // x0 = 8 x 128 = 1024, x1 = 251 x 256 = 64256, shoulder slope 2048 / 1280 = 1.6. Toe v^2 / 1024: 0.00098, 256,
      // 400, 976.56, 1022.001; shoulder (v - 65536) 1.6 + 65536: 63488, 65534.4; cubic (by hand): 2936.66, 35492.017,
      // 63486.40.
      {0, 255, 1.0, {{0, 0}, {1, 0}, {512, 256}, {640, 400}, {1000, 976}, {1023, 1022}, {64256, 63488},
                     {65535, 65534}, {2000, 2936}, {32768, 35492}, {64255, 63486}}},
      // Gamma 2: k = 65535 / sqrt(65535) = 255.998: sqrt(256) k = 4095.97, sqrt(65534.4 x 65535) = 65534.7.
      {0, 255, 2.0, {{512, 4095}, {65535, 65534}}},
      // The defaults of R: x0 = 1664, x1 = 45056. 1024 x 100^2 / 1664^2 = 3.698 -> 767.97; toe end 9896.59; cubic
      // 47402.36; shoulder 64824.66.
      {5, 180, 2.2, {{100, 767}, {1664, 9896}, {20000, 47402}, {50000, 64824}}}};
  for (const auto& c : cases) {
    const std::vector<uint16_t> t = Table(c.black, c.white, c.gamma);
    for (const auto& [in, out] : c.points) EXPECT_EQ(t[in], out) << c.black << " " << c.gamma << ": " << in;
    for (int v = 1; v < 65536; ++v) ASSERT_LE(t[v - 1], t[v]) << "never falls: " << v;
  }
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
  const int values[16] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 11, 13, 17, 19, 23, 29, 31};
  Mosaic m(4, 4);
  for (int i = 0; i < 16; ++i) m.Set(i % 4, i / 4, i % 4 % 2 + i / 4 % 2, static_cast<uint16_t>(values[i]));
  return m;
}

Image Demosaic(const Mosaic& m, int pattern) {
  Image p = MakeFlatImage(m.w, m.h, 0);
  DemosaicRows(m.rec.data(), m.w, m.h, pattern, 0, m.h, p.r.get(), p.g.get(), p.b.get());
  return p;
}

TEST(DemosaicRows, MeansWithEdgeAndCornerWeights) {
  const Image p = Demosaic(SmallBayer(), kPattern2x2);
  // Row 3 - mosaic row. (1,1) blue 60: R from the corners (10+30+90+13)/4 = 35, G from the edges 37.
  EXPECT_EQ(PixelValues(p, 1, 2), Ints({35, 37, 60}));
  // (0,0) red 10, top-left corner: G 2*(20+50)/4 = 35, B from (1,1) = 60.
  EXPECT_EQ(PixelValues(p, 0, 3), Ints({10, 35, 60}));
  // (2,1) green 70: R 2*(30+13)/4 = 21, B 2*(60+80)/4 = 70.
  EXPECT_EQ(PixelValues(p, 2, 2), Ints({21, 70, 70}));
  // (3,3) blue 31, bottom-right corner: R from (2,2) = 13, G 2*(17+29)/4 = 23.
  EXPECT_EQ(PixelValues(p, 3, 0), Ints({13, 23, 31}));
  // (0,3) green 19, bottom-left corner: R from (0,2) = 90, B from (1,3) = 23.
  EXPECT_EQ(PixelValues(p, 0, 0), Ints({90, 19, 23}));
  // Zero samples count as absent: green 70 and red 13 gone. The green hole takes its diagonal greens (20+40+11+17)/4 =
  // 22, the red hole finds no red: 0; (1,1) sees three greens 2*(20+50+11)/6 = 27 and three reds (10+30+90)/3 = 43.
  Mosaic holes = SmallBayer();
  holes.Set(2, 1, 1, 0);
  holes.Set(2, 2, 0, 0);
  const Image q = Demosaic(holes, kPattern2x2);
  EXPECT_EQ(Ints({Sample(q.g.get(), q, 2, 2), Sample(q.r.get(), q, 2, 1), Sample(q.g.get(), q, 1, 2),
                  Sample(q.r.get(), q, 1, 2)}), Ints({22, 0, 27, 43}));
}

TEST(DemosaicRows, SixBySixAndFullColourRecords) {
  // 6 x 6: the centre weighs 16: (16*100 + 2*40 + 70) / 19 = 92.1; (0,0): (2*40 + 100) / 3; (2,0): the corner (1,1).
  Mosaic m(3, 3);
  m.Set(1, 1, 0, 100);
  m.Set(0, 1, 0, 40);
  m.Set(2, 2, 0, 70);
  const Image p = Demosaic(m, kPattern6x6);
  EXPECT_EQ(Ints({Sample(p.r.get(), p, 1, 1), Sample(p.r.get(), p, 0, 2), Sample(p.r.get(), p, 2, 2),
                  Sample(p.g.get(), p, 1, 1)}), Ints({92, 60, 100, 0}));
  // Full-colour records are copied, bottom row first.
  Mosaic full(2, 3);
  for (int i = 0; i < 6; ++i) {
    for (int c = 0; c < 3; ++c) full.Set(i % 2, i / 2, c, static_cast<uint16_t>(i % 2 * 1000 + i / 2 * 10 + c));
  }
  const Image f = Demosaic(full, kPatternNone);
  EXPECT_EQ(PixelValues(f, 1, 0), Ints({1020, 1021, 1022}));  // mosaic (1, 2)
  EXPECT_EQ(PixelValues(f, 0, 2), Ints({0, 1, 2}));           // mosaic (0, 0)
}

// Luminance ((R+G+B)/3) >> 2 of planes whose every channel is 4 l.
struct Luma { std::vector<uint16_t> t1, t2; };
Luma RunLuma(int w, int h, const std::vector<int>& l, int sharpness, int radius) {
  std::vector<uint16_t> p(l.size());
  for (size_t i = 0; i < l.size(); ++i) p[i] = static_cast<uint16_t>(4 * l[i]);
  Luma out{std::vector<uint16_t>(p.size()), std::vector<uint16_t>(p.size())};
  LuminanceStage(p.data(), p.data(), p.data(), w, h, sharpness, radius, out.t1.data(), out.t2.data());
  return out;
}

// L = 10 20 30 / 40 50 60 / 70 80 90 (index row * 3 + x). T1, the cross mean: interior (50+20+80+40+60)/5 = 50; edges
// (20+10+30+50)>>2 = 27, (40+10+70+50)>>2 = 42, (60+30+90+50)>>2 = 57, (80+70+90+50)>>2 = 72; corners (10+20+40)/3 =
// 23, (30+20+60)/3 = 36, (70+40+80)/3 = 63, (90+60+80)/3 = 76.
TEST(LuminanceStage, CrossMeanWithBorderRulesAndSharpening) {
  const std::vector<int> l = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  const Luma none = RunLuma(3, 3, l, 0, 0);
  EXPECT_EQ(none.t1, (std::vector<uint16_t>{23, 27, 36, 42, 50, 57, 63, 72, 76}));
  EXPECT_EQ(none.t2, none.t1);  // sharpness 0 keeps the ratio at 1
  // Sharpness 4: N = 16. Centre: u = (23+27+36+42+57+63+72+76) >> 3 = 49, d = 1: (49+50)/2 = 49. (0,0): u =
  // (27+42+50)/3 = 39, d = -16 <= -N: 23. (1,0): u = (23+36+42+50+57)/5 = 41, d = -14: (41+27)/2 = 34. (2,2): u =
  // (50+57+72)/3 = 59, d = 17 >= N: 76 + (1*4)/2 = 78.
  const Luma four = RunLuma(3, 3, l, 4, 0);
  EXPECT_EQ(Ints({four.t2[4], four.t2[0], four.t2[1], four.t2[8]}), Ints({49, 23, 34, 78}));
  // Sharpness 8: N = 0, every pixel v + 4d; negative results clamp to 0.
  const Luma eight = RunLuma(3, 3, l, 8, 0);
  EXPECT_EQ(eight.t2[4], 54);  // 50 + 4
  EXPECT_EQ(eight.t2[0], 0);   // 23 - 64
  // 5 x 5 of 290 with a black centre: T1 there and at its cross neighbours (4*290)/5 = 232, at the diagonal ones 290;
  // ring mean (4*232 + 4*290) >> 3 = 261, d = -29. Sharpness 1: N = 28, 232 + ((-29+28) * 1) / 2 = 232 (not 231).
  std::vector<int> dip(25, 290);
  dip[12] = 0;
  const Luma one = RunLuma(5, 5, dip, 1, 0);
  EXPECT_EQ(Ints({one.t1[12], one.t2[12]}), Ints({232, 232}));
  // 1 x 3, L 30 60 90: ends of one neighbour (30+60)/2, (90+60)/2; the middle 60. 1 x 1: T1 is L, unchanged.
  EXPECT_EQ(RunLuma(1, 3, {30, 60, 90}, 0, 0).t1, (std::vector<uint16_t>{45, 60, 75}));
  const Luma single = RunLuma(1, 1, {77}, 8, 1);
  EXPECT_EQ(Ints({single.t1[0], single.t2[0]}), Ints({77, 77}));
}

TEST(RingMean, CountsOnlyPointsInsideThePlane) {
  // Zeros but 120 at (1,2), which lies in every ring below: 120 / count. Radius 1: 7 points at the corner, then 10, 12,
  // 14, 17, all 20; radius 0: 5 on an edge, 8 inside.
  std::vector<uint16_t> plane(36, 0);
  plane[2 * 6 + 1] = 120;
  const int cases[][4] = {{0, 0, 1, 17}, {1, 0, 1, 12}, {2, 0, 1, 10}, {1, 1, 1, 8}, {2, 1, 1, 7},
                          {2, 2, 1, 6},  {0, 1, 0, 24}, {0, 3, 0, 24}, {1, 1, 0, 15}};
  for (const auto& c : cases) EXPECT_EQ(RingMean(plane.data(), 6, 6, c[0], c[1], c[2]), c[3]) << c[0] << "," << c[1];
}

TEST(SaturationGain, PiecewiseRule) {
  // |h| + 15q below 60; 15q + 120 - |h| from 60; |h| + 15q - 120 from 120.
  const int cases[][3] = {{0, 0, 0}, {0, 4, 60}, {36, 3, 81}, {-36, 3, 81}, {60, 2, 90}, {119, 0, 1}, {120, 1, 15}};
  for (const auto& c : cases) EXPECT_EQ(SaturationGain(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

// One pixel through stage 4 without false-colour smoothing.
std::vector<int> ColourOf(int r, int g, int b, uint16_t t1, uint16_t t2, int q, int h) {
  Image img = MakeFlatImage(1, 1, 0);
  img.r[0] = static_cast<uint16_t>(r), img.g[0] = static_cast<uint16_t>(g), img.b[0] = static_cast<uint16_t>(b);
  ColourStage(img, &t1, &t2, 0, q, h);
  return PixelValues(img, 0, 0);
}

TEST(ColourStage, GainHueAndLuminanceRatio) {
  const struct {
    int r, g, b, t1, t2, q, h;
    std::vector<int> want;
  } cases[] = {
      {300, 200, 100, 100, 100, 0, 0, {300, 200, 100}},  // A = 0, T2 = T1: unchanged
      {300, 200, 100, 100, 200, 0, 0, {600, 400, 200}},  // T2 = 2 T1 doubles
      {300, 200, 100, 100, 100, 4, 0, {400, 200, 0}},    // q = 4: A = 60, 2c - m, m = 200
      // h = +12, A = 12: r' = (108*300 + 12*100)/120 = 280, g' = 210, b' = 110, m = 200: 280 + 16, 210 + 2, 110 - 18.
      {300, 200, 100, 100, 100, 0, 12, {296, 212, 92}},
      // h = -12: r' = (108*300 + 12*200)/120 = 290, g' = 190, b' = 120; 290 + 18, 190 - 2, 120 - 16.
      {300, 200, 100, 100, 100, 0, -12, {308, 188, 104}},
      // (c - m) A / 60 truncates toward zero. q = 1: A = 15, m = 200: 307 + 107*15/60 = 333; 193 - 1 (-1.75); 100 - 25.
      {307, 193, 100, 100, 100, 1, 0, {333, 192, 75}},
      {300, 200, 100, 0, 500, 4, 12, {0, 0, 0}}};  // smoothed luminance 0: black
  for (const auto& c : cases) {
    EXPECT_EQ(ColourOf(c.r, c.g, c.b, static_cast<uint16_t>(c.t1), static_cast<uint16_t>(c.t2), c.q, c.h), c.want)
        << c.r << " " << c.t1 << " " << c.q << " " << c.h;
  }
  // Grey rows (A = 0, c = m) give c t2 / t1 truncated and clamped; eight pixels at a time plus a ninth. c, t1, t2:
  // whole 21845 * 3 = 65535; 100 / 3 = 33.3; 40000 * 2 = 80000 clamps; t1 = 0 black; 65535 * 16383 (above 2^31)
  // clamps; 65535 * 16383 / 16383 whole; 30000 * 16383 / 16382 = 30001.8; 4088 * 41 / 41 whole (in floats 4087.9998);
  // the ninth 9 * 7 / 2 = 31.5.
  const int grey[9][3] = {{21845, 1, 3},     {100, 3, 1},         {40000, 5, 10},   {500, 0, 9},  {65535, 1, 16383},
                          {65535, 16383, 16383}, {30000, 16382, 16383}, {4088, 41, 41}, {9, 2, 7}};
  Image row = MakeFlatImage(9, 1, 0);
  std::vector<uint16_t> t1s(9), t2s(9);
  for (int i = 0; i < 9; ++i) {
    for (int c = 0; c < 3; ++c) row.Channel(c)[i] = static_cast<uint16_t>(grey[i][0]);
    t1s[i] = static_cast<uint16_t>(grey[i][1]), t2s[i] = static_cast<uint16_t>(grey[i][2]);
  }
  ColourStage(row, t1s.data(), t2s.data(), 0, 0, 0);
  EXPECT_EQ(PlaneValues(row.g.get(), row), Ints({65535, 33, 65535, 0, 65535, 65535, 30001, 4088, 31}));
  // False colour f = 2 smooths from the planes as they were, in place: 3 x 3 grey of 90 with a centre of 30:
  // centre ((2*720)/8 + 30)/3 = 70; corner ((2*210)/3 + 90)/3 = 76; edge ((2*390)/5 + 90)/3 = 82.
  Image img = MakeFlatImage(3, 3, 90);
  for (int c = 0; c < 3; ++c) img.Channel(c)[4] = 30;
  const uint16_t* old_r = img.r.get();
  std::vector<uint16_t> t(9, 100);
  ColourStage(img, t.data(), t.data(), 2, 0, 0);
  EXPECT_EQ(img.r.get(), old_r);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(PlaneValues(img.Channel(c), img), Ints({76, 82, 76, 82, 70, 82, 76, 82, 76})) << c;
  }
  // A single pixel has no neighbours to smooth with: unchanged.
  Image one = MakeFlatImage(1, 1, 500);
  ColourStage(one, t.data(), t.data(), 2, 0, 0);
  EXPECT_EQ(PixelValues(one, 0, 0), Ints({500, 500, 500}));
}

Mosaic NoiseBayer(int w, int h, uint32_t seed) {
  Mosaic m(w, h);
  uint32_t s = seed;
  for (int i = 0; i < w * h; ++i) {
    const int x = i % w, y = i / w;
    s = s * 1664525u + 1013904223u;
    m.Set(x, y, x % 2 + y % 2, static_cast<uint16_t>((s >> 12) % 60000));  // RGGB
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

TEST(FastDevelop, SameResultOnOneTwoOrThreeThreads) {
  // Large enough for every stage to run on worker threads.
  const int w = 601, h = 451;
  const Mosaic m = NoiseBayer(w, h, 11);
  FastDevelopParams sharp_false_colour, wide_ring_in_place, no_sharpening;
  sharp_false_colour.hue_shift = 8;  // defaults otherwise
  wide_ring_in_place.radius = 1, wide_ring_in_place.false_colour = 0, wide_ring_in_place.hue_shift = -10;
  no_sharpening.sharpness = 0;
  for (const FastDevelopParams& params : {sharp_false_colour, wide_ring_in_place, no_sharpening}) {
    const Image one = DevelopWithThreads(m, 1, params);
    for (int threads : {2, 3}) EXPECT_TRUE(SamePlanes(one, DevelopWithThreads(m, threads, params))) << threads;
  }
}

TEST(FastDevelop, ValuesOutOfRangeActAsTheirLimitsAndOtherSizesAreRefused) {
  const Mosaic m = NoiseBayer(12, 10, 3);
  FastDevelopParams wild, limits;
  wild.gamma[0] = std::nan(""), wild.gamma[1] = 0.5, wild.gamma[2] = 9.0;
  limits.gamma[0] = 2.2, limits.gamma[1] = 1.0, limits.gamma[2] = 4.0;
  wild.black[0] = -3, wild.black[1] = 40, wild.white[1] = 300, wild.white[2] = 10;
  limits.black[0] = 0, limits.black[1] = 32, limits.white[1] = 255, limits.white[2] = 128;
  wild.sharpness = 12, wild.radius = 5, wild.false_colour = -1, wild.saturation = 7, wild.hue_shift = -90;
  limits.sharpness = 8, limits.radius = 1, limits.false_colour = 0, limits.saturation = 4, limits.hue_shift = -36;
  EXPECT_TRUE(SamePlanes(DevelopWithThreads(m, 1, wild), DevelopWithThreads(m, 1, limits)));
  Mosaic copy = m;
  Image img = MakeFlatImage(12, 9, 7);
  EXPECT_FALSE(FastDevelop(copy.rec.data(), 12, 10, kPattern2x2, FastDevelopParams{}, img));
  EXPECT_EQ(img.r[0], 7);
}

}  // namespace
}  // namespace tavo
