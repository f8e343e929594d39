// SPDX-License-Identifier: MIT
// The two RAW development commands of the file menu.
#include "shell/command_handlers.h"
#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "raw/dark_frames.h"
#include "shell/raw_ui.h"

namespace tavo {

void CmdDarkFiles(AppState& app, UiPort& ui) {
  // The dialog has no Cancel: however it ends, the list it leaves is used,
  // and the master dark is rebuilt even when the list did not change.
  EditSettings(app, ui, kCmdDarkFiles);
  bool built, stopped;
  std::vector<std::string> unreadable;
  {
    WaitCursor wait(ui);
    ProgressScope progress(ui);
    built = RebuildDarkSet(app, &unreadable, progress.get());
    stopped = progress.get()->stopped;
  }
  ui.Repaint();
  if (stopped) {
    ui.ShowMessage(kBoxMessage, kMsgDarkStopped);
    return;
  }
  if (!built) ui.ShowMessage(kBoxError, kMsgNoMemory);
  // A dark that is not used must not go unnoticed: every RAW file
  // developed afterwards would silently lack its correction.
  if (!unreadable.empty()) {
    std::string names;
    for (const std::string& path : unreadable) names += (names.empty() ? "" : "\n") + path;
    const int used = app.darks.master.Loaded() ? CountedDarkFrames(app.darks) : 0;
    ui.ShowMessage(kBoxMessage, FormatText(kMsgDarkUnreadable, names, used));
  }
}

void CmdRawSettings(AppState& app, UiPort& ui) {
  const RawDevelopSettings at_open = app.settings.raw;
  if (!EditSettings(app, ui, kCmdRawSettings)) RawDialogCancel(app.settings.raw, at_open);
}

}  // namespace tavo
