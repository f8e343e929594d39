// SPDX-License-Identifier: MIT
// shell/batch_commands.h - batch mode on the main window: switching it,
// checking the sequence before it starts, and files dropped while it is on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Sets the batch mode (0 off, 1 one file at a time, 2 composite first) and
// the toolbar banner that goes with it (empty when off).
void SetBatchMode(AppState& app, int mode);

// True when the sequence can run; otherwise shows why in an error box.
bool CheckBatchReady(AppState& app, UiPort& ui);

// Files a drop hands to the batch: composite mode takes the first 8.
int BatchFileCount(int mode, int dropped);

// "ファイル数：%d 枚\n処理時間　：%d.%02d 秒" for `hundredths` of a second.
std::string FormatBatchTiming(int files, int64_t hundredths);

struct BatchDropResult {
  int taken = 0;                      // files handed to the batch
  std::vector<std::string> written;   // outputs, in order
  std::vector<std::string> failures;  // files taken but not processed
};

// Files dropped with batch mode on. Refuses (message, nothing done) when
// the sequence cannot run. Open images are closed first as by "全画像を閉じる"
// (a cancelled save question stops the drop). Mode 1 runs each file on its
// own and goes on after a file that fails; mode 2 loads the files into
// slots 0.. and runs once, but never composites with a file missing. A
// final error box lists the files not processed; with the timing flag the
// count and elapsed time follow. The banner shows "＊＊＊　バッチ処理中　＊＊＊"
// meanwhile.
BatchDropResult RunBatchDrop(AppState& app, UiPort& ui, const std::vector<std::string>& paths);

}  // namespace tavo
