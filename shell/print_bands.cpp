// SPDX-License-Identifier: MIT
// The page layout and band bitmaps of shell/print.h. Kept apart from the
// command so that tavo-cli's PDF module, built without the core, compiles
// this file too.
#include "shell/print.h"

namespace tavo {

PrintPlacement PlacePrint(int width, int height, int page_width, int page_height) {
  PrintPlacement p;
  if (width < 1 || height < 1 || page_width < 1 || page_height < 1) return p;
  const double a = static_cast<double>(page_width) / width;
  const double b = static_cast<double>(page_height) / height;
  if (b < a) {
    p.scale = b;
    p.x0 = static_cast<int>((page_width - width * b) * 0.5);
  } else {
    p.scale = a;
    p.y0 = static_cast<int>((page_height - height * a) * 0.5);
  }
  return p;
}

std::vector<PrintBand> PrintBands(int width, int height, const PrintPlacement& placement) {
  std::vector<PrintBand> bands;
  if (width < 1 || height < 1 || placement.scale <= 0) return bands;
  const double s = placement.scale;
  for (int first = 0; first < height; first += kPrintBandRows) {
    PrintBand band;
    band.first_row = first;
    band.x = placement.x0;
    band.w = static_cast<int>(width * s);
    if (first + kPrintBandRows < height) {
      band.source_rows = kPrintBandRows;
      band.y = placement.y0 + static_cast<int>((height - first - kPrintBandRows) * s);
      band.h = static_cast<int>(kPrintBandRows * s + 1.0);
    } else {
      band.source_y = first + kPrintBandRows - height;
      band.source_rows = height - first;
      band.y = placement.y0;
      band.h = static_cast<int>((height - first) * s);
    }
    bands.push_back(band);
  }
  return bands;
}

void FillPrintBand(const Image& image, int first_row, uint8_t* rgb, size_t stride) {
  const size_t w = static_cast<size_t>(image.width);
  const bool mono = image.monochrome == 1;
  for (int i = 0; i < kPrintBandRows && first_row + i < image.height; ++i) {
    const size_t at = static_cast<size_t>(first_row + i) * w;
    const uint16_t* r = image.r.get() + at;
    const uint16_t* g = (mono ? image.r.get() : image.g.get()) + at;
    const uint16_t* b = (mono ? image.r.get() : image.b.get()) + at;
    uint8_t* out = rgb + static_cast<size_t>(kPrintBandRows - 1 - i) * stride;
    for (size_t x = 0; x < w; ++x) {
      out[3 * x] = static_cast<uint8_t>(r[x] >> 8);
      out[3 * x + 1] = static_cast<uint8_t>(g[x] >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(b[x] >> 8);
    }
  }
}

}  // namespace tavo
