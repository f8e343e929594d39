// SPDX-License-Identifier: MIT
// raw/dark_frames.h - the dark-frame set of RAW development: up to four dark
// camera files, developed to the scaled mosaic, combined into one master
// dark that is subtracted from every file developed afterwards.
#pragma once
#include <cstdint>
#include <string>

#include "core/image.h"

namespace tavo {

constexpr int kDarkFrameCount = 4;

// Dark handling modes for samples where the dark is not smaller than the
// light value.
constexpr int kDarkKeep = 0;         // no subtraction there
constexpr int kDarkZero = 1;         // set to 0
constexpr int kDarkNeighbours = 2;   // replaced by the diamond mean
constexpr int kDefectThresholdMax = 1024;

// Four planes, one per library colour channel 0..3, each width x height
// samples of the scaled mosaic, top row first. Empty when not loaded.
struct DarkFrame {
  Plane planes[4];
  int width = 0;
  int height = 0;
  // Scale of the samples relative to scaling by the identified maximum
  // (RawScaleGain); 1 in the usual case.
  double gain = 1.0;

  bool Loaded() const { return planes[0] != nullptr && width > 0 && height > 0; }
};

struct DarkFrameSet {
  std::string paths[kDarkFrameCount];  // "" marks a free position
  DarkFrame frames[kDarkFrameCount];
  DarkFrame master;                    // the only frame development uses
};

// Develops `path` up to the scaled mosaic (no dark applied) and keeps its
// four channels as frame `position` (0..3). An empty path or a file that
// cannot be opened releases that frame; a file the library fails on
// releases all four frames. Returns a RawStatus (raw/libraw_session.h).
int LoadDarkFrame(DarkFrameSet& set, const std::string& path, int position);
// Frees all four frames.
void ReleaseDarkFrames(DarkFrameSet& set);
// Start-up form: no frames and no master, paths kept.
void ForgetDarkFrames(DarkFrameSet& set);

// Mode < 0: the master is forgotten (start-up). Otherwise the master is
// rebuilt from the loaded frames counted from position 0 up to the first
// unloaded one, or to the first whose size differs from frame 0's; with no
// frame counted the master is freed. Per sample, with the counted frames'
// samples a, b, c, d:
//   1: a;  2: (a + b) >> 1;
//   3: m = (a + b + c) / 3, the sample farthest from m is dropped (ties drop
//      the earliest frame) and the other two averaged with >> 1;
//   4: m = sum >> 2, the farthest (earliest on ties) is dropped and the
//      other three summed and divided by 3.
// Frames scaled by a different gain than frame 0 are first brought to
// frame 0's scale (truncating); the master takes frame 0's gain.
// False when the master's planes could not be had (then no master).
bool CombineDarkFrames(DarkFrameSet& set, int mode);

// Frames loaded counting from position 0, stopping at the first gap.
int CountedDarkFrames(const DarkFrameSet& set);

// Subtracts `dark` from the mosaic (width x height records of four samples,
// top row first) with light value v and dark value d per channel:
//   mode 0: v - d where v > d, else v unchanged;
//   mode 1: v - d where v > d, else 0;
//   mode 2: v = 0 stays; v > d + threshold becomes v - d; otherwise the
//           sample is marked defective (v - d where v > d, else 0), and when
//           every pixel is done each mark, in row-major order, takes the
//           diamond mean of DiamondMean from the mosaic as it then stands.
// Other modes change nothing. Returns false, mosaic untouched, when the
// dark's size differs from the mosaic's. When the light was scaled with
// `light_gain` and the dark with another gain, each dark sample d is taken
// as d x light_gain / dark.gain (truncated, at most 65535), so that both
// stand on the light's scale.
bool ApplyMasterDark(uint16_t* records, int width, int height, const DarkFrame& dark, int mode,
                     int threshold, double light_gain = 1.0);

// `sample` brought from scale `from` to scale `to`: unchanged when they are
// equal, else trunc(sample x to / from), at most 65535.
uint16_t Rescale(uint16_t sample, double from, double to);

// Replacement for channel c at (x, y): the non-zero channel-c samples of
// the twelve positions of the radius-2 diamond inside the mosaic; n of them
// with sum S, largest max and smallest min: n = 0 gives 0, n = 1 or 2 S / n;
// n >= 3: m = S / n, drop max when |min - m| < |max - m|, else drop min,
// and divide the rest by n - 1.
uint16_t DiamondMean(const uint16_t* records, int width, int height, int x, int y, int c);

}  // namespace tavo
