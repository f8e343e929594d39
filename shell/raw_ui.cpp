// SPDX-License-Identifier: MIT
#include "shell/raw_ui.h"

#include <cmath>
#include <cstdio>

#include "core/sample.h"
#include "io/file_type.h"
#include "raw/dark_frames.h"
#include "raw/develop_raw.h"
#include "shell/messages.h"

namespace tavo {
namespace {

ReadStatus ReadStatusFor(int raw_status) {
  switch (raw_status) {
    case kRawOk: return kReadOk;
    case kRawCannotOpen: return kReadCannotOpen;
    case kRawUnsupported: return kReadUnsupported;
    case kRawNoMemory: return kReadNoMemory;
    case kRawCancelled: return kReadCancelled;
    default: return kReadBadFormat;
  }
}

// Field of the settings behind an integer slider; null for gamma.
template <typename Settings>
auto IntField(Settings& s, int control) -> decltype(&s.black_r) {
  switch (control) {
    case kRawBlackR: return &s.black_r;
    case kRawBlackG: return &s.black_g;
    case kRawBlackB: return &s.black_b;
    case kRawWhiteR: return &s.white_r;
    case kRawWhiteG: return &s.white_g;
    case kRawWhiteB: return &s.white_b;
    case kRawSharpness: return &s.sharpness;
    case kRawFalseColour: return &s.false_colour;
    case kRawSaturation: return &s.saturation;
    case kRawHue: return &s.hue;
    case kRawQuality: return &s.quality;
    default: return nullptr;
  }
}

bool IsGamma(int control) { return control >= kRawGammaR && control <= kRawGammaB; }
bool IsWhite(int control) { return control >= kRawWhiteR && control <= kRawWhiteB; }
bool IsBlack(int control) { return control >= kRawBlackR && control <= kRawBlackB; }

}  // namespace

ReadStatus DevelopRawFile(AppState& app, const std::string& path, Image& image, bool* dark_skipped,
                          Progress* progress) {
  RawDevelopOutcome outcome;
  DevelopRawWithSettings(path, image, app.settings.raw, &app.darks, &outcome, progress);
  if (dark_skipped != nullptr) *dark_skipped = outcome.dark_skipped;
  return ReadStatusFor(outcome.status);
}

// ---- dark file dialog ----

int DarkListAdd(std::string paths[4], const std::string& path) {
  if (DetectFileType(path) != kFileRaw) return kDarkNotRaw;
  for (int k = 0; k < 4; ++k) {
    if (paths[k].empty()) {
      paths[k] = path.substr(0, kNameMax);
      return kDarkAdded;
    }
  }
  return kDarkListFull;
}

void DarkListDelete(std::string paths[4], int index) {
  if (index < 0 || index > 3) return;
  for (int k = index; k < 3; ++k) paths[k] = paths[k + 1];
  paths[3].clear();
}

int DarkListCount(const std::string paths[4]) {
  int n = 0;
  for (int k = 0; k < 4; ++k) n += paths[k].empty() ? 0 : 1;
  return n;
}

std::vector<std::string> DarkListLines(const std::string paths[4]) {
  std::vector<std::string> lines;
  for (int k = 0; k < 4; ++k) {
    if (!paths[k].empty()) lines.push_back(std::to_string(k + 1) + " " + paths[k]);
  }
  return lines;
}

const char* DarkAddMessage(int result) {
  switch (result) {
    case kDarkNotRaw: return kMsgDarkNotRaw;
    case kDarkListFull: return kMsgDarkListFull;
    default: return nullptr;
  }
}

int DarkThresholdAfterScroll(int threshold, int action, int thumb_position) {
  int t = threshold;
  switch (action) {
    case kScrollLineLeft: t -= 16; break;
    case kScrollLineRight: t += 16; break;
    case kScrollPageLeft: t -= 64; break;
    case kScrollPageRight: t += 64; break;
    case kScrollTrack: t = thumb_position * 16; break;
    default: break;
  }
  return ClampInt(t, 0, kDefectThresholdMax);
}

int DarkThresholdThumb(int threshold) { return ClampInt(threshold, 0, kDefectThresholdMax) / 16; }

FileDialogRequest DarkAddFileRequest(const std::string& last_path) {
  FileDialogRequest request;
  request.mode = kFileDialogOpen;
  request.title = "LOAD";
  request.filters = "*.CRW|*.CRW|All|*.*||";
  request.filter_index = 1;
  std::string name = last_path;
  for (size_t i = name.size(); i-- > 0;) {
    if (name[i] == '.') {
      name.erase(i);
      break;
    }
    if (name[i] == '/' || name[i] == '\\') break;
  }
  request.initial_name = name.empty() ? "" : name + ".CRW";
  return request;
}

void DarkDialogAdd(AppState& app, UiPort& ui) {
  FileDialogRequest request = DarkAddFileRequest(app.last_dialog_path);
  std::string path;
  if (!ui.ChooseFile(request, &path)) return;
  app.last_dialog_path = path;
  const char* refusal = DarkAddMessage(DarkListAdd(app.darks.paths, path));
  if (refusal != nullptr) ui.ShowMessage(kBoxError, refusal);
}

bool RebuildDarkSet(AppState& app, std::vector<std::string>* unreadable, Progress* progress) {
  if (DarkListCount(app.darks.paths) > 0) {
    for (int k = 0; k < kDarkFrameCount; ++k) {
      if (!ReportProgress(progress, static_cast<double>(k) / kDarkFrameCount, kProgressDarkFrames)) {
        ReleaseDarkFrames(app.darks);
        break;
      }
      const std::string& path = app.darks.paths[k];
      const int status = LoadDarkFrame(app.darks, path, k);
      if (status != kRawOk && !path.empty() && unreadable != nullptr) unreadable->push_back(path);
    }
  } else {
    ReleaseDarkFrames(app.darks);
  }
  return CombineDarkFrames(app.darks, 0);
}

// ---- RAW development dialog ----

const RawSliderInfo& RawSlider(int control) {
  static const RawSliderInfo kSliders[kRawControlCount] = {
      {"R", "", 10, 40},
      {"G", "", 10, 40},
      {"B", "", 10, 40},
      {"Rの黒レベル　0", "16", 0, 32},
      {"Gの黒レベル　0", "16", 0, 32},
      {"Bの黒レベル　0", "16", 0, 32},
      {"Rの白レベル 128", "255", 0, 127},
      {"Gの白レベル 128", "255", 0, 127},
      {"Bの白レベル 128", "255", 0, 127},
      {"シャープ　　弱", "強", 0, 8},
      {"偽色　出やすい", "低減", 0, 4},
      {"彩度　　　　低", "高", 0, 4},
      {"色相　　　　－", "＋", 0, 36},
      {"品質　低", "高", 0, 3},
  };
  return kSliders[ClampInt(control, 0, kRawControlCount - 1)];
}

int RawSliderPosition(const RawDevelopSettings& settings, int control) {
  const RawSliderInfo& info = RawSlider(control);
  int position;
  if (IsGamma(control)) {
    // Rounded: 2.3 x 10 is 22.999... in binary.
    const double g = settings.gamma[control - kRawGammaR];
    position = std::isnan(g) ? 22 : static_cast<int>(std::lround(std::fmin(std::fmax(g, 0.0), 100.0) * 10));
  } else if (IsWhite(control)) {
    position = *IntField(settings, control) - 128;
  } else {
    position = *IntField(settings, control);
  }
  return ClampInt(position, info.min, info.max);
}

void SetRawSliderPosition(RawDevelopSettings& settings, int control, int position) {
  if (control < 0 || control >= kRawControlCount) return;
  const RawSliderInfo& info = RawSlider(control);
  const int p = ClampInt(position, info.min, info.max);
  if (IsGamma(control)) {
    settings.gamma[control - kRawGammaR] = p / 10.0;
  } else if (IsWhite(control)) {
    *IntField(settings, control) = p + 128;
  } else {
    *IntField(settings, control) = p;
  }
}

void ScrollRawSlider(RawDevelopSettings& settings, int control, int action, int thumb_position) {
  if (control < 0 || control >= kRawControlCount) return;
  int p = RawSliderPosition(settings, control);
  switch (action) {
    case kScrollLineLeft:
    case kScrollPageLeft: --p; break;
    case kScrollLineRight:
    case kScrollPageRight: ++p; break;
    case kScrollTrack: p = thumb_position; break;
    default: return;
  }
  SetRawSliderPosition(settings, control, p);
}

std::string RawSliderText(const RawDevelopSettings& settings, int control) {
  char text[32];
  const int p = RawSliderPosition(settings, control);
  if (IsGamma(control)) {
    std::snprintf(text, sizeof text, "%.1f", p / 10.0);
  } else if (IsBlack(control)) {
    std::snprintf(text, sizeof text, "%.1f", p * 0.5);
  } else if (IsWhite(control)) {
    std::snprintf(text, sizeof text, "%d", p + 128);
  } else if (control == kRawHue) {
    std::snprintf(text, sizeof text, p == 18 ? "%d" : "%+d", 2 * p - 36);
  } else {
    std::snprintf(text, sizeof text, "%d", p);
  }
  return text;
}

void RawDialogCancel(RawDevelopSettings& settings, const RawDevelopSettings& at_open) {
  const int path = settings.path;
  settings = at_open;
  settings.path = path;
}

}  // namespace tavo
