// SPDX-License-Identifier: MIT
#include "gui/dialogs/noise_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/noise_op.h"

namespace tavo {

NoiseDialog::NoiseDialog(QWidget* parent, AppState& app)
    : QDialog(parent),
      app_(app),
      area_position_(NoiseAreaPosition(app.settings.noise.area)),
      strength_(app.settings.noise.strength) {
  setWindowTitle("Noise Reduction");
  const auto area_text = [this] { return QString::number(NoiseAreaFromPosition(area_position_)); };
  area_ = new QLineEdit(area_text(), this);
  area_->setFixedWidth(40);
  area_bar_ = NewShellBar(this, 0, 1, 1, area_position_, [this, area_text](int action, int thumb) {
    area_position_ = ScrollStep(area_position_, action, thumb, 0, 1, 1);
    area_->setText(area_text());
    return area_position_;
  });
  connect(area_, &QLineEdit::textEdited, this, [this](const QString& text) {
    area_position_ = NoiseAreaPositionFromText(text.toStdString());
    area_bar_->setValue(area_position_);
  });
  connect(area_, &QLineEdit::editingFinished, this, [this, area_text] { area_->setText(area_text()); });

  strength_edit_ = new QLineEdit(QString::number(strength_), this);
  strength_edit_->setFixedWidth(40);
  strength_bar_ = NewShellBar(this, kNoiseStrengthMin, kNoiseStrengthMax, 1, strength_, [this](int action, int thumb) {
    strength_ = NoiseStrengthAfterScroll(strength_, action, thumb);
    strength_edit_->setText(QString::number(strength_));
    return strength_;
  });
  connect(strength_edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
    strength_ = NoiseStrengthFromText(text.toStdString());
    strength_bar_->setValue(strength_);
  });
  connect(strength_edit_, &QLineEdit::editingFinished, this,
          [this] { strength_edit_->setText(QString::number(strength_)); });

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(Utf8("処理エリア(3-5)"), this), 0, 0);
  grid->addWidget(area_, 0, 1);
  grid->addWidget(area_bar_, 0, 2);
  grid->addWidget(new QLabel(Utf8("ノイズ除去の強度(1-5)"), this), 1, 0);
  grid->addWidget(strength_edit_, 1, 1);
  grid->addWidget(strength_bar_, 1, 2);
  grid->setColumnStretch(2, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &NoiseDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(grid);
  main->addWidget(buttons);
  setMinimumWidth(340);
}

void NoiseDialog::accept() {
  AcceptNoiseDialog(app_.settings.noise, area_position_, strength_);
  QDialog::accept();
}

bool RunNoiseDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  NoiseDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdNoise, RunNoiseDialog);

}  // namespace tavo
