// SPDX-License-Identifier: MIT
#include "gui/dialogs/dark_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialogs/dialog_widgets.h"
#include "shell/raw_ui.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {

DarkDialog::DarkDialog(QWidget* parent, AppState& app, UiPort& ui) : QDialog(parent), app_(app), ui_(ui) {
  setWindowTitle(kDarkDialogTitle);
  RawDevelopSettings& raw = app_.settings.raw;

  list_ = new QListWidget(this);
  list_->setMinimumWidth(360);
  list_->setFixedHeight(list_->fontMetrics().height() * 4 + 16);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { selected_ = row; });
  add_ = new QPushButton(Utf8(kDarkAddButton), this);
  delete_ = new QPushButton(Utf8(kDarkDeleteButton), this);
  connect(add_, &QPushButton::clicked, this, [this] {
    DarkDialogAdd(app_, ui_);
    FillList();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (selected_ < 0) return;
    DarkListDelete(app_.darks.paths, selected_);
    FillList();
  });
  auto* list_buttons = new QVBoxLayout;
  list_buttons->addWidget(add_);
  list_buttons->addWidget(delete_);
  list_buttons->addStretch(1);
  auto* list_row = new QHBoxLayout;
  list_row->addWidget(list_, 1);
  list_row->addLayout(list_buttons);

  auto* mode_box = new QGroupBox(Utf8(kDarkModeCaption), this);
  auto* mode_layout = new QVBoxLayout(mode_box);
  auto* mode_group = new QButtonGroup(this);
  for (int m = 0; m < 3; ++m) {
    modes_[m] = new QRadioButton(Utf8(kDarkModeLabels[m]), mode_box);
    mode_group->addButton(modes_[m], m);
    mode_layout->addWidget(modes_[m]);
  }
  if (raw.dark_mode >= 0 && raw.dark_mode < 3) modes_[raw.dark_mode]->setChecked(true);
  connect(mode_group, &QButtonGroup::idClicked, this, [this](int m) { app_.settings.raw.dark_mode = m; });

  auto* threshold_box = new QGroupBox(Utf8(kDarkThresholdCaption), this);
  auto* threshold_layout = new QHBoxLayout(threshold_box);
  threshold_ = new QLabel(QString::number(raw.defect_threshold), threshold_box);
  threshold_->setMinimumWidth(threshold_->fontMetrics().horizontalAdvance("00000"));
  threshold_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  threshold_->setFrameShape(QFrame::StyledPanel);
  threshold_bar_ = NewShellBar(threshold_box, 0, kDarkThresholdThumbMax, 4, DarkThresholdThumb(raw.defect_threshold),
                               [this](int action, int thumb) {
                                 int& t = app_.settings.raw.defect_threshold;
                                 t = DarkThresholdAfterScroll(t, action, thumb);
                                 threshold_->setNum(t);
                                 return DarkThresholdThumb(t);
                               });
  threshold_layout->addWidget(threshold_bar_, 1);
  threshold_layout->addWidget(threshold_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &DarkDialog::accept);

  auto* main = new QVBoxLayout(this);
  main->addLayout(list_row);
  main->addWidget(mode_box);
  main->addWidget(threshold_box);
  main->addWidget(buttons);
  FillList();
}

void DarkDialog::FillList() {
  list_->clear();
  for (const std::string& line : DarkListLines(app_.darks.paths)) list_->addItem(QString::fromStdString(line));
  // A rebuilt list has nothing selected; a second "削除" must not remove
  // another file unseen.
  list_->setCurrentRow(-1);
  selected_ = -1;
}

void DarkDialog::reject() { accept(); }

bool RunDarkDialog(QWidget* parent, AppState& app, UiPort& ui) {
  DarkDialog dialog(parent, app, ui);
  dialog.exec();
  return true;
}

TAVO_REGISTER_DIALOG(kCmdDarkFiles, RunDarkDialog);

}  // namespace tavo
