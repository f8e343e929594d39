// SPDX-License-Identifier: MIT
#include "shell/ops/deep_stack_op.h"

#include "core/files.h"
#include "core/slots.h"
#include "io/file_type.h"
#include "io/fits_exposure.h"
#include "io/image_file.h"
#include "raw/develop_raw.h"
#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {
namespace {

// Set once by the front end at start-up, read by the command.
StackRunner g_runner = nullptr;

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// The lowest empty slots besides `taken`, or -1.
int OtherFreeSlot(const SlotTable& slots, const std::vector<int>& taken) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (!slots[i].Empty()) continue;
    bool used = false;
    for (int t : taken) used = used || t == i;
    if (!used) return i;
  }
  return -1;
}

}  // namespace

DeepStackParams DeepStackParamsFrom(const DeepStackSettings& s) {
  DeepStackParams p;
  p.master_method = s.master_method == 1 ? kMasterSigmaMean : kMasterMedian;
  p.scale_dark = s.scale_dark != 0;
  p.reference = s.reference;
  p.interpolation = s.interpolation == 1 ? kWarpBilinear : kWarpLanczos;
  p.max_fwhm = s.max_fwhm;
  p.min_stars = s.min_stars;
  p.max_residual = s.max_residual;
  p.normalise = s.normalise;
  p.weights = s.weights;
  p.rule.reject = s.reject;
  p.rule.kappa_low = s.kappa_low;
  p.rule.kappa_high = s.kappa_high;
  p.memory_limit = static_cast<uint64_t>(s.memory_limit_mb) << 20;
  p.scratch = s.scratch;
  p.masters_folder = s.masters;
  return p;
}

DeepStackInput DeepStackInputFrom(const DeepStackSettings& s) {
  DeepStackInput input;
  input.lights = s.lights;
  input.biases = s.biases;
  input.darks = s.darks;
  input.flats = s.flats;
  return input;
}

bool LoadStackFrame(const RawDevelopSettings& raw, const std::string& path, Image* image, double* exposure) {
  *exposure = 0;
  const int type = DetectFileType(path);
  if (type == kFileRaw) {
    RawDevelopOutcome outcome;
    Image fresh;
    DevelopRawWithSettings(path, fresh, raw, nullptr, &outcome);
    if (outcome.status != kRawOk || fresh.Empty()) return false;
    *image = std::move(fresh);
    *exposure = outcome.exposure;
    return true;
  }
  if (ReadImageFile(path, *image) != kReadOk) return false;
  if (type == kFileFits) *exposure = FitsExposureSeconds(path);
  return true;
}

OpStatus RunDeepStackJob(const DeepStackSettings& settings, const RawDevelopSettings& raw,
                         const StackProgress& progress, DeepStackResult* result) {
  const FrameLoader loader = [raw](const std::string& path, Image* image, double* exposure) {
    return LoadStackFrame(raw, path, image, exposure);
  };
  return RunDeepStack(DeepStackInputFrom(settings), DeepStackParamsFrom(settings), loader, progress, result);
}

std::vector<std::string> LeftOutLines(const DeepStackResult& result) {
  std::vector<std::string> lines;
  for (const FrameRecord& f : result.frames) {
    const char* format = nullptr;
    switch (f.verdict) {
      case kFrameUnreadable: format = kMsgFrameUnreadable; break;
      case kFrameWrongSize: format = kMsgFrameWrongSize; break;
      case kFrameUncalibrated: format = kMsgFrameUncalibrated; break;
      case kFrameUnregistered: format = kMsgFrameUnregistered; break;
      case kFrameFwhm: format = kMsgFrameFwhm; break;
      case kFrameFewStars: format = kMsgFrameFewStars; break;
      case kFrameResidual: format = kMsgFrameResidual; break;
      default: break;
    }
    if (format != nullptr) lines.push_back(FormatText(format, f.path));
  }
  return lines;
}

std::string StackFailureText(OpStatus status, const DeepStackResult& result, const DeepStackSettings& settings) {
  static const char* const kMasterWords[4] = {"", "バイアス", "ダーク", "フラット"};
  switch (status) {
    case kOpTooFewInputs:
      if (result.missing_master > 0) return FormatText(kMsgStackNoMaster, kMasterWords[result.missing_master]);
      if (settings.lights.empty()) return kMsgStackNoLights;
      if (result.reference >= 0 && result.frames[result.reference].verdict != kFrameUsed) {
        return FormatText(kMsgStackReference, result.frames[result.reference].path);
      }
      return kMsgStackNoFrames;
    case kOpNoMemory: return settings.memory_limit_mb > 0 ? kMsgStackMemoryLimit : kMsgNoMemory;
    case kOpNothingToDo: return kMsgStackScratch;
    default: return "";
  }
}

bool WriteStackReport(const std::string& path, const DeepStackResult& result) {
  SafeFile file;
  return file.Open(path) && file.Print(StackReportCsv(result).c_str()) && file.Commit();
}

void SetStackRunner(StackRunner runner) { g_runner = runner; }

void CmdDeepStack(AppState& app, UiPort& ui) {
  if (!EditSettings(app, ui, kCmdDeepStack)) return;
  // The work reads only these copies, never the application state.
  const DeepStackSettings settings = app.settings.deep_stack;
  const RawDevelopSettings raw = app.settings.raw;
  if (settings.lights.empty()) {
    ui.ShowMessage(kBoxError, kMsgStackNoLights);
    return;
  }
  // The slots are found first, so that a long run never ends without a
  // place for its result.
  std::vector<int> slots{FindFreeSlot(app.slots)};
  if (settings.open_maps != 0) {
    slots.push_back(OtherFreeSlot(app.slots, slots));
    slots.push_back(OtherFreeSlot(app.slots, slots));
  }
  for (int slot : slots) {
    if (slot < 0) {
      ui.ShowMessage(kBoxError, kMsgNoSlotToMake);
      return;
    }
  }
  DeepStackResult result;
  OpStatus status = kOpNothingToDo;
  const StackWork work = [&](const StackProgress& progress) {
    status = RunDeepStackJob(settings, raw, progress, &result);
  };
  if (g_runner != nullptr) {
    g_runner(work);
  } else {
    WaitCursor wait(ui);
    work(nullptr);
  }
  if (status == kOpCancelled) return;
  const std::vector<std::string> left_out = LeftOutLines(result);
  // The report says why frames were left out, so a failed stack writes it
  // too.
  if (!settings.report.empty() && !WriteStackReport(settings.report, result)) {
    ui.ShowMessage(kBoxError, FormatText(kMsgSaveFailed, settings.report));
  }
  if (status != kOpMade) {
    std::string text = StackFailureText(status, result, settings);
    if (!left_out.empty()) text += "\n\n" + Join(left_out);
    ui.ShowMessage(kBoxError, text);
    return;
  }
  Image& target = app.slots[slots[0]];
  if (ImageFromFloat(result.output.result, &target) != kOpMade) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  result.output.result = FloatFrame();
  SetImageName(target, "stack");
  MarkNewComposite(target);
  if (settings.open_maps != 0) {
    AdoptPlanes(app.slots[slots[1]], result.output.low_map);
    AdoptPlanes(app.slots[slots[2]], result.output.high_map);
    SetImageName(app.slots[slots[1]], "stack_rejected_low");
    SetImageName(app.slots[slots[2]], "stack_rejected_high");
    MarkNewComposite(app.slots[slots[1]]);
    MarkNewComposite(app.slots[slots[2]]);
  }
  app.slots.current = slots[0];
  ui.Repaint();
  for (const std::string& path : result.masters_failed) ui.ShowMessage(kBoxError, FormatText(kMsgSaveFailed, path));
  if (!left_out.empty()) ui.ShowMessage(kBoxMessage, FormatText(kMsgStackLeftOut, Join(left_out)));
}

}  // namespace tavo
