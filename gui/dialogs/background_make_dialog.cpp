// SPDX-License-Identifier: MIT
#include "gui/dialogs/background_make_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/background_make_op.h"

namespace tavo {

BackgroundMakeDialog::BackgroundMakeDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("Make background");
  Back3Settings& b = app_.settings.back3;
  auto same = [](int v) { return v; };
  const EditBar detect = NewEditBar(this, &b.detect, 8, 256, 32, DetectAreaFromText, IntText, same,
                                    DetectAreaAfterScroll);
  const EditBar average = NewEditBar(this, &b.average, 2, 16, 4, AverageAreaFromText, IntText, same,
                                     AverageAreaAfterScroll);
  detect_ = detect.edit, detect_bar_ = detect.bar;
  average_ = average.edit, average_bar_ = average.bar;
  auto* areas = new QGridLayout;
  areas->addWidget(new QLabel(Utf8("背景検出領域(8-256)"), this), 0, 0);
  areas->addWidget(detect_, 0, 1);
  areas->addWidget(detect_bar_, 0, 2);
  areas->addWidget(new QLabel(Utf8("平均化領域(2-16)"), this), 1, 0);
  areas->addWidget(average_, 1, 1);
  areas->addWidget(average_bar_, 1, 2);
  areas->setColumnStretch(2, 1);

  two_pass_ = new QCheckBox(Utf8("２分割処理"), this);
  two_pass_->setChecked(b.two_pass == 1);
  connect(two_pass_, &QCheckBox::toggled, this, [this](bool on) { app_.settings.back3.two_pass = on ? 1 : 0; });
  exclude_zero_ = new QCheckBox(Utf8("輝度0を除外する"), this);
  exclude_zero_->setChecked(b.exclude_zero == 1);
  connect(exclude_zero_, &QCheckBox::toggled, this,
          [this](bool on) { app_.settings.back3.exclude_zero = on ? 1 : 0; });

  auto* correction_box = new QGroupBox(this);
  auto* correction_layout = new QVBoxLayout(correction_box);
  auto* group = new QButtonGroup(this);
  const char* labels[3] = {"無し(バックグランドデータ作成)", "乗算補正", "引算補正"};
  for (int k = 0; k < 3; ++k) {
    corrections_[k] = new QRadioButton(Utf8(labels[k]), correction_box);
    group->addButton(corrections_[k], k);
    correction_layout->addWidget(corrections_[k]);
  }
  if (b.correction >= 0 && b.correction < 3) corrections_[b.correction]->setChecked(true);
  connect(group, &QButtonGroup::idClicked, this, [this](int k) { app_.settings.back3.correction = k; });
  auto* shift_row = new QHBoxLayout;
  shift_row->addWidget(new QLabel(Utf8("シフト量"), correction_box));
  shift_ = new QLineEdit(QString::number(b.shift), correction_box);
  shift_->setFixedWidth(48);
  shift_row->addWidget(shift_);
  shift_row->addStretch(1);
  correction_layout->addLayout(shift_row);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &BackgroundMakeDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &BackgroundMakeDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(areas);
  main->addWidget(two_pass_);
  main->addWidget(exclude_zero_);
  main->addWidget(correction_box);
  main->addWidget(buttons);
}

void BackgroundMakeDialog::accept() {
  app_.settings.back3.shift = EditValue(shift_->text().toStdString(), false);
  QDialog::accept();
}

bool RunBackgroundMakeDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  BackgroundMakeDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdBackgroundMake, RunBackgroundMakeDialog);

}  // namespace tavo
