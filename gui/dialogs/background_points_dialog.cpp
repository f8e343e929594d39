// SPDX-License-Identifier: MIT
#include "gui/dialogs/background_points_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"

namespace tavo {

BackgroundPointsDialog::BackgroundPointsDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("バックグランド補正（ポイント指定）"));
  const Back1Settings& b = app_.settings.back1;
  auto* row = new QHBoxLayout;
  modes_[0] = new QRadioButton(Utf8("乗算"), this);
  modes_[1] = new QRadioButton(Utf8("引算"), this);
  modes_[b.mode == 4 ? 1 : 0]->setChecked(true);
  row->addWidget(modes_[0]);
  row->addWidget(modes_[1]);
  row->addWidget(new QLabel(Utf8("シフト量"), this));
  shift_ = new QLineEdit(QString::number(b.shift), this);
  shift_->setFixedWidth(48);
  row->addWidget(shift_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &BackgroundPointsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &BackgroundPointsDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(row);
  main->addWidget(buttons);
}

void BackgroundPointsDialog::accept() {
  app_.settings.back1.mode = modes_[1]->isChecked() ? 4 : 3;
  app_.settings.back1.shift = EditValue(shift_->text().toStdString(), false);
  QDialog::accept();
}

bool RunBackgroundPointsDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  BackgroundPointsDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdBackgroundPoints, RunBackgroundPointsDialog);

}  // namespace tavo
