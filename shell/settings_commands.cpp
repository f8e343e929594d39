// SPDX-License-Identifier: MIT
// Resetting, saving and loading all settings.
#include <strings.h>

#include "batch/settings_file.h"
#include "shell/batch_commands.h"
#include "shell/command_handlers.h"
#include "shell/commands.h"
#include "shell/messages.h"

namespace tavo {

void CmdResetSettings(AppState& app, UiPort& ui) {
  if (ui.Ask(kBoxCaution, kMsgResetSettings) != kAnswerOk) return;
  ResetAllSettings(app.settings, /*startup=*/false);
  ResetBatchSequence(app.batch);
  SetBatchMode(app, 0);
  ui.Repaint();
  app.capture.mode = 0;
}

void CmdSaveSettings(AppState& app, UiPort& ui) {
  ui.ShowMessage(kBoxMessage, kMsgSaveSettingsInfo);
  FileDialogRequest request;
  request.mode = kFileDialogSave;
  request.title = "SAVE";
  request.filters = kSettingsFilters;
  request.initial_name = "tavo";
  std::string path;
  if (!ui.ChooseFile(request, &path)) {
    ui.ShowMessage(kBoxMessage, kMsgSettingsNotSaved);
    return;
  }
  if (path.size() < 4 || strcasecmp(path.c_str() + path.size() - 4, ".tvp") != 0) path += ".tvp";
  if (!ConfirmOverwrite(ui, path)) return;
  if (!SaveSettings(app.settings, path)) {
    ui.ShowMessage(kBoxError, FormatText(kMsgSaveFailed, path));
  }
}

void CmdLoadSettings(AppState& app, UiPort& ui) {
  FileDialogRequest request;
  request.mode = kFileDialogOpen;
  request.title = "LOAD";
  request.filters = kSettingsFilters;
  std::string path;
  if (!ui.ChooseFile(request, &path)) {
    ui.ShowMessage(kBoxMessage, kMsgSettingsNotLoaded);
    return;
  }
  if (LoadSettings(app.settings, path) == 0) {
    ui.ShowMessage(kBoxError, FormatText(kMsgCannotOpenFile, path));
  }
}

}  // namespace tavo
