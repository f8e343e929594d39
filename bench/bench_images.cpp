// SPDX-License-Identifier: MIT
#include "bench/bench_images.h"

#include "core/slots.h"

namespace tavo {

bool MakeBenchNoiseImage(Image& image, int width, int height, uint32_t seed) {
  if (!AllocateImagePlanes(image, width, height, false)) return false;
  uint32_t s = seed;
  for (int c = 0; c < 3; ++c) {
    uint16_t* p = image.Channel(c);
    for (size_t i = 0; i < image.PixelCount(); ++i) {
      s = s * 1664525u + 1013904223u;
      p[i] = static_cast<uint16_t>(s >> 16);
    }
  }
  return true;
}

bool MakeBenchSkyImage(Image& image, int width, int height, uint32_t seed) {
  if (!AllocateImagePlanes(image, width, height, false)) return false;
  uint32_t s = seed;
  for (int c = 0; c < 3; ++c) {
    uint16_t* p = image.Channel(c);
    for (size_t i = 0; i < image.PixelCount(); ++i) {
      s = s * 1664525u + 1013904223u;
      const uint32_t n = s >> 8;
      p[i] = static_cast<uint16_t>(2600 + 200 * c + (n & 1023) + (n % 2000 == 0 ? 40000 : 0));
    }
  }
  return true;
}

const Image& BenchSource() {
  static Image image = [] {
    Image img;
    MakeBenchNoiseImage(img, kBenchWidth, kBenchHeight, 777);
    return img;
  }();
  return image;
}

}  // namespace tavo
