// SPDX-License-Identifier: MIT
#include "shell/display_stretch.h"

#include <algorithm>
#include <cmath>

namespace tavo {
namespace {

constexpr double kFull = 65535.0;
// The median absolute deviation of normal noise is 1 / 1.4826 of its sigma.
constexpr double kMadToSigma = 1.4826;
constexpr double kShadowSigmas = 2.8;
constexpr double kMedianTarget = 0.25;

double Mtf(double balance, double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  return (balance - 1) * x / ((2 * balance - 1) * x - balance);
}

int Median(std::vector<int>& v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + static_cast<ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

bool SameStats(const ChannelStats a[3], const ChannelStats b[3]) {
  for (int c = 0; c < 3; ++c) {
    if (a[c].median != b[c].median || a[c].spread != b[c].spread) return false;
  }
  return true;
}

}  // namespace

void SampleChannelStats(const Image& image, ChannelStats stats[3]) {
  for (int c = 0; c < 3; ++c) stats[c] = ChannelStats{};
  if (image.Empty() || !image.r) return;
  const int step_x = image.width / 100 + 1, step_y = image.height / 100 + 1;
  for (int c = 0; c < 3; ++c) {
    const uint16_t* plane = image.monochrome == 1 ? image.r.get() : image.Channel(c);
    if (plane == nullptr) continue;
    std::vector<int> v;
    for (int y = 0; y < image.height; y += step_y) {
      const uint16_t* row = plane + static_cast<size_t>(y) * image.width;
      for (int x = 0; x < image.width; x += step_x) v.push_back(row[x]);
    }
    const int median = Median(v);
    for (int& s : v) s = std::abs(s - median);
    stats[c].median = median;
    stats[c].spread = Median(v);
  }
}

int AutoStretchLevel(int v, const ChannelStats& s) {
  const double median = s.median / kFull;
  // A spread of 0 (a flat sky) would clip the shadows at the median itself.
  const double sigma = kMadToSigma * std::max(s.spread, 1) / kFull;
  const double shadows = std::min(std::max(0.0, median - kShadowSigmas * sigma), 1 - 1 / kFull);
  const double balance = std::clamp(Mtf(kMedianTarget, (median - shadows) / (1 - shadows)), 1e-4, 0.5);
  const double y = (v / kFull - shadows) / (1 - shadows);
  return static_cast<int>(std::lround(255 * Mtf(balance, y)));
}

int LogStretchLevel(int v) {
  return static_cast<int>(std::lround(255 * std::log1p(1000 * (v / kFull)) / std::log(1001.0)));
}

void UpdateStretchTables(const Image& image, int mode, StretchTables* tables) {
  if (mode != kStretchAutoChannel && mode != kStretchAutoLinked && mode != kStretchLog) mode = kStretchLinear;
  ChannelStats stats[3];
  if (mode == kStretchAutoChannel || mode == kStretchAutoLinked) SampleChannelStats(image, stats);
  if (mode == tables->mode && SameStats(stats, tables->stats) && tables->Active() == (mode != kStretchLinear)) {
    return;
  }
  tables->mode = mode;
  for (int c = 0; c < 3; ++c) tables->stats[c] = stats[c];
  if (mode == kStretchLinear) {
    for (auto& level : tables->level) level.clear();
    return;
  }
  ChannelStats curve[3] = {stats[0], stats[1], stats[2]};
  if (mode == kStretchAutoLinked) {
    const ChannelStats mean{(stats[0].median + stats[1].median + stats[2].median) / 3,
                            (stats[0].spread + stats[1].spread + stats[2].spread) / 3};
    curve[0] = curve[1] = curve[2] = mean;
  }
  // Only the per-channel stretch has three different curves.
  const int curves = mode == kStretchAutoChannel ? 3 : 1;
  for (int c = 0; c < curves; ++c) {
    std::vector<uint8_t>& level = tables->level[c];
    level.resize(65536);
    for (int v = 0; v < 65536; ++v) {
      const int l = mode == kStretchLog ? LogStretchLevel(v) : AutoStretchLevel(v, curve[c]);
      level[static_cast<size_t>(v)] = static_cast<uint8_t>(std::clamp(l, 0, 255));
    }
  }
  for (int c = curves; c < 3; ++c) tables->level[c] = tables->level[0];
}

}  // namespace tavo
