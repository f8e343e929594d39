// SPDX-License-Identifier: MIT
#include "stack/deep/integrate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "core/memory.h"

namespace tavo {

uint64_t IntegrateBytes(const FrameStore& store, int band_rows) {
  const uint64_t pixels = ImageBytes(store.width, store.height, 1);
  uint64_t bytes = FloatFrameBytes(store.width, store.height, store.channels) + 2 * pixels * 6;
  if (store.on_disk) {
    bytes += static_cast<uint64_t>(store.Count()) * store.channels * static_cast<uint64_t>(std::max(band_rows, 1)) *
             static_cast<uint64_t>(store.width) * 4;
  }
  return bytes;
}

OpStatus IntegrateFrames(const FrameStore& store, const std::vector<FrameScaling>& scaling, const CombineRule& rule,
                         int band_rows, const BandProgress& progress, IntegrateOutput* out) {
  const int n = store.Count(), w = store.width, h = store.height, channels = store.channels;
  if (n == 0 || static_cast<int>(scaling.size()) < n) return kOpNothingToDo;
  band_rows = std::clamp(band_rows, 1, h);
  if (!MemoryFits(IntegrateBytes(store, band_rows))) return kOpNoMemory;
  IntegrateOutput fresh;
  if (!AllocateFloatFrame(fresh.result, w, h, channels) || !AllocateImagePlanes(fresh.low_map, w, h, false) ||
      !AllocateImagePlanes(fresh.high_map, w, h, false)) {
    return kOpNoMemory;
  }
  std::unique_ptr<float[]> band;
  const size_t band_plane = static_cast<size_t>(band_rows) * w;
  if (store.on_disk) {
    band.reset(new (std::nothrow) float[band_plane * channels * n]);
    if (band == nullptr) return kOpNoMemory;
  }
  std::vector<const float*> base(static_cast<size_t>(n) * channels);
  // Each pixel's stack is sorted by a network padded to a power of two;
  // missing values and the padding sort last as +infinity.
  int sort_size = 1;
  while (sort_size < n) sort_size *= 2;
  SortingNetwork(sort_size);
  const float kNoData = std::numeric_limits<float>::quiet_NaN();
  const float kEnd = std::numeric_limits<float>::infinity();
  for (int first = 0; first < h; first += band_rows) {
    const int rows = std::min(band_rows, h - first);
    for (int k = 0; k < n; ++k) {
      for (int c = 0; c < channels; ++c) {
        if (store.on_disk) {
          base[k * channels + c] = band.get() + (static_cast<size_t>(k) * channels + c) * rows * w;
        } else {
          base[k * channels + c] = store.memory[k].get() + (static_cast<size_t>(c) * h + first) * w;
        }
      }
      if (store.on_disk && !ReadBand(store, k, first, rows, band.get() + static_cast<size_t>(k) * channels * rows * w)) {
        return kOpNothingToDo;
      }
    }
#pragma omp parallel
    {
      std::vector<float> values(static_cast<size_t>(sort_size) * kLanes), weights(values.size());
      std::vector<StackSample> samples(n);
#pragma omp for schedule(static)
      for (int r = 0; r < rows; ++r) {
        const size_t row_at = static_cast<size_t>(r) * w;
        const size_t out_at = static_cast<size_t>(first + r) * w;
        for (int c = 0; c < channels; ++c) {
          for (int x0 = 0; x0 < w; x0 += kLanes) {
            const int lanes = std::min(kLanes, w - x0);
            for (int k = 0; k < sort_size; ++k) {
              float* v = &values[static_cast<size_t>(k) * kLanes];
              float* wt = &weights[static_cast<size_t>(k) * kLanes];
              float in[kLanes];
              std::fill(in, in + kLanes, kNoData);
              if (k < n) std::copy(base[k * channels + c] + row_at + x0, base[k * channels + c] + row_at + x0 + lanes, in);
              const float scale = k < n ? scaling[k].scale[c] : 1, offset = k < n ? scaling[k].offset[c] : 0;
              const float weight = k < n ? scaling[k].weight : 0;
              for (int l = 0; l < kLanes; ++l) {
                const bool missing = std::isnan(in[l]);
                v[l] = missing ? kEnd : in[l] * scale + offset;
                wt[l] = missing ? 0.0f : weight;
              }
            }
            SortLanes(values.data(), weights.data(), sort_size);
            for (int l = 0; l < lanes; ++l) {
              int count = 0;
              while (count < n && values[static_cast<size_t>(count) * kLanes + l] != kEnd) {
                samples[count] = {values[static_cast<size_t>(count) * kLanes + l],
                                  weights[static_cast<size_t>(count) * kLanes + l]};
                ++count;
              }
              int rejected_low, rejected_high;
              const size_t at = out_at + x0 + l;
              fresh.result.Plane(c)[at] = CombineSorted(rule, samples.data(), count, &rejected_low, &rejected_high);
              fresh.low_map.Channel(c)[at] = static_cast<uint16_t>(static_cast<int64_t>(rejected_low) * 65535 / n);
              fresh.high_map.Channel(c)[at] = static_cast<uint16_t>(static_cast<int64_t>(rejected_high) * 65535 / n);
            }
          }
        }
      }
    }
    if (progress && !progress(static_cast<double>(first + rows) / h)) return kOpCancelled;
  }
  for (Image* map : {&fresh.low_map, &fresh.high_map}) {
    for (int c = channels; c < 3; ++c) {
      std::copy(map->r.get(), map->r.get() + map->PixelCount(), map->Channel(c));
    }
  }
  *out = std::move(fresh);
  return kOpMade;
}

}  // namespace tavo
