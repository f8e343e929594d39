// SPDX-License-Identifier: MIT
// Resetting, saving and loading all settings.
#include <strings.h>

#include <cstring>
#include <filesystem>

#include "settings/settings_file.h"
#include "shell/batch_commands.h"
#include "shell/command_handlers.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/user_files.h"

namespace tavo {

bool ChooseTextFileToLoad(UiPort& ui, const char* filters, std::string* path) {
  FileDialogRequest request;
  request.mode = kFileDialogOpen;
  request.title = "LOAD";
  request.filters = filters;
  if (ui.ChooseFile(request, path)) return true;
  ui.ShowMessage(kBoxMessage, kMsgSettingsNotLoaded);
  return false;
}

bool ChooseTextFileToSave(UiPort& ui, const char* filters, const char* extension, std::string* path,
                          const std::string& initial_name) {
  FileDialogRequest request;
  request.mode = kFileDialogSave;
  request.title = "SAVE";
  request.filters = filters;
  request.initial_name = initial_name;
  if (!ui.ChooseFile(request, path)) {
    ui.ShowMessage(kBoxMessage, kMsgSettingsNotSaved);
    return false;
  }
  *path = WithExtension(*path, extension);
  return ConfirmOverwrite(ui, *path);
}

std::string WithExtension(const std::string& path, const char* extension) {
  const size_t n = std::strlen(extension);
  if (path.size() >= n && strcasecmp(path.c_str() + path.size() - n, extension) == 0) return path;
  return path + extension;
}

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
  std::string path;
  // Proposed where the next start looks for it; the folder is made so the
  // dialog can open in it.
  const std::string folder = UserConfigFolder();
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  const std::string initial = folder.empty() ? "tavo" : folder + "/tavo";
  if (!ChooseTextFileToSave(ui, kSettingsFilters, ".tvp", &path, initial)) return;
  if (!SaveSettings(app.settings, path)) {
    ui.ShowMessage(kBoxError, FormatText(kMsgSaveFailed, path));
  }
}

void CmdLoadSettings(AppState& app, UiPort& ui) {
  std::string path;
  if (!ChooseTextFileToLoad(ui, kSettingsFilters, &path)) return;
  if (LoadSettings(app.settings, path) == 0) {
    ui.ShowMessage(kBoxError, FormatText(kMsgCannotOpenFile, path));
  }
}

}  // namespace tavo
