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
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/composite_op.h"
#include "shell/ops/composite_points_op.h"

namespace tavo {

LrgbCompDialog::LrgbCompDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("LRGB composite");
  const std::vector<std::string> entries = ImageListEntries(app_.slots);
  const char* titles[4] = {"L(輝度)", "R(赤)", "G(緑)", "B(青)"};
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  CompositeSettings& c = app_.settings.composite;
  for (int row = 0; row < 4; ++row) {
    grid->addWidget(new QLabel(Utf8(titles[row]), box), 2 * row, 0);
    lists_[row] = new QComboBox(box);
    for (const std::string& entry : entries) lists_[row]->addItem(QString::fromStdString(entry));
    lists_[row]->setCurrentIndex(ListIndexForSlot(entries, app_.settings.lrgb.inputs[row]));
    lists_[row]->setMinimumContentsLength(20);
    grid->addWidget(lists_[row], 2 * row, 1);
    weight_edits_[row] = new QLineEdit(QString::number(c.weights[row]), box);
    weight_edits_[row]->setFixedWidth(48);
    connect(weight_edits_[row], &QLineEdit::textEdited, this, [this, row](const QString& text) {
      int& w = app_.settings.composite.weights[row];
      w = WeightFromText(text.toStdString());
      weight_bars_[row]->setValue(WeightBarPosition(w));
    });
    grid->addWidget(weight_edits_[row], 2 * row, 2);
    grid->addWidget(new QLabel("%", box), 2 * row, 3);
    weight_bars_[row] =
        NewShellBar(box, 0, 100, 10, WeightBarPosition(c.weights[row]), [this, row](int action, int thumb) {
          int& w = app_.settings.composite.weights[row];
          w = WeightAfterScroll(w, action, thumb);
          weight_edits_[row]->setText(QString::number(w));
          return WeightBarPosition(w);
        });
    grid->addWidget(weight_bars_[row], 2 * row, 4);
    grid->addLayout(NewPointEdits(box, c.points[row], points_[row]), 2 * row + 1, 1, 1, 4);
    connect(lists_[row], &QComboBox::activated, this, [this, row] {
      const int slot = SlotFromListText(lists_[row]->currentText().toStdString());
      if (slot < 0 || slot >= kSlotCount || app_.slots[slot].Empty()) return;
      int marks[4];
      MarkedPointsRow(app_.slots[slot], marks);
      ShowPoints(points_[row], marks);
    });
  }
  grid->setColumnStretch(4, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &LrgbCompDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &LrgbCompDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(box);
  main->addWidget(buttons);
}

void LrgbCompDialog::accept() {
  for (int row = 0; row < 4; ++row) {
    app_.settings.lrgb.inputs[row] = SlotFromListText(lists_[row]->currentText().toStdString());
    ReadPoints(points_[row], app_.settings.composite.points[row]);
  }
  QDialog::accept();
}

bool RunLrgbCompDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  LrgbCompDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdLrgbSeparate, RunLrgbCompDialog);

}  // namespace tavo
