// SPDX-License-Identifier: MIT
#include "gui/file_dialog.h"

#include <QFileDialog>

#include "shell/file_filters.h"

namespace tavo {

QStringList QtNameFilters(const std::string& filter_list) {
  QStringList names;
  for (const FileFilter& filter : ParseFilterList(filter_list)) {
    QStringList patterns;
    for (const std::string& p : DialogPatterns(filter)) patterns << QString::fromStdString(p);
    names << QString::fromStdString(filter.description) + " (" + patterns.join(' ') + ")";
  }
  return names;
}

bool RunFileDialog(QWidget* parent, FileDialogRequest& request, std::string* path) {
  const bool save = request.mode == kFileDialogSave;
  QFileDialog dialog(parent, QString::fromStdString(request.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The shell asks its own overwrite question and appends its own extension.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QStringList names = QtNameFilters(request.filters);
  dialog.setNameFilters(names);
  if (request.filter_index >= 1 && request.filter_index <= names.size()) {
    dialog.selectNameFilter(names[request.filter_index - 1]);
  }
  if (!request.initial_name.empty()) dialog.selectFile(QString::fromStdString(request.initial_name));
  const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  const int chosen = static_cast<int>(names.indexOf(dialog.selectedNameFilter()));
  if (chosen >= 0) request.filter_index = chosen + 1;
  if (!accepted) return false;
  *path = dialog.selectedFiles().first().toStdString();
  return true;
}

}  // namespace tavo
