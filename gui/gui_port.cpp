// SPDX-License-Identifier: MIT
#include "gui/gui_port.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>

#include "gui/dialog_registry.h"
#include "gui/file_dialog.h"
#include "gui/main_window.h"
#include "printing/print_page.h"

namespace tavo {
namespace {

QMessageBox::Icon BoxIcon(int box_kind) {
  switch (box_kind) {
    case kBoxError: return QMessageBox::Critical;
    case kBoxCaution:
    case kBoxSaveOrNot: return QMessageBox::Warning;
    default: return QMessageBox::Information;
  }
}

}  // namespace

QWidget* GuiPort::DialogParent() const {
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr ? modal : window_;
}

void GuiPort::ShowMessage(int box_kind, const std::string& text) {
  QMessageBox box(BoxIcon(box_kind), QString::fromUtf8(BoxCaption(box_kind)), QString::fromStdString(text),
                  QMessageBox::Ok, DialogParent());
  box.exec();
}

int GuiPort::Ask(int box_kind, const std::string& text) {
  const bool save_question = box_kind == kBoxSaveOrNot;
  const QMessageBox::StandardButtons buttons = save_question
                                                   ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                                   : QMessageBox::Ok | QMessageBox::Cancel;
  QMessageBox box(BoxIcon(box_kind), QString::fromUtf8(BoxCaption(box_kind)), QString::fromStdString(text), buttons,
                  DialogParent());
  box.setDefaultButton(save_question ? QMessageBox::Yes : QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Ok: return kAnswerOk;
    case QMessageBox::Yes: return kAnswerYes;
    case QMessageBox::No: return kAnswerNo;
    default: return kAnswerCancel;
  }
}

bool GuiPort::EditSettings(int dialog_id) { return RunDialog(dialog_id, DialogParent(), app_, *this); }

bool GuiPort::ChooseFile(FileDialogRequest& request, std::string* path) {
  return RunFileDialog(DialogParent(), request, path);
}

void GuiPort::SetWaitCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

bool GuiPort::ShowProgress(double fraction, const std::string& text) {
  if (window_ == nullptr) return true;
  if (bar_ == nullptr) {
    bar_ = new QProgressBar(window_->statusBar());
    bar_->setRange(0, 1000);
    cancel_ = new QPushButton("Cancel", window_->statusBar());
    QObject::connect(cancel_, &QPushButton::clicked, [this] { cancel_asked_ = true; });
    window_->statusBar()->addPermanentWidget(bar_, 1);
    window_->statusBar()->addPermanentWidget(cancel_);
    bar_->hide();
    cancel_->hide();
  }
  if (!active_) {
    active_ = true;
    cancel_asked_ = false;
    for (QWidget* w : window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (w == window_->statusBar() || !w->isEnabled()) continue;
      w->setEnabled(false);
      disabled_.push_back(w);
    }
    window_->statusBar()->show();
    bar_->show();
    cancel_->show();
    cancel_->setCursor(Qt::ArrowCursor);
  }
  bar_->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000.0));
  bar_->setFormat(QString::fromStdString(text) + "  %p%");
  QCoreApplication::processEvents();
  return !cancel_asked_;
}

void GuiPort::EndProgress() {
  if (!active_) return;
  active_ = false;
  bar_->hide();
  cancel_->hide();
  window_->statusBar()->hide();  // the image gets its full height back
  for (QWidget* w : disabled_) w->setEnabled(true);
  disabled_.clear();
}

void GuiPort::Repaint() {
  if (window_ != nullptr) window_->Refresh();
}

bool GuiPort::OpenDocument(const std::string& path) { return window_ != nullptr && window_->ShowHelpPage(path); }

int GuiPort::PrintImage(const PrintJob& job, std::string* detail) {
  if (job.image == nullptr) return kPrintDone;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(job.document_name));
  printer.setCopyCount(1);
  QPrintDialog dialog(&printer, DialogParent());
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  if (dialog.exec() != QDialog::Accepted) return kPrintCancelled;
  if (!printer.isValid()) return kPrintNoPrinter;
  WaitCursor wait(*this);
  QPainter painter;
  if (!painter.begin(&printer)) {
    const QString file = printer.outputFileName();
    *detail = (file.isEmpty() ? printer.printerName() : file).toStdString();
    return kPrintFailed;
  }
  // The painter's origin is the printable area's top-left corner.
  PaintPrintPage(painter, printer.width(), printer.height(), *job.image);
  painter.end();
  return kPrintDone;
}

}  // namespace tavo
