// SPDX-License-Identifier: MIT
// Opening, saving and closing images; start-up and exit.
#include <sys/stat.h>

#include <cctype>
#include <cstdio>

#include "settings/settings_file.h"
#include "io/byte_reader.h"
#include "io/file_type.h"
#include "io/image_file.h"
#include "shell/batch_commands.h"
#include "shell/command_handlers.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/raw_ui.h"
#include "shell/user_files.h"

namespace tavo {
namespace {

const char* ReadFailureText(ReadStatus status) {
  switch (status) {
    case kReadCannotOpen: return kMsgCannotOpenFile;
    case kReadNoMemory: return kMsgFileTooLarge;
    case kReadUnsupported: return kMsgVariantUnsupported;
    default: return kMsgBadFile;
  }
}

// Camera RAW files are developed with the current RAW settings and the
// master dark, reporting their progress to `ui`; `dark_skipped` tells when
// the master did not fit.
ReadStatus ReadAnyFile(AppState& app, UiPort& ui, const std::string& path, Image& image, bool* dark_skipped,
                       ReadReport* report) {
  *dark_skipped = false;
  if (DetectFileType(path) != kFileRaw) return ReadImageFile(path, image, report);
  ProgressScope progress(ui);
  const ReadStatus status = DevelopRawFile(app, path, image, dark_skipped, progress.get());
  if (status == kReadOk) image.monochrome = 0;
  return status;
}

// `extension` (".TIF") in the case of the name typed: upper case only when
// the file name has letters and all of them are upper case.
std::string ExtensionLike(const std::string& path, const std::string& extension) {
  bool upper = false, lower = false;
  for (size_t i = path.size(); i-- > 0 && path[i] != '/' && path[i] != '\\';) {
    upper = upper || std::isupper(static_cast<unsigned char>(path[i]));
    lower = lower || std::islower(static_cast<unsigned char>(path[i]));
  }
  std::string out = extension;
  if (upper && !lower) return out;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The save dialog opens on the filter of the image's own format when that
// format is written, else on the last filter used, else on 48-bit TIFF, so
// that 16-bit data are never cut to 8 bits without the user choosing it.
int InitialSaveFilter(const AppState& app, const Image& image) {
  switch (DetectFileType(image.name)) {
    case kFileBmp: return kSaveFilterBmp;
    case kFileJpeg: return kSaveFilterJpeg;
    case kFileTiff: return kSaveFilterTiff;
    case kFileFits: return app.last_save_filter == kSaveFilterFits32 ? kSaveFilterFits32 : kSaveFilterFits16;
    case kFilePnm: return app.last_save_filter == kSaveFilterPpmAscii ? kSaveFilterPpmAscii : kSaveFilterPpmBinary;
    default: return app.last_save_filter > 0 ? app.last_save_filter : kSaveFilterTiff;
  }
}

// `name` without its extension: scanning back from the end to the nearest
// "." or folder separator, a "." found is cut off.
std::string StripExtension(const std::string& name) {
  for (size_t i = name.size(); i-- > 0;) {
    const char c = name[i];
    if (c == '.') return name.substr(0, i);
    if (c == '/' || c == '\\') break;
  }
  return name;
}

// Steps after the save dialog: pick the type (appending the default
// extension to names of no writable type), ask before overwriting, write.
// Returns 1 written, 0 refused by the user, -1 failed (box shown).
int WriteChosenFile(AppState& app, UiPort& ui, Image& image, std::string* path) {
  int type = DetectFileType(*path);
  if (type < 1 || type >= kFileRaw) {
    *path += ExtensionLike(*path, app.default_extension);
    type = DetectFileType(*path);
  }
  if (!HasWriter(type)) {
    // A name of a type with no writer: saying so beats a silent "saved".
    ui.ShowMessage(kBoxError, FormatText(kMsgNoWriter, *path));
    return -1;
  }
  if (!ConfirmOverwrite(ui, *path)) return 0;
  bool ok;
  {
    WaitCursor wait(ui);
    ok = WriteImageFile(*path, image, app.save_filter_index);
  }
  if (!ok) {
    ui.ShowMessage(kBoxError, FormatText(kMsgSaveFailed, *path));
    return -1;
  }
  SetImageName(image, *path);
  image.changed = 0;
  image.undo_changed = 0;
  return 1;
}

bool ImageSaveDialog(AppState& app, UiPort& ui, const Image& image, const std::string& initial,
                     std::string* path) {
  FileDialogRequest request;
  request.mode = kFileDialogSave;
  request.title = "SAVE";
  request.filters = kSaveImageFilters;
  request.initial_name = initial;
  request.filter_index = InitialSaveFilter(app, image);
  const bool chosen = ui.ChooseFile(request, path);
  // The chosen filter counts even when the dialog was cancelled.
  app.save_filter_index = request.filter_index >= 1 && request.filter_index <= kSaveFilterCount ? request.filter_index : 1;
  app.last_save_filter = app.save_filter_index;
  app.default_extension = SaveFilterExtension(app.save_filter_index);
  if (chosen) app.last_dialog_path = *path;
  return chosen;
}

}  // namespace

bool ConfirmOverwrite(UiPort& ui, const std::string& path) {
  if (!FileExists(path)) return true;
  return ui.Ask(kBoxCaution, FormatText(kMsgOverwrite, path)) == kAnswerOk;
}

void StartUp(AppState& app, UiPort& ui, const std::vector<std::string>& names) {
  InitAppState(app);
  LoadSettings(app.settings, StartupSettingsPath());  // a missing file is not an error
  for (std::string& path : app.darks.paths) path.clear();
  ForgetDarkFrames(app.darks);
  CombineDarkFrames(app.darks, -1);
  OpenStartupFiles(app, ui, names);
}

bool OpenFileIntoSlot(AppState& app, UiPort& ui, const std::string& path, int slot) {
  if (slot < 0 || slot >= kSlotCount) return false;
  Image& image = app.slots[slot];
  ReadStatus status;
  bool dark_skipped = false;
  ReadReport report;
  {
    WaitCursor wait(ui);
    status = ReadAnyFile(app, ui, path, image, &dark_skipped, &report);
  }
  if (status != kReadOk || image.Empty()) {
    ClearSlot(app.slots, slot);
    if (status == kReadCancelled) return false;
    ui.ShowMessage(kBoxError, FormatText(ReadFailureText(status), path));
    return false;
  }
  SetImageName(image, path);
  app.slots.current = slot;
  const int monochrome = image.monochrome;  // as the reader found the file
  MarkLoaded(image);
  image.monochrome = monochrome;
  ui.Repaint();
  if (dark_skipped) ui.ShowMessage(kBoxMessage, FormatText(kMsgDarkSizeMismatch, path));
  if (report.missing_rows > 0) ui.ShowMessage(kBoxMessage, FormatText(kMsgFileEndedEarly, path, report.missing_rows));
  return true;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> names;
  std::string name;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ' ' && !quoted) {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  if (!name.empty()) names.push_back(name);
  return names;
}

void OpenStartupFiles(AppState& app, UiPort& ui, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (name.empty()) continue;
    if (DetectFileType(name) == kFileUnsupported) {
      ui.ShowMessage(kBoxError, FormatText(kMsgUnsupported, name));
      continue;
    }
    const int slot = FindFreeSlot(app.slots);
    if (slot < 0) {
      ui.ShowMessage(kBoxError, kMsgNoSlotToOpen);
      return;
    }
    OpenFileIntoSlot(app, ui, name, slot);
  }
}

void DropFiles(AppState& app, UiPort& ui, const std::vector<std::string>& paths) {
  if (app.batch_mode != 0) {
    RunBatchDrop(app, ui, paths);
    return;
  }
  for (const std::string& path : paths) {
    const int slot = FindFreeSlot(app.slots);
    if (slot < 0) {
      ui.ShowMessage(kBoxError, kMsgNoSlotToOpen);
      return;
    }
    if (DetectFileType(path) == kFileUnsupported) {
      ui.ShowMessage(kBoxError, FormatText(kMsgUnsupported, path));
      return;
    }
    OpenFileIntoSlot(app, ui, path, slot);
  }
}

void CmdOpen(AppState& app, UiPort& ui) {
  const int slot = FindFreeSlot(app.slots);
  if (slot < 0) {
    ui.ShowMessage(kBoxError, kMsgNoSlotToOpen);
    return;
  }
  FileDialogRequest request;
  request.mode = kFileDialogOpen;
  request.title = "LOAD";
  request.filters = kOpenImageFilters;
  request.filter_index = 1;
  std::string path;
  if (!ui.ChooseFile(request, &path)) return;
  app.last_dialog_path = path;
  if (DetectFileType(path) == kFileUnsupported) {
    ui.ShowMessage(kBoxError, FormatText(kMsgUnsupported, path));
    return;
  }
  OpenFileIntoSlot(app, ui, path, slot);
}

void CmdSave(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  ExpandMonochrome(*image);
  std::string path;
  if (!ImageSaveDialog(app, ui, *image, StripExtension(image->name), &path)) return;
  WriteChosenFile(app, ui, *image, &path);
  ui.Repaint();
}

bool SavePrompt(AppState& app, UiPort& ui, int slot) {
  Image& image = app.slots[slot];
  char head[32];
  std::snprintf(head, sizeof head, "Image No.%d(", slot);
  const int answer = ui.Ask(kBoxSaveOrNot, head + image.name + ") is changed !\nDo you save ?");
  if (answer == kAnswerNo) return true;
  if (answer != kAnswerYes) return false;
  ExpandMonochrome(image);
  std::string path;
  // The user asked to keep the image: a cancelled dialog, a refused
  // overwrite or a failed write must not let it be thrown away unsaved.
  if (!ImageSaveDialog(app, ui, image, image.name, &path)) return false;
  return WriteChosenFile(app, ui, image, &path) == 1;
}

void CmdClose(AppState& app, UiPort& ui) {
  Image* image = CurrentImage(app);
  if (image == nullptr) return;
  if (image->changed == 1 && !SavePrompt(app, ui, app.slots.current)) return;
  if (app.capture.slot == app.slots.current) app.capture.slot = -1;
  ClearSlot(app.slots, app.slots.current);
  app.slots.current = 0;
  for (int i = kSlotCount - 1; i >= 0; --i) {
    if (!app.slots[i].Empty()) {
      app.slots.current = i;
      break;
    }
  }
  ui.Repaint();
}

void CmdCloseAll(AppState& app, UiPort& ui) {
  for (int i = 0; i < kSlotCount; ++i) {
    Image& image = app.slots[i];
    if (!image.Empty() && image.changed == 1) {
      app.slots.current = i;
      ui.Repaint();
      if (!SavePrompt(app, ui, i)) {
        ui.Repaint();
        return;
      }
    }
    if (app.capture.slot == i) app.capture.slot = -1;
    ClearSlot(app.slots, i);
  }
  app.slots.current = 0;
  ui.Repaint();
}

bool ConfirmExit(AppState& app, UiPort& ui) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (app.slots[i].changed != 1 || app.slots[i].Empty()) continue;
    app.slots.current = i;
    ui.Repaint();
    if (!SavePrompt(app, ui, i)) return false;
  }
  return true;
}

}  // namespace tavo
