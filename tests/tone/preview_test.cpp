// SPDX-License-Identifier: MIT
#include "tone/preview.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(Preview, SamplesEveryStepFromZero) {
  // 130 x 201: steps 130 / 100 + 1 = 2 and 201 / 100 + 1 = 3, so 65 x 67
  // samples; sample (64, 66) is pixel (128, 198).
  Image img = MakeNoiseImage(130, 201, 4);
  Image sample;
  ASSERT_TRUE(SamplePreviewPixels(img, sample));
  EXPECT_EQ(sample.width, 65);
  EXPECT_EQ(sample.height, 67);
  EXPECT_EQ(Sample(sample.g.get(), sample, 64, 66), Sample(img.g.get(), img, 128, 198));
  EXPECT_EQ(Sample(sample.b.get(), sample, 1, 2), Sample(img.b.get(), img, 2, 6));
  Image empty;
  EXPECT_FALSE(SamplePreviewPixels(empty, sample));
}

TEST(Preview, MonochromeSampleRepeatsR) {
  Image img = MakeFlatImage(2, 1, 512);
  img.g[1] = 65535;  // stale
  img.monochrome = 1;
  Image sample;
  ASSERT_TRUE(SamplePreviewPixels(img, sample));
  EXPECT_EQ(sample.monochrome, 1);
  EXPECT_EQ(sample.g[1], 512);
  const PreviewHistogram hist = HistogramOfAll(img);
  EXPECT_EQ(hist.g[2], 2u);
  EXPECT_EQ(hist.g[255], 0u);
  EXPECT_EQ(hist.peak, 2u);
}

}  // namespace
}  // namespace tavo
