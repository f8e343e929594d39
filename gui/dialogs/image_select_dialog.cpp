// SPDX-License-Identifier: MIT
#include "gui/dialogs/image_select_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "shell/view_dialogs.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {

bool RunImageSelectDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Image Select");
  auto* list = new QListWidget(&dialog);
  for (const ImageSelectEntry& entry : ImageSelectEntries(app)) list->addItem(QString::fromStdString(entry.text));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, [&](QListWidgetItem* item) {
    list->setCurrentItem(item);
    item->setSelected(true);
    dialog.accept();
  });
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(list);
  layout->addWidget(buttons);
  dialog.resize(360, 300);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QList<QListWidgetItem*> selected = list->selectedItems();
  app.image_select_row = selected.isEmpty() ? -1 : list->row(selected.first());
  return true;
}

TAVO_REGISTER_DIALOG(kCmdImageSelect, RunImageSelectDialog);

}  // namespace tavo
