// SPDX-License-Identifier: MIT
#include "gui/dialogs/resize_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/ops/resize_op.h"

namespace tavo {

ResizeDialog::ResizeDialog(QWidget* parent, AppState& app) : QDialog(parent) {
  setWindowTitle(Utf8("サイズ変更"));
  ResizeSettings& r = app.settings.resize;
  OpenResizeDialog(r);

  keep_aspect_ = new QCheckBox(Utf8("縦横の比を変えない"), this);
  keep_aspect_->setChecked(r.keep_aspect != 0);
  connect(keep_aspect_, &QCheckBox::toggled, this, [&r](bool on) { r.keep_aspect = on ? 1 : 0; });

  auto* method_box = new QGroupBox(this);
  auto* method_layout = new QVBoxLayout(method_box);
  auto* method_group = new QButtonGroup(this);
  const char* method_labels[4] = {"Nearest", "Bilinear", "Lanczos(拡大)/Bilinear(縮小)", "Lanczos"};
  for (int m = 0; m < 4; ++m) {
    methods_[m] = new QRadioButton(Utf8(method_labels[m]), method_box);
    method_group->addButton(methods_[m], m);
    method_layout->addWidget(methods_[m]);
  }
  if (r.method >= 0 && r.method < 4) methods_[r.method]->setChecked(true);
  connect(method_group, &QButtonGroup::idClicked, this, [&r](int m) { r.method = m; });

  auto* grid = new QGridLayout;
  const char* axis_labels[2] = {"X方向サイズ", "Y方向サイズ"};
  const int from[2] = {r.x_from, r.y_from}, to[2] = {r.x_to, r.y_to};
  for (int axis = 0; axis < 2; ++axis) {
    from_[axis] = new QLineEdit(QString::number(from[axis]), this);
    to_[axis] = new QLineEdit(QString::number(to[axis]), this);
    grid->addWidget(new QLabel(Utf8(axis_labels[axis]), this), axis, 0);
    grid->addWidget(from_[axis], axis, 1);
    grid->addWidget(new QLabel(Utf8("→"), this), axis, 2);
    grid->addWidget(to_[axis], axis, 3);
    const bool y_axis = axis == 1;
    connect(from_[axis], &QLineEdit::textEdited, this,
            [&r, y_axis](const QString& text) { TypeResizeFrom(r, y_axis, text.toStdString()); });
    connect(to_[axis], &QLineEdit::textEdited, this, [this, &r, y_axis](const QString& text) {
      TypeResizeTo(r, y_axis, text.toStdString());
      // The other axis follows when the aspect is kept.
      to_[y_axis ? 0 : 1]->setText(QString::number(y_axis ? r.x_to : r.y_to));
    });
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(keep_aspect_);
  main->addWidget(method_box);
  main->addLayout(grid);
  main->addWidget(buttons);
}

bool RunResizeDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  ResizeDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdResize, RunResizeDialog);

}  // namespace tavo
