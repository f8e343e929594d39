// SPDX-License-Identifier: MIT
// Every tone and colour pass gives the same planes with one thread and
// with two.
#include <gtest/gtest.h>
#include <omp.h>

#include <functional>

#include "tests/test_images.h"
#include "tone/black_white.h"
#include "tone/color_change.h"
#include "tone/levels.h"
#include "tone/saturation_hue.h"
#include "tone/tone_correction.h"

namespace tavo {
namespace {

TEST(ToneThreads, OneAndTwoThreadsAgree) {
  LevelParams levels;
  levels.table = 1;
  levels.windows[2] = {20, 200, -30, 10, 150, 16, 240};
  const std::function<void(Image&)> passes[] = {
      [&](Image& img) { ApplyLevels(img, levels); },
      [](Image& img) { ApplyToneCorrection(img, {60}); },
      [](Image& img) { ApplyBlackWhite(img, {kGreyManual, 3, 5, 7}); },
      [](Image& img) { ApplySaturationHue(img, {40, -75}); },
      [](Image& img) { ApplyColorChangeRgb(img, {128, 128, 128, 20, 40, 60, 50}); },
      [](Image& img) { ApplyColorChangeHsv(img, {300, 128, 128, 40, 90, 200, 200}); },
  };
  // 410 x 300 pixels: more than the level table threshold and a partial
  // last run of 1024 pixels.
  for (size_t i = 0; i < std::size(passes); ++i) {
    Image one = MakeNoiseImage(410, 300, 11), two = MakeNoiseImage(410, 300, 11);
    omp_set_num_threads(1);
    passes[i](one);
    omp_set_num_threads(2);
    passes[i](two);
    EXPECT_TRUE(SamePlanes(one, two)) << "pass " << i;
  }
}

}  // namespace
}  // namespace tavo
