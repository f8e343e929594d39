// SPDX-License-Identifier: MIT
// tone/preview.h - the sampled pixels a tone dialog previews from, and the
// histograms of its preview. Sampling takes every (width / 100 + 1)-th
// column of every (height / 100 + 1)-th row, starting at 0, so a preview
// works on at most about 100 x 100 pixels whatever the image size.
#pragma once
#include <cstdint>

#include "core/image.h"

namespace tavo {

// Copies the sampled pixels of `image` into `sample` (planes replaced;
// size about width / step by height / step). A monochrome image gives G and
// B as copies of R and keeps its flag, so an operation run on the sample
// sees what it would see on the image. False - `sample` untouched - when
// `image` is empty or the memory is not there.
bool SamplePreviewPixels(const Image& image, Image& sample);

struct PreviewHistogram {
  uint32_t r[256] = {}, g[256] = {}, b[256] = {};
  uint32_t peak = 0;  // largest bin of the three; 0 for an empty image
};

// Histograms of every pixel of `image`, bin = sample / 256. A monochrome
// image is counted from its R plane in all three.
PreviewHistogram HistogramOfAll(const Image& image);

}  // namespace tavo
