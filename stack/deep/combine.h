// SPDX-License-Identifier: MIT
// stack/deep/combine.h - one pixel of a stack: the values several frames
// hold at the same place, combined by a rule that first rejects outliers
// (cosmic rays, satellite trails, hot pixels) and then averages what is
// left with the frames' weights.
#pragma once
#include <utility>
#include <vector>

namespace tavo {

enum StackReject {
  kRejectNone = 0,    // weighted mean of every value
  kRejectMedian = 1,  // median (weights not used, nothing counted as rejected)
  kRejectSigma = 2,   // kappa-sigma clipping
  kRejectWinsor = 3,  // winsorized sigma clipping
  kRejectLinear = 4,  // linear-fit clipping
  kRejectMinMax = 5,  // the lowest and highest values dropped
};

struct CombineRule {
  int reject = kRejectSigma;
  // Sigma rules: multiples of the spread below and above the centre.
  // Min/max: how many values are dropped at each end (truncated).
  double kappa_low = 3.0, kappa_high = 3.0;
};

struct StackSample {
  float value;
  float weight;  // > 0
};

// Combines the n samples (finite values) and reorders them. *low and *high
// receive how many values were rejected below and above. Rules:
// - sigma: centre = median, spread = sample standard deviation of the kept
//   values; values below centre - kappa_low x spread or above centre +
//   kappa_high x spread are rejected; repeated until nothing changes or
//   fewer than 3 values are left.
// - winsor: as sigma, but the spread is that of the kept values clamped to
//   centre +- 1.5 spread, times 1.134, iterated until it changes by less
//   than 0.05 % (at most 10 times); a lone outlier cannot hide itself by
//   inflating the spread.
// - linear: the kept values sorted ascending are fitted by a straight line
//   over their rank (least squares); spread = mean absolute residual;
//   residuals below -kappa_low x spread or above kappa_high x spread are
//   rejected; repeated as above.
// - minmax: the floor(kappa_low) lowest and floor(kappa_high) highest
//   values are dropped, always keeping at least one.
// The result is the weighted mean of the kept values (the median for
// kRejectMedian; unknown rules act as kRejectNone). n = 0 gives NaN.
float CombinePixelStack(const CombineRule& rule, StackSample* samples, int n, int* low, int* high);

// The same for samples already sorted by value (ties in any order).
float CombineSorted(const CombineRule& rule, StackSample* samples, int n, int* low, int* high);

// Stacks of kLanes neighbouring pixels are sorted side by side, the same
// comparisons running on all lanes at once.
constexpr int kLanes = 8;

// Sorts each lane of `size` rows (row k holds values[k * kLanes + lane])
// ascending, weights travelling with their values; `size` is a power of
// two. NaN must have been replaced (by +infinity, which sorts last).
void SortLanes(float* values, float* weights, int size);

// The compare-exchange pairs that sort `size` (a power of two) values.
const std::vector<std::pair<int, int>>& SortingNetwork(int size);

}  // namespace tavo
