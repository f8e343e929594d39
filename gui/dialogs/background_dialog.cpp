// SPDX-License-Identifier: MIT
#include "gui/dialogs/background_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/dialog_logic.h"
#include "shell/ops/background_quad_op.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {
namespace {

QLineEdit* LevelEdit(QWidget* parent, int value) {
  auto* edit = new QLineEdit(QString::number(value), parent);
  edit->setFixedWidth(56);
  edit->setMaxLength(11);
  return edit;
}

}  // namespace

BackgroundDialog::BackgroundDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("バックグランド補正(２次関数近似)"));
  Back2Settings& b = app_.settings.back2;

  auto* mode_box = new QGroupBox(this);
  auto* mode_layout = new QHBoxLayout(mode_box);
  auto* mode_group = new QButtonGroup(this);
  const char* mode_labels[2] = {"乗算", "引算"};
  for (int m = 0; m < 2; ++m) {
    modes_[m] = new QRadioButton(Utf8(mode_labels[m]), mode_box);
    mode_group->addButton(modes_[m], m);
    mode_layout->addWidget(modes_[m]);
  }
  modes_[b.mode == 1 ? 1 : 0]->setChecked(true);
  connect(mode_group, &QButtonGroup::idClicked, this, [this](int m) { app_.settings.back2.mode = m; });

  auto* level_box = new QGroupBox(this);
  auto* grid = new QGridLayout(level_box);
  grid->addWidget(new QLabel(Utf8("中央の濃度"), level_box), 0, 1, Qt::AlignHCenter);
  grid->addWidget(new QLabel(Utf8("最周辺濃度"), level_box), 0, 2, Qt::AlignHCenter);
  const char* channels[3] = {"R", "G", "B"};
  for (int c = 0; c < 3; ++c) {
    grid->addWidget(new QLabel(channels[c], level_box), c + 1, 0);
    for (int k = 0; k < 2; ++k) {
      const int index = 2 * c + k;
      levels_[index] = LevelEdit(level_box, b.levels[index]);
      connect(levels_[index], &QLineEdit::textEdited, this, [this, index](const QString& text) {
        app_.settings.back2.levels[index] = BackgroundLevelFromText(text.toStdString());
      });
      grid->addWidget(levels_[index], c + 1, k + 1, Qt::AlignHCenter);
    }
  }

  auto* curve_box = new QGroupBox(Utf8("曲線パラメータ"), this);
  auto* curve_layout = new QHBoxLayout(curve_box);
  curve_ = LevelEdit(curve_box, 0);
  curve_->setText(QString::fromStdString(CurveText(b.curve)));
  connect(curve_, &QLineEdit::textEdited, this, [this](const QString& text) {
    int& curve = app_.settings.back2.curve;
    curve = CurveFromText(text.toStdString());
    curve_bar_->setValue(CurveBarPosition(curve));
  });
  // A value that was clamped shows as stored once typing is done.
  connect(curve_, &QLineEdit::editingFinished, this,
          [this] { curve_->setText(QString::fromStdString(CurveText(app_.settings.back2.curve))); });
  curve_bar_ = NewShellBar(curve_box, 0, 200, 20, CurveBarPosition(b.curve), [this](int action, int thumb) {
    int& curve = app_.settings.back2.curve;
    curve = CurveAfterScroll(curve, action, thumb);
    curve_->setText(QString::fromStdString(CurveText(curve)));
    return CurveBarPosition(curve);
  });
  curve_layout->addWidget(curve_);
  curve_layout->addWidget(new QLabel("1.0", curve_box));
  curve_layout->addWidget(curve_bar_, 1);
  curve_layout->addWidget(new QLabel("3.0", curve_box));

  shift_ = LevelEdit(this, b.shift);
  connect(shift_, &QLineEdit::textEdited, this,
          [this](const QString& text) { app_.settings.back2.shift = BackgroundLevelFromText(text.toStdString()); });
  auto* shift_row = new QHBoxLayout;
  shift_row->addWidget(new QLabel(Utf8("シフト量"), this));
  shift_row->addWidget(shift_);
  shift_row->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &BackgroundDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &BackgroundDialog::reject);

  auto* main = new QVBoxLayout(this);
  main->addWidget(mode_box);
  main->addWidget(level_box);
  main->addWidget(curve_box);
  main->addLayout(shift_row);
  main->addWidget(buttons);
  setMinimumWidth(340);
}

void BackgroundDialog::accept() {
  AcceptBackgroundDialog(app_.settings.back2);
  QDialog::accept();
}

bool RunBackgroundDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  BackgroundDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdBackgroundQuad, RunBackgroundDialog);

}  // namespace tavo
