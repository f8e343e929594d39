// SPDX-License-Identifier: MIT
#include "stack/deep/calibrate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavo {
namespace {

bool Fits(const FloatFrame& master, const FloatFrame& light) {
  return master.Empty() ||
         (master.width == light.width && master.height == light.height && master.channels == light.channels);
}

// `to` (allocated with the wanted plane count) from `from`: the mean of
// the planes, or the one plane repeated.
void Conform(const FloatFrame& from, FloatFrame& to) {
  const size_t n = from.PlaneSize();
  if (to.channels == 1) {
    FrameLuminance(from, to.Plane(0));
  } else {
    for (int c = 0; c < to.channels; ++c) std::copy(from.Plane(0), from.Plane(0) + n, to.Plane(c));
  }
}

}  // namespace

double NormaliseFlat(FloatFrame& flat) {
  double sum = 0;
  const long long n = static_cast<long long>(flat.PlaneSize());
  for (int c = 0; c < flat.channels; ++c) {
    float* p = flat.Plane(c);
    const double median = RobustSpread(p, flat.width, flat.height, SampleStep(flat.width, flat.height)).location;
    sum += median;
    if (!(median > 0)) continue;
    const float inverse = static_cast<float>(1.0 / median);
#pragma omp parallel for schedule(static) if (n > (1 << 16))
    for (long long i = 0; i < n; ++i) p[i] *= inverse;
  }
  return flat.channels > 0 ? sum / flat.channels : 0;
}

bool CalibrateFrame(FloatFrame& light, const Masters& m, double light_exposure, bool scale_dark) {
  if (!Fits(m.bias, light) || !Fits(m.dark, light) || !Fits(m.flat, light)) return false;
  const bool has_bias = !m.bias.Empty(), has_dark = !m.dark.Empty(), has_flat = !m.flat.Empty();
  const bool scaled = scale_dark && has_bias && has_dark && light_exposure > 0 && m.dark_exposure > 0;
  const float k = scaled ? static_cast<float>(light_exposure / m.dark_exposure) : 1.0f;
  const long long n = static_cast<long long>(light.PlaneSize());
  const float kNone = std::numeric_limits<float>::quiet_NaN();
  for (int c = 0; c < light.channels; ++c) {
    float* p = light.Plane(c);
    const float* bias = has_bias ? m.bias.Plane(c) : nullptr;
    const float* dark = has_dark ? m.dark.Plane(c) : nullptr;
    const float* flat = has_flat ? m.flat.Plane(c) : nullptr;
#pragma omp parallel for schedule(static) if (n > (1 << 16))
    for (long long i = 0; i < n; ++i) {
      float v = p[i];
      if (scaled) {
        v -= bias[i] + k * (dark[i] - bias[i]);
      } else if (dark != nullptr) {
        v -= dark[i];
      } else if (bias != nullptr) {
        v -= bias[i];
      }
      if (flat != nullptr) v = flat[i] >= kFlatFloor ? v / flat[i] : kNone;
      p[i] = v;
    }
  }
  const int w = light.width, h = light.height;
  for (int c = 0; c < light.channels && c < static_cast<int>(m.bad_pixels.size()); ++c) {
    const std::vector<uint32_t>& bad = m.bad_pixels[c];
    float* p = light.Plane(c);
    // Replacements are written afterwards, so each reads only original
    // neighbours and the order does not matter.
    std::vector<float> fixed(bad.size());
#pragma omp parallel for schedule(static) if (bad.size() > 4096)
    for (size_t b = 0; b < bad.size(); ++b) {
      const int x = static_cast<int>(bad[b] % static_cast<uint32_t>(w)), y = static_cast<int>(bad[b] / static_cast<uint32_t>(w));
      float around[8];
      int count = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int xx = x + dx, yy = y + dy;
          if ((dx == 0 && dy == 0) || xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
          const uint32_t at = static_cast<uint32_t>(yy) * static_cast<uint32_t>(w) + static_cast<uint32_t>(xx);
          if (std::binary_search(bad.begin(), bad.end(), at) || !std::isfinite(p[at])) continue;
          around[count++] = p[at];
        }
      }
      if (count == 0) {
        fixed[b] = p[bad[b]];
        continue;
      }
      // Insertion sort: at most eight values.
      for (int a = 1; a < count; ++a) {
        const float v = around[a];
        int b = a;
        for (; b > 0 && around[b - 1] > v; --b) around[b] = around[b - 1];
        around[b] = v;
      }
      fixed[b] = count % 2 == 1 ? around[count / 2] : (around[count / 2 - 1] + around[count / 2]) / 2;
    }
    for (size_t b = 0; b < bad.size(); ++b) p[bad[b]] = fixed[b];
  }
  return true;
}

std::vector<std::vector<uint32_t>> FindBadPixels(const FloatFrame& dark, double kappa) {
  std::vector<std::vector<uint32_t>> out(dark.channels);
  if (kappa <= 0 || dark.Empty()) return out;
  const size_t n = dark.PlaneSize();
  const size_t most = std::max<size_t>(n / 200, 8);
  for (int c = 0; c < dark.channels; ++c) {
    const float* p = dark.Plane(c);
    const Spread s = RobustSpread(p, dark.width, dark.height, SampleStep(dark.width, dark.height));
    const double limit = kappa * std::max(s.scale, 1.0);
    std::vector<std::pair<float, uint32_t>> found;
    for (size_t i = 0; i < n; ++i) {
      const double off = std::fabs(p[i] - s.location);
      if (off > limit) found.push_back({static_cast<float>(off), static_cast<uint32_t>(i)});
    }
    if (found.size() > most) {
      std::nth_element(found.begin(), found.begin() + static_cast<long>(most), found.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
      found.resize(most);
    }
    for (const auto& f : found) out[c].push_back(f.second);
    std::sort(out[c].begin(), out[c].end());
  }
  return out;
}

bool ConformMasters(Masters& masters, int channels, double hot_kappa) {
  // Converted copies first, so a shortage leaves the masters as they were.
  FloatFrame* frames[3] = {&masters.bias, &masters.dark, &masters.flat};
  FloatFrame converted[3];
  for (int k = 0; k < 3; ++k) {
    if (frames[k]->Empty() || frames[k]->channels == channels) continue;
    if (!AllocateFloatFrame(converted[k], frames[k]->width, frames[k]->height, channels)) return false;
    Conform(*frames[k], converted[k]);
  }
  for (int k = 0; k < 3; ++k) {
    if (!converted[k].Empty()) *frames[k] = std::move(converted[k]);
  }
  masters.bad_pixels = FindBadPixels(masters.dark, hot_kappa);
  return true;
}

bool CopyMasters(const Masters& from, Masters* to) {
  Masters fresh;
  const FloatFrame* src[3] = {&from.bias, &from.dark, &from.flat};
  FloatFrame* dst[3] = {&fresh.bias, &fresh.dark, &fresh.flat};
  for (int k = 0; k < 3; ++k) {
    if (src[k]->Empty()) continue;
    if (!AllocateFloatFrame(*dst[k], src[k]->width, src[k]->height, src[k]->channels)) return false;
    std::copy(src[k]->data.get(), src[k]->data.get() + src[k]->Size(), dst[k]->data.get());
  }
  fresh.dark_exposure = from.dark_exposure;
  fresh.flat_level = from.flat_level;
  fresh.bad_pixels = from.bad_pixels;
  *to = std::move(fresh);
  return true;
}

}  // namespace tavo
