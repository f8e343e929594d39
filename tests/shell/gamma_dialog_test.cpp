// SPDX-License-Identifier: MIT
#include "shell/ops/gamma_op.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

void SetRow(GammaSettings& g, int table, int i0, int o0, int i1, int o1, int i2, int o2) {
  const int v[6] = {i0, o0, i1, o1, i2, o2};
  for (int k = 0; k < 6; ++k) g.rows[table][k] = v[k];
}

TEST(GammaPointAt, WithinFourPixelsBothWays) {
  GammaSettings g;  // (0, 0), (128, 128), (255, 255)
  EXPECT_EQ(GammaPointAt(g, 4, 4), 0);
  EXPECT_EQ(GammaPointAt(g, 5, 0), -1);
  EXPECT_EQ(GammaPointAt(g, 0, 5), -1);
  EXPECT_EQ(GammaPointAt(g, 124, 132), 1);
  EXPECT_EQ(GammaPointAt(g, 132, 123), -1);
  EXPECT_EQ(GammaPointAt(g, 251, 251), 2);
  EXPECT_EQ(GammaPointAt(g, 200, 200), -1);
}

TEST(GammaPointAt, OnlyTheEditedTableCountsAndTheNearestWins) {
  GammaSettings g;
  SetRow(g, 2, 10, 20, 100, 50, 200, 250);
  EXPECT_EQ(GammaPointAt(g, 100, 50), -1);
  g.table = 2;
  EXPECT_EQ(GammaPointAt(g, 100, 50), 1);
  EXPECT_EQ(GammaPointAt(g, 128, 128), -1);
  g.table = 0;
  SetRow(g, 0, 0, 0, 3, 3, 255, 255);
  EXPECT_EQ(GammaPointAt(g, 2, 2), 1);  // 2 from point 0, 1 from point 1
  EXPECT_EQ(GammaPointAt(g, 1, 1), 0);
}

TEST(GammaMovePoint, ClampsToTheGraphAndBetweenNeighbours) {
  GammaSettings g;
  GammaMovePoint(g, 1, 300, -5);
  EXPECT_EQ(g.rows[0][2], 255);  // up to the last point's input
  EXPECT_EQ(g.rows[0][3], 0);
  GammaMovePoint(g, 1, -3, 400);
  EXPECT_EQ(g.rows[0][2], 0);
  EXPECT_EQ(g.rows[0][3], 255);
  SetRow(g, 0, 50, 0, 80, 80, 200, 255);
  GammaMovePoint(g, 1, 20, 10);
  EXPECT_EQ(g.rows[0][2], 50);
  GammaMovePoint(g, 1, 230, 10);
  EXPECT_EQ(g.rows[0][2], 200);
  GammaMovePoint(g, 1, 80, 10);
  GammaMovePoint(g, 0, 100, 7);
  EXPECT_EQ(g.rows[0][0], 80);
  EXPECT_EQ(g.rows[0][1], 7);
  GammaMovePoint(g, 0, -1, 7);
  EXPECT_EQ(g.rows[0][0], 0);
  GammaMovePoint(g, 2, 10, 7);
  EXPECT_EQ(g.rows[0][4], 80);
  GammaMovePoint(g, 2, 300, 7);
  EXPECT_EQ(g.rows[0][4], 255);
  GammaSettings before = g;
  GammaMovePoint(g, 3, 10, 10);
  GammaMovePoint(g, -1, 10, 10);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(g.rows[0][k], before.rows[0][k]);
}

TEST(GammaMovePoint, EditsOnlyTheSelectedTable) {
  GammaSettings g;
  g.table = 3;
  GammaMovePoint(g, 1, 100, 150);
  EXPECT_EQ(g.rows[3][2], 100);
  EXPECT_EQ(g.rows[3][3], 150);
  for (int t = 0; t < 3; ++t) EXPECT_EQ(g.rows[t][2], 128);
}

TEST(ResetGammaTables, AllFourTablesButNotTheKindOrSelector) {
  GammaSettings g;
  for (int t = 0; t < 4; ++t) SetRow(g, t, 1, 2, 3, 4, 5, 6);
  g.kind = 0;
  g.table = 2;
  ResetGammaTables(g);
  const int d[6] = {0, 0, 128, 128, 255, 255};
  for (int t = 0; t < 4; ++t) {
    for (int k = 0; k < 6; ++k) EXPECT_EQ(g.rows[t][k], d[k]);
  }
  EXPECT_EQ(g.kind, 0);
  EXPECT_EQ(g.table, 2);
}

TEST(GammaCurveSamples, DefaultStraightCurve) {
  GammaSettings g;
  g.kind = 0;
  uint16_t out[256];
  GammaCurveSamples(g, out);
  EXPECT_EQ(out[0], 0);        // below x0 = 1: the constant y0
  EXPECT_EQ(out[128], 32768);  // the middle point itself
  EXPECT_EQ(out[255], 65280);  // S4 is the constant y2
  // (16384 - 1) * 32768 / 32767 = 16383.49...: one unit low.
  EXPECT_EQ(out[64], 16383);
}

TEST(GammaCurveSamples, FollowsTheEditedTable) {
  GammaSettings g;
  g.kind = 0;
  SetRow(g, 1, 0, 0, 128, 255, 255, 255);
  uint16_t out[256];
  g.table = 1;
  GammaCurveSamples(g, out);
  EXPECT_EQ(out[128], 65280);  // S3 between (32768, 65280) and (65280, 65280)
  g.table = 0;
  GammaCurveSamples(g, out);
  EXPECT_EQ(out[128], 32768);
}

// 2688 = 10.5 * 256. Default straight curve: (2688 - 1) * 32768 / 32767 =
// 2687.08 -> 2687, bin 10. With the middle point (128, 255):
// 2687 * 65280 / 32767 = 5353.2 -> bin 20.
TEST(GammaPreview, SampledAndMappedPerChannel) {
  Image img = MakeFlatImage(101, 1, 2688);  // every second column: 51
  GammaSettings g;
  g.kind = 0;
  GammaPreview p;
  GammaPreviewHistogram(img, g, &p);
  EXPECT_EQ(p.r[10], 51u);
  EXPECT_EQ(p.g[10], 51u);
  EXPECT_EQ(p.b[10], 51u);
  EXPECT_EQ(p.peak, 51u);

  g.table = 1;  // per channel: G gets the steep table
  SetRow(g, 2, 0, 0, 128, 255, 255, 255);
  GammaPreviewHistogram(img, g, &p);
  EXPECT_EQ(p.r[10], 51u);
  EXPECT_EQ(p.g[20], 51u);
  EXPECT_EQ(p.g[10], 0u);
  EXPECT_EQ(p.b[10], 51u);
}

TEST(GammaPreview, MonochromeReadsRedOnlyAndSmallImagesEveryPixel) {
  Image img = MakeFlatImage(99, 2, 60000);
  for (size_t i = 0; i < img.PixelCount(); ++i) img.r[i] = 2688;
  img.monochrome = 1;
  GammaSettings g;
  g.kind = 0;
  GammaPreview p;
  GammaPreviewHistogram(img, g, &p);
  EXPECT_EQ(p.r[10], 198u);  // 99 x 2, step 1
  EXPECT_EQ(p.g[10], 198u);
  EXPECT_EQ(p.b[10], 198u);
  Image empty;
  GammaPreviewHistogram(empty, g, &p);
  EXPECT_EQ(p.peak, 0u);
  EXPECT_EQ(p.r[10], 0u);
}

}  // namespace
}  // namespace tavo
