// SPDX-License-Identifier: MIT
// tone/black_white.h - one grey value per pixel, written to R, G and B.
#pragma once

#include "core/image.h"
#include "core/status.h"

namespace tavo {

constexpr int kGreyMaximum = 0;   // "RGB最大値"
constexpr int kGreyMinimum = 1;   // "RGB最小値"
constexpr int kGreyStandard = 2;  // "標準輝度": the weights 299, 587, 114
constexpr int kGreyManual = 3;    // "マニュアル輝度": the weights as typed

constexpr int kGreyWeightMax = 65535;

struct BlackWhiteParams {
  int mode = kGreyStandard;  // any value but 0 and 1 weighs the channels
  int weight_r = 299;        // each 0..kGreyWeightMax (clamped)
  int weight_g = 587;
  int weight_b = 114;
};

// The grey of one pixel.
// Mode 0: R if G < R and B < R; else G if R < G and B < G; else B (so a
//   tie for the largest gives B: 1000, 1000, 500 -> 500).
// Mode 1: R if R < G and R < B; else G if G < R and G < B; else B.
// Other modes: ((R / 8) wR + (G / 8) wG + (B / 8) wB) / max(wR + wG + wB, 1)
//   x 8, integer division: always a multiple of 8, 0 when all weights are 0.
int GreyOf(int r, int g, int b, const BlackWhiteParams& params);

// Every pixel becomes its grey in all three planes and the monochrome flag
// is set. A monochrome image is first read as R in all three channels.
// Empty image: kOpNothingToDo.
OpStatus ApplyBlackWhite(Image& image, const BlackWhiteParams& params);

}  // namespace tavo
