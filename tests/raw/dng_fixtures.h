// SPDX-License-Identifier: MIT
// tests/raw/dng_fixtures.h - synthetic DNG files: flat 2 x 2 mosaics with planted samples.
#pragma once
#include <string>
#include <vector>

#include "tools/dng_writer.h"

namespace tavo {

struct PlantedSample { int x, y; uint16_t value; };  // x from the left, y from the top

// A width x height mosaic of the 2 x 2 `bayer` pattern holding `r`, `g`, `b` at its R, G, B positions, then `planted`.
inline DngImage FlatDng(const std::string& bayer, int width, int height, uint16_t r, uint16_t g, uint16_t b,
                        const std::vector<PlantedSample>& planted = {}) {
  DngImage dng;
  dng.width = width, dng.height = height, dng.kind = kDngMosaic2x2;
  SetBayerPattern(dng, bayer);
  const uint16_t by_colour[3] = {r, g, b};
  for (int i = 0; i < width * height; ++i) dng.samples.push_back(by_colour[DngColorAt(dng, i % width, i / width)]);
  for (const PlantedSample& p : planted) dng.samples[static_cast<size_t>(p.y) * width + p.x] = p.value;
  return dng;
}

// Writes `dng` as dir/name; the path, or "" when the write failed.
inline std::string WriteDngFile(const std::string& dir, const std::string& name, const DngImage& dng) {
  const std::string path = dir + "/" + name;
  return WriteDng(path, dng) ? path : std::string();
}

}  // namespace tavo
