// SPDX-License-Identifier: MIT
// gui/dialogs/display_dialog.h - "表示設定": the bit count of the readouts
// (6..16) and the display stretch; OK sets the readout scale D = 2^(16 - b)
// and the stretch mode.
#pragma once
class QWidget;

namespace tavo {

struct AppState;
class UiPort;

bool RunDisplayDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
