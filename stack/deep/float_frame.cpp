// SPDX-License-Identifier: MIT
#include "stack/deep/float_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "core/memory.h"
#include "core/sample.h"

namespace tavo {

uint64_t FloatFrameBytes(int width, int height, int channels) {
  const uint64_t plane = ImageBytes(width, height, 4);
  if (plane == 0 || channels < 1 || plane > UINT64_MAX / static_cast<uint64_t>(channels)) return 0;
  return plane * static_cast<uint64_t>(channels);
}

bool AllocateFloatFrame(FloatFrame& frame, int width, int height, int channels) {
  const uint64_t bytes = FloatFrameBytes(width, height, channels);
  if (bytes == 0 || bytes > SIZE_MAX || !MemoryFits(bytes)) return false;
  std::unique_ptr<float[]> data(new (std::nothrow) float[bytes / 4]);
  if (data == nullptr) return false;
  frame.width = width;
  frame.height = height;
  frame.channels = channels;
  frame.data = std::move(data);
  return true;
}

bool IsGrayImage(const Image& image) {
  if (image.monochrome == 1) return true;
  const size_t bytes = image.PixelCount() * 2;
  return std::memcmp(image.r.get(), image.g.get(), bytes) == 0 &&
         std::memcmp(image.r.get(), image.b.get(), bytes) == 0;
}

OpStatus FloatFromImage(const Image& image, int channels, FloatFrame* out) {
  if (image.Empty()) return kOpNothingToDo;
  FloatFrame frame;
  if (out->width == image.width && out->height == image.height && out->channels == channels && !out->Empty()) {
    frame = std::move(*out);
  } else if (!AllocateFloatFrame(frame, image.width, image.height, channels)) {
    return kOpNoMemory;
  }
  const bool gray = IsGrayImage(image);
  const long long n = static_cast<long long>(image.PixelCount());
  for (int c = 0; c < channels; ++c) {
    float* dst = frame.Plane(c);
    const uint16_t* src = image.Channel(gray ? 0 : c);
    if (channels == 1 && !gray) {
      const uint16_t *r = image.r.get(), *g = image.g.get(), *b = image.b.get();
#pragma omp parallel for schedule(static) if (n > (1 << 16))
      for (long long i = 0; i < n; ++i) dst[i] = (static_cast<float>(r[i]) + g[i] + b[i]) / 3.0f;
    } else {
#pragma omp parallel for schedule(static) if (n > (1 << 16))
      for (long long i = 0; i < n; ++i) dst[i] = src[i];
    }
  }
  *out = std::move(frame);
  return kOpMade;
}

OpStatus ImageFromFloat(const FloatFrame& frame, Image* out) {
  Image fresh;
  if (frame.Empty() || !AllocateImagePlanes(fresh, frame.width, frame.height, false)) return kOpNoMemory;
  const long long n = static_cast<long long>(frame.PlaneSize());
  for (int c = 0; c < 3; ++c) {
    const float* src = frame.Plane(std::min(c, frame.channels - 1));
    uint16_t* dst = fresh.Channel(c);
#pragma omp parallel for schedule(static) if (n > (1 << 16))
    for (long long i = 0; i < n; ++i) dst[i] = ClampSampleDouble(src[i]);
  }
  AdoptPlanes(*out, fresh);
  out->monochrome = 0;
  return kOpMade;
}

void FrameLuminance(const FloatFrame& frame, float* out) {
  const long long n = static_cast<long long>(frame.PlaneSize());
  if (frame.channels == 1) {
    std::memcpy(out, frame.Plane(0), static_cast<size_t>(n) * sizeof(float));
    return;
  }
  const float *r = frame.Plane(0), *g = frame.Plane(1), *b = frame.Plane(2);
#pragma omp parallel for schedule(static) if (n > (1 << 16))
  for (long long i = 0; i < n; ++i) out[i] = (r[i] + g[i] + b[i]) / 3.0f;
}

double MedianOf(std::vector<float>& v) {
  if (v.empty()) return 0.0;
  const size_t half = v.size() / 2;
  std::nth_element(v.begin(), v.begin() + static_cast<long>(half), v.end());
  const double upper = v[half];
  if (v.size() % 2 == 1) return upper;
  const double lower = *std::max_element(v.begin(), v.begin() + static_cast<long>(half));
  return (lower + upper) / 2.0;
}

Spread RobustSpread(const float* plane, int width, int height, int step) {
  step = std::max(step, 1);
  std::vector<float> v;
  v.reserve(static_cast<size_t>((width + step - 1) / step) * static_cast<size_t>((height + step - 1) / step));
  for (int y = step / 2; y < height; y += step) {
    const float* row = plane + static_cast<size_t>(y) * width;
    for (int x = step / 2; x < width; x += step) {
      if (std::isfinite(row[x])) v.push_back(row[x]);
    }
  }
  Spread s;
  if (v.empty()) return s;
  s.location = MedianOf(v);
  for (float& f : v) f = static_cast<float>(std::fabs(f - s.location));
  // 1.4826 = 1 / the 75th percentile of the standard normal distribution.
  s.scale = 1.4826 * MedianOf(v);
  return s;
}

int SampleStep(int width, int height) {
  const double pixels = static_cast<double>(width) * height;
  return std::max(1, static_cast<int>(std::sqrt(pixels / 2.5e5)));
}

}  // namespace tavo
