// SPDX-License-Identifier: MIT
#include "stack/deep/deep_stack.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>

#include "core/memory.h"
#include "core/sample.h"
#include "io/tiff.h"
#include "stack/deep/calibrate.h"
#include "stack/deep/float_frame.h"
#include "stack/deep/frame_store.h"

namespace tavo {
namespace {

constexpr const char* kStageWords[4] = {"ライト", "バイアス", "ダーク", "フラット"};
constexpr const char* kMeasureWord = "測定";
constexpr const char* kIntegrateWord = "合成";

struct Run {
  const DeepStackInput& input;
  const DeepStackParams& params;
  const FrameLoader& loader;
  const StackProgress& progress;
  DeepStackResult& result;
  uint64_t budget = 0;
  double units_total = 1, units_done = 0;
  Masters masters;

  // Counts `units` of work done; false when the user stopped the run.
  bool Tick(double units, const std::string& text) {
    units_done += units;
    return !progress || progress(std::min(1.0, units_done / units_total), text);
  }
  BandProgress Bands(double units, const std::string& text) {
    const double start = units_done;
    units_done += units;
    return [this, start, units, text](double part) {
      return !progress || progress(std::min(1.0, (start + part * units) / units_total), text);
    };
  }
  uint64_t MastersBytes() const {
    uint64_t bytes = 0;
    for (const FloatFrame* f : {&masters.bias, &masters.dark, &masters.flat}) bytes += f->Size() * 4;
    return bytes;
  }
};

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string StageText(const char* word, size_t index, size_t count, const std::string& path) {
  return std::string(word) + " " + std::to_string(index + 1) + "/" + std::to_string(count) + " " + FileName(path);
}

// The master bias at plane c, sample i, for frames of `channels` planes.
float BiasAt(const FloatFrame& bias, int channels, int c, size_t i) {
  if (bias.channels == channels || bias.channels == 1) return bias.Plane(std::min(c, bias.channels - 1))[i];
  return (bias.Plane(0)[i] + bias.Plane(1)[i] + bias.Plane(2)[i]) / 3.0f;
}

// Band rows that fit what is left of the budget for `frames` stored frames.
int BandRowsFor(const FrameStore& store, uint64_t room) {
  const uint64_t fixed = IntegrateBytes(store, 0);
  const uint64_t row = static_cast<uint64_t>(std::max(store.Count(), 1)) * store.channels * store.width * 4;
  if (!store.on_disk) return store.height;
  if (room <= fixed) return 0;
  return static_cast<int>(std::min<uint64_t>((room - fixed) / row, static_cast<uint64_t>(store.height)));
}

OpStatus BuildMaster(Run& run, int role, const std::vector<std::string>& paths, FloatFrame* master,
                     double* exposure, double* level) {
  const size_t first = run.result.frames.size();
  for (const std::string& path : paths) {
    FrameRecord record;
    record.path = path;
    record.role = role;
    run.result.frames.push_back(record);
  }
  FrameStore store;
  int channels = 0;
  std::vector<double> exposures, levels;
  FloatFrame frame;
  for (size_t k = 0; k < paths.size(); ++k) {
    FrameRecord& record = run.result.frames[first + k];
    if (!run.Tick(1, StageText(kStageWords[role], k, paths.size(), paths[k]))) {
      CloseStore(store, true);
      return kOpCancelled;
    }
    Image image;
    if (!run.loader(paths[k], &image, &record.exposure) || image.Empty()) {
      record.verdict = kFrameUnreadable;
      continue;
    }
    record.width = image.width;
    record.height = image.height;
    if (channels == 0) {
      channels = IsGrayImage(image) ? 1 : 3;
      const uint64_t frame = FloatFrameBytes(image.width, image.height, channels);
      const uint64_t work = ImageBytes(image.width, image.height, 6) + frame;
      const uint64_t outputs = frame + 2 * ImageBytes(image.width, image.height, 6);
      const bool in_memory =
          run.MastersBytes() + work + paths.size() * frame + outputs <= run.budget && MemoryFits(work + paths.size() * frame);
      if (!OpenStore(store, image.width, image.height, channels, !in_memory, "")) return kOpNothingToDo;
    } else if (image.width != store.width || image.height != store.height) {
      record.verdict = kFrameWrongSize;
      continue;
    }
    if (FloatFromImage(image, channels, &frame) != kOpMade) {
      CloseStore(store, true);
      return kOpNoMemory;
    }
    image = Image();
    if (role == kRoleFlat) {
      const FloatFrame& bias = run.masters.bias;
      if (!bias.Empty() && bias.width == frame.width && bias.height == frame.height) {
        for (int c = 0; c < channels; ++c) {
          float* p = frame.Plane(c);
          for (size_t i = 0; i < frame.PlaneSize(); ++i) p[i] -= BiasAt(bias, channels, c, i);
        }
      }
      levels.push_back(NormaliseFlat(frame));
    }
    if (!StoreFrame(store, frame, "frame_" + std::to_string(k))) {
      run.result.scratch_failed = true;
      CloseStore(store, true);
      return kOpNothingToDo;
    }
    record.verdict = kFrameUsed;
    exposures.push_back(record.exposure);
  }
  if (store.Count() == 0) {
    run.result.missing_master = role;
    return kOpTooFewInputs;
  }
  CombineRule rule;
  rule.reject = run.params.master_method == kMasterSigmaMean ? kRejectSigma : kRejectMedian;
  rule.kappa_low = rule.kappa_high = run.params.master_kappa;
  const std::vector<FrameScaling> scaling(store.Count());
  const uint64_t room = run.budget > run.MastersBytes() ? run.budget - run.MastersBytes() : 0;
  const int rows = BandRowsFor(store, room);
  IntegrateOutput out;
  const OpStatus status = rows < 1 ? kOpNoMemory
                                   : IntegrateFrames(store, scaling, rule, rows, run.Bands(0, kStageWords[role]), &out);
  CloseStore(store, status != kOpMade);
  if (status != kOpMade) return status;
  *master = std::move(out.result);
  const bool all_known = std::all_of(exposures.begin(), exposures.end(), [](double e) { return e > 0; });
  std::vector<float> e(exposures.begin(), exposures.end());
  *exposure = all_known ? MedianOf(e) : 0;
  double sum = 0;
  for (double l : levels) sum += l;
  *level = levels.empty() ? 0 : sum / static_cast<double>(levels.size());
  return kOpMade;
}

// A master as a 16-bit image, samples rounded; the flat is given back its
// level (and the bias), so that it reads as a flat frame again.
bool SaveMaster(const Masters& m, int role, const std::string& path) {
  const FloatFrame& f = role == kRoleBias ? m.bias : role == kRoleDark ? m.dark : m.flat;
  Image image;
  if (!AllocateImagePlanes(image, f.width, f.height, false)) return false;
  const bool add_bias = role == kRoleFlat && !m.bias.Empty() && m.bias.width == f.width && m.bias.height == f.height;
  for (int c = 0; c < 3; ++c) {
    const int plane = std::min(c, f.channels - 1);
    const float* p = f.Plane(plane);
    uint16_t* dst = image.Channel(c);
    for (size_t i = 0; i < f.PlaneSize(); ++i) {
      double v = p[i];
      if (role == kRoleFlat) v = v * m.flat_level + (add_bias ? BiasAt(m.bias, f.channels, plane, i) : 0.0f);
      dst[i] = ClampSample(static_cast<int64_t>(std::floor(std::isfinite(v) ? v + 0.5 : 0.0)));
    }
  }
  return WriteTiff(path, image);
}

// One light loaded (unless `source` holds it already) and calibrated with
// `masters` at `channels` planes. The 16-bit source stays in `source` for
// the saturation test.
int LoadLight(Run& run, int i, int channels, const Masters& masters, int want_w, int want_h, Image* source,
              FloatFrame* frame, OpStatus* status) {
  FrameRecord& record = run.result.frames[i];
  *status = kOpMade;
  if (source->Empty() && (!run.loader(run.input.lights[i], source, &record.exposure) || source->Empty())) {
    return kFrameUnreadable;
  }
  record.width = source->width;
  record.height = source->height;
  if (want_w > 0 && (source->width != want_w || source->height != want_h)) return kFrameWrongSize;
  if ((*status = FloatFromImage(*source, channels, frame)) != kOpMade) return kFrameNotReached;
  if (!CalibrateFrame(*frame, masters, record.exposure, run.params.scale_dark)) return kFrameUncalibrated;
  return kFrameUsed;
}

// Stars, background and noise of a calibrated light; the FWHM and star
// count limits.
int MeasureLight(Run& run, int i, const FloatFrame& frame, const Image& source, float* luminance,
                 FrameMeasure* measure) {
  const float* plane = frame.Plane(0);
  if (frame.channels > 1) {
    FrameLuminance(frame, luminance);
    plane = luminance;
  }
  MeasureStars(plane, frame.width, frame.height, run.params.stars, &source, measure);
  FrameRecord& record = run.result.frames[i];
  record.stars = static_cast<int>(measure->stars.size());
  record.fwhm = measure->fwhm;
  record.background = measure->background;
  record.noise = measure->noise;
  if (run.params.max_fwhm > 0 && (record.stars == 0 || record.fwhm > run.params.max_fwhm)) return kFrameFwhm;
  if (run.params.min_stars > 0 && record.stars < run.params.min_stars) return kFrameFewStars;
  return kFrameUsed;
}

// The smallest FWHM among the measured lights with at least half the
// largest star count; -1 when none was measured.
int BestReference(const std::vector<FrameRecord>& frames, const std::vector<char>& measured) {
  int most = 0;
  for (size_t i = 0; i < measured.size(); ++i) {
    if (measured[i]) most = std::max(most, frames[i].stars);
  }
  int best = -1;
  for (size_t i = 0; i < measured.size(); ++i) {
    if (!measured[i] || frames[i].stars * 2 < most || frames[i].stars == 0) continue;
    if (best < 0 || frames[i].fwhm < frames[best].fwhm) best = static_cast<int>(i);
  }
  return best;
}

std::vector<FrameScaling> Scalings(const DeepStackParams& params, const std::vector<std::vector<Spread>>& spreads,
                                   const std::vector<FrameRecord*>& records) {
  std::vector<FrameScaling> out(spreads.size());
  double heaviest = 0;
  for (size_t k = 0; k < spreads.size(); ++k) {
    FrameScaling& f = out[k];
    double mean_scale = 0;
    for (size_t c = 0; c < spreads[k].size(); ++c) {
      const Spread& s = spreads[k][c];
      const Spread& ref = spreads[0][c];
      double scale = 1, offset = 0;
      switch (params.normalise) {
        case kNormaliseAdd: offset = ref.location - s.location; break;
        case kNormaliseMultiply: scale = s.location > 0 ? ref.location / s.location : 1; break;
        case kNormaliseAddScale:
          scale = s.scale > 0 ? ref.scale / s.scale : 1;
          offset = ref.location - s.location * scale;
          break;
        default: break;
      }
      f.scale[c] = static_cast<float>(scale);
      f.offset[c] = static_cast<float>(offset);
      mean_scale += scale / static_cast<double>(spreads[k].size());
    }
    double weight = 1;
    if (params.weights == kWeightNoise) {
      const double noise = records[k]->noise * mean_scale;
      weight = noise > 0 ? 1 / (noise * noise) : 1;
    } else if (params.weights == kWeightStars) {
      weight = std::max(records[k]->stars, 1);
    }
    f.weight = static_cast<float>(weight);
    heaviest = std::max(heaviest, weight);
  }
  for (size_t k = 0; k < out.size(); ++k) out[k].weight = static_cast<float>(out[k].weight / heaviest);
  return out;
}

}  // namespace

const char* VerdictWord(int verdict) {
  switch (verdict) {
    case kFrameUsed: return "used";
    case kFrameUnreadable: return "unreadable";
    case kFrameWrongSize: return "wrong-size";
    case kFrameUncalibrated: return "not-calibrated";
    case kFrameUnregistered: return "not-registered";
    case kFrameFwhm: return "fwhm-limit";
    case kFrameFewStars: return "star-limit";
    case kFrameResidual: return "residual-limit";
    default: return "not-reached";
  }
}

OpStatus RunDeepStack(const DeepStackInput& input, const DeepStackParams& params, const FrameLoader& loader,
                      const StackProgress& progress, DeepStackResult* result) {
  *result = DeepStackResult();
  Run run{input, params, loader, progress, *result, 0, 1, 0, Masters()};
  const uint64_t limit = params.memory_limit > 0 ? params.memory_limit : AvailableMemoryBytes() / 2;
  run.budget = limit - std::min<uint64_t>(limit / 32, uint64_t{64} << 20);
  result->budget = run.budget;
  const int lights = static_cast<int>(input.lights.size());
  for (const std::string& path : input.lights) {
    FrameRecord record;
    record.path = path;
    result->frames.push_back(record);
  }
  if (lights == 0) return kOpTooFewInputs;
  const bool best = params.reference == kReferenceBest;
  run.units_total = static_cast<double>(input.biases.size() + input.darks.size() + input.flats.size()) +
                    lights * (best ? 2.0 : 1.0) + lights * 0.5;

  // Masters: the flat needs the bias, so the bias comes first.
  const std::pair<int, const std::vector<std::string>*> lists[3] = {
      {kRoleBias, &input.biases}, {kRoleDark, &input.darks}, {kRoleFlat, &input.flats}};
  for (const auto& [role, paths] : lists) {
    if (paths->empty()) continue;
    FloatFrame* target = role == kRoleBias ? &run.masters.bias : role == kRoleDark ? &run.masters.dark : &run.masters.flat;
    double exposure = 0, level = 0;
    const OpStatus status = BuildMaster(run, role, *paths, target, &exposure, &level);
    if (status != kOpMade) return status;
    if (role == kRoleDark) run.masters.dark_exposure = exposure;
    if (role == kRoleFlat) {
      NormaliseFlat(*target);
      run.masters.flat_level = level;
    }
    if (!params.masters_folder.empty()) {
      static const char* const kNames[4] = {"", "master_bias.tif", "master_dark.tif", "master_flat.tif"};
      const std::string path = (std::filesystem::path(params.masters_folder) / kNames[role]).string();
      (SaveMaster(run.masters, role, path) ? result->masters_written : result->masters_failed).push_back(path);
    }
  }

  // The reference, and with it the plane count.
  std::vector<FrameMeasure> measures(lights);
  std::vector<char> measured(lights, 0);
  int ref = std::clamp(params.reference, 1, lights) - 1;
  int channels = 0;
  if (best) {
    Masters luminance;
    if (!CopyMasters(run.masters, &luminance) || !ConformMasters(luminance, 1, params.hot_kappa)) return kOpNoMemory;
    std::vector<char> gray(lights, 0);
    FloatFrame frame;
    // The reference is not known yet; the masters' size stands for it.
    int want_w = 0, want_h = 0;
    for (const FloatFrame* m : {&run.masters.bias, &run.masters.dark, &run.masters.flat}) {
      if (!m->Empty()) {
        want_w = m->width;
        want_h = m->height;
      }
    }
    for (int i = 0; i < lights; ++i) {
      if (!run.Tick(1, StageText(kMeasureWord, i, lights, input.lights[i]))) return kOpCancelled;
      Image source;
      OpStatus status;
      int verdict = LoadLight(run, i, 1, luminance, want_w, want_h, &source, &frame, &status);
      if (status != kOpMade) return status;
      if (verdict == kFrameUsed) verdict = MeasureLight(run, i, frame, source, nullptr, &measures[i]);
      gray[i] = verdict == kFrameUsed && IsGrayImage(source);
      measured[i] = verdict == kFrameUsed;
      if (verdict != kFrameUsed) result->frames[i].verdict = verdict;
    }
    ref = BestReference(result->frames, measured);
    if (ref < 0) return kOpTooFewInputs;
    channels = gray[ref] ? 1 : 3;
  }
  result->reference = ref;
  result->frames[ref].reference = true;

  // Registration: the reference first, then the others in list order.
  std::vector<int> order{ref};
  for (int i = 0; i < lights; ++i) {
    if (i != ref) order.push_back(i);
  }
  FrameStore store;
  std::vector<std::vector<Spread>> spreads;
  std::vector<FrameRecord*> stored;
  std::unique_ptr<float[]> luminance;
  FloatFrame frame, warped;  // kept from one light to the next where the store allows
  int ref_w = 0, ref_h = 0;
  for (size_t step = 0; step < order.size(); ++step) {
    const int i = order[step];
    FrameRecord& record = result->frames[i];
    if (best && !measured[i]) continue;
    if (!run.Tick(1, StageText(kStageWords[kRoleLight], step, order.size(), input.lights[i]))) {
      CloseStore(store, true);
      return kOpCancelled;
    }
    Image source;
    if (channels == 0) {
      // With a numbered reference, its planes decide the stack's.
      if (!loader(input.lights[i], &source, &record.exposure) || source.Empty()) {
        record.verdict = kFrameUnreadable;
        return kOpTooFewInputs;
      }
      channels = IsGrayImage(source) ? 1 : 3;
    }
    if (step == 0) {
      if (!ConformMasters(run.masters, channels, params.hot_kappa)) return kOpNoMemory;
      ref_w = record.width > 0 ? record.width : source.width;
      ref_h = record.height > 0 ? record.height : source.height;
      const uint64_t frame = FloatFrameBytes(ref_w, ref_h, channels);
      const uint64_t work = ImageBytes(ref_w, ref_h, 6) + 2 * frame + ImageBytes(ref_w, ref_h, 4);
      const uint64_t all = static_cast<uint64_t>(order.size()) * frame;
      // A limit above what the system can give spills to disk too.
      const bool in_memory = params.scratch.empty() && run.MastersBytes() + work + all <= run.budget &&
                             all + frame + 2 * ImageBytes(ref_w, ref_h, 6) <= run.budget && MemoryFits(work + all);
      if (run.MastersBytes() + work > run.budget) return kOpNoMemory;
      if (!OpenStore(store, ref_w, ref_h, channels, !in_memory, params.scratch)) return kOpNothingToDo;
      if (channels > 1) {
        luminance.reset(new (std::nothrow) float[static_cast<size_t>(ref_w) * ref_h]);
        if (luminance == nullptr) {
          CloseStore(store, true);
          return kOpNoMemory;
        }
      }
    }
    OpStatus status;
    int verdict = LoadLight(run, i, channels, run.masters, ref_w, ref_h, &source, &frame, &status);
    if (status != kOpMade) {
      CloseStore(store, true);
      return status;
    }
    if (verdict == kFrameUsed && !best) verdict = MeasureLight(run, i, frame, source, luminance.get(), &measures[i]);
    source = Image();
    if (verdict == kFrameUsed && i != ref) {
      const Registration reg = RegisterStars(measures[ref].stars, measures[i].stars, params.match);
      record.matched = reg.matched;
      record.residual = reg.residual;
      record.transform = reg.transform;
      if (!reg.ok) {
        verdict = kFrameUnregistered;
      } else if (params.max_residual > 0 && reg.residual > params.max_residual) {
        verdict = kFrameResidual;
      }
    } else if (verdict == kFrameUsed) {
      record.matched = record.stars;
    }
    record.verdict = verdict;
    if (verdict != kFrameUsed) {
      if (i == ref) {
        CloseStore(store, true);
        return kOpTooFewInputs;
      }
      continue;
    }
    std::vector<Spread> s(channels);
    const int sample = SampleStep(frame.width, frame.height);
    for (int c = 0; c < channels; ++c) s[c] = RobustSpread(frame.Plane(c), frame.width, frame.height, sample);
    if (warped.Empty() && !AllocateFloatFrame(warped, ref_w, ref_h, channels)) {
      CloseStore(store, true);
      return kOpNoMemory;
    }
    WarpFrame(frame, record.transform, params.interpolation, &warped);
    char name[32];
    std::snprintf(name, sizeof name, "r_%04d_", i + 1);
    if (!StoreFrame(store, warped, name + std::filesystem::path(input.lights[i]).stem().string())) {
      result->scratch_failed = true;
      CloseStore(store, true);
      return kOpNothingToDo;
    }
    spreads.push_back(s);
    stored.push_back(&record);
  }
  run.masters = Masters();
  luminance.reset();
  frame = FloatFrame();
  warped = FloatFrame();

  const std::vector<FrameScaling> scaling = Scalings(params, spreads, stored);
  for (size_t k = 0; k < stored.size(); ++k) stored[k]->weight = scaling[k].weight;
  result->used = store.Count();
  result->on_disk = store.on_disk;
  result->band_rows = store.on_disk ? BandRowsFor(store, run.budget) : ref_h;
  if (result->band_rows < 1) {
    CloseStore(store, true);
    return kOpNoMemory;
  }
  const OpStatus status = IntegrateFrames(store, scaling, params.rule, result->band_rows,
                                          run.Bands(lights * 0.5, kIntegrateWord), &result->output);
  CloseStore(store, status == kOpCancelled);
  return status;
}

}  // namespace tavo
