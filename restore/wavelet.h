// SPDX-License-Identifier: MIT
// restore/wavelet.h - wavelet sharpening: each plane split into five detail
// sub-bands of falling frequency and a coarse residual, every sub-band scaled
// by its own gain and the plane rebuilt; and the enlarging path, which
// doubles both sides through an orthonormal wavelet synthesis with the same
// gains.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "core/progress.h"
#include "core/status.h"

namespace tavo {

constexpr int kWaveletGainMax = 500;  // gains are tenths: 10 = 1.0
constexpr int kWaveletGainUnity = 10;
constexpr int kWaveletOrderMin = 1;
constexpr int kWaveletOrderMax = 10;
// A side this long or longer is never enlarged: the in-place path runs.
constexpr int kWaveletEnlargeLimit = 5000;

inline constexpr char kProgressWavelet[] = "Wavelet sharpening";  // progress text

struct WaveletParams {
  // gains[0]: the coarse residual, used by the enlarging path only.
  // gains[1]..gains[5]: sub-bands "5(L)", "4", "3", "2", "1(H)".
  // Tenths, 0..500; values outside are used as they are.
  int gains[6] = {10, 10, 10, 10, 10, 10};
  int filter_order = 2;  // Daubechies order of the enlarging path, 1..10 (clamped)
  int enlarge = 0;       // 1: enlarge to twice the width and height
  Progress* progress = nullptr;  // told before each plane is sharpened or enlarged; may stop the run
};

// The preset buttons, gains 0..5 each: none, weak, medium, strong.
constexpr int kWaveletPresetCount = 4;
constexpr int kWaveletPresets[kWaveletPresetCount][6] = {
    {10, 10, 10, 10, 10, 10},
    {10, 10, 10, 12, 15, 20},
    {10, 12, 15, 20, 30, 50},
    {10, 15, 20, 30, 50, 90},
};

// True when ApplyWavelet takes the enlarging path for this image size.
bool WaveletEnlarges(int width, int height, const WaveletParams& p);

// Bytes ApplyWavelet needs beyond the image's own planes, so that a caller
// can refuse before it keeps an undo copy. In place: the five coarser levels
// ((W'/2^k) x (H'/2^k) doubles, k = 1..5, W' = (W/32 + 1) x 32, H' alike;
// the finest level is read from the plane itself) and a few rows per
// thread. Enlarging: a 2Wp x 2Hp work area of doubles, Wp and Hp the sides
// rounded up to a multiple of 2^L, and three new planes of 2W x 2H.
uint64_t WaveletWorkBytes(int width, int height, const WaveletParams& p);

// Operation 101 on R and, unless the image is monochrome, on G and B, each
// plane independently; gains are entry x 0.1.
// In place: level 0 is the plane padded to W' x H' by repeating the last
// column and row; five times, a level is averaged 2 x 2 into the next and
// the four-tap prediction from the coarser level is taken off it, leaving
// its detail; level k's detail (k = 0 finest) is multiplied by gain 5 - k;
// the predictions are added back from the coarsest level up. Values are
// truncated and clamped to 0..65535.
// Enlarging (enlarge = 1 and both sides below kWaveletEnlargeLimit): L =
// the largest k + 1 whose gain 5 - k is not 1.0 (0 when all are); L
// periodic analysis steps of (sample - 32768), the bands scaled (the coarse
// band by gain 5 - L), L + 1 synthesis steps, the last with zero details,
// + 32768. The image becomes 2W x 2H; a monochrome image gets G and B as
// copies of the enlarged R so that every plane has the new size.
// Empty image: kOpNothingToDo. Memory short (checked before anything is
// allocated): kOpNoMemory, image untouched. Results do not depend on the
// number of threads. p.progress hears of each plane before it is
// sharpened or enlarged; a stop there returns kOpCancelled, in place with
// the planes done so far changed (the caller keeps a copy), enlarging with
// the image untouched.
OpStatus ApplyWavelet(Image& image, const WaveletParams& p);

// Sum of squares of the detail of levels 0..4 (energy[0] the finest) and of
// the residual level 5 (energy[5]) of one plane in the in-place path, padding
// included. False when the size is not positive or memory is short.
bool WaveletSubbandEnergy(const uint16_t* plane, int width, int height, double energy[6]);

}  // namespace tavo
