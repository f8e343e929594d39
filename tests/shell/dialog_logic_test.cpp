// SPDX-License-Identifier: MIT
// The Qt-free logic of the dialogs: image lists, edits, scroll bars, the
// gamma graph and preview, the composite and background OK rules.
#include "shell/dialog_logic.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "shell/ops/background_quad_op.h"
#include "shell/ops/composite_op.h"
#include "shell/ops/gamma_op.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(ImageList, EntriesTextsAndSelection) {
  auto slots = std::make_unique<SlotTable>();
  InitSlots(*slots);
  (*slots)[0] = MakeFlatImage(2, 2, 1);
  SetImageName((*slots)[0], "/tmp/a.ppm");
  (*slots)[3] = MakeFlatImage(2, 2, 1);
  (*slots)[12] = MakeFlatImage(2, 2, 1);
  SetImageName((*slots)[12], "b%d.ppm");  // printf signs in a name are text
  const std::vector<std::string> entries = ImageListEntries(*slots);
  EXPECT_EQ(entries, (std::vector<std::string>{"", "00(/tmp/a.ppm)", "03()", "12(b%d.ppm)"}));
  const int index_of[][2] = {{3, 2}, {12, 3}, {5, 0}, {-1, 0}};
  for (const auto& k : index_of) EXPECT_EQ(ListIndexForSlot(entries, k[0]), k[1]) << k[0];
  const std::pair<const char*, int> slot_of[] = {{"07(x.ppm)", 7}, {"12(", 12}, {"99(a(3).ppm)", 99}, {"", -1},
                                                 {"(x)", -1}};
  for (const auto& [text, slot] : slot_of) EXPECT_EQ(SlotFromListText(text), slot) << text;
}

TEST(EditValue, SignedAndUnsigned) {
  const struct {
    const char* text;
    bool is_signed;
    int value;
  } cases[] = {{"42", false, 42},  {" 12abc", false, 12},         {"abc", false, 0},
               {"-5", true, -5},   {"-5", false, 0},             {"99999999999", false, INT_MAX},
               {"-99999999999", true, -INT_MAX}};
  for (const auto& c : cases) EXPECT_EQ(EditValue(c.text, c.is_signed), c.value) << c.text;
}

TEST(ScrollBars, WeightAndCurveSteps) {
  // {weight, action, thumb, result}: lines 1, pages 10, 0..100.
  const int weight[][4] = {{100, kScrollLineRight, 0, 100}, {0, kScrollLineLeft, 0, 0},
                           {50, kScrollLineLeft, 0, 49},    {95, kScrollPageRight, 0, 100},
                           {50, kScrollPageLeft, 0, 40},    {5, kScrollPageLeft, 0, 0},
                           {50, kScrollPageRight, 0, 60},   {50, kScrollTrack, 77, 77},
                           {150, kScrollLineLeft, 0, 99}};  // a typed 150 sits at 100 on the bar
  for (const auto& k : weight) EXPECT_EQ(WeightAfterScroll(k[0], k[1], k[2]), k[3]) << k[0] << " " << k[1];
  // The curve bar shows 1.00..3.00 as 0..200: lines 1, pages 20.
  const int curve[][4] = {{200, kScrollLineRight, 0, 201}, {200, kScrollLineLeft, 0, 199},
                          {290, kScrollPageRight, 0, 300}, {110, kScrollPageLeft, 0, 100},
                          {150, kScrollPageRight, 0, 170}, {100, kScrollTrack, 150, 250}};
  for (const auto& k : curve) EXPECT_EQ(CurveAfterScroll(k[0], k[1], k[2]), k[3]) << k[0] << " " << k[1];
  EXPECT_EQ(CurveBarPosition(250), 150);
  EXPECT_EQ(WeightBarPosition(150), 100);
}

TEST(CompositeDialog, EditsNoiseBoxesAndOk) {
  EXPECT_EQ(WeightFromText("150"), 150);  // the edit keeps what was typed
  const std::pair<const char*, int> ranges[] = {{"0", 1}, {"", 1}, {"25", 25}};
  for (const auto& [text, range] : ranges) EXPECT_EQ(CompareRangeFromText(text), range) << text;
  // {option, clicked box, result}: the checked box clears, the other takes over.
  const int clicks[][3] = {{1, 1, 0}, {1, 2, 2}, {0, 1, 1}, {2, 2, 0}};
  for (const auto& k : clicks) EXPECT_EQ(NoiseOptionAfterClick(k[0], k[1]), k[2]) << k[0] << k[1];
  CompositeSettings c;
  const std::string rows[4] = {"00(a)", "", "03(b)", ""};
  AcceptCompositeDialog(c, rows, 300, -3, 7);
  EXPECT_EQ(c.inputs[0], 0);
  EXPECT_EQ(c.inputs[1], -1);
  EXPECT_EQ(c.inputs[2], 3);
  EXPECT_EQ(c.noise_level, 255);
  EXPECT_EQ(c.shift_x, -3);
  EXPECT_EQ(c.shift_y, 7);
  AcceptCompositeDialog(c, rows, -4, 0, 0);
  EXPECT_EQ(c.noise_level, 0);
}

TEST(BackgroundDialog, LevelAndCurveTexts) {
  const std::pair<const char*, int> levels[] = {{"300", 255}, {"12", 12}, {"", 0}};
  for (const auto& [text, level] : levels) EXPECT_EQ(BackgroundLevelFromText(text), level) << text;
  const std::pair<const char*, int> curves[] = {
      {"2.5", 250}, {"2.05", 205}, {"2.567", 256}, {"3.5", 300},  // held at 3.00
      {"", 100},    {"2", 200},    {"2.", 200},    {"2.x5", 200},
      {"1a2.5", 250},  // "a" restarts the whole part
      {"0.9", 100}};
  for (const auto& [text, curve] : curves) EXPECT_EQ(CurveFromText(text), curve) << text;
  EXPECT_EQ(CurveText(300), "3.00");
  EXPECT_EQ(CurveText(205), "2.05");
}

// Levels go into 0..255 first; a centre not above its periphery becomes
// periphery + 1, or 255 over 254 at the top.
TEST(BackgroundDialog, OkRule) {
  const int cases[][2][6] = {
      {{100, 100, 0, 0, 300, 10}, {101, 100, 1, 0, 255, 10}},
      {{255, 255, 5, 9, -3, 400}, {255, 254, 10, 9, 255, 254}},
  };
  for (const auto& c : cases) {
    Back2Settings b;
    std::copy(c[0], c[0] + 6, b.levels);
    b.shift = 400;
    AcceptBackgroundDialog(b);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(b.levels[i], c[1][i]) << i;
    EXPECT_EQ(b.shift, 255);
  }
}

void SetRow(GammaSettings& g, int table, std::initializer_list<int> values) {
  std::copy(values.begin(), values.end(), g.rows[table]);
}

TEST(GammaGraph, PointsAreHitWithinFourPixelsInTheEditedTable) {
  GammaSettings g;  // (0, 0), (128, 128), (255, 255)
  const int hits[][3] = {{4, 4, 0},     {5, 0, -1},     {0, 5, -1},     {124, 132, 1},
                         {132, 123, -1}, {251, 251, 2}, {200, 200, -1}};
  for (const auto& k : hits) EXPECT_EQ(GammaPointAt(g, k[0], k[1]), k[2]) << k[0] << "," << k[1];
  SetRow(g, 2, {10, 20, 100, 50, 200, 250});
  EXPECT_EQ(GammaPointAt(g, 100, 50), -1);
  g.table = 2;
  EXPECT_EQ(GammaPointAt(g, 100, 50), 1);
  EXPECT_EQ(GammaPointAt(g, 128, 128), -1);
  g.table = 0;
  SetRow(g, 0, {0, 0, 3, 3, 255, 255});
  EXPECT_EQ(GammaPointAt(g, 2, 2), 1);  // 2 from point 0, 1 from point 1: the nearest wins
  EXPECT_EQ(GammaPointAt(g, 1, 1), 0);
}

TEST(GammaGraph, MovedPointsStayOnTheGraphAndBetweenTheirNeighbours) {
  GammaSettings g;
  g.table = 3;
  // {point, input, output, row after}: the row starts (50,0) (80,80) (200,255).
  const struct {
    int point, input, output;
    int row[6];
  } moves[] = {
      {1, 300, -5, {50, 0, 200, 0, 200, 255}},  {1, -3, 400, {50, 0, 50, 255, 200, 255}},
      {1, 80, 10, {50, 0, 80, 10, 200, 255}},   {0, 100, 7, {80, 7, 80, 80, 200, 255}},
      {0, -1, 7, {0, 7, 80, 80, 200, 255}},     {2, 10, 7, {50, 0, 80, 80, 80, 7}},
      {2, 300, 7, {50, 0, 80, 80, 255, 7}},     {3, 10, 10, {50, 0, 80, 80, 200, 255}},
      {-1, 10, 10, {50, 0, 80, 80, 200, 255}},
  };
  for (const auto& m : moves) {
    SetRow(g, 3, {50, 0, 80, 80, 200, 255});
    GammaMovePoint(g, m.point, m.input, m.output);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(g.rows[3][k], m.row[k]) << m.point << " " << m.input << " " << k;
  }
  for (int t = 0; t < 3; ++t) EXPECT_EQ(g.rows[t][2], 128);  // other tables untouched
  g.kind = 0;
  ResetGammaTables(g);
  const GammaSettings defaults;
  for (int t = 0; t < 4; ++t) {
    for (int k = 0; k < 6; ++k) EXPECT_EQ(g.rows[t][k], defaults.rows[t][k]);
  }
  EXPECT_EQ(g.kind, 0);  // not the kind or the table selector
  EXPECT_EQ(g.table, 3);
}

// A step: straight through (0,0) (128,0) (129,255) is 0 up to input 128 *
// 256 and 65280 at 129 * 256. A flat row (all outputs v) is v * 256 up to
// input 255 * 256.
TEST(GammaGraph, CurveSamplesFollowTheEditedTable) {
  GammaSettings g;
  g.kind = 0;
  SetRow(g, 0, {0, 0, 128, 0, 129, 255});
  SetRow(g, 2, {0, 20, 128, 20, 255, 20});
  uint16_t out[256];
  GammaCurveSamples(g, out);
  const int expected[][2] = {{0, 0}, {128, 0}, {129, 65280}};
  for (const auto& k : expected) EXPECT_EQ(out[k[0]], k[1]) << k[0];
  g.table = 2;
  GammaCurveSamples(g, out);
  EXPECT_EQ(out[0], 5120);
  EXPECT_EQ(out[255], 5120);
}

// R 1000 (below the step), G and B 60000 (above it). 101 columns are read
// every second one: 51; 99 x 2 every pixel: 198.
TEST(GammaGraph, PreviewSamplesMapsAndCountsPerChannel) {
  GammaSettings g;
  g.kind = 0;
  SetRow(g, 0, {0, 0, 128, 0, 129, 255});
  for (int t = 1; t < 4; ++t) SetRow(g, t, {0, t * 10, 128, t * 10, 255, t * 10});
  Image img = MakeFlatImage(101, 1, 60000);
  for (size_t i = 0; i < img.PixelCount(); ++i) img.r[i] = 1000;
  GammaPreview p;
  GammaPreviewHistogram(img, g, &p);
  EXPECT_EQ(p.r[0], 51u);
  EXPECT_EQ(p.g[255], 51u);
  EXPECT_EQ(p.b[255], 51u);
  EXPECT_EQ(p.peak, 51u);
  g.table = 1;  // per channel: the flat rows
  GammaPreviewHistogram(img, g, &p);
  EXPECT_EQ(p.r[10], 51u);
  EXPECT_EQ(p.g[20], 51u);
  EXPECT_EQ(p.b[30], 51u);
  g.table = 0;
  Image mono = MakeFlatImage(99, 2, 60000);
  for (size_t i = 0; i < mono.PixelCount(); ++i) mono.r[i] = 1000;
  mono.monochrome = 1;
  GammaPreviewHistogram(mono, g, &p);
  EXPECT_EQ(p.r[0], 198u);
  EXPECT_EQ(p.g[0], 198u);
  EXPECT_EQ(p.b[0], 198u);
  GammaPreviewHistogram(Image(), g, &p);
  EXPECT_EQ(p.peak, 0u);
  EXPECT_EQ(p.r[0], 0u);
}

}  // namespace
}  // namespace tavo
