// SPDX-License-Identifier: MIT
// tone/levels.h - level correction: an input window shifted by a brightness
// offset, a power-law gamma and an output window, with a contrast control
// that narrows the input window (contrast > 0) or the output window
// (contrast < 0).
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/status.h"

namespace tavo {

// One table of the level settings. Window values are 8-bit units; the
// mapping works on 16-bit samples (units x 256).
struct LevelWindow {
  int in_min = 0;       // 0 .. in_max - 1
  int in_max = 255;     // 1 .. 255
  int brightness = 0;   // -255..255; shifts the input window down by this
  int contrast = 0;     // -100..100
  int gamma = 100;      // hundredths, 1..400; the exponent is 100 / gamma
  int out_min = 0;      // 0 .. out_max - 1
  int out_max = 255;    // 1 .. 255
};

constexpr int kLevelAllColours = 0;  // `table` 0: windows[0] for every plane

struct LevelParams {
  // 0: windows[0] maps R, G and B. 1..3: per-channel mode, windows[1], [2],
  // [3] map R, G, B (the value only says which one a dialog edits).
  int table = kLevelAllColours;
  LevelWindow windows[4];  // all colours, R, G, B
};

// Every field limited to its range above: the maxima first (1..255), then
// each minimum to 0 .. its maximum - 1.
LevelWindow ClampLevelWindow(const LevelWindow& window);

// One 16-bit sample value through the (clamped) window, in double
// precision, before truncation: at most 65535.0, at least the output
// minimum x 256 less a rounding hair. Contrast 100 on an input window of
// even width narrows it to one point P = (minimum - brightness) x 256: the
// map is then a hard threshold, out_min x 256 below P and out_max x 256 from
// P up.
double LevelMap(int value, const LevelWindow& window);

// table[v] = LevelMap(v) truncated, for every v in 0..65535.
void BuildLevelTable(const LevelWindow& window, uint16_t table[65536]);

// The dialog's curve: out[i] = LevelMap(i * 256) truncated, / 256.
void LevelCurve(const LevelWindow& window, uint8_t out[256]);

// Maps every sample of R, G and B, whatever the monochrome flag says. In
// per-channel mode a monochrome image first gets G and B as copies of R
// (they may be stale) and the flag is cleared: the result is a colour
// image. Empty image: kOpNothingToDo, else kOpMade.
OpStatus ApplyLevels(Image& image, const LevelParams& params);

}  // namespace tavo
