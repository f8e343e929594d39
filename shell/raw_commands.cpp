// SPDX-License-Identifier: MIT
// The two RAW development commands of the file menu.
#include "shell/command_handlers.h"
#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/protocol.h"
#include "shell/raw_ui.h"

namespace tavo {

void CmdDarkFiles(AppState& app, UiPort& ui) {
  // The dialog has no Cancel: however it ends, the list it leaves is used,
  // and the master dark is rebuilt even when the list did not change.
  EditSettings(app, ui, kCmdDarkFiles);
  bool built;
  {
    WaitCursor wait(ui);
    built = RebuildDarkSet(app);
  }
  ui.Repaint();
  if (!built) ui.ShowMessage(kBoxError, kMsgNoMemory);
}

void CmdRawSettings(AppState& app, UiPort& ui) {
  const RawDevelopSettings at_open = app.settings.raw;
  if (!EditSettings(app, ui, kCmdRawSettings)) RawDialogCancel(app.settings.raw, at_open);
}

}  // namespace tavo
