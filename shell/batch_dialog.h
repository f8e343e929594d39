// SPDX-License-Identifier: MIT
// shell/batch_dialog.h - the "Batch Sequence" dialog as plain data and
// actions, so that a front end only draws eight lists with a "詳細設定"
// button each, the "時間計測" check box and OK/Cancel, and calls these.
#pragma once
#include <vector>

#include "batch/batch_sequence.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

struct BatchDialogModel {
  int shown[kBatchSteps] = {};  // code each row's list shows
  int timing = 0;               // the check box
};

// Codes row `row` (0..7) offers, in list order: row 0 codes 1 and 2, rows
// 1..6 code 0 and 4..15, row 7 code 3. The list texts are BatchStepText.
std::vector<int> BatchRowCodes(int row);

// The dialog as it opens: each row shows its step's code (a code the row
// does not offer shows as the row's first entry), the box the timing flag.
BatchDialogModel OpenBatchDialog(const AppState& app);

// The user picked `code` in row `row`: every step's code becomes the code
// its row shows. A code the row does not offer is ignored.
void BatchDialogChoose(AppState& app, BatchDialogModel& model, int row, int code);

// The row's "詳細設定" button, by its step's code: a note for code 1, the
// save folder and format for code 3, otherwise the operation's dialog
// (UiPort::EditSettings with the operation's command id) between Swap-in
// and Swap-out, so the interactive settings stay as they were. An
// operation not built yet says so instead.
void BatchDialogDetails(AppState& app, UiPort& ui, int row);

// OK: refused (message shown, false) while the save step has no folder;
// otherwise every step's detail block is brought in line with its code (a
// step whose code changed takes the interactive settings of its new
// operation) and the timing flag is taken from the box. Cancel needs no
// call: codes picked in the lists stay.
bool BatchDialogOk(AppState& app, UiPort& ui, const BatchDialogModel& model);

}  // namespace tavo
