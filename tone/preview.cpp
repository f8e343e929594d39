// SPDX-License-Identifier: MIT
#include "tone/preview.h"

#include <algorithm>

#include "core/slots.h"

namespace tavo {

bool SamplePreviewPixels(const Image& image, Image& sample) {
  if (image.Empty() || !image.r) return false;
  const int step_x = image.width / 100 + 1, step_y = image.height / 100 + 1;
  const int w = (image.width + step_x - 1) / step_x, h = (image.height + step_y - 1) / step_y;
  Image fresh;
  if (!AllocateImagePlanes(fresh, w, h, false)) return false;
  const bool mono = image.monochrome == 1;
  for (int c = 0; c < 3; ++c) {
    const uint16_t* src = mono ? image.r.get() : image.Channel(c);
    uint16_t* dst = fresh.Channel(c);
    for (int y = 0; y < h; ++y) {
      const uint16_t* row = src + static_cast<size_t>(y) * step_y * image.width;
      for (int x = 0; x < w; ++x) *dst++ = row[static_cast<size_t>(x) * step_x];
    }
  }
  sample.r = std::move(fresh.r);
  sample.g = std::move(fresh.g);
  sample.b = std::move(fresh.b);
  sample.width = w;
  sample.height = h;
  sample.monochrome = image.monochrome;
  return true;
}

PreviewHistogram HistogramOfAll(const Image& image) {
  PreviewHistogram hist;
  if (image.Empty() || !image.r) return hist;
  const bool mono = image.monochrome == 1;
  const uint16_t* r = image.r.get();
  const uint16_t* g = mono ? r : image.g.get();
  const uint16_t* b = mono ? r : image.b.get();
  const size_t n = image.PixelCount();
  for (size_t i = 0; i < n; ++i) {
    ++hist.r[r[i] >> 8];
    ++hist.g[g[i] >> 8];
    ++hist.b[b[i] >> 8];
  }
  for (int i = 0; i < 256; ++i) hist.peak = std::max({hist.peak, hist.r[i], hist.g[i], hist.b[i]});
  return hist;
}

}  // namespace tavo
