// SPDX-License-Identifier: MIT
#include "gui/dialogs/lrgb_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/composite_points_op.h"

namespace tavo {

LrgbDialog::LrgbDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("L+RGB画像合成"));
  const std::vector<std::string> entries = ImageListEntries(app_.slots);
  const char* titles[2] = {"輝度(L)画像", "色(RGB)画像"};
  const int chosen[2] = {app_.settings.lrgb.l, app_.settings.lrgb.rgb};
  auto* main = new QVBoxLayout(this);
  for (int row = 0; row < 2; ++row) {
    auto* box = new QGroupBox(Utf8(titles[row]), this);
    auto* layout = new QVBoxLayout(box);
    lists_[row] = new QComboBox(box);
    for (const std::string& entry : entries) lists_[row]->addItem(QString::fromStdString(entry));
    lists_[row]->setCurrentIndex(ListIndexForSlot(entries, chosen[row]));
    lists_[row]->setMinimumContentsLength(20);
    layout->addWidget(lists_[row]);
    layout->addLayout(NewPointEdits(box, app_.settings.composite.points[row], points_[row]));
    connect(lists_[row], &QComboBox::activated, this, [this, row] {
      const int slot = SlotFromListText(lists_[row]->currentText().toStdString());
      if (slot < 0 || slot >= kSlotCount || app_.slots[slot].Empty()) return;
      int marks[4];
      MarkedPointsRow(app_.slots[slot], marks);
      ShowPoints(points_[row], marks);
    });
    main->addWidget(box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &LrgbDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &LrgbDialog::reject);
  main->addWidget(buttons);
}

void LrgbDialog::accept() {
  app_.settings.lrgb.l = SlotFromListText(lists_[0]->currentText().toStdString());
  app_.settings.lrgb.rgb = SlotFromListText(lists_[1]->currentText().toStdString());
  for (int row = 0; row < 2; ++row) ReadPoints(points_[row], app_.settings.composite.points[row]);
  QDialog::accept();
}

bool RunLrgbDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  LrgbDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdLrgb, RunLrgbDialog);

}  // namespace tavo
