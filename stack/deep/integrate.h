// SPDX-License-Identifier: MIT
// stack/deep/integrate.h - the registered frames combined into one, band
// by band, so that only a band of every frame is in memory at a time.
#pragma once
#include <functional>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "stack/deep/combine.h"
#include "stack/deep/float_frame.h"
#include "stack/deep/frame_store.h"

namespace tavo {

// A frame's normalisation and weight: its sample v enters the stack as
// v x scale[c] + offset[c] with `weight` (> 0).
struct FrameScaling {
  float scale[3] = {1, 1, 1};
  float offset[3] = {0, 0, 0};
  float weight = 1;
};

struct IntegrateOutput {
  FloatFrame result;  // NaN where no frame holds data
  // Rejected values per pixel and channel, as count x 65535 / frames
  // (truncated): 65535 where every frame was rejected. R, G and B alike
  // for a one-plane stack.
  Image low_map, high_map;
};

// Fraction done (0..1); returning false stops the run.
using BandProgress = std::function<bool(double)>;

// Combines every frame of `store` (scaling[k] for frame k) by `rule`,
// reading `band_rows` rows at a time (at least 1). NaN samples take no
// part. Rows of a band are shared among threads; the result depends
// neither on their number nor on band_rows. kOpNoMemory (output untouched)
// when the outputs or the band cannot be had, kOpCancelled when `progress`
// said stop, kOpNothingToDo for a read failure or an empty store.
OpStatus IntegrateFrames(const FrameStore& store, const std::vector<FrameScaling>& scaling, const CombineRule& rule,
                         int band_rows, const BandProgress& progress, IntegrateOutput* out);

// Bytes IntegrateFrames needs besides the frames: the outputs and, for a
// store on disk, the band.
uint64_t IntegrateBytes(const FrameStore& store, int band_rows);

}  // namespace tavo
