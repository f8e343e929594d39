// SPDX-License-Identifier: MIT
// tests/stack/deep_sky.h - gray star fields with stars at sub-pixel places,
// seen through a known similarity transform, for the stacking tests.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/image.h"
#include "stack/deep/match.h"
#include "tests/stack/star_field.h"

namespace tavo {

struct SkyStar {
  double x, y, peak;
};

// `count` stars spread over a w x h field (and 30 pixels around it).
inline std::vector<SkyStar> SkyStars(int count, int w, int h, uint32_t seed) {
  std::vector<SkyStar> stars;
  for (int k = 0; k < count; ++k) {
    const uint32_t a = StarHash(seed * 977u + 3u * k), b = StarHash(a + 1), c = StarHash(b + 1);
    stars.push_back({(a % 100000) / 100000.0 * (w + 60) - 30, (b % 100000) / 100000.0 * (h + 60) - 30,
                     3000.0 + c % 20000});
  }
  return stars;
}

// The sky as frame `t` sees it (reference position p lands on t(p)):
// level `sky`, Gaussian stars of the given sigma, noise of +-`noise`
// (uniform) from `seed`. R = G = B.
inline Image RenderSky(int w, int h, const std::vector<SkyStar>& stars, const Similarity& t, double sigma,
                       int sky, int noise, uint32_t seed) {
  std::vector<double> v(static_cast<size_t>(w) * h, sky);
  for (const SkyStar& s : stars) {
    double cx, cy;
    MapPoint(t, s.x, s.y, &cx, &cy);
    for (int y = static_cast<int>(cy) - 8; y <= static_cast<int>(cy) + 8; ++y) {
      for (int x = static_cast<int>(cx) - 8; x <= static_cast<int>(cx) + 8; ++x) {
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        const double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        v[static_cast<size_t>(y) * w + x] += s.peak * std::exp(-r2 / (2 * sigma * sigma));
      }
    }
  }
  Image img;
  AllocateImagePlanes(img, w, h, false);
  for (size_t i = 0; i < v.size(); ++i) {
    const double n = noise > 0 ? static_cast<double>(StarHash(seed * 131u + static_cast<uint32_t>(i)) % (2 * noise + 1)) - noise : 0;
    img.r[i] = img.g[i] = img.b[i] = static_cast<uint16_t>(std::fmin(65535.0, v[i] + n));
  }
  return img;
}

// Rotation by `degrees` about (cx, cy), scaled by `scale`, then moved by
// (dx, dy).
inline Similarity Turn(double degrees, double scale, double cx, double cy, double dx, double dy) {
  Similarity t;
  t.a = scale * std::cos(degrees * M_PI / 180);
  t.b = scale * std::sin(degrees * M_PI / 180);
  t.tx = cx + dx - (t.a * cx - t.b * cy);
  t.ty = cy + dy - (t.b * cx + t.a * cy);
  return t;
}

}  // namespace tavo
