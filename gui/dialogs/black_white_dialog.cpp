// SPDX-License-Identifier: MIT
#include "gui/dialogs/black_white_dialog.h"

#include <QButtonGroup>
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
#include "shell/ops/black_white_op.h"

namespace tavo {

BlackWhiteDialog::BlackWhiteDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("白黒化"));
  auto* mode_box = new QGroupBox(this);
  auto* mode_layout = new QVBoxLayout(mode_box);
  auto* mode_group = new QButtonGroup(this);
  const char* names[4] = {"RGB最大値", "RGB最小値", "標準輝度", "マニュアル輝度"};
  for (int m = 0; m < 4; ++m) {
    modes_[m] = new QRadioButton(Utf8(names[m]), mode_box);
    mode_group->addButton(modes_[m], m);
    mode_layout->addWidget(modes_[m]);
  }
  const int mode = app_.settings.gray.mode;
  if (mode >= 0 && mode < 4) modes_[mode]->setChecked(true);
  connect(mode_group, &QButtonGroup::idClicked, this, [this](int m) {
    BlackWhiteChooseMode(app_.settings.gray, m);
    ShowWeights();
  });

  auto* weight_box = new QGroupBox(this);
  auto* grid = new QGridLayout(weight_box);
  const char* channels[3] = {"R", "G", "B"};
  for (int c = 0; c < 3; ++c) {
    weights_[c] = new QLineEdit(weight_box);
    weights_[c]->setFixedWidth(64);
    connect(weights_[c], &QLineEdit::textEdited, this, [this, c](const QString& text) {
      BlackWhiteWeightFromText(app_.settings.gray, c, text.toStdString());
    });
    grid->addWidget(new QLabel(channels[c], weight_box), 0, 2 * c);
    grid->addWidget(weights_[c], 0, 2 * c + 1);
  }
  ShowWeights();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(mode_box);
  main->addWidget(weight_box);
  main->addWidget(buttons);
}

void BlackWhiteDialog::ShowWeights() {
  const GraySettings& g = app_.settings.gray;
  const int values[3] = {g.weight_r, g.weight_g, g.weight_b};
  for (int c = 0; c < 3; ++c) weights_[c]->setText(QString::number(values[c]));
}

bool RunBlackWhiteDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  BlackWhiteDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdBlackWhite, RunBlackWhiteDialog);

}  // namespace tavo
