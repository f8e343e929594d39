// SPDX-License-Identifier: MIT
// gui/dialogs/wavelet_dialog.h - "ウェーブレット変換": under "サブバンド" the
// five gain rows "5(L)" .. "1(H)", each an edit showing the gain as
// "%d.%01d" and a bar, and the presets "変換無し", "弱", "中", "強". Edits
// app.settings.wavelet in place.
#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;

class WaveletDialog : public QDialog {
 public:
  WaveletDialog(QWidget* parent, AppState& app);

  // Widgets, for driving the dialog from tests; rows from the top.
  QLineEdit* gain_edit(int row) const { return edits_[row]; }
  QScrollBar* gain_bar(int row) const { return bars_[row]; }
  QPushButton* preset_button(int preset) const { return presets_[preset]; }

 private:
  // Every edit and bar from the settings.
  void Sync();

  AppState& app_;
  QLineEdit* edits_[5] = {};
  QScrollBar* bars_[5] = {};
  QPushButton* presets_[4] = {};
};

// Opens the dialog on the current settings; false on Cancel.
bool RunWaveletDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
