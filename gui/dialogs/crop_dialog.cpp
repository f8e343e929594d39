// SPDX-License-Identifier: MIT
#include "gui/dialogs/crop_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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

CropDialog::CropDialog(QWidget* parent, AppState& app) : QDialog(parent) {
  setWindowTitle(Utf8("切り出しとサイズ変更"));
  CutSettings& c = app.settings.cut;
  int* values[5] = {&c.width, &c.height, &c.out_width, &c.out_height, &c.scale};
  for (int i = 0; i < 5; ++i) {
    edits_[i] = new QLineEdit(QString::number(*values[i]), this);
    edits_[i]->setFixedWidth(64);
    int* value = values[i];
    connect(edits_[i], &QLineEdit::textEdited, this,
            [value](const QString& text) { *value = CropValueFromText(text.toStdString()); });
  }

  auto* anchor_box = new QGroupBox(Utf8("基準"), this);
  auto* anchor_grid = new QGridLayout(anchor_box);
  auto* anchor_group = new QButtonGroup(this);
  for (int a = 0; a < 9; ++a) {
    anchors_[a] = new QRadioButton(anchor_box);
    anchor_group->addButton(anchors_[a], a);
    anchor_grid->addWidget(anchors_[a], a / 3, a % 3);
  }
  if (c.anchor >= 0 && c.anchor < 9) anchors_[c.anchor]->setChecked(true);
  connect(anchor_group, &QButtonGroup::idClicked, this, [&c](int a) { c.anchor = a; });

  auto* crop_box = new QGroupBox(Utf8("サイズ"), this);
  auto* crop_grid = new QGridLayout(crop_box);
  crop_grid->addWidget(new QLabel("X", crop_box), 0, 0);
  crop_grid->addWidget(edits_[0], 0, 1);
  crop_grid->addWidget(new QLabel("Y", crop_box), 1, 0);
  crop_grid->addWidget(edits_[1], 1, 1);

  auto* out_box = new QGroupBox(this);
  auto* out_grid = new QGridLayout(out_box);
  auto* mode_group = new QButtonGroup(this);
  const char* mode_labels[2] = {"サイズ", "拡大率"};
  for (int m = 0; m < 2; ++m) {
    modes_[m] = new QRadioButton(Utf8(mode_labels[m]), out_box);
    mode_group->addButton(modes_[m], m);
  }
  modes_[c.scale_mode != 0 ? 1 : 0]->setChecked(true);
  connect(mode_group, &QButtonGroup::idClicked, this, [&c](int m) { c.scale_mode = m; });
  out_grid->addWidget(modes_[0], 0, 0);
  out_grid->addWidget(new QLabel("X", out_box), 0, 1);
  out_grid->addWidget(edits_[2], 0, 2);
  out_grid->addWidget(new QLabel("Y", out_box), 1, 1);
  out_grid->addWidget(edits_[3], 1, 2);
  out_grid->addWidget(modes_[1], 2, 0);
  out_grid->addWidget(edits_[4], 2, 2);
  out_grid->addWidget(new QLabel("%", out_box), 2, 3);

  auto* top = new QHBoxLayout;
  top->addWidget(anchor_box);
  top->addWidget(crop_box);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(top);
  main->addWidget(out_box);
  main->addWidget(buttons);
}

bool RunCropDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  CropDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdCropResize, RunCropDialog);

}  // namespace tavo
