// SPDX-License-Identifier: MIT
#include "cli/cli_port.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "core/files.h"
#include "printing/pdf_module.h"

namespace tavo {
namespace {

// The module's entry, loaded once and kept: Qt is not made to be unloaded.
// nullptr after saying on standard error why it could not be loaded.
PdfModuleEntry LoadPdfModule(const std::string& program_dir) {
  static PdfModuleEntry entry = nullptr;
  if (entry != nullptr) return entry;
  const std::string folders[] = {program_dir, program_dir + "/" TAVO_PRINT_MODULE_DIR};
  std::string path;
  for (const std::string& folder : folders) {
    if (!program_dir.empty() && FileExists(folder + "/" + kPdfModuleFile)) {
      path = folder + "/" + kPdfModuleFile;
      break;
    }
  }
  if (path.empty()) {
    std::fprintf(stderr, kCliPdfModuleMissing, kPdfModuleFile, folders[0].c_str(), folders[1].c_str());
    return nullptr;
  }
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module != nullptr) entry = reinterpret_cast<PdfModuleEntry>(dlsym(module, kPdfModuleEntry));
  if (entry == nullptr) std::fprintf(stderr, "tavo-cli: cannot load %s: %s\n", path.c_str(), dlerror());
  return entry;
}

}  // namespace

void CliPort::ShowMessage(int box_kind, const std::string& text) {
  if (box_kind == kBoxReport) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    return;
  }
  std::fprintf(stderr, "%s %s\n", BoxCaption(box_kind), text.c_str());
  if (box_kind == kBoxError) error_shown = true;
}

int CliPort::Ask(int box_kind, const std::string& text) {
  int answer;
  if (box_kind == kBoxSaveOrNot) {
    answer = yes ? kAnswerYes : kAnswerCancel;
  } else {
    answer = yes ? kAnswerOk : kAnswerCancel;
  }
  const char* said = answer == kAnswerYes ? "Yes" : answer == kAnswerOk ? "OK" : "Cancel";
  std::fprintf(stderr, "%s %s\n  -> %s%s\n", BoxCaption(box_kind), text.c_str(), said,
               yes ? "" : " (give --yes to answer OK)");
  return answer;
}

bool CliPort::EditSettings(int) { return true; }

bool CliPort::ChooseFile(FileDialogRequest& request, std::string* path) {
  if (!has_file_) return false;
  *path = file_;
  if (filter_ > 0) request.filter_index = filter_;
  has_file_ = false;
  return true;
}

bool CliPort::OpenDocument(const std::string& path) {
  std::printf("%s\n", path.c_str());
  return true;
}

void CliPort::QueueFile(const std::string& path, int filter_index) {
  has_file_ = true;
  file_ = path;
  filter_ = filter_index;
}

int CliPort::PrintImage(const PrintJob& job, std::string* detail) {
  if (print_to.empty()) {
    std::fputs("tavo-cli: give --print-to FILE.pdf to print into a PDF file\n", stderr);
    return kPrintNoPrinter;
  }
  const PdfModuleEntry print = LoadPdfModule(program_dir);
  if (print == nullptr) return kPrintNoPrinter;
  return print(print_to, job, detail);
}

bool CliPort::ShowProgress(double fraction, const std::string& text) {
  if (quiet || !isatty(STDERR_FILENO)) return true;
  const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
  std::fprintf(stderr, "\r%-40.40s %3d%%", text.c_str(), percent);
  std::fflush(stderr);
  progress_shown_ = true;
  return true;
}

void CliPort::EndProgress() {
  if (!progress_shown_) return;
  std::fputs("\n", stderr);
  progress_shown_ = false;
}

}  // namespace tavo
