// SPDX-License-Identifier: MIT
#include "gui/dialogs/composite_points_dialog.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <string>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "gui/dialogs/composite_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/composite_op.h"
#include "shell/ops/composite_points_op.h"

namespace tavo {
namespace {

QLineEdit* NumberEdit(QWidget* parent, int value) {
  auto* edit = new QLineEdit(QString::number(value), parent);
  edit->setFixedWidth(48);
  edit->setMaxLength(11);
  return edit;
}

}  // namespace

CompositePointsDialog::CompositePointsDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("Composite(By point)");
  CompositeSettings& c = app_.settings.composite;

  QGroupBox* mode_box = NewCompositeModeBox(this, app_, false, modes_);

  auto* rows = new QGroupBox(this);
  auto* grid = new QGridLayout(rows);
  QString titles[4];
  for (int row = 0; row < 4; ++row) titles[row] = Utf8("合成画像") + QString::number(row + 1);
  AddPointImageRows(rows, grid, app_, titles, c.inputs, rows_);

  auto* options = new QGroupBox(Utf8("オプション"), this);
  auto* opt = new QGridLayout(options);
  noise_ = new QCheckBox(Utf8("ノイズ除去"), options);
  move_ = new QCheckBox(Utf8("移動モード"), options);
  normalise_ = new QCheckBox(Utf8("濃度の正規化"), options);
  ShowNoiseOption();
  connect(noise_, &QCheckBox::clicked, this, [this] {
    app_.settings.composite.noise_option = NoiseOptionAfterClick(app_.settings.composite.noise_option, 1);
    ShowNoiseOption();
  });
  connect(move_, &QCheckBox::clicked, this, [this] {
    app_.settings.composite.noise_option = NoiseOptionAfterClick(app_.settings.composite.noise_option, 2);
    ShowNoiseOption();
  });
  normalise_->setChecked(c.normalise != 0);
  connect(normalise_, &QCheckBox::clicked, this, [this](bool on) { app_.settings.composite.normalise = on ? 1 : 0; });
  noise_level_ = NumberEdit(options, c.noise_level);
  shift_x_ = NumberEdit(options, c.shift_x);
  shift_y_ = NumberEdit(options, c.shift_y);
  opt->addWidget(noise_, 0, 0);
  opt->addWidget(move_, 0, 1);
  opt->addWidget(new QLabel(Utf8("レベル"), options), 0, 2);
  opt->addWidget(noise_level_, 0, 3);
  opt->addWidget(normalise_, 0, 4);
  auto* shifts = new QHBoxLayout;
  shifts->addWidget(new QLabel(Utf8("ずらして合成　　X="), options));
  shifts->addWidget(shift_x_);
  shifts->addWidget(new QLabel(Utf8("ドット　　Y="), options));
  shifts->addWidget(shift_y_);
  shifts->addWidget(new QLabel(Utf8("ドット"), options));
  shifts->addStretch(1);
  opt->addLayout(shifts, 1, 0, 1, 5);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CompositePointsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CompositePointsDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(mode_box);
  main->addWidget(rows);
  main->addWidget(options);
  main->addWidget(buttons);
}

void CompositePointsDialog::ShowNoiseOption() {
  const int option = app_.settings.composite.noise_option;
  noise_->setChecked(option == 1);
  move_->setChecked(option == 2);
}

void CompositePointsDialog::accept() {
  CompositeSettings& c = app_.settings.composite;
  std::string texts[4];
  for (int row = 0; row < 4; ++row) {
    texts[row] = rows_.lists[row]->currentText().toStdString().substr(0, 255);
    ReadPoints(rows_.points[row], c.points[row]);
  }
  AcceptCompositeDialog(c, texts, EditValue(noise_level_->text().toStdString(), true),
                        EditValue(shift_x_->text().toStdString(), true), EditValue(shift_y_->text().toStdString(), true));
  QDialog::accept();
}

bool RunCompositePointsDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  CompositePointsDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdCompositePoints, RunCompositePointsDialog);

}  // namespace tavo
