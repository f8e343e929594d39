// SPDX-License-Identifier: MIT
// gui/file_dialog.h - the shell's file dialog request shown as a Qt file
// dialog.
#pragma once
#include <QStringList>
#include <string>

#include "shell/ui_port.h"

class QWidget;

namespace tavo {

// Qt name filters for a "|" filter list: "Desc (*.A *.a *.B *.b)".
QStringList QtNameFilters(const std::string& filter_list);

// Runs the dialog; writes the chosen filter (1-based) back into the
// request, also when it was cancelled. False when cancelled.
bool RunFileDialog(QWidget* parent, FileDialogRequest& request, std::string* path);

}  // namespace tavo
