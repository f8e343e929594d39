// SPDX-License-Identifier: MIT
// raw/fast_rows.h - one row of each stage of the fast development
// (raw/fast_develop.h gives the rules), and the splitting of rows among
// threads. The inner pixels of a row go eight samples at a time; border
// pixels take the general rule. Rows are independent of each other, so
// any split of them gives the same result.
#pragma once
#include <omp.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace tavo {

constexpr int kMostParts = 8;

// How many parts RunInParts splits `count` items into: as many as OpenMP
// may use threads (at most kMostParts, at most count), or 1.
inline int RowParts(int count, bool parallel) {
  const int parts = parallel ? std::min(omp_get_max_threads(), kMostParts) : 1;
  return std::max(1, std::min(parts, count));
}

// Start of part k of [0, count) split into `parts` contiguous parts.
inline int PartStart(int count, int parts, int k) {
  return static_cast<int>(static_cast<int64_t>(count) * k / parts);
}

// Which of those parts begins at `first` (the index a part's body gets to
// keep per-part results apart).
inline int PartAt(int count, int parts, int first) {
  int k = 0;
  while (k + 1 < parts && PartStart(count, parts, k + 1) <= first) ++k;
  return k;
}

// Runs body(begin, end) over the `parts` parts of [0, count), each on its
// own thread, the first on this one; returns when all are done. Plain
// threads rather than an OpenMP team: a team's idle workers spin between
// and after regions and, on a busy machine, take processor time from the
// thread that still works. When no thread can be started this one does
// the remaining parts, with the same bounds.
template <typename Body>
void RunInParts(int count, int parts, const Body& body) {
  std::thread workers[kMostParts];
  int started = 1;
  for (; started < parts; ++started) {
    const int begin = PartStart(count, parts, started), end = PartStart(count, parts, started + 1);
    try {
      workers[started] = std::thread([&body, begin, end] { body(begin, end); });
    } catch (...) {
      break;
    }
  }
  for (int k = started; k < parts; ++k) body(PartStart(count, parts, k), PartStart(count, parts, k + 1));
  body(0, PartStart(count, parts, 1));
  for (int k = 1; k < started; ++k) workers[k].join();
}

// Demosaics mosaic row y (records: four samples a pixel, top row first)
// into `r`, `g`, `b` (one row each).
void DemosaicRow(const uint16_t* records, int width, int height, int pattern, int y, uint16_t* r, uint16_t* g,
                 uint16_t* b);

// ((R + G + B) / 3) >> 2 for one row of `width` pixels.
void LumaRow(const uint16_t* r, const uint16_t* g, const uint16_t* b, int width, uint16_t* out);

// The cross mean of one row of L; `up` and `down` are the rows above and
// below, null outside the plane.
void CrossMeanRow(const uint16_t* up, const uint16_t* mid, const uint16_t* down, int width, uint16_t* out);

// Row y of the sharpened luminance from the plane `t1` (sharpness 1..8).
void SharpenRow(const uint16_t* t1, int width, int height, int y, int sharpness, int radius, uint16_t* out);

// One row of the colour stage. above/below: the colour rows as they were
// before the stage, null outside the plane; cur: row y as it was. The
// output rows must not overlap any input.
struct ColourRowJob {
  const uint16_t* above[3];
  const uint16_t* cur[3];
  const uint16_t* below[3];
  const uint16_t* t1;
  const uint16_t* t2;
  uint16_t* out[3];
  int width;
  int false_colour;  // 0..4
  int gain;
  int hue_shift;  // -36..36
};
void ColourRow(const ColourRowJob& job);

}  // namespace tavo
