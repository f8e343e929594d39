// SPDX-License-Identifier: MIT
// gui/dialogs/image_select_dialog.h - "Image Select": the open images as a
// list; the chosen row goes to app.image_select_row.
#pragma once
class QWidget;

namespace tavo {

struct AppState;
class UiPort;

// OK or a double click stores the selected row (-1 for none); false on
// Cancel.
bool RunImageSelectDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
