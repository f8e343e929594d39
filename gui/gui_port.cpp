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
#include <QThread>
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

QObject* GuiPort::Context() const {
  return window_ != nullptr ? static_cast<QObject*>(window_) : QCoreApplication::instance();
}

template <typename Call, typename Answer>
Answer GuiPort::OnGuiThread(Call call, Answer fallback) {
  if (QThread::currentThread() == Context()->thread()) return call();
  if (abandoned_) return fallback;
  Answer answer = fallback;
  QMetaObject::invokeMethod(
      Context(), [&] { answer = abandoned_ ? fallback : call(); }, Qt::BlockingQueuedConnection);
  return answer;
}

void GuiPort::ShowMessage(int box_kind, const std::string& text) {
  OnGuiThread(
      [&] {
        QMessageBox box(BoxIcon(box_kind), QString::fromUtf8(BoxCaption(box_kind)), QString::fromStdString(text),
                        QMessageBox::Ok, DialogParent());
        box.exec();
        return true;
      },
      true);
}

int GuiPort::Ask(int box_kind, const std::string& text) {
  return OnGuiThread(
      [&] {
        const bool save_question = box_kind == kBoxSaveOrNot;
        const QMessageBox::StandardButtons buttons = save_question
                                                         ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                                         : QMessageBox::Ok | QMessageBox::Cancel;
        QMessageBox box(BoxIcon(box_kind), QString::fromUtf8(BoxCaption(box_kind)), QString::fromStdString(text),
                        buttons, DialogParent());
        box.setDefaultButton(save_question ? QMessageBox::Yes : QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
          case QMessageBox::Ok: return static_cast<int>(kAnswerOk);
          case QMessageBox::Yes: return static_cast<int>(kAnswerYes);
          case QMessageBox::No: return static_cast<int>(kAnswerNo);
          default: return static_cast<int>(kAnswerCancel);
        }
      },
      static_cast<int>(kAnswerCancel));
}

bool GuiPort::EditSettings(int dialog_id) {
  return OnGuiThread([&] { return RunDialog(dialog_id, DialogParent(), app_, *this); }, false);
}

bool GuiPort::ChooseFile(FileDialogRequest& request, std::string* path) {
  return OnGuiThread([&] { return RunFileDialog(DialogParent(), request, path); }, false);
}

void GuiPort::SetWaitCursor(bool on) {
  const auto set = [on] {
    if (on) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  };
  if (QThread::currentThread() == Context()->thread()) {
    set();
  } else {
    QMetaObject::invokeMethod(Context(), set, Qt::QueuedConnection);
  }
}

void GuiPort::ShowBar(double fraction, const QString& text) {
  if (bar_ == nullptr) {
    bar_ = new QProgressBar(window_->statusBar());
    bar_->setRange(0, 1000);
    cancel_ = new QPushButton("Cancel", window_->statusBar());
    QObject::connect(cancel_, &QPushButton::clicked, [this] { cancel_asked_ = true; });
    window_->statusBar()->addPermanentWidget(bar_, 1);
    window_->statusBar()->addPermanentWidget(cancel_);
    cancel_->setCursor(Qt::ArrowCursor);
  }
  window_->statusBar()->show();
  bar_->show();
  cancel_->show();
  bar_->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000.0));
  bar_->setFormat(text + "  %p%");
}

void GuiPort::HideBar() {
  if (bar_ == nullptr || bar_->isHidden()) return;
  bar_->hide();
  cancel_->hide();
  window_->statusBar()->hide();  // the image gets its full height back
}

void GuiPort::Hold() {
  if (held_ || window_ == nullptr) return;
  held_ = true;
  for (QWidget* w : window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (w == window_->statusBar() || !w->isEnabled()) continue;
    w->setEnabled(false);
    disabled_.emplace_back(w);
  }
}

void GuiPort::Release() {
  for (const QPointer<QWidget>& w : disabled_) {
    if (w != nullptr) w->setEnabled(true);
  }
  disabled_.clear();
  held_ = false;
}

void GuiPort::BeginWork() {
  cancel_asked_ = false;
  abandoned_ = false;
  Hold();
}

void GuiPort::EndWork() {
  HideBar();
  Release();
}

bool GuiPort::ShowProgress(double fraction, const std::string& text) {
  if (window_ == nullptr) return true;
  const QString label = QString::fromStdString(text);
  if (QThread::currentThread() != Context()->thread()) {
    QMetaObject::invokeMethod(
        Context(), [this, fraction, label] { ShowBar(fraction, label); }, Qt::QueuedConnection);
    return !cancel_asked_;
  }
  if (!held_) {
    cancel_asked_ = false;
    Hold();
    held_by_report_ = true;
  }
  ShowBar(fraction, label);
  QCoreApplication::processEvents();
  return !cancel_asked_;
}

void GuiPort::EndProgress() {
  if (window_ == nullptr) return;
  if (QThread::currentThread() != Context()->thread()) {
    QMetaObject::invokeMethod(Context(), [this] { HideBar(); }, Qt::QueuedConnection);
    return;
  }
  HideBar();
  if (held_by_report_) {
    held_by_report_ = false;
    Release();
  }
}

void GuiPort::RunWork(const std::function<void(UiPort&)>& work) {
  if (window_ != nullptr && QThread::currentThread() == Context()->thread() && !window_->working()) {
    window_->RunWork(work);
  } else {
    work(*this);
  }
}

void GuiPort::Repaint() {
  if (window_ == nullptr) return;
  OnGuiThread(
      [this] {
        window_->Refresh();
        return true;
      },
      true);
}

bool GuiPort::OpenDocument(const std::string& path) {
  return window_ != nullptr && OnGuiThread([&] { return window_->ShowHelpPage(path); }, false);
}

int GuiPort::PrintImage(const PrintJob& job, std::string* detail) {
  if (job.image == nullptr) return kPrintDone;
  return OnGuiThread([&] { return PrintOnGuiThread(job, detail); }, static_cast<int>(kPrintCancelled));
}

int GuiPort::PrintOnGuiThread(const PrintJob& job, std::string* detail) {
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
