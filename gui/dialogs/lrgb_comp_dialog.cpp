// SPDX-License-Identifier: MIT
#include "gui/dialogs/lrgb_comp_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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

LrgbCompDialog::LrgbCompDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("LRGB composite");
  const QString titles[4] = {Utf8("L(輝度)"), Utf8("R(赤)"), Utf8("G(緑)"), Utf8("B(青)")};
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  AddPointImageRows(box, grid, app_, titles, app_.settings.lrgb.inputs, rows_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &LrgbCompDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &LrgbCompDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(box);
  main->addWidget(buttons);
}

void LrgbCompDialog::accept() {
  for (int row = 0; row < 4; ++row) {
    app_.settings.lrgb.inputs[row] = SlotFromListText(rows_.lists[row]->currentText().toStdString());
    ReadPoints(rows_.points[row], app_.settings.composite.points[row]);
  }
  QDialog::accept();
}

bool RunLrgbCompDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  LrgbCompDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdLrgbSeparate, RunLrgbCompDialog);

}  // namespace tavo
