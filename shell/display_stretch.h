// SPDX-License-Identifier: MIT
// shell/display_stretch.h - how samples become screen levels. Linear shows
// the top byte of every sample. The automatic stretch maps each channel (or
// the three alike) through a midtones transfer curve set from the image's
// median and spread, as astronomical viewers do, so that linear frames and
// stacks show their sky and stars at a glance. Logarithmic lifts the faint
// end by a fixed curve. Display only: the planes, and every readout taken
// from them, keep the true samples.
#pragma once
#include <cstdint>
#include <vector>

#include "core/image.h"

namespace tavo {

enum DisplayStretchMode {
  kStretchLinear = 0,
  kStretchAutoChannel = 1,  // one curve per channel: a colour cast is evened out
  kStretchAutoLinked = 2,   // one curve from the channels' mean statistics
  kStretchLog = 3,
};
constexpr int kStretchModeCount = 4;
// The display settings dialog's caption and names of the modes, in mode
// order.
inline constexpr char kStretchCaption[] = "表示の明るさ（画像データは変わりません）";
inline constexpr const char* kStretchLabels[kStretchModeCount] = {
    "リニア（そのまま）", "オートストレッチ（色ごと）", "オートストレッチ（RGB共通）", "対数"};

// Median of the samples and their median absolute deviation from it.
struct ChannelStats {
  int median = 0;
  int spread = 0;
};

// Taken on the histogram's grid (every (width / 100 + 1)-th column of every
// (height / 100 + 1)-th row); a monochrome image is read through R. An
// empty image gives zeros. Upper medians of even counts.
void SampleChannelStats(const Image& image, ChannelStats stats[3]);

// Screen level 0..255 of sample `v` under the automatic stretch for `s`.
// With x = v / 65535, median m and normalised spread d = 1.4826 x spread /
// 65535 (spread at least 1): the shadows clip at c = max(0, m - 2.8 d);
// y = (x - c) / (1 - c) clamped to 0..1; the midtones balance b solves
// MTF(b, (m - c) / (1 - c)) = 1/4, held to 1e-4..1/2 (a bright image is
// never darkened, a black sky not blown out); the level is 255 x MTF(b, y)
// rounded, MTF(b, y) = (b - 1) y / ((2b - 1) y - b). So the median shows
// at 64 and everything from c down is black.
int AutoStretchLevel(int v, const ChannelStats& s);
// 255 x ln(1 + 1000 x) / ln(1001) of x = v / 65535, rounded.
int LogStretchLevel(int v);

// Lookup tables sample -> level for one image and mode; empty for linear.
struct StretchTables {
  int mode = kStretchLinear;
  ChannelStats stats[3];
  std::vector<uint8_t> level[3];  // 65536 entries each
  bool Active() const { return !level[0].empty(); }
};

// Brings `tables` up to date for `image` under `mode` (an unknown mode is
// linear). The statistics are sampled every time; the tables are rebuilt
// only when the mode or the statistics changed.
void UpdateStretchTables(const Image& image, int mode, StretchTables* tables);

}  // namespace tavo
