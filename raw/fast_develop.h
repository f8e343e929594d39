// SPDX-License-Identifier: MIT
// raw/fast_develop.h - the system's own fast development of a scaled,
// dark-corrected mosaic: tone curve and gamma, a small weighted-mean
// demosaic, luminance smoothing and sharpening, then false-colour
// smoothing, hue, saturation and the sharpened luminance put back on the
// colour. No colour matrix: the result stays in the camera's white-balanced
// RGB.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/progress.h"

namespace tavo {

struct FastDevelopParams {
  double gamma[3] = {2.2, 2.2, 2.2};  // R, G, B; 1.0..4.0
  int black[3] = {5, 3, 0};           // toe, 0..32 in half 8-bit units
  int white[3] = {180, 160, 130};     // shoulder, 128..255
  int sharpness = 6;                  // 0..8
  int radius = 0;                     // 0: 1 pixel, 1: 2 pixels
  int false_colour = 2;               // 0..4
  int saturation = 3;                 // 0..4
  int hue_shift = 0;                  // -36..36
  Progress* progress = nullptr;       // told before each stage; may stop the run
};

inline constexpr char kProgressRawDevelop[] = "Developing RAW";  // progress text

// Out-of-range values are brought into the ranges above.
FastDevelopParams ClampFastParams(const FastDevelopParams& params);

// Stage 1 as a table: out[v] for every 16-bit input v of one channel with
// toe `black`, shoulder `white` and display gamma `gamma`. The toe is the
// parabola 1024 v^2 / x0^2 below x0 = (black + 8) * 128, the shoulder the
// line from 63488 at x1 = (white - 4) * 256 to 65536, a cubic between them
// matching both slopes; then trunc(y^(1/gamma) * 65535 / 65535^(1/gamma)),
// clamped. out[0] is 0.
void BuildToneTable(int black, int white, double gamma, uint16_t* out);

// The three tables of stage 1 (R, G, B, 65536 entries each) for `params`,
// brought into their ranges first.
void BuildFastToneTables(const FastDevelopParams& params, uint16_t* tables);

// Stage 1 on mosaic channels 0..2 of rows [row_begin, row_end), in place.
// `records` holds four samples per pixel, top row first; zero samples stay.
void ToneMosaicRows(uint16_t* records, int width, int row_begin, int row_end,
                    const uint16_t* const tables[3]);

// Stage 2 for mosaic rows [row_begin, row_end): fills target row
// height - 1 - y from mosaic row y. Pattern none copies; the 2 x 2 mosaic
// keeps a present sample and fills an absent (zero) one with the mean of
// the non-zero same-channel samples among the eight neighbours (edges
// weight 2, corners 1); the 6 x 6 pattern always takes the weighted mean of
// the 3 x 3 window with the centre at weight 16. Nothing found gives 0.
void DemosaicRows(const uint16_t* records, int width, int height, int pattern, int row_begin,
                  int row_end, uint16_t* r, uint16_t* g, uint16_t* b);

// Stage 3. L = ((R + G + B) / 3) >> 2; t1 = the cross mean of L (centre and
// its edge neighbours inside the image, divided by their count); t2 = t1
// when sharpness is 0, otherwise t1 smoothed where it differs little from
// its ring mean and sharpened where it differs by 4 * (8 - sharpness) or
// more, clamped to 0..16383. The ring is the eight neighbours (radius 0) or
// the 5 x 5 window without corners and centre (radius 1), inside the image.
void LuminanceStage(const uint16_t* r, const uint16_t* g, const uint16_t* b, int width, int height,
                    int sharpness, int radius, uint16_t* t1, uint16_t* t2);

// The ring stage 3 compares a pixel with: the eight neighbours (radius 0)
// or the 5 x 5 window without its corners and centre (radius 1), only the
// points inside the plane, summed and divided by their count (8 or 20 in
// the interior; 3 or 7 at a corner). A 1 x 1 plane gives the pixel itself.
int RingMean(const uint16_t* plane, int width, int height, int x, int y, int radius);

// Saturation gain: |h| + 15q below 60, 15q + 120 - |h| from 60 to 119,
// |h| + 15q - 120 from 120 on.
int SaturationGain(int hue_shift, int saturation);

// Stage 4 on the target planes, in place. With false_colour > 0 the colour
// source is each channel smoothed with its eight neighbours, as they were
// before the stage. Per pixel: black where t1 is 0; otherwise hue
// rotation, then ((((c - m) * A) / 60 + c) * t2) / t1 with m the mean of
// the three channels, clamped. t1 and t2 lie below 16384, as stage 3
// makes them. false_colour is brought into 0..4.
void ColourStage(Image& target, const uint16_t* t1, const uint16_t* t2, int false_colour, int saturation,
                 int hue_shift);

// All four stages: the mosaic (width x height records of four samples,
// changed by stage 1) into the target, whose three planes of width x
// height must exist; every sample is written. After stage 2 the records
// serve as working memory: afterwards they hold no mosaic. On images of
// 2^18 pixels or more every stage splits its rows over as many threads as
// OpenMP may use; the result does not depend on it. False - target
// unchanged - when the sizes do not match; false with the target partly
// written when stopped through params.progress (progress->stopped tells
// the two apart). `tables`, when given, must be
// what BuildFastToneTables makes of `params` (built ahead, say, while the
// file is decoded); `toned`: stage 1 has been done with them already.
bool FastDevelop(uint16_t* records, int width, int height, int pattern, const FastDevelopParams& params,
                 Image& target, const uint16_t* tables = nullptr, bool toned = false);

}  // namespace tavo
