// SPDX-License-Identifier: MIT
#include "gui/dialogs/tone_correction_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/ops/tone_correction_op.h"

namespace tavo {

ToneCorrectionDialog::ToneCorrectionDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("階調補正"));
  if (Image* image = CurrentImage(app_)) SamplePreviewPixels(*image, sample_);
  ToneSettings& level = app_.settings.level;

  field_ = new QLineEdit(QString::number(level.strength), this);
  field_->setFixedWidth(56);
  connect(field_, &QLineEdit::textEdited, this, [this](const QString& text) {
    ToneStrengthFromText(app_.settings.level, text.toStdString());
    Sync(false);
  });
  connect(field_, &QLineEdit::editingFinished, this, [this] { Sync(true); });
  bar_ = NewShellBar(this, 0, 100, 10, level.strength, [this](int action, int thumb) {
    ToneStrengthScroll(app_.settings.level, action, thumb);
    Sync(true);
    return app_.settings.level.strength;
  });
  bar_->setMinimumWidth(256);
  preview_ = new HistogramView(this, 80);

  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(Utf8("階調補正強度(標準10%)"), this));
  row->addWidget(field_);
  row->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(row);
  main->addWidget(bar_);
  main->addWidget(preview_);
  main->addWidget(buttons);
  Sync(true);
}

void ToneCorrectionDialog::Sync(bool field_too) {
  const int strength = app_.settings.level.strength;
  bar_->setSliderPosition(strength);
  if (field_too) field_->setText(QString::number(strength));
  preview_->SetHistogram(ToneCorrectionPreview(sample_, app_.settings.level));
}

bool RunToneCorrectionDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  ToneCorrectionDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdToneCorrection, RunToneCorrectionDialog);

}  // namespace tavo
