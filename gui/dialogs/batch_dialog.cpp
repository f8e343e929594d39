// SPDX-License-Identifier: MIT
#include "gui/dialogs/batch_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialogs/dialog_widgets.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {

BatchDialog::BatchDialog(QWidget* parent, AppState& app, UiPort& ui)
    : QDialog(parent), app_(app), ui_(ui), model_(OpenBatchDialog(app)) {
  setWindowTitle("Batch Sequence");
  auto* grid = new QGridLayout;
  for (int row = 0; row < kBatchSteps; ++row) {
    grid->addWidget(new QLabel(QString::number(row + 1) + ".", this), row, 0);
    lists_[row] = new QComboBox(this);
    for (int code : BatchRowCodes(row)) {
      lists_[row]->addItem(Utf8(BatchStepText(code)), code);
      if (code == model_.shown[row]) lists_[row]->setCurrentIndex(lists_[row]->count() - 1);
    }
    lists_[row]->setMinimumContentsLength(16);
    connect(lists_[row], &QComboBox::currentIndexChanged, this, [this, row](int index) {
      if (index >= 0) BatchDialogChoose(app_, model_, row, lists_[row]->itemData(index).toInt());
    });
    grid->addWidget(lists_[row], row, 1);
    details_[row] = new QPushButton(Utf8("詳細設定"), this);
    connect(details_[row], &QPushButton::clicked, this, [this, row] { BatchDialogDetails(app_, ui_, row); });
    grid->addWidget(details_[row], row, 2);
  }
  grid->setColumnStretch(1, 1);

  timing_ = new QCheckBox(Utf8("時間計測"), this);
  timing_->setChecked(model_.timing != 0);
  connect(timing_, &QCheckBox::toggled, this, [this](bool on) { model_.timing = on ? 1 : 0; });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &BatchDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &BatchDialog::reject);

  auto* main = new QVBoxLayout(this);
  main->addLayout(grid);
  main->addWidget(timing_);
  main->addWidget(buttons);
}

void BatchDialog::accept() {
  if (BatchDialogOk(app_, ui_, model_)) QDialog::accept();
}

bool RunBatchDialog(QWidget* parent, AppState& app, UiPort& ui) {
  BatchDialog dialog(parent, app, ui);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdBatchSettings, RunBatchDialog);

}  // namespace tavo
