// SPDX-License-Identifier: MIT
// stack/deep/float_frame.h - 32-bit float frames for calibration,
// registration and integration: one plane (gray) or three (R, G, B), with
// their conversions from and to the 16-bit image and the robust statistics
// the stacking steps share. NaN marks a sample that holds no data (outside
// the frame after registration, or not calibratable).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/image.h"
#include "core/status.h"

namespace tavo {

struct FloatFrame {
  int width = 0, height = 0, channels = 0;
  // Plane c, row y (row 0 the bottom row, as in Image) starts at
  // (c * height + y) * width.
  std::unique_ptr<float[]> data;

  bool Empty() const { return data == nullptr; }
  size_t PlaneSize() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
  size_t Size() const { return PlaneSize() * static_cast<size_t>(channels); }
  float* Plane(int c) { return data.get() + PlaneSize() * c; }
  const float* Plane(int c) const { return data.get() + PlaneSize() * c; }
};

// Bytes of a width x height frame of `channels` planes; 0 on overflow or a
// side below 1.
uint64_t FloatFrameBytes(int width, int height, int channels);

// Gives `frame` fresh planes after the memory check; false (frame
// untouched) when the size is not positive or the memory is not there.
bool AllocateFloatFrame(FloatFrame& frame, int width, int height, int channels);

// True when the image's three planes hold the same samples (or it is
// flagged monochrome, where only R counts).
bool IsGrayImage(const Image& image);

// `image` as `channels` float planes: with 1, R for a gray image and the
// mean (R + G + B) / 3 for a colour one; with 3, R, G, B (R three times for
// a monochrome-flagged one). The planes of `out` are reused when they
// have the size. kOpNoMemory, `out` untouched, when short.
OpStatus FloatFromImage(const Image& image, int channels, FloatFrame* out);

// Each sample truncated into 0..65535 (NaN gives 0) through ClampSample;
// a one-plane frame fills R, G and B and sets the monochrome flag to 0 (the
// planes are real copies). kOpNoMemory, `out` untouched, when short.
OpStatus ImageFromFloat(const FloatFrame& frame, Image* out);

// The mean of the channels into `out` (width x height floats).
void FrameLuminance(const FloatFrame& frame, float* out);

// Location and spread of one plane: the median and 1.4826 x the median
// absolute deviation of the finite samples on a grid of every `step`-th
// column and row (so a Gaussian's spread is its sigma). Both 0 when no
// sample is finite.
struct Spread {
  double location = 0.0;
  double scale = 0.0;
};
Spread RobustSpread(const float* plane, int width, int height, int step);

// The median of v (the mean of the middle two for an even count; 0 when
// empty). Reorders v.
double MedianOf(std::vector<float>& v);

// Grid step that samples about a quarter of a million points of a plane.
int SampleStep(int width, int height);

}  // namespace tavo
