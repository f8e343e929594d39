// SPDX-License-Identifier: MIT
// shell/ui_port.h - everything the shell needs from a front end: message
// boxes, questions, an operation's dialog, file dialogs, the wait cursor,
// repainting and the printer. The Qt window, the command-line tool and the tests each
// implement it.
#pragma once
#include <functional>
#include <string>

#include "core/progress.h"

namespace tavo {

enum BoxKind {
  kBoxError,      // "Error !", OK
  kBoxCaution,    // "Caution !", OK and Cancel
  kBoxMessage,    // "Message !", OK
  kBoxSaveOrNot,  // "Save or not !", Yes, No and Cancel
  kBoxAbout,      // "About TAVO !", OK
  kBoxReport,     // "Message !", OK: a measurement the user asked for
};

enum Answer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

const char* BoxCaption(int box_kind);

enum FileDialogMode { kFileDialogOpen, kFileDialogSave };

struct FileDialogRequest {
  int mode = kFileDialogOpen;
  std::string title;         // "LOAD" or "SAVE"
  // Alternating description and pattern list, each ended by "|", the list
  // ended by "||": "BMP(24bit)|*.BMP|JPEG(24bit)|*.JPG||".
  std::string filters;
  std::string initial_name;
  int filter_index = 1;      // 1-based; the dialog writes back the chosen one
};

struct Image;

enum PrintResult {
  kPrintDone,
  kPrintCancelled,  // the printer dialog was cancelled
  kPrintNoPrinter,  // no printer to print on
  kPrintFailed,     // the printer or file (named in `detail`) took no page
};

struct PrintJob {
  std::string document_name;  // "TAVO(path)"
  const Image* image = nullptr;
};

class UiPort {
 public:
  virtual ~UiPort() = default;
  virtual void ShowMessage(int box_kind, const std::string& text) = 0;
  // Caution: kAnswerOk or kAnswerCancel. Save or not: Yes, No or Cancel.
  virtual int Ask(int box_kind, const std::string& text) = 0;
  // Runs the dialog of command `dialog_id`, which edits the settings in
  // place; false when it was cancelled.
  virtual bool EditSettings(int dialog_id) = 0;
  // False when cancelled. request.filter_index holds the filter chosen
  // (also on cancel).
  virtual bool ChooseFile(FileDialogRequest& request, std::string* path) = 0;
  virtual void SetWaitCursor(bool on) = 0;
  virtual void Repaint() = 0;
  // Shows a document (a help page, HTML) in a viewer of the front end's
  // own, so no browser need be installed; false on failure.
  virtual bool OpenDocument(const std::string& path) = 0;
  // Asks for a printer (or a PDF file) and prints job.image on one page as
  // shell/print.h lays it out, under the wait cursor once the page is being
  // drawn. A PrintResult; on kPrintFailed `detail` names what failed.
  virtual int PrintImage(const PrintJob& job, std::string* detail) = 0;
  // A long operation's progress (fraction 0..1, a short text); false when
  // the user asked to stop it. EndProgress comes once the operation ends.
  // Front ends without a display of it keep the defaults.
  virtual bool ShowProgress(double /*fraction*/, const std::string& /*text*/) { return true; }
  virtual void EndProgress() {}
  // Runs `work`, which reports progress, with the port it is to use and
  // returns when it is done. A front end that must keep its display going
  // meanwhile runs it on a thread of its own; by default it runs here.
  virtual void RunWork(const std::function<void(UiPort&)>& work) { work(*this); }
};

// A Progress record (core/progress.h) that reports to `ui` for the life of
// the object, ending the display when it goes.
class ProgressScope {
 public:
  explicit ProgressScope(UiPort& ui) : ui_(ui) {
    record_.report = [](void* context, double fraction, const char* text) {
      return static_cast<UiPort*>(context)->ShowProgress(fraction, text);
    };
    record_.context = &ui_;
  }
  ~ProgressScope() { ui_.EndProgress(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  Progress* get() { return &record_; }

 private:
  UiPort& ui_;
  Progress record_;
};

// Shows the wait cursor for the life of the object.
class WaitCursor {
 public:
  explicit WaitCursor(UiPort& ui) : ui_(ui) { ui_.SetWaitCursor(true); }
  ~WaitCursor() { ui_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  UiPort& ui_;
};

}  // namespace tavo
