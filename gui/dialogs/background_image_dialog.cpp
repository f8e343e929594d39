// SPDX-License-Identifier: MIT
#include "gui/dialogs/background_image_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <string>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/background_image_op.h"

namespace tavo {

BackgroundImageDialog::BackgroundImageDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("バックグランド補正（画像データ参照）"));
  const Back1Settings& b = app_.settings.back1;
  auto* mode_box = new QGroupBox(this);
  auto* mode_layout = new QHBoxLayout(mode_box);
  modes_[0] = new QRadioButton(Utf8("乗算"), mode_box);
  modes_[1] = new QRadioButton(Utf8("引算"), mode_box);
  modes_[b.mode == 4 ? 1 : 0]->setChecked(true);
  mode_layout->addWidget(modes_[0]);
  mode_layout->addWidget(modes_[1]);
  mode_layout->addWidget(new QLabel(Utf8("シフト量"), mode_box));
  shift_ = new QLineEdit(QString::number(b.shift), mode_box);
  shift_->setFixedWidth(48);
  mode_layout->addWidget(shift_);

  auto* list_box = new QGroupBox(Utf8("バックグラウンドデータ"), this);
  auto* list_layout = new QVBoxLayout(list_box);
  list_ = new QComboBox(list_box);
  const std::vector<std::string> entries = ImageListEntries(app_.slots);
  for (const std::string& entry : entries) list_->addItem(QString::fromStdString(entry));
  list_->setCurrentIndex(ListIndexForSlot(entries, b.slot));
  list_->setMinimumContentsLength(24);
  list_layout->addWidget(list_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &BackgroundImageDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &BackgroundImageDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(mode_box);
  main->addWidget(list_box);
  main->addWidget(buttons);
}

void BackgroundImageDialog::accept() {
  Back1Settings& b = app_.settings.back1;
  b.mode = modes_[1]->isChecked() ? 4 : 3;
  b.shift = EditValue(shift_->text().toStdString(), false);
  b.slot = BackgroundSlotFromListText(list_->currentText().toStdString());
  QDialog::accept();
}

bool RunBackgroundImageDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  BackgroundImageDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdBackgroundImage, RunBackgroundImageDialog);

}  // namespace tavo
