// SPDX-License-Identifier: MIT
// Batch menu commands and files dropped in batch mode.
#include "shell/batch_commands.h"

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "shell/batch_run.h"
#include "io/file_type.h"
#include "shell/batch_dialog.h"
#include "shell/command_handlers.h"
#include "shell/command_ids.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {
namespace {

void ClearAllSlots(AppState& app) {
  for (int i = 0; i < kSlotCount; ++i) ClearSlot(app.slots, i);
  app.slots.current = 0;
  app.capture.slot = -1;
}

bool AnySlotOpen(const AppState& app) {
  for (const Image& image : app.slots.slots) {
    if (!image.Empty()) return true;
  }
  return false;
}

int64_t NowHundredths() {
  // A steady clock, so a run over midnight or a clock change cannot give a
  // negative time.
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(now).count() / 10;
}

void RunOneByOne(AppState& app, UiPort& ui, const std::vector<std::string>& paths, BatchDropResult& result) {
  ProgressScope progress(ui);
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string& path = paths[i];
    char text[64];
    std::snprintf(text, sizeof text, kProgressBatchFile, static_cast<int>(i) + 1, static_cast<int>(paths.size()));
    if (!ReportProgress(progress.get(), static_cast<double>(i) / static_cast<double>(paths.size()), text)) {
      // Stopped by the user: the files not reached count as not processed.
      result.failures.insert(result.failures.end(), paths.begin() + static_cast<long>(i), paths.end());
      return;
    }
    ClearAllSlots(app);
    const int slot = FindFreeSlot(app.slots);
    if (slot < 0) {
      ui.ShowMessage(kBoxError, kMsgNoSlotToOpen);
      result.failures.insert(result.failures.end(), paths.begin() + static_cast<long>(i), paths.end());
      return;
    }
    // A bad file is reported and skipped: the other dropped files still
    // deserve processing.
    if (DetectFileType(path) == kFileUnsupported) {
      ui.ShowMessage(kBoxError, FormatText(kMsgUnsupported, path));
      result.failures.push_back(path);
      continue;
    }
    if (!OpenFileIntoSlot(app, ui, path, slot)) {
      result.failures.push_back(path);
      continue;
    }
    std::string written;
    if (RunBatch(app, ui, 1, path, &written) == kBatchRunDone) {
      result.written.push_back(written);
    } else {
      result.failures.push_back(path);
    }
  }
}

void RunComposite(AppState& app, UiPort& ui, const std::vector<std::string>& paths, BatchDropResult& result) {
  bool complete = true;
  for (const std::string& path : paths) {
    const int slot = FindFreeSlot(app.slots);
    if (slot < 0) {
      ui.ShowMessage(kBoxError, kMsgNoSlotToOpen);
      complete = false;
      break;
    }
    if (DetectFileType(path) == kFileUnsupported) {
      ui.ShowMessage(kBoxError, FormatText(kMsgUnsupported, path));
      complete = false;
      continue;
    }
    if (!OpenFileIntoSlot(app, ui, path, slot)) complete = false;
  }
  std::string written;
  if (!complete) {
    ui.ShowMessage(kBoxError, kMsgBatchCompositeInputs);
    ClearAllSlots(app);
  } else if (RunBatch(app, ui, static_cast<int>(paths.size()), paths.back(), &written) == kBatchRunDone) {
    result.written.push_back(written);
    return;
  }
  result.failures = paths;
}

}  // namespace

void SetBatchMode(AppState& app, int mode) {
  app.batch_mode = mode;
  app.batch_banner = mode != 0 ? kBatchBannerIdle : "";
}

bool CheckBatchReady(AppState& app, UiPort& ui) {
  const std::string problem = BatchSequenceProblem(app.batch);
  if (problem.empty()) return true;
  ui.ShowMessage(kBoxError, problem);
  return false;
}

int BatchFileCount(int mode, int dropped) {
  if (dropped < 0) return 0;
  return mode == 2 ? std::min(dropped, 8) : dropped;
}

std::string FormatBatchTiming(int files, int64_t hundredths) {
  if (hundredths < 0) hundredths = 0;
  char text[128];
  std::snprintf(text, sizeof text, kMsgBatchTiming, files, static_cast<int>(hundredths / 100),
                static_cast<int>(hundredths % 100));
  return text;
}

BatchDropResult RunBatchDrop(AppState& app, UiPort& ui, const std::vector<std::string>& paths) {
  BatchDropResult result;
  const int mode = app.batch_mode;
  if (mode != 1 && mode != 2) return result;
  const std::vector<std::string> taken(paths.begin(),
                                       paths.begin() + BatchFileCount(mode, static_cast<int>(paths.size())));
  result.taken = static_cast<int>(taken.size());
  if (taken.empty()) return result;
  if (!CheckBatchReady(app, ui)) {
    result.failures = taken;
    return result;
  }
  // The run empties every slot; images opened since batch mode came on must
  // get their save question first.
  if (AnySlotOpen(app)) {
    CmdCloseAll(app, ui);
    if (AnySlotOpen(app)) {
      result.failures = taken;
      return result;
    }
  }
  app.batch_banner = kBatchBannerRunning;
  ui.Repaint();
  const int64_t start = NowHundredths();
  if (mode == 1) {
    RunOneByOne(app, ui, taken, result);
  } else {
    RunComposite(app, ui, taken, result);
  }
  const int64_t elapsed = NowHundredths() - start;
  if (!result.failures.empty()) {
    std::string names;
    for (const std::string& name : result.failures) names += name + "\n";
    const int n = std::snprintf(nullptr, 0, kMsgBatchFailures, static_cast<int>(result.failures.size()),
                                names.c_str());
    std::vector<char> text(static_cast<size_t>(std::max(n, 0)) + 1);
    std::snprintf(text.data(), text.size(), kMsgBatchFailures, static_cast<int>(result.failures.size()),
                  names.c_str());
    ui.ShowMessage(kBoxError, text.data());
  }
  if (app.batch.timing != 0) ui.ShowMessage(kBoxMessage, FormatBatchTiming(result.taken, elapsed));
  app.batch_banner = kBatchBannerIdle;
  ui.Repaint();
  return result;
}

void CmdBatchSettings(AppState& app, UiPort& ui) {
  const bool was_on = app.batch_mode != 0;
  // The dialog applies OK itself; doing it again is harmless and confirms
  // the sequence for front ends without a dialog.
  if (EditSettings(app, ui, kCmdBatchSettings)) BatchDialogOk(app, ui, OpenBatchDialog(app));
  if (was_on) {
    SetBatchMode(app, BatchModeOf(app.batch));
    if (!CheckBatchReady(app, ui)) SetBatchMode(app, 0);
  }
  ui.Repaint();
}

void CmdBatchStart(AppState& app, UiPort& ui) {
  if (!CheckBatchReady(app, ui)) {
    SetBatchMode(app, 0);
    ui.Repaint();
    return;
  }
  SetBatchMode(app, BatchModeOf(app.batch));
  CmdCloseAll(app, ui);
}

void CmdBatchStop(AppState& app, UiPort& ui) {
  SetBatchMode(app, 0);
  ui.Repaint();
}

void CmdBatchOpen(AppState& app, UiPort& ui) {
  std::string path;
  if (!ChooseTextFileToLoad(ui, kBatchFilters, &path)) return;
  // Read into a copy: a file that is not a batch file changes nothing.
  BatchSequence loaded = app.batch;
  const int steps = ReadBatchFile(loaded, path);
  if (steps <= 0) {
    ui.ShowMessage(kBoxError, FormatText(steps < 0 ? kMsgCannotOpenFile : kMsgBadFile, path));
    return;
  }
  app.batch = loaded;
  app.batch.save_configured = 1;
  ui.ShowMessage(kBoxMessage, kMsgBatchCheckFolder);
  SetBatchMode(app, BatchModeOf(app.batch));
  if (!CheckBatchReady(app, ui)) SetBatchMode(app, 0);
  ui.Repaint();
}

void CmdBatchSave(AppState& app, UiPort& ui) {
  std::string path;
  if (!ChooseTextFileToSave(ui, kBatchFilters, ".tvb", &path)) return;
  if (!WriteBatchFile(app.batch, path)) ui.ShowMessage(kBoxError, FormatText(kMsgSaveFailed, path));
}

}  // namespace tavo
