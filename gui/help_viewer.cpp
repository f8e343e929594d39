// SPDX-License-Identifier: MIT
#include "gui/help_viewer.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tavo {

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  // Links between the pages stay here; links to the web go to whatever
  // the system has for them.
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(browser_->documentTitle()); });
  resize(760, 620);
}

bool HelpViewer::ShowPage(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile() || !info.isReadable()) return false;
  browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
  setWindowTitle(browser_->documentTitle());
  show();
  raise();
  activateWindow();
  return true;
}

}  // namespace tavo
