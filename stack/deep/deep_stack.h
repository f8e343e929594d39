// SPDX-License-Identifier: MIT
// stack/deep/deep_stack.h - a night's exposures made into one picture:
// master bias, dark and flat frames built from their lists, every light
// frame calibrated, measured, registered onto a reference light by its
// stars, normalised, weighted and combined with outlier rejection, in
// 32-bit float throughout and within a memory budget.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "stack/deep/combine.h"
#include "stack/deep/integrate.h"
#include "stack/deep/match.h"
#include "stack/deep/stars.h"
#include "stack/deep/warp.h"

namespace tavo {

enum MasterMethod { kMasterMedian = 0, kMasterSigmaMean = 1 };
enum StackNormalise { kNormaliseNone = 0, kNormaliseAdd = 1, kNormaliseMultiply = 2, kNormaliseAddScale = 3 };
enum StackWeights { kWeightEqual = 0, kWeightNoise = 1, kWeightStars = 2 };
constexpr int kReferenceBest = 0;  // otherwise the reference is light number N (from 1)

struct DeepStackParams {
  int master_method = kMasterMedian;
  double master_kappa = 3.0;   // sigma-clipped mean of the masters, both sides
  bool scale_dark = false;     // by exposure, when the headers give it and a bias exists
  double hot_kappa = 5.0;      // hot/cold pixels of the master dark; 0: none repaired
  int reference = 1;
  int interpolation = kWarpLanczos;
  // Thresholds; 0 leaves a measure unchecked.
  double max_fwhm = 0;
  int min_stars = 0;
  double max_residual = 0;
  int normalise = kNormaliseAddScale;
  int weights = kWeightNoise;
  CombineRule rule;
  // Bytes for the whole run; 0: half the available memory. A 32nd of it
  // (at most 64 MiB) is left to the program itself (code, libraries, thread
  // stacks, a file being read), the rest is planned with.
  uint64_t memory_limit = 0;
  // Folder that receives every registered frame (kept); empty: they stay in
  // memory, or go to a temporary folder when they do not fit.
  std::string scratch;
  // Folder that receives the masters as 16-bit TIFF files; empty: none.
  std::string masters_folder;
  StarParams stars;
  MatchParams match;
};

struct DeepStackInput {
  std::vector<std::string> lights, biases, darks, flats;
};

enum FrameRole { kRoleLight = 0, kRoleBias = 1, kRoleDark = 2, kRoleFlat = 3 };

enum FrameVerdict {
  kFrameUsed = 0,
  kFrameNotReached,     // the run ended before it
  kFrameUnreadable,     // the file could not be read
  kFrameWrongSize,      // another size than the reference light (or the first frame of its list)
  kFrameUncalibrated,   // the masters have another size
  kFrameUnregistered,   // too few stars, or none that match the reference's
  kFrameFwhm,           // above the FWHM limit
  kFrameFewStars,       // below the star count limit
  kFrameResidual,       // registration residual above its limit
};

struct FrameRecord {
  std::string path;
  int role = kRoleLight;
  int verdict = kFrameNotReached;
  bool reference = false;
  int width = 0, height = 0;
  double exposure = 0;  // seconds, 0 unknown
  int stars = 0, matched = 0;
  double residual = 0, fwhm = 0, background = 0, noise = 0;
  Similarity transform;  // reference -> this frame, stored coordinates
  double weight = 0;     // relative to the largest, 0 when unused
};

struct DeepStackResult {
  IntegrateOutput output;
  std::vector<FrameRecord> frames;  // lights in list order, then bias, dark and flat frames
  int reference = -1;               // index in `frames`
  int used = 0;                     // lights in the stack
  int missing_master = -1;          // role whose list gave no usable frame
  bool scratch_failed = false;      // a registered frame could not be written
  bool on_disk = false;             // registered frames went to files
  int band_rows = 0;
  uint64_t budget = 0;              // bytes planned with
  std::vector<std::string> masters_written, masters_failed;
};

// Reads a frame (any format, RAW development included) into `image`;
// `exposure` receives its exposure in seconds when the header gives it.
using FrameLoader = std::function<bool(const std::string& path, Image* image, double* exposure)>;
// Fraction done (0..1) and what is being done; returning false stops the
// run.
using StackProgress = std::function<bool(double fraction, const std::string& text)>;

// The whole stack. Frames that cannot be read, calibrated or registered,
// of another size, or beyond a threshold are left out and named in the
// frame records; a frame is never stacked without a registration. With
// reference N, light N is processed first and decides the size and whether
// the stack is gray (one plane) or colour; with kReferenceBest, every light
// is measured first (as luminance) and the one of smallest FWHM among those
// with at least half the largest star count becomes the reference. The
// result has the reference's size and geometry.
// kOpTooFewInputs: no light usable, the reference unusable, or a master
// list without a usable frame. kOpNoMemory: the budget or the memory does
// not hold the masters, one frame's work and the outputs. kOpCancelled:
// `progress` said stop; files the run made are removed. kOpNothingToDo: a
// scratch file could not be written or read back.
OpStatus RunDeepStack(const DeepStackInput& input, const DeepStackParams& params, const FrameLoader& loader,
                      const StackProgress& progress, DeepStackResult* result);

// One line per frame, comma separated, after a header line: role, number
// in its list, file, status, reference flag, size, exposure, stars,
// matched stars, residual, FWHM, background, noise, the transform as
// shift_x, shift_y, rotation (degrees) and scale, and the weight. The
// transform maps reference pixel (x, y), counted from the top-left, to the
// frame's: x' = s (cos r x - sin r y) + shift_x, y' = s (sin r x + cos r y)
// + shift_y.
std::string StackReportCsv(const DeepStackResult& result);

// The status word of a verdict, as the report writes it.
const char* VerdictWord(int verdict);

}  // namespace tavo
