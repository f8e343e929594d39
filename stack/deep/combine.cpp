// SPDX-License-Identifier: MIT
#include "stack/deep/combine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "filters/bands.h"

namespace tavo {
namespace {

constexpr auto ByValue = [](const StackSample& a, const StackSample& b) { return a.value < b.value; };

double Median(StackSample* s, int n) {
  const int half = n / 2;
  std::nth_element(s, s + half, s + n, ByValue);
  const double upper = s[half].value;
  if (n % 2 == 1) return upper;
  return (std::max_element(s, s + half, ByValue)->value + upper) / 2.0;
}

// Sample standard deviation (n - 1 in the denominator) of n >= 2 values.
template <typename Get>
double StandardDeviation(int n, Get get) {
  double mean = 0.0;
  for (int i = 0; i < n; ++i) mean += get(i);
  mean /= n;
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += (get(i) - mean) * (get(i) - mean);
  return std::sqrt(sum / (n - 1));
}

double WeightedMean(const StackSample* s, int n) {
  double sum = 0.0, weights = 0.0;
  for (int i = 0; i < n; ++i) {
    sum += static_cast<double>(s[i].value) * s[i].weight;
    weights += s[i].weight;
  }
  return sum / weights;
}

double WinsorizedSpread(const StackSample* s, int n, double centre, double spread) {
  for (int pass = 0; pass < 10 && spread > 0.0; ++pass) {
    const double lo = centre - 1.5 * spread, hi = centre + 1.5 * spread;
    const double next = 1.134 * StandardDeviation(n, [&](int i) { return std::clamp<double>(s[i].value, lo, hi); });
    const bool settled = std::fabs(next - spread) < 5e-4 * spread;
    spread = next;
    if (settled) break;
  }
  return spread;
}

// Linear-fit clipping of the sorted values; returns the kept count (the
// kept values stay sorted at the front).
int LinearFitClip(const CombineRule& rule, StackSample* s, int kept, int* low, int* high) {
  while (kept >= 3) {
    const double mid = (kept - 1) / 2.0;
    double mean = 0.0;
    for (int i = 0; i < kept; ++i) mean += s[i].value;
    mean /= kept;
    double sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < kept; ++i) {
      sxy += (i - mid) * (s[i].value - mean);
      sxx += (i - mid) * (i - mid);
    }
    const double slope = sxy / sxx, start = mean - slope * mid;
    double spread = 0.0;
    for (int i = 0; i < kept; ++i) spread += std::fabs(s[i].value - (start + slope * i));
    spread /= kept;
    // Residuals are measured against the rank each value held in this
    // pass; compacting keeps the order.
    int next = 0, removed_low = 0, removed_high = 0;
    for (int i = 0; i < kept; ++i) {
      const double residual = s[i].value - (start + slope * i);
      if (residual < -rule.kappa_low * spread) {
        ++removed_low;
      } else if (residual > rule.kappa_high * spread) {
        ++removed_high;
      } else {
        s[next++] = s[i];
      }
    }
    if (next == kept) break;
    *low += removed_low;
    *high += removed_high;
    kept = next;
  }
  return kept;
}

// Sigma and winsorized clipping of the sorted values: rejected values are
// always the lowest or highest kept ones, so the kept ones stay the range
// [*first, *last).
void SigmaClip(const CombineRule& rule, const StackSample* s, int* first, int* last, int* low, int* high) {
  int lo = 0, hi = *last;
  while (hi - lo >= 3) {
    const int n = hi - lo;
    const StackSample* kept = s + lo;
    const double centre =
        n % 2 == 1 ? kept[n / 2].value : (kept[n / 2 - 1].value + static_cast<double>(kept[n / 2].value)) / 2;
    double spread = StandardDeviation(n, [&](int i) { return static_cast<double>(kept[i].value); });
    if (rule.reject == kRejectWinsor) spread = WinsorizedSpread(kept, n, centre, spread);
    const double bottom = centre - rule.kappa_low * spread, top = centre + rule.kappa_high * spread;
    int new_lo = lo, new_hi = hi;
    while (new_lo < new_hi && s[new_lo].value < bottom) ++new_lo;
    while (new_hi > new_lo && s[new_hi - 1].value > top) --new_hi;
    if (new_lo == lo && new_hi == hi) break;
    *low += new_lo - lo;
    *high += hi - new_hi;
    lo = new_lo;
    hi = new_hi;
  }
  *first = lo;
  *last = hi;
}

}  // namespace

float CombineSorted(const CombineRule& rule, StackSample* s, int n, int* low, int* high) {
  *low = *high = 0;
  if (n <= 0) return std::numeric_limits<float>::quiet_NaN();
  switch (rule.reject) {
    case kRejectMedian:
      return static_cast<float>(n % 2 == 1 ? s[n / 2].value : (s[n / 2 - 1].value + static_cast<double>(s[n / 2].value)) / 2);
    case kRejectSigma:
    case kRejectWinsor: {
      int first = 0, last = n;
      SigmaClip(rule, s, &first, &last, low, high);
      return static_cast<float>(WeightedMean(s + first, last - first));
    }
    case kRejectLinear:
      return static_cast<float>(WeightedMean(s, LinearFitClip(rule, s, n, low, high)));
    case kRejectMinMax: {
      const int drop_low = std::clamp(static_cast<int>(rule.kappa_low), 0, n - 1);
      const int drop_high = std::clamp(static_cast<int>(rule.kappa_high), 0, n - 1 - drop_low);
      *low = drop_low;
      *high = drop_high;
      return static_cast<float>(WeightedMean(s + drop_low, n - drop_low - drop_high));
    }
    default:
      return static_cast<float>(WeightedMean(s, n));
  }
}

float CombinePixelStack(const CombineRule& rule, StackSample* s, int n, int* low, int* high) {
  if (rule.reject == kRejectMedian && n > 0) {
    *low = *high = 0;
    return static_cast<float>(Median(s, n));
  }
  if (n > 0) std::sort(s, s + n, ByValue);
  return CombineSorted(rule, s, n, low, high);
}

const std::vector<std::pair<int, int>>& SortingNetwork(int size) {
  // Batcher's odd-even merge sort; built once per size, before any thread
  // asks for it (IntegrateFrames does so on its own thread first).
  static std::vector<std::vector<std::pair<int, int>>> networks(32);
  int log = 0;
  while ((1 << log) < size) ++log;
  std::vector<std::pair<int, int>>& net = networks[log];
  if (net.empty() && size > 1) {
    for (int p = 1; p < size; p <<= 1) {
      for (int k = p; k >= 1; k >>= 1) {
        for (int j = k % p; j + k < size; j += 2 * k) {
          for (int i = 0; i < std::min(k, size - j - k); ++i) {
            if ((i + j) / (2 * p) == (i + j + k) / (2 * p)) net.push_back({i + j, i + j + k});
          }
        }
      }
    }
  }
  return net;
}

TAVO_AVX2_CLONES void SortLanes(float* values, float* weights, int size) {
  typedef float Lanes __attribute__((vector_size(kLanes * sizeof(float))));
  static_assert(sizeof(Lanes) == kLanes * sizeof(float));
  for (const auto& [a, b] : SortingNetwork(size)) {
    Lanes va, vb, wa, wb;
    std::memcpy(&va, values + a * kLanes, sizeof va);
    std::memcpy(&vb, values + b * kLanes, sizeof vb);
    std::memcpy(&wa, weights + a * kLanes, sizeof wa);
    std::memcpy(&wb, weights + b * kLanes, sizeof wb);
    const auto swap = vb < va;
    const Lanes lo = swap ? vb : va, hi = swap ? va : vb;
    const Lanes wlo = swap ? wb : wa, whi = swap ? wa : wb;
    std::memcpy(values + a * kLanes, &lo, sizeof lo);
    std::memcpy(values + b * kLanes, &hi, sizeof hi);
    std::memcpy(weights + a * kLanes, &wlo, sizeof wlo);
    std::memcpy(weights + b * kLanes, &whi, sizeof whi);
  }
}

}  // namespace tavo
