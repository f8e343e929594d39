// SPDX-License-Identifier: MIT
// gui/dialogs/tone_correction_dialog.h - "階調補正": the strength as an edit
// and a scroll bar, and a preview histogram. Edits app.settings.level in
// place; Cancel keeps the edit too.
#pragma once
#include <QDialog>

#include "core/image.h"

class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;
class HistogramView;

class ToneCorrectionDialog : public QDialog {
 public:
  ToneCorrectionDialog(QWidget* parent, AppState& app);

  QLineEdit* strength_field() const { return field_; }
  QScrollBar* strength_bar() const { return bar_; }
  HistogramView* preview() const { return preview_; }

 private:
  // The bar, and the field unless it is being typed in, from the settings;
  // the preview recomputed.
  void Sync(bool field_too);

  AppState& app_;
  Image sample_;
  QLineEdit* field_ = nullptr;
  QScrollBar* bar_ = nullptr;
  HistogramView* preview_ = nullptr;
};

bool RunToneCorrectionDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
