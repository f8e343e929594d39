// SPDX-License-Identifier: MIT
// gui/dialogs/deep_stack_dialog.h - "Composite(Stack)": the light, dark,
// flat and bias file lists and every option of stacking many exposures.
// Edits app.settings.deep_stack in place as controls change. Also the
// progress window the stack runs under: the work goes to a thread of its
// own while the window shows how far it is and offers Cancel.
#pragma once
#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

#include "shell/ops/deep_stack_op.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;

namespace tavo {

struct AppState;
class UiPort;

// The four lists, in the order of their tabs.
enum StackList { kListLights = 0, kListDarks, kListFlats, kListBiases };

class DeepStackDialog : public QDialog {
 public:
  DeepStackDialog(QWidget* parent, AppState& app);

  QListWidget* list(int which) const { return lists_[which]; }
  // What the "追加..." button does after its file dialog.
  void AddFiles(int which, const QStringList& paths);
  // "削除": the selected rows; "全削除": every row.
  void RemoveSelected(int which);
  void Clear(int which);

  QComboBox* master_box() const { return master_; }
  QSpinBox* reference_box() const { return reference_; }
  QComboBox* reject_box() const { return reject_; }
  QDoubleSpinBox* kappa_low_box() const { return kappa_low_; }
  QDoubleSpinBox* kappa_high_box() const { return kappa_high_; }
  QComboBox* normalise_box() const { return normalise_; }
  QComboBox* weights_box() const { return weights_; }
  QDoubleSpinBox* max_fwhm_box() const { return max_fwhm_; }
  QSpinBox* memory_box() const { return memory_; }
  QLineEdit* report_edit() const { return report_; }
  QCheckBox* maps_box() const { return maps_; }

 private:
  std::vector<std::string>& Files(int which);
  void ShowFiles(int which);
  QWidget* ListPage(int which);

  AppState& app_;
  QTabWidget* tabs_ = nullptr;
  QListWidget* lists_[4] = {};
  QComboBox* master_ = nullptr;
  QSpinBox* reference_ = nullptr;
  QComboBox* reject_ = nullptr;
  QDoubleSpinBox* kappa_low_ = nullptr;
  QDoubleSpinBox* kappa_high_ = nullptr;
  QComboBox* normalise_ = nullptr;
  QComboBox* weights_ = nullptr;
  QDoubleSpinBox* max_fwhm_ = nullptr;
  QSpinBox* memory_ = nullptr;
  QLineEdit* report_ = nullptr;
  QCheckBox* maps_ = nullptr;
};

bool RunDeepStackDialog(QWidget* parent, AppState& app, UiPort& ui);

// Runs `work` on a thread of its own under a progress window with Cancel;
// returns when the work has ended. The caller's thread keeps the window
// painted meanwhile; the work must not touch anything the window uses.
void RunStackWithProgress(const StackWork& work);

}  // namespace tavo
