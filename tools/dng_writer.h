// SPDX-License-Identifier: MIT
// tools/dng_writer.h - writes small synthetic DNG files with known sample
// values: an uncompressed 16-bit colour-filter mosaic (2 x 2 or 6 x 6
// pattern) or a 3-sample linear image, one strip in the first IFD. Used by
// the make_dng tool and by the RAW development tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavo {

enum DngKind {
  kDngMosaic2x2 = 0,
  kDngMosaic6x6 = 1,
  kDngLinearRgb = 2,  // three samples per pixel, no mosaic
  kDngMonochrome = 3, // one sample per pixel, no mosaic
};

struct DngImage {
  int width = 0;
  int height = 0;
  int kind = kDngMosaic2x2;
  // Filter colour (0 R, 1 G, 2 B) of each pattern position, row-major from
  // the top-left: the first 4 entries for 2 x 2, all 36 for 6 x 6.
  uint8_t cfa[36] = {0, 1, 1, 2};
  // width * height samples (three per pixel for linear RGB), top row first.
  std::vector<uint16_t> samples;
  int black = 0;
  int white = 65535;
  // Writes a colour matrix for an sRGB-like camera; without it the
  // library's daylight multipliers are all 1.
  bool color_matrix = false;
  std::string make = "TAVO";
  std::string model = "Synthetic";
};

// Sets the 2 x 2 pattern from a name such as "RGGB", "BGGR", "GRBG" or
// "GBRG"; false for anything else.
bool SetBayerPattern(DngImage& dng, const std::string& name);
// A 6 x 6 pattern with the layout of the common 6 x 6 sensors.
void SetSixBySixPattern(DngImage& dng);

// Colour (0..2) of mosaic position (x, y) under the pattern.
int DngColorAt(const DngImage& dng, int x, int y);

// The file's bytes; empty when the description is inconsistent.
std::vector<uint8_t> EncodeDng(const DngImage& dng);
bool WriteDng(const std::string& path, const DngImage& dng);

}  // namespace tavo
