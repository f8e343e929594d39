// SPDX-License-Identifier: MIT
// gui/dialogs/deblur_dialog.h - "ボケ補正": the drop-down lists "繰り返し回数"
// (1..5) and "強調" (0..3), "フィルターの広がり" and "フィルターの鈍り" as
// "%d.%01d" edits with bars, and the profile of the point-spread function
// they make. OK stores the four values in app.settings.restore; Cancel
// changes nothing.
#pragma once
#include <QDialog>

#include "settings/settings.h"

class QComboBox;
class QLineEdit;
class QScrollBar;

namespace tavo {

struct AppState;
class UiPort;
class DeblurProfileView;

class DeblurDialog : public QDialog {
 public:
  DeblurDialog(QWidget* parent, AppState& app);

  // The values being edited.
  const RestoreSettings& values() const { return values_; }

  // Widgets, for driving the dialog from tests.
  QComboBox* iterations_list() const { return iterations_; }
  QComboBox* emphasis_list() const { return emphasis_; }
  QLineEdit* spread_edit() const { return spread_; }
  QScrollBar* spread_bar() const { return spread_bar_; }
  QLineEdit* dullness_edit() const { return dullness_; }
  QScrollBar* dullness_bar() const { return dullness_bar_; }

  void accept() override;

 private:
  // Edits, bars and the profile from the values.
  void Sync();

  AppState& app_;
  RestoreSettings values_;
  QComboBox* iterations_ = nullptr;
  QComboBox* emphasis_ = nullptr;
  QLineEdit* spread_ = nullptr;
  QScrollBar* spread_bar_ = nullptr;
  QLineEdit* dullness_ = nullptr;
  QScrollBar* dullness_bar_ = nullptr;
  DeblurProfileView* profile_ = nullptr;
};

// Opens the dialog on the current settings; false on Cancel.
bool RunDeblurDialog(QWidget* parent, AppState& app, UiPort& ui);

}  // namespace tavo
