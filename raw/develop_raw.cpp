// SPDX-License-Identifier: MIT
#include "raw/develop_raw.h"

#include <omp.h>

#include <cmath>
#include <future>
#include <thread>
#include <vector>

#include "core/background.h"
#include "core/memory.h"
#include "core/sample.h"
#include "raw/fast_develop.h"
#include "raw/fast_rows.h"

namespace tavo {
namespace {

void Fail(Image& target, RawDevelopOutcome& outcome, int status) {
  target.width = -1;
  target.height = -1;
  outcome.status = status;
}

// A monochrome sensor delivers its one colour in channel 0; copying it to
// G and B keeps the picture grey instead of red.
void SpreadMonochrome(const RawMosaicView& view) {
  const size_t n = static_cast<size_t>(view.width) * static_cast<size_t>(view.height);
  for (size_t i = 0; i < n; ++i) {
    uint16_t* p = view.records + i * 4;
    p[1] = p[0];
    p[2] = p[0];
  }
}

// Library path output: library row r goes to target row height - 1 - r.
// Rows are independent.
void CopyWithGamma(const RawMosaicView& view, Image& out) {
  const uint16_t* table = LibraryGammaTable();
  const int64_t pixels = static_cast<int64_t>(view.width) * view.height;
  RunInParts(view.height, RowParts(view.height, pixels >= (1 << 18)), [&](int first, int last) {
    for (int r = first; r < last; ++r) {
      const uint16_t* in = view.records + static_cast<size_t>(r) * view.width * 4;
      const size_t row = static_cast<size_t>(view.height - 1 - r) * view.width;
      for (int x = 0; x < view.width; ++x, in += 4) {
        out.r[row + x] = table[in[0]];
        out.g[row + x] = table[in[1]];
        out.b[row + x] = table[in[2]];
      }
    }
  });
}

// Writes one sample in every page of the planes, so that the kernel maps
// and clears the pages now, on the thread that calls this.
void TouchPlanes(Image& image) {
  const size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  constexpr size_t kSamplesPerPage = 4096 / sizeof(uint16_t);
  for (int c = 0; c < 3; ++c) {
    uint16_t* plane = image.Channel(c);
    for (size_t i = 0; i < n; i += kSamplesPerPage) plane[i] = 0;
  }
}

struct JoinOnExit {
  std::thread& thread;
  ~JoinOnExit() {
    if (thread.joinable()) thread.join();
  }
};

void TakePlanes(Image& from, Image& target, const std::string& path) {
  AdoptPlanes(target, from);
  SetImageName(target, path);
}

}  // namespace

const uint16_t* LibraryGammaTable() {
  static const std::vector<uint16_t> table = [] {
    std::vector<uint16_t> t(65536);
    const double top = std::pow(65535.0, 0.45);
    for (int v = 0; v < 65536; ++v) {
      const double g = std::trunc(std::pow(static_cast<double>(v), 0.45) * 65535.0 / top);
      t[v] = g >= 65535.0 ? 65535 : static_cast<uint16_t>(g);
    }
    return t;
  }();
  return table.data();
}

void DevelopRaw(const std::string& path, Image& target, int path_code, int dark_code, double gamma_r,
                double gamma_g, double gamma_b, int black_r, int white_r, int black_g, int white_g,
                int black_b, int white_b, int sharpness, int radius, int false_colour, int saturation,
                int hue_shift, const DarkFrameSet* darks, RawDevelopOutcome* outcome, Progress* progress) {
  RawDevelopOutcome local;
  RawDevelopOutcome& result = outcome != nullptr ? *outcome : local;
  result = RawDevelopOutcome{};

  int status = kRawOk;
  RawSessionPtr session = OpenRawSession(path, &status);
  if (status != kRawOk) return Fail(target, result, status);
  result.exposure = RawShutterSeconds(*session);

  // Memory is checked before the work starts: the library's buffers, the
  // three new planes (6 bytes a pixel, less than the library's 8 and its
  // raw data), and as much again to spare.
  const uint64_t library_bytes = RawImageBytes(*session);
  if (library_bytes == 0) return Fail(target, result, kRawUnsupported);
  if (!MemoryFits(library_bytes * 3)) return Fail(target, result, kRawNoMemory);
  // On the fast path the decoding takes about a third of the time.
  if (!ReportProgress(progress, 0.0, kProgressRawDecode)) return Fail(target, result, kRawCancelled);

  FastDevelopParams params;
  params.gamma[0] = gamma_r;
  params.gamma[1] = gamma_g;
  params.gamma[2] = gamma_b;
  params.black[0] = black_r;
  params.white[0] = white_r;
  params.black[1] = black_g;
  params.white[1] = white_g;
  params.black[2] = black_b;
  params.white[2] = white_b;
  params.sharpness = sharpness;
  params.radius = radius;
  params.false_colour = false_colour;
  params.saturation = saturation;
  params.hue_shift = hue_shift;
  ProgressPart development(progress, 0.4, 1.0);
  params.progress = development.get();

  // The library decodes on this thread. Meanwhile another one builds the
  // fast path's tone tables - the scaling then applies them on the way
  // unless a dark frame has to come between - then takes the new planes,
  // faults their pages in, and builds the library path's gamma table.
  const bool fast = path_code <= 0;
  const bool dark = darks != nullptr && darks->master.Loaded() && dark_code >= 0;
  Image developed;
  std::vector<uint16_t> tables;
  bool tables_ready = false, planes_ready = false;
  std::promise<void> tables_done;
  std::future<void> tables_wait = tables_done.get_future();
  std::thread prepare;
  const JoinOnExit join_prepare{prepare};
  {
    int width = 0, height = 0;
    PlannedMosaicSize(*session, !fast, &width, &height);
    if (fast) tables.resize(3 * 65536);
    // Without a thread the planes and tables are made in order below.
    try {
      prepare = std::thread([&, width, height] {
        if (fast) {
          omp_set_num_threads(1);  // on this thread only: the decoding has the other core
          BuildFastToneTables(params, tables.data());
          tables_ready = true;
        }
        tables_done.set_value();
        planes_ready = width > 0 && height > 0 && AllocateImagePlanes(developed, width, height, false);
        if (planes_ready) TouchPlanes(developed);
        if (!fast) LibraryGammaTable();
      });
    } catch (...) {
    }
  }

  status = DecodeMosaic(*session);
  if (status != kRawOk) return Fail(target, result, status);
  if (prepare.joinable()) tables_wait.wait();
  status = ScaleMosaic(*session, fast && !dark && tables_ready ? tables.data() : nullptr);
  if (status != kRawOk) return Fail(target, result, status);

  if (dark) {
    if (!ReportProgress(progress, 0.3, kProgressRawDark)) return Fail(target, result, kRawCancelled);
    const RawMosaicView view = MosaicView(*session);
    if (ApplyMasterDark(view.records, view.width, view.height, darks->master, dark_code & 255,
                        dark_code >> 8, RawScaleGain(*session))) {
      ClearBlackLevel(*session);
    } else {
      result.dark_skipped = true;
    }
  }

  status = FoldSecondGreen(*session);
  if (status != kRawOk) return Fail(target, result, status);

  if (fast) {
    if (prepare.joinable()) prepare.join();
    const RawMosaicView view = MosaicView(*session);
    if (view.records == nullptr || view.width <= 0 || view.height <= 0) {
      return Fail(target, result, kRawDecodeError);
    }
    if (view.colors == 1 && view.pattern == kPatternNone) SpreadMonochrome(view);
    if (!planes_ready || developed.width != view.width || developed.height != view.height) {
      developed = Image();
      planes_ready = AllocateImagePlanes(developed, view.width, view.height, false);
    }
    if (!planes_ready || !FastDevelop(view.records, view.width, view.height, view.pattern, params, developed,
                                      tables_ready ? tables.data() : nullptr, ScaledMosaicToned(*session))) {
      return Fail(target, result, progress != nullptr && progress->stopped ? kRawCancelled : kRawNoMemory);
    }
  } else {
    const int quality = path_code > 4 ? 0 : path_code - 1;
    if (prepare.joinable()) prepare.join();
    if (!ReportProgress(development.get(), 0.0, kProgressRawDevelop)) return Fail(target, result, kRawCancelled);
    bool written = false;
    if (planes_ready) {
      const RawPlanesOut out{{developed.r.get(), developed.g.get(), developed.b.get()}, LibraryGammaTable(),
                             developed.width, developed.height};
      status = FinishWithLibrary(*session, quality, out, &written);
    } else {
      status = FinishWithLibrary(*session, quality);
    }
    if (status != kRawOk) return Fail(target, result, status);
    if (!ReportProgress(development.get(), 0.9, kProgressRawDevelop)) return Fail(target, result, kRawCancelled);
    const RawMosaicView view = MosaicView(*session);
    if (view.records == nullptr || view.width <= 0 || view.height <= 0) {
      return Fail(target, result, kRawDecodeError);
    }
    if (!written) {
      if (!planes_ready || developed.width != view.width || developed.height != view.height) {
        developed = Image();
        if (!AllocateImagePlanes(developed, view.width, view.height, false)) return Fail(target, result, kRawNoMemory);
      }
      CopyWithGamma(view, developed);
    }
  }
  TakePlanes(developed, target, path);
  // The library's buffers (several times the planes) are freed off this
  // path; the planes are ready now.
  RawSession* done = session.release();
  RunInBackground([done] { RawSessionDeleter()(done); });
}

int RawPathCode(const RawDevelopSettings& s) {
  return (ClampInt(s.quality, 0, 3) + 1) * ClampInt(s.path, 0, 1);
}

int RawDarkCode(const RawDevelopSettings& s) {
  return ClampInt(s.defect_threshold, 0, kDefectThresholdMax) * 256 + ClampInt(s.dark_mode, 0, 2);
}

int RawHueShift(int hue_position) { return 2 * ClampInt(hue_position, 0, 36) - 36; }

void DevelopRawWithSettings(const std::string& path, Image& target, const RawDevelopSettings& s,
                            const DarkFrameSet* darks, RawDevelopOutcome* outcome, Progress* progress) {
  DevelopRaw(path, target, RawPathCode(s), RawDarkCode(s), s.gamma[0], s.gamma[1], s.gamma[2], s.black_r,
             s.white_r, s.black_g, s.white_g, s.black_b, s.white_b, s.sharpness, s.radius, s.false_colour,
             s.saturation, RawHueShift(s.hue), darks, outcome, progress);
}

void ResetRawDevelopSettings(RawDevelopSettings& s) {
  const RawDevelopSettings defaults;
  const int path = s.path, mode = s.dark_mode, threshold = s.defect_threshold;
  s = defaults;
  s.path = path;
  s.dark_mode = mode;
  s.defect_threshold = threshold;
}

}  // namespace tavo
