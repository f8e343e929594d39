// SPDX-License-Identifier: MIT
#include "gui/dialogs/distortion_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/ops/distortion_op.h"

namespace tavo {

DistortionDialog::DistortionDialog(QWidget* parent, AppState& app) : QDialog(parent) {
  setWindowTitle(Utf8("歪曲収差補正"));
  int& corner = app.settings.waikyoku.corner;
  corner_ = new QLineEdit(QString::number(corner), this);
  corner_->setFixedWidth(64);
  connect(corner_, &QLineEdit::textEdited, this,
          [&corner](const QString& text) { corner = CornerShiftFromText(text.toStdString()); });
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(Utf8("角での補正量"), this));
  row->addWidget(corner_);
  row->addWidget(new QLabel(Utf8("画素"), this));
  row->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(row);
  main->addWidget(new QLabel(Utf8("+なら外側へ、-なら中心へ移動"), this));
  main->addWidget(buttons);
}

bool RunDistortionDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  DistortionDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdDistortion, RunDistortionDialog);

}  // namespace tavo
