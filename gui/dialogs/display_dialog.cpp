// SPDX-License-Identifier: MIT
#include "gui/dialogs/display_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

#include "shell/display_stretch.h"
#include "shell/view_dialogs.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {

bool RunDisplayDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QString::fromUtf8("表示設定"));
  auto* bits = new QComboBox(&dialog);
  for (int b = kDisplayBitsMin; b <= kDisplayBitsMax; ++b) bits->addItem(QString::number(b), b);
  bits->setCurrentIndex(DisplayBitsFromScale(app.settings.display.scale) - kDisplayBitsMin);
  auto* stretch = new QComboBox(&dialog);
  stretch->setObjectName("stretch");
  for (const char* label : kStretchLabels) stretch->addItem(QString::fromUtf8(label));
  stretch->setCurrentIndex(app.settings.display.stretch);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QFormLayout(&dialog);
  layout->addRow(QString::fromUtf8("表示カラーのbit数"), bits);
  layout->addRow(QString::fromUtf8(kStretchCaption), stretch);
  layout->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  app.settings.display.scale = DisplayScaleFromBits(bits->currentData().toInt());
  app.settings.display.stretch = stretch->currentIndex();
  return true;
}

TAVO_REGISTER_DIALOG(kCmdDisplayMode, RunDisplayDialog);

}  // namespace tavo
