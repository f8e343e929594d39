// SPDX-License-Identifier: MIT
// tests/stack/star_field.h - a synthetic sky for alignment tests: faint
// per-pixel noise and round stars on a world image; windows cut from it are
// exact translations of each other, so the right displacement scores 0.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/image.h"

namespace tavo {

inline uint32_t StarHash(uint32_t v) {
  v = (v ^ (v >> 16)) * 0x7feb352dU;
  v = (v ^ (v >> 15)) * 0x846ca68bU;
  return v ^ (v >> 16);
}

inline Image MakeStarWorld(int w, int h, uint32_t seed) {
  Image img;
  AllocateImagePlanes(img, w, h, true);
  for (size_t i = 0; i < img.PixelCount(); ++i) {
    const uint32_t n = StarHash(seed * 7919u + static_cast<uint32_t>(i));
    img.r[i] = static_cast<uint16_t>(3000 + (n & 1023));
    img.g[i] = static_cast<uint16_t>(2800 + ((n >> 10) & 1023));
    img.b[i] = static_cast<uint16_t>(2600 + ((n >> 20) & 1023));
  }
  const int stars = w * h / 1500 + 10;
  for (int k = 0; k < stars; ++k) {
    const uint32_t a = StarHash(seed * 31u + 2u * k), b = StarHash(a + 17u);
    const double cx = a % static_cast<uint32_t>(w), cy = b % static_cast<uint32_t>(h);
    const double peak = 6000 + (a >> 12) % 40000;
    const double sigma = 1.2 + ((b >> 12) % 100) / 40.0;
    const int reach = static_cast<int>(sigma * 4) + 1;
    for (int dy = -reach; dy <= reach; ++dy) {
      for (int dx = -reach; dx <= reach; ++dx) {
        const int x = static_cast<int>(cx) + dx, y = static_cast<int>(cy) + dy;
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        const double v = peak * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
        const size_t i = static_cast<size_t>(y) * w + x;
        for (int c = 0; c < 3; ++c) {
          uint16_t* p = img.Channel(c) + i;
          *p = static_cast<uint16_t>(std::fmin(65535.0, *p + v * (0.8 + 0.1 * c)));
        }
      }
    }
  }
  return img;
}

// The w x h window of `world` whose pixel (0, 0) is world pixel (x0, y0).
inline Image CropWorld(const Image& world, int x0, int y0, int w, int h) {
  Image img;
  AllocateImagePlanes(img, w, h, false);
  for (int c = 0; c < 3; ++c) {
    for (int y = 0; y < h; ++y) {
      std::memcpy(img.Channel(c) + static_cast<size_t>(y) * w,
                  world.Channel(c) + static_cast<size_t>(y0 + y) * world.width + x0, static_cast<size_t>(w) * 2);
    }
  }
  return img;
}

}  // namespace tavo
