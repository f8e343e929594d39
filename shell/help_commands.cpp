// SPDX-License-Identifier: MIT
// Help menu: the help page and the page of processing examples, shown by
// the front end's viewer.
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "io/byte_reader.h"
#include "shell/command_handlers.h"
#include "shell/help_files.h"
#include "shell/messages.h"

#ifndef TAVO_HELP_DIR
#define TAVO_HELP_DIR ""
#endif

namespace tavo {
namespace {

std::string Absolute(const std::string& path) {
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf) == nullptr) return path;
  return buf;
}

}  // namespace

std::vector<std::string> HelpFolders(const AppState& app) {
  std::vector<std::string> folders;
  if (!app.program_dir.empty()) {
    folders.push_back(app.program_dir + "/help");
    folders.push_back(app.program_dir + "/../share/tavo/help");
  }
  if (TAVO_HELP_DIR[0] != '\0') folders.push_back(TAVO_HELP_DIR);
  folders.push_back("help");
  return folders;
}

std::string FindHelpFile(const AppState& app, const std::string& name) {
  for (const std::string& folder : HelpFolders(app)) {
    const std::string path = folder + "/" + name;
    if (FileExists(path)) return Absolute(path);
  }
  return "";
}

void CmdHelp(AppState& app, UiPort& ui) {
  const std::string path = FindHelpFile(app, kHelpPage);
  if (path.empty() || !ui.OpenDocument(path)) {
    ui.ShowMessage(kBoxError, FormatText(kMsgHelpNotShown, path.empty() ? kHelpPage : path));
  }
}

void CmdExamples(AppState& app, UiPort& ui) {
  // The page of the installed help folder, which matches the program; a
  // copy in the working folder only stands in when there is none.
  std::string path = FindHelpFile(app, kExamplesPage);
  for (const char* name : {"TAVO.HTM", "tavo.htm"}) {
    if (path.empty() && FileExists(name)) path = Absolute(name);
  }
  if (path.empty() || !ui.OpenDocument(path)) ui.ShowMessage(kBoxAbout, kMsgExamplesNotShown);
}

}  // namespace tavo
