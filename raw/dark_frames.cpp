// SPDX-License-Identifier: MIT
#include "raw/dark_frames.h"

#include <cstdlib>
#include <vector>

#include "core/memory.h"
#include "raw/libraw_session.h"

namespace tavo {
namespace {

void ClearFrame(DarkFrame& frame) { frame = DarkFrame{}; }

bool SameSize(const DarkFrame& a, const DarkFrame& b) {
  return a.width == b.width && a.height == b.height;
}

int Deviation(int sample, int mean) { return std::abs(sample - mean); }

uint16_t CombineSample(const uint16_t* s, int count) {
  switch (count) {
    case 1: return s[0];
    case 2: return static_cast<uint16_t>((s[0] + s[1]) >> 1);
    case 3: {
      const int m = (s[0] + s[1] + s[2]) / 3;
      const int da = Deviation(s[0], m), db = Deviation(s[1], m), dc = Deviation(s[2], m);
      if (da >= db && da >= dc) return static_cast<uint16_t>((s[1] + s[2]) >> 1);
      if (db >= da && db >= dc) return static_cast<uint16_t>((s[0] + s[2]) >> 1);
      return static_cast<uint16_t>((s[0] + s[1]) >> 1);
    }
    default: {
      const int sum = s[0] + s[1] + s[2] + s[3];
      const int m = sum >> 2;
      int drop = 0;
      for (int k = 1; k < 4; ++k) {
        if (Deviation(s[k], m) > Deviation(s[drop], m)) drop = k;
      }
      return static_cast<uint16_t>((sum - s[drop]) / 3);
    }
  }
}

}  // namespace

void ReleaseDarkFrames(DarkFrameSet& set) {
  for (DarkFrame& frame : set.frames) ClearFrame(frame);
}

void ForgetDarkFrames(DarkFrameSet& set) {
  // Owned planes cannot be merely forgotten; dropping them is the same
  // state the program starts from.
  ReleaseDarkFrames(set);
  ClearFrame(set.master);
}

int LoadDarkFrame(DarkFrameSet& set, const std::string& path, int position) {
  if (position < 0 || position >= kDarkFrameCount) return kRawCannotOpen;
  DarkFrame& frame = set.frames[position];
  if (path.empty()) {
    ClearFrame(frame);
    return kRawCannotOpen;
  }
  int status = kRawOk;
  RawSessionPtr session = OpenRawSession(path, &status);
  if (status == kRawOk && !MemoryFits(RawImageBytes(*session))) status = kRawNoMemory;
  if (status == kRawOk) status = DecodeScaledMosaic(*session);
  if (status == kRawCannotOpen) {
    ClearFrame(frame);
    return status;
  }
  if (status != kRawOk) {
    ReleaseDarkFrames(set);
    return status;
  }
  const RawMosaicView view = MosaicView(*session);
  ClearFrame(frame);
  const size_t count = static_cast<size_t>(view.width) * static_cast<size_t>(view.height);
  DarkFrame loaded;
  for (Plane& plane : loaded.planes) {
    plane = NewPlane(count, false);
    if (!plane) return kRawNoMemory;
  }
  for (size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 4; ++c) loaded.planes[c][i] = view.records[i * 4 + c];
  }
  loaded.width = view.width;
  loaded.height = view.height;
  loaded.gain = RawScaleGain(*session);
  frame = std::move(loaded);
  return kRawOk;
}

uint16_t Rescale(uint16_t sample, double from, double to) {
  if (from == to || from <= 0) return sample;
  const double v = sample * to / from;
  return v >= 65535.0 ? 65535 : static_cast<uint16_t>(v);
}

int CountedDarkFrames(const DarkFrameSet& set) {
  int n = 0;
  while (n < kDarkFrameCount && set.frames[n].Loaded()) ++n;
  return n;
}

bool CombineDarkFrames(DarkFrameSet& set, int mode) {
  ClearFrame(set.master);
  if (mode < 0) return true;
  // A frame of another size would be read outside its planes; it ends the
  // count like a gap does.
  int count = CountedDarkFrames(set);
  for (int k = 1; k < count; ++k) {
    if (!SameSize(set.frames[k], set.frames[0])) {
      count = k;
      break;
    }
  }
  if (count == 0) return true;
  const int width = set.frames[0].width;
  const int height = set.frames[0].height;
  const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  DarkFrame master;
  for (Plane& plane : master.planes) {
    plane = NewPlane(n, true);
    if (!plane) return false;
  }
  for (int c = 0; c < 4; ++c) {
    uint16_t* out = master.planes[c].get();
    const uint16_t* in[kDarkFrameCount] = {};
    for (int k = 0; k < count; ++k) in[k] = set.frames[k].planes[c].get();
    for (size_t i = 0; i < n; ++i) {
      uint16_t s[kDarkFrameCount];
      for (int k = 0; k < count; ++k) s[k] = Rescale(in[k][i], set.frames[k].gain, set.frames[0].gain);
      out[i] = CombineSample(s, count);
    }
  }
  master.width = width;
  master.height = height;
  master.gain = set.frames[0].gain;
  set.master = std::move(master);
  return true;
}

uint16_t DiamondMean(const uint16_t* records, int width, int height, int x, int y, int c) {
  //         (0,-2)
  //   (-1,-1)(0,-1)(1,-1)
  // (-2,0)(-1,0) * (1,0)(2,0)
  //   (-1,1) (0,1) (1,1)
  //          (0,2)
  static const int kOffsets[12][2] = {{0, -2}, {-1, -1}, {0, -1}, {1, -1}, {-2, 0}, {-1, 0},
                                      {1, 0},  {2, 0},   {-1, 1}, {0, 1},  {1, 1},  {0, 2}};
  int n = 0, sum = 0, lo = 65535, hi = 0;
  for (const auto& o : kOffsets) {
    const int xx = x + o[0], yy = y + o[1];
    if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
    const int v = records[(static_cast<size_t>(yy) * width + xx) * 4 + c];
    if (v == 0) continue;
    ++n;
    sum += v;
    if (v < lo) lo = v;
    if (v > hi) hi = v;
  }
  if (n == 0) return 0;
  if (n <= 2) return static_cast<uint16_t>(sum / n);
  const int m = sum / n;
  const int rest = std::abs(lo - m) < std::abs(hi - m) ? sum - hi : sum - lo;
  return static_cast<uint16_t>(rest / (n - 1));
}

bool ApplyMasterDark(uint16_t* records, int width, int height, const DarkFrame& dark, int mode,
                     int threshold, double light_gain) {
  if (!dark.Loaded() || dark.width != width || dark.height != height) return false;
  const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  switch (mode) {
    case kDarkKeep:
    case kDarkZero:
      for (size_t i = 0; i < n; ++i) {
        for (int c = 0; c < 4; ++c) {
          uint16_t& v = records[i * 4 + c];
          const uint16_t d = Rescale(dark.planes[c][i], dark.gain, light_gain);
          if (v > d) {
            v = static_cast<uint16_t>(v - d);
          } else if (mode == kDarkZero) {
            v = 0;
          }
        }
      }
      break;
    case kDarkNeighbours: {
      std::vector<size_t> marks;  // sample index i * 4 + c, in row-major order
      for (size_t i = 0; i < n; ++i) {
        for (int c = 0; c < 4; ++c) {
          uint16_t& v = records[i * 4 + c];
          if (v == 0) continue;
          const int d = Rescale(dark.planes[c][i], dark.gain, light_gain);
          if (v > d + threshold) {
            v = static_cast<uint16_t>(v - d);
            continue;
          }
          marks.push_back(i * 4 + c);
          v = v > d ? static_cast<uint16_t>(v - d) : 0;
        }
      }
      for (size_t m : marks) {
        const size_t i = m / 4;
        const int c = static_cast<int>(m % 4);
        const int x = static_cast<int>(i % static_cast<size_t>(width));
        const int y = static_cast<int>(i / static_cast<size_t>(width));
        records[m] = DiamondMean(records, width, height, x, y, c);
      }
      break;
    }
    default: break;  // unknown mode: mosaic untouched
  }
  return true;
}

}  // namespace tavo
