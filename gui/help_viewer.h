// SPDX-License-Identifier: MIT
// gui/help_viewer.h - the help pages in a window of the program's own
// (Qt's text browser), so that no web browser need be installed.
#pragma once
#include <QDialog>
#include <QString>

class QTextBrowser;

namespace tavo {

class HelpViewer : public QDialog {
 public:
  explicit HelpViewer(QWidget* parent);

  // Loads the HTML page at `path` and brings the window up; false (window
  // left as it was) when the file cannot be read.
  bool ShowPage(const QString& path);

  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace tavo
