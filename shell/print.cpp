// SPDX-License-Identifier: MIT
#include "shell/print.h"

#include "shell/messages.h"

namespace tavo {

std::string PrintDocumentName(const AppState& app) { return FormatText(kPrintDocumentName, app.last_dialog_path); }

void CmdPrint(AppState& app, UiPort& ui) {
  const Image* image = CurrentImage(app);
  if (image == nullptr || !image->r || !image->g || !image->b) return;
  PrintJob job;
  job.document_name = PrintDocumentName(app);
  job.image = image;
  std::string detail;
  switch (ui.PrintImage(job, &detail)) {
    case kPrintDone: break;
    case kPrintCancelled: ui.ShowMessage(kBoxMessage, kMsgPrintCancelled); break;
    case kPrintNoPrinter: ui.ShowMessage(kBoxError, kMsgPrintNoPrinter); break;
    default: ui.ShowMessage(kBoxError, FormatText(kMsgPrintFailed, detail)); break;
  }
}

}  // namespace tavo
