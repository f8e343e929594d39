// SPDX-License-Identifier: MIT
// raw/develop_raw.h - developing a camera RAW file into an Image: the
// library decodes and scales the mosaic, the master dark is subtracted,
// and either the fast development or the library's demosaicing, sRGB
// conversion and a 0.45 gamma finish the picture. Rows are stored bottom
// row first; the camera's orientation is not applied.
#pragma once
#include <string>

#include "settings/settings.h"
#include "core/image.h"
#include "core/progress.h"
#include "raw/dark_frames.h"
#include "raw/libraw_session.h"

namespace tavo {

// What happened besides the image itself, for the shell to report.
struct RawDevelopOutcome {
  int status = kRawOk;        // RawStatus
  bool dark_skipped = false;  // a master dark exists but its size differs from the mosaic's
  double exposure = 0;        // seconds, as the file records it; 0 when unknown
};

// path_code: 0 or below the fast path; 1..4 the library path with demosaic
// quality path_code - 1 (0 bilinear, 1 VNG, 2 PPG, 3 AHD); above 4 acts as
// 1. dark_code: defect threshold * 256 + dark handling mode, applied with
// darks->master when there is one (a negative code or null `darks`: no
// dark). The fast-path values are clamped to their ranges (see
// FastDevelopParams); hue_shift is -36..36.
// Success: target has fresh planes, its developed size and the path as its
// name. Failure: target width and height are -1 and its planes stay as
// they were; outcome->status says why. `outcome` may be null. `progress`
// (may be null) hears of the decoding, the dark subtraction and the
// development stages; a stop there fails with kRawCancelled.
void DevelopRaw(const std::string& path, Image& target, int path_code, int dark_code, double gamma_r,
                double gamma_g, double gamma_b, int black_r, int white_r, int black_g, int white_g,
                int black_b, int white_b, int sharpness, int radius, int false_colour, int saturation,
                int hue_shift, const DarkFrameSet* darks, RawDevelopOutcome* outcome, Progress* progress = nullptr);

inline constexpr char kProgressRawDecode[] = "Decoding RAW";     // progress texts
inline constexpr char kProgressRawDark[] = "Subtracting dark";

// The packing every caller does: path code (quality + 1) * path, dark code
// threshold * 256 + mode, hue shift 2 * position - 36; values outside the
// dialog ranges are clamped first.
int RawPathCode(const RawDevelopSettings& settings);
int RawDarkCode(const RawDevelopSettings& settings);
int RawHueShift(int hue_position);

// DevelopRaw with the values of `settings`.
void DevelopRawWithSettings(const std::string& path, Image& target, const RawDevelopSettings& settings,
                            const DarkFrameSet* darks, RawDevelopOutcome* outcome, Progress* progress = nullptr);

// Every field back to its default except the development path and the two
// dark-frame fields.
void ResetRawDevelopSettings(RawDevelopSettings& settings);

// trunc(v^0.45 * 65535 / 65535^0.45) for v = 0..65535: the library path's
// display gamma.
const uint16_t* LibraryGammaTable();

}  // namespace tavo
