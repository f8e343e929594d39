// SPDX-License-Identifier: MIT
#include "stack/deep/integrate.h"

#include <algorithm>
#include <cmath>
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
      std::vector<StackSample> samples(n);
#pragma omp for schedule(static)
      for (int r = 0; r < rows; ++r) {
        const size_t row_at = static_cast<size_t>(r) * w;
        const size_t out_at = static_cast<size_t>(first + r) * w;
        for (int c = 0; c < channels; ++c) {
          float* result = fresh.result.Plane(c) + out_at;
          uint16_t* low = fresh.low_map.Channel(c) + out_at;
          uint16_t* high = fresh.high_map.Channel(c) + out_at;
          for (int x = 0; x < w; ++x) {
            int count = 0;
            for (int k = 0; k < n; ++k) {
              const float v = base[k * channels + c][row_at + x];
              if (std::isnan(v)) continue;
              samples[count++] = {v * scaling[k].scale[c] + scaling[k].offset[c], scaling[k].weight};
            }
            int rejected_low, rejected_high;
            result[x] = CombinePixelStack(rule, samples.data(), count, &rejected_low, &rejected_high);
            low[x] = static_cast<uint16_t>(static_cast<int64_t>(rejected_low) * 65535 / n);
            high[x] = static_cast<uint16_t>(static_cast<int64_t>(rejected_high) * 65535 / n);
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
