// SPDX-License-Identifier: MIT
// tests/raw/dng_fixtures.h - synthetic DNG files for the RAW tests: flat
// per-colour mosaics with a few planted samples.
#pragma once
#include <string>
#include <vector>

#include "tools/dng_writer.h"

namespace tavo {

struct PlantedSample {
  int x, y;  // from the left, from the top
  uint16_t value;
};

// A width x height mosaic whose R, G and B positions hold `r`, `g` and `b`
// (for linear RGB every pixel holds all three), then the planted samples
// (all channels of the pixel for linear RGB).
inline DngImage FlatDng(int kind, const std::string& bayer, int width, int height, uint16_t r, uint16_t g,
                           uint16_t b, const std::vector<PlantedSample>& planted = {}) {
  DngImage dng;
  dng.width = width;
  dng.height = height;
  if (kind == kDngMosaic2x2) SetBayerPattern(dng, bayer);
  if (kind == kDngMosaic6x6) SetSixBySixPattern(dng);
  dng.kind = kind;
  const int spp = kind == kDngLinearRgb ? 3 : 1;
  dng.samples.resize(static_cast<size_t>(width) * height * spp);
  const uint16_t by_colour[3] = {r, g, b};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t i = (static_cast<size_t>(y) * width + x) * spp;
      if (spp == 3) {
        dng.samples[i] = r;
        dng.samples[i + 1] = g;
        dng.samples[i + 2] = b;
      } else {
        const int colour = kind == kDngMonochrome ? 0 : DngColorAt(dng, x, y);
        dng.samples[i] = by_colour[colour];
      }
    }
  }
  for (const PlantedSample& p : planted) {
    for (int s = 0; s < spp; ++s) dng.samples[(static_cast<size_t>(p.y) * width + p.x) * spp + s] = p.value;
  }
  return dng;
}

inline std::string WriteDngFile(const std::string& dir, const std::string& name, const DngImage& dng) {
  const std::string path = dir + "/" + name;
  return WriteDng(path, dng) ? path : std::string();
}

}  // namespace tavo
