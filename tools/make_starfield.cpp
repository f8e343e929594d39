// SPDX-License-Identifier: MIT
// Writes a synthetic star field as a 16-bit PPM: a sky gradient with faint
// noise and Gaussian stars of several brightnesses and colours.
//   make_starfield OUT.ppm [WIDTH HEIGHT [SEED [SHIFT_X SHIFT_Y]]]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/slots.h"
#include "io/pnm.h"

namespace {

uint32_t Next(uint32_t* s) {
  *s = *s * 1664525u + 1013904223u;
  return *s >> 8;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: make_starfield OUT.ppm [WIDTH HEIGHT [SEED [SHIFT_X SHIFT_Y]]]\n");
    return 2;
  }
  const int w = argc > 3 ? std::atoi(argv[2]) : 640;
  const int h = argc > 3 ? std::atoi(argv[3]) : 480;
  const uint32_t seed = argc > 4 ? static_cast<uint32_t>(std::atoi(argv[4])) : 7;
  const int shift_x = argc > 6 ? std::atoi(argv[5]) : 0;
  const int shift_y = argc > 6 ? std::atoi(argv[6]) : 0;
  tavo::Image img;
  if (w <= 0 || h <= 0 || !tavo::AllocateImagePlanes(img, w, h, true)) {
    std::fprintf(stderr, "make_starfield: bad size\n");
    return 1;
  }
  // Sky: brighter towards the bottom left, as a light-polluted horizon.
  uint32_t noise = seed * 7919u + 3;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      const double t = 1.0 - 0.5 * (static_cast<double>(x) / w + static_cast<double>(y) / h);
      const int sky = static_cast<int>(3000 + 5000 * t);
      img.r[i] = static_cast<uint16_t>(sky + 600 + Next(&noise) % 400);
      img.g[i] = static_cast<uint16_t>(sky + 300 + Next(&noise) % 400);
      img.b[i] = static_cast<uint16_t>(sky + Next(&noise) % 400);
    }
  }
  // Stars: the same field for the same seed, moved by the shift.
  uint32_t s = 12345;
  const int stars = w * h / 900 + 20;
  for (int k = 0; k < stars; ++k) {
    const int cx = static_cast<int>(Next(&s) % static_cast<uint32_t>(w + 200)) - 100 + shift_x;
    const int cy = static_cast<int>(Next(&s) % static_cast<uint32_t>(h + 200)) - 100 - shift_y;
    const double peak = 4000 + (Next(&s) % 1000) * (Next(&s) % 1000) / 17.0;
    const double sigma = 0.8 + (Next(&s) % 100) / 60.0;
    const double tint = (Next(&s) % 100) / 100.0;
    const int reach = static_cast<int>(sigma * 4) + 1;
    for (int dy = -reach; dy <= reach; ++dy) {
      for (int dx = -reach; dx <= reach; ++dx) {
        const int x = cx + dx, y = cy + dy;
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        const double v = peak * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
        const size_t i = static_cast<size_t>(y) * w + x;
        const double add[3] = {v * (0.8 + 0.4 * tint), v, v * (1.2 - 0.4 * tint)};
        uint16_t* planes[3] = {img.r.get(), img.g.get(), img.b.get()};
        for (int c = 0; c < 3; ++c) {
          const double total = planes[c][i] + add[c];
          planes[c][i] = static_cast<uint16_t>(total > 65535 ? 65535 : total);
        }
      }
    }
  }
  if (!tavo::WritePnm(argv[1], img, false)) {
    std::fprintf(stderr, "make_starfield: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
