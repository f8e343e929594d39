// SPDX-License-Identifier: MIT
#include "gui/dialogs/rotate_dialog.h"

#include <QButtonGroup>
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
#include "shell/ops/rotate_op.h"

namespace tavo {

RotateDialog::RotateDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("回転"));
  RoundSettings& r = app_.settings.round;
  auto* main = new QVBoxLayout(this);
  auto* group = new QButtonGroup(this);
  const char* labels[6] = {"左９０度回転", "右９０度回転", "１８０度回転", "角度指定(左回転が正)", "左右反転",
                           "上下反転"};
  angle_ = new QLineEdit(QString::fromStdString(AngleText(r.angle)), this);
  angle_->setFixedWidth(80);
  connect(angle_, &QLineEdit::textEdited, this,
          [this](const QString& text) { app_.settings.round.angle = AngleFromText(text.toStdString()); });
  for (int k = 0; k < 6; ++k) {
    kinds_[k] = new QRadioButton(Utf8(labels[k]), this);
    group->addButton(kinds_[k], k);
    if (k != kRotateByAngle) {
      main->addWidget(kinds_[k]);
      continue;
    }
    auto* angle_row = new QHBoxLayout;  // the angle sits beside its button
    angle_row->addWidget(kinds_[k]);
    angle_row->addWidget(angle_);
    angle_row->addWidget(new QLabel(Utf8("度"), this));
    angle_row->addStretch(1);
    main->addLayout(angle_row);
  }
  if (r.kind >= 0 && r.kind < 6) kinds_[r.kind]->setChecked(true);
  connect(group, &QButtonGroup::idClicked, this, [this](int k) { app_.settings.round.kind = k; });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &RotateDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &RotateDialog::reject);
  main->addWidget(buttons);
}

void RotateDialog::accept() {
  AcceptRotateDialog(app_.settings.round);
  QDialog::accept();
}

bool RunRotateDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  RotateDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdRotate, RunRotateDialog);

}  // namespace tavo
