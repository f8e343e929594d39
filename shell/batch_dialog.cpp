// SPDX-License-Identifier: MIT
#include "shell/batch_dialog.h"

#include <algorithm>
#include <cstdio>

#include "shell/batch_run.h"
#include "io/file_type.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {
namespace {

bool RowOffers(int row, int code) {
  const std::vector<int> codes = BatchRowCodes(row);
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// The save row: keep a complete folder and format when the user agrees,
// otherwise ask for them with the image save dialog.
void SaveRowDetails(AppState& app, UiPort& ui, int row) {
  BatchSequence& seq = app.batch;
  if (!seq.folder[row].empty() && !seq.extension[row].empty()) {
    const int n = std::snprintf(nullptr, 0, kMsgBatchSaveCurrent, seq.folder[row].c_str(),
                                seq.extension[row].c_str());
    std::vector<char> text(static_cast<size_t>(std::max(n, 0)) + 1);
    std::snprintf(text.data(), text.size(), kMsgBatchSaveCurrent, seq.folder[row].c_str(),
                  seq.extension[row].c_str());
    if (ui.Ask(kBoxCaution, text.data()) == kAnswerOk) {
      seq.save_configured = 1;
      return;
    }
  }
  BatchSwapKeep keep;
  SwapInStep(seq, row, app.settings, app.save_filter_index, keep);
  bool configured = false;
  for (;;) {
    FileDialogRequest request;
    request.mode = kFileDialogSave;
    request.title = "SAVE";
    request.filters = kSaveImageFilters;
    request.filter_index = 1;
    std::string path;
    // Cancel leaves the row as it was rather than trapping the user in the
    // dialog.
    if (!ui.ChooseFile(request, &path)) break;
    const size_t cut = path.find_last_of("/\\");
    std::string folder;
    if (cut != std::string::npos) folder = cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
    if (folder.empty()) {
      ui.ShowMessage(kBoxMessage, kMsgBatchSaveRetry);
      continue;
    }
    const int filter = request.filter_index >= 1 && request.filter_index <= kSaveFilterCount ? request.filter_index : 1;
    app.save_filter_index = filter;
    seq.extension[row] = SaveFilterExtension(filter);
    seq.folder[row] = folder;
    configured = true;
    break;
  }
  SwapOutStep(seq, row, app.settings, app.save_filter_index, keep);
  if (configured) seq.save_configured = 1;
}

void OperationDetails(AppState& app, UiPort& ui, int row, int code) {
  if (!BatchStepBuilt(code)) {
    char text[512];
    std::snprintf(text, sizeof text, kMsgBatchStepNotBuilt, row + 1, BatchStepText(code));
    ui.ShowMessage(kBoxError, text);
    return;
  }
  if (code == kStepOpenComposite) ui.ShowMessage(kBoxMessage, kMsgBatchCompositeInfo);
  const int dialog = BatchStepDialog(code);
  BatchSwapKeep keep;
  SwapInStep(app.batch, row, app.settings, app.save_filter_index, keep);
  bool accepted = EditSettings(app, ui, dialog);
  // A background step without a correction kind would only make data; ask
  // again until one is chosen (or the dialog is cancelled).
  while (code == kStepBackground && accepted && app.settings.back3.correction == 0) {
    ui.ShowMessage(kBoxMessage, kMsgBatchBackgroundKind);
    accepted = EditSettings(app, ui, dialog);
  }
  SwapOutStep(app.batch, row, app.settings, app.save_filter_index, keep);
}

}  // namespace

std::vector<int> BatchRowCodes(int row) {
  if (row == 0) return {kStepOpenOne, kStepOpenComposite};
  if (row == kBatchSteps - 1) return {kStepSave};
  if (row < 0 || row >= kBatchSteps) return {};
  std::vector<int> codes = {kStepNone};
  for (int code = kStepCrop; code < kStepCodeCount; ++code) codes.push_back(code);
  return codes;
}

BatchDialogModel OpenBatchDialog(const AppState& app) {
  BatchDialogModel model;
  for (int row = 0; row < kBatchSteps; ++row) {
    const int code = app.batch.code[row];
    model.shown[row] = RowOffers(row, code) ? code : BatchRowCodes(row).front();
  }
  model.timing = app.batch.timing != 0 ? 1 : 0;
  return model;
}

void BatchDialogChoose(AppState& app, BatchDialogModel& model, int row, int code) {
  if (!RowOffers(row, code)) return;
  model.shown[row] = code;
  for (int i = 0; i < kBatchSteps; ++i) app.batch.code[i] = model.shown[i];
}

void BatchDialogDetails(AppState& app, UiPort& ui, int row) {
  if (row < 0 || row >= kBatchSteps) return;
  const int code = app.batch.code[row];
  switch (code) {
    case kStepNone:
      break;
    case kStepOpenOne:
      ui.ShowMessage(kBoxMessage, kMsgBatchOpenOneInfo);
      break;
    case kStepSave:
      SaveRowDetails(app, ui, row);
      break;
    default:
      if (code > 0 && code < kStepCodeCount) OperationDetails(app, ui, row, code);
      break;
  }
}

bool BatchDialogOk(AppState& app, UiPort& ui, const BatchDialogModel& model) {
  if (app.batch.save_configured != 1) {
    ui.ShowMessage(kBoxMessage, kMsgBatchSaveMissing);
    return false;
  }
  for (int step = 0; step < kBatchSteps; ++step) {
    BatchSwapKeep keep;
    SwapInStep(app.batch, step, app.settings, app.save_filter_index, keep);
    app.batch.stored_code[step] = app.batch.code[step];
    SwapOutStep(app.batch, step, app.settings, app.save_filter_index, keep);
  }
  app.batch.timing = model.timing != 0 ? 1 : 0;
  return true;
}

}  // namespace tavo
