// SPDX-License-Identifier: MIT
#include "cli/cli_run.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "batch/batch_sequence.h"
#include "cli/cli_stack.h"
#include "settings/settings_file.h"
#include "io/file_type.h"
#include "settings/settings_file.h"
#include "shell/batch_commands.h"
#include "shell/capture.h"
#include "shell/ops/background_points_op.h"
#include "shell/command_ids.h"
#include "shell/commands.h"
#include "shell/ops/composite_points_op.h"
#include "shell/raw_ui.h"

namespace tavo {
namespace {

bool ParseInt(const std::string& text, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < -2147483647L || v > 2147483647L) return false;
  *value = static_cast<int>(v);
  return true;
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "tavo-cli: %s\n", text.c_str());
  return 1;
}

// The dark file list is dialog state, not a settings group: it holds
// names. "--set dark-files" replaces the whole list; names are separated by
// spaces, double quotes keep spaces in a name.
constexpr char kDarkFilesKeyword[] = "dark-files";

bool SetDarkFiles(AppState& app, const std::string& values, std::string* error) {
  std::string paths[kDarkFrameCount];
  for (const std::string& name : SplitCommandLine(values)) {
    const int result = DarkListAdd(paths, name);
    if (result != kDarkAdded) {
      *error = name + " : " + DarkAddMessage(result);
      return false;
    }
  }
  for (int k = 0; k < kDarkFrameCount; ++k) app.darks.paths[k] = paths[k];
  return true;
}

// Choosing the slots of a point-aligned composite fills the rows' points
// from the slots' marked points A and B, as the dialogs do; a later
// "--set composite-points" may still change them.
void FillPointsOfChosenSlots(AppState& app, const std::string& keyword) {
  const Settings& s = app.settings;
  const char* k = keyword.c_str();  // keywords match in any case, as when they are read
  if (strcasecmp(k, "composite-inputs") == 0) {
    for (int row = 0; row < 4; ++row) FillPointRowFromSlot(app, row, s.composite.inputs[row]);
  } else if (strcasecmp(k, "lrgb-inputs") == 0) {
    FillPointRowFromSlot(app, 0, s.lrgb.l);
    FillPointRowFromSlot(app, 1, s.lrgb.rgb);
  } else if (strcasecmp(k, "lrgbcomp-inputs") == 0) {
    for (int row = 0; row < 4; ++row) FillPointRowFromSlot(app, row, s.lrgb.inputs[row]);
  }
}

// "ガンマ補正(&G)" -> "ガンマ補正".
std::string MenuTextWithoutAccelerator(const char* text) {
  std::string t = text;
  const size_t amp = t.find("(&");
  if (amp != std::string::npos && t.size() >= amp + 4 && t[amp + 3] == ')') t.erase(amp, 4);
  return t;
}

}  // namespace

int FormatFilterIndex(const std::string& format) {
  if (format == "bmp") return kSaveFilterBmp;
  if (format == "jpg") return kSaveFilterJpeg;
  if (format == "tif") return kSaveFilterTiff;
  if (format == "ppm") return kSaveFilterPpmBinary;
  if (format == "ppm-ascii") return kSaveFilterPpmAscii;
  if (format == "fits16") return kSaveFilterFits16;
  if (format == "fits32") return kSaveFilterFits32;
  return 0;
}

int FilterIndexFromName(const std::string& path) {
  switch (DetectFileType(path)) {
    case kFileJpeg: return kSaveFilterJpeg;
    case kFileTiff: return kSaveFilterTiff;
    case kFilePnm: return kSaveFilterPpmBinary;
    case kFileFits: return kSaveFilterFits16;
    default: return kSaveFilterBmp;
  }
}

std::string CliHelpText() {
  std::string text =
      "usage: tavo-cli run STEP...\n"
      "       tavo-cli batch [--settings FILE.tvp] [--yes] [--quiet] JOB.tvb FILE...\n"
      "       tavo-cli stack --lights LIST --out FILE [OPTION...]\n"
      "       tavo-cli --help\n"
      "\n"
      "Steps run in order on one set of image slots; tavo.tvp in the current folder,\n"
      "or else in $XDG_CONFIG_HOME/tavo (~/.config/tavo), is loaded first when it\n"
      "exists.\n"
      "  --settings FILE.tvp        load an all-settings file\n"
      "  --set KEYWORD \"V1 V2 ...\"   read one settings group (keywords below)\n"
      "  --open FILE                open FILE into a free slot, which becomes current\n"
      "  --select N                 make slot N current\n"
      "  --point a|b X Y            mark point A or B (X column, Y row from the top) of the\n"
      "                             current image; --set composite-inputs, lrgb-inputs or\n"
      "                             lrgbcomp-inputs then takes each chosen slot's points\n"
      "  --command ID               run menu command ID; its dialog counts as confirmed\n"
      "  --click X Y                left click on the image at X Y (row from the top) while\n"
      "                             a background capture is armed (--command 3061 / 3062),\n"
      "                             or one more background point after --command 309\n"
      "  --right-click              right button on the image: ends the points of 309 and\n"
      "                             corrects the current image with them\n"
      "  --save FILE [--format bmp|jpg|tif|ppm|ppm-ascii|fits16|fits32]\n"
      "                             save the current image (format from the name when\n"
      "                             not given; PPM is binary unless ppm-ascii, FITS\n"
      "                             16-bit unless fits32, 32-bit float 0..1)\n"
      "  --save-settings FILE.tvp   write the all-settings file\n"
      "  --print-to FILE.pdf        print command 111 into this PDF file (one A4 page;\n"
      "                             may come before or after the command)\n"
      "  --yes                      answer OK/Yes to questions such as overwriting\n"
      "  --quiet                    no progress line on a terminal (also for batch)\n"
      "\n"
      "Message boxes are printed to standard error, reports such as the point report\n"
      "(--command 412) to standard output; an error box ends the run with exit\n"
      "status 1.\n"
      "\n"
      "batch runs the sequence of the batch file JOB.tvb on the files as if they were\n"
      "dropped in batch mode (step 1 decides: one file at a time, or all of them, at\n"
      "most 8, composited first). The start-up tavo.tvp as above, then --settings,\n"
      "give the interactive settings. Each result goes to the save step's folder\n"
      "under the input's base name with the save step's extension; one line per file\n"
      "written is printed. Existing files are overwritten only with --yes. Exit\n"
      "status 0 only when every file was processed.\n"
      "\n"
      "Settings keywords and their value order (as in the settings file):\n";
  Settings scratch;
  for (const SettingGroup& group : SettingGroups(scratch)) {
    if (!group.in_file) continue;
    text += "  " + std::string(group.keyword) + ": " + group.help + "\n";
  }
  text += "Dialog values the settings file does not keep:\n";
  for (const SettingGroup& group : SettingGroups(scratch)) {
    if (group.in_file) continue;
    text += "  " + std::string(group.keyword) + ": " + group.help + "\n";
  }
  text += "  " + std::string(kDarkFilesKeyword) +
          ": \"DARK1 DARK2 ...\" up to four camera RAW dark files (names with spaces in\n"
          "      double quotes; \"\" empties the list); --command 131 then builds the\n"
          "      master dark that every RAW file opened afterwards is corrected with\n";
  text += "\nCommands available in this build (--command ID) and the settings they read:\n";
  for (const Operation& op : Operations()) {
    if (!OperationBuilt(op)) continue;
    text += "  " + std::to_string(op.id) + " " + MenuTextWithoutAccelerator(op.text);
    if (op.keywords[0] != '\0') text += "  [--set " + std::string(op.keywords) + "]";
    text += "\n";
  }
  return text + CliStackHelpText();
}

int RunCliSteps(AppState& app, CliPort& port, const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--yes") port.yes = true;
    if (args[i] == "--quiet") port.quiet = true;
    // Taken up front so that it may follow the print command it is for.
    if (args[i] == "--print-to" && i + 1 < args.size() && port.print_to.empty()) port.print_to = args[i + 1];
  }
  const size_t n = args.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string& step = args[i];
    auto need = [&](size_t count) { return i + count < n; };
    port.error_shown = false;
    if (step == "--yes" || step == "--quiet") continue;
    if (step == "--settings") {
      if (!need(1)) return Fail("--settings needs a file");
      const std::string& path = args[++i];
      if (LoadSettings(app.settings, path) == 0) return Fail("cannot read settings file " + path);
    } else if (step == "--set") {
      if (!need(2)) return Fail("--set needs a keyword and a quoted list of values");
      const std::string& keyword = args[++i];
      const std::string& values = args[++i];
      if (keyword == kDarkFilesKeyword) {
        std::string error;
        if (!SetDarkFiles(app, values, &error)) return Fail(error);
      } else if (!ReadSettingGroup(app.settings, keyword, values)) {
        return Fail("unknown settings keyword " + keyword);
      } else {
        FillPointsOfChosenSlots(app, keyword);
      }
    } else if (step == "--open") {
      if (!need(1)) return Fail("--open needs a file");
      port.QueueFile(args[++i], 0);
      RunCommand(app, port, kCmdOpen);
      if (port.error_shown) return 1;
    } else if (step == "--select") {
      int slot = -1;
      if (!need(1) || !ParseInt(args[++i], &slot)) return Fail("--select needs a slot number");
      if (slot < 0 || slot >= kSlotCount || app.slots[slot].Empty()) {
        return Fail("slot " + std::to_string(slot) + " holds no image");
      }
      app.slots.current = slot;
    } else if (step == "--point") {
      int x = 0, y = 0;
      if (!need(3)) return Fail("--point needs a|b X Y");
      const std::string which = args[i + 1];
      if ((which != "a" && which != "b") || !ParseInt(args[i + 2], &x) || !ParseInt(args[i + 3], &y)) {
        return Fail("--point needs a|b X Y");
      }
      i += 3;
      Image* image = CurrentImage(app);
      if (image == nullptr) return Fail("--point: no current image");
      if (x < 0 || x >= image->width || y < 0 || y >= image->height) return Fail("--point lies outside the image");
      const int row = image->height - 1 - y;  // rows are stored bottom first
      if (which == "a") {
        image->point_a_x = x;
        image->point_a_y = row;
      } else {
        image->point_b_x = x;
        image->point_b_y = row;
      }
    } else if (step == "--click") {
      int x = 0, y = 0;
      if (!need(2) || !ParseInt(args[i + 1], &x) || !ParseInt(args[i + 2], &y)) return Fail("--click needs X Y");
      i += 2;
      Image* image = CurrentImage(app);
      if (image == nullptr) return Fail("--click: no current image");
      if (x < 0 || x >= image->width || y < 0 || y >= image->height) return Fail("--click lies outside the image");
      if (app.capture.mode == 0) {
        return Fail("--click: no background capture is armed (--command 3061, 3062 or 309 first)");
      }
      CaptureClick(app, port, x, image->height - 1 - y);
      if (port.error_shown) return 1;
    } else if (step == "--right-click") {
      if (CurrentImage(app) == nullptr) return Fail("--right-click: no current image");
      if (app.capture.mode < kCapturePointsFirst) {
        return Fail("--right-click: no background points are being collected (--command 309 first)");
      }
      CaptureFinish(app, port);
      if (port.error_shown) return 1;
    } else if (step == "--command") {
      int id = 0;
      if (!need(1) || !ParseInt(args[++i], &id)) return Fail("--command needs a command id");
      const CommandResult result = RunCommand(app, port, id);
      if (result == kCommandUnknown) return Fail("unknown command " + std::to_string(id));
      if (result == kCommandNotBuilt) return Fail("command " + std::to_string(id) + " is not available yet");
      if (port.error_shown) return 1;
    } else if (step == "--save") {
      if (!need(1)) return Fail("--save needs a file");
      const std::string path = args[++i];
      int filter = FilterIndexFromName(path);
      if (i + 1 < n && args[i + 1] == "--format") {
        if (i + 2 >= n || (filter = FormatFilterIndex(args[i + 2])) == 0) {
          return Fail("--format takes bmp, jpg, tif, ppm, ppm-ascii, fits16 or fits32");
        }
        i += 2;
      }
      if (CurrentImage(app) == nullptr) return Fail("--save: no current image");
      port.QueueFile(path, filter);
      RunCommand(app, port, kCmdSave);
      if (port.error_shown) return 1;
    } else if (step == "--print-to") {
      if (!need(1)) return Fail("--print-to needs a PDF file");
      port.print_to = args[++i];
    } else if (step == "--save-settings") {
      if (!need(1)) return Fail("--save-settings needs a file");
      const std::string path = WithExtension(args[++i], ".tvp");
      if (!ConfirmOverwrite(port, path)) continue;
      if (!SaveSettings(app.settings, path)) return Fail("cannot write settings file " + path);
    } else {
      return Fail("unknown step " + step + " (see tavo-cli --help)");
    }
  }
  return 0;
}

int RunCliBatch(AppState& app, CliPort& port, const std::vector<std::string>& args) {
  size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--yes") {
      port.yes = true;
    } else if (args[i] == "--quiet") {
      port.quiet = true;
    } else if (args[i] == "--settings") {
      if (i + 1 >= args.size()) return Fail("--settings needs a file");
      const std::string& path = args[++i];
      if (LoadSettings(app.settings, path) == 0) return Fail("cannot read settings file " + path);
    } else {
      break;
    }
  }
  if (i + 2 > args.size() || args[i].rfind("--", 0) == 0) {
    std::fputs("usage: tavo-cli batch [--settings FILE.tvp] [--yes] [--quiet] JOB.tvb FILE...\n", stderr);
    return 2;
  }
  const std::string& job = args[i];
  const std::vector<std::string> files(args.begin() + static_cast<long>(i) + 1, args.end());
  BatchSequence loaded = app.batch;
  const int steps = ReadBatchFile(loaded, job);
  if (steps < 0) return Fail("cannot read batch file " + job);
  if (steps == 0) return Fail(job + " is not a batch file");
  app.batch = loaded;
  app.batch.save_configured = 1;
  SetBatchMode(app, BatchModeOf(app.batch));
  if (!CheckBatchReady(app, port)) return 1;
  const BatchDropResult result = RunBatchDrop(app, port, files);
  for (const std::string& path : result.written) std::printf("%s\n", path.c_str());
  std::fflush(stdout);
  if (static_cast<size_t>(result.taken) < files.size()) {
    std::fprintf(stderr, "tavo-cli: composite mode takes at most 8 files; %zu not processed\n",
                 files.size() - static_cast<size_t>(result.taken));
    return 1;
  }
  return result.failures.empty() ? 0 : 1;
}

int CliMain(const std::vector<std::string>& args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(CliHelpText().c_str(), args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "stack") return RunCliStack(std::vector<std::string>(args.begin() + 1, args.end()));
  if (args[0] != "run" && args[0] != "batch") {
    std::fprintf(stderr, "tavo-cli: unknown mode %s (see tavo-cli --help)\n", args[0].c_str());
    return 2;
  }
  auto app = std::make_unique<AppState>();  // large: keep it off the stack
  CliPort port;
  // The help pages and the PDF module are looked for beside the program,
  // wherever installed.
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) app->program_dir = port.program_dir = self.parent_path().string();
  StartUp(*app, port, {});
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  const int status = args[0] == "batch" ? RunCliBatch(*app, port, rest) : RunCliSteps(*app, port, rest);
  return status;
}

}  // namespace tavo
