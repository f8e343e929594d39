// SPDX-License-Identifier: MIT
#include "gui/dialogs/raw_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialogs/dialog_widgets.h"
#include "raw/develop_raw.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {
namespace {

// Adds the bar of `control` as one grid row: low label, bar, high label,
// value.
void AddRow(QGridLayout* grid, int row, QWidget* owner, QScrollBar* bar, QLineEdit* value, int control) {
  const RawSliderInfo& info = RawSlider(control);
  grid->addWidget(new QLabel(Utf8(info.label_low), owner), row, 0);
  grid->addWidget(bar, row, 1);
  grid->addWidget(new QLabel(Utf8(info.label_high), owner), row, 2);
  grid->addWidget(value, row, 3);
}

}  // namespace

RawDialog::RawDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8(kRawDialogTitle));
  RawDevelopSettings& raw = app_.settings.raw;

  for (int c = 0; c < kRawControlCount; ++c) {
    const RawSliderInfo& info = RawSlider(c);
    bars_[c] = NewShellBar(this, info.min, info.max, 1, RawSliderPosition(raw, c), [this, c](int action, int thumb) {
      ScrollRawSlider(app_.settings.raw, c, action, thumb);
      values_[c]->setText(QString::fromStdString(RawSliderText(app_.settings.raw, c)));
      return RawSliderPosition(app_.settings.raw, c);
    });
    values_[c] = new QLineEdit(this);
    values_[c]->setReadOnly(true);
    values_[c]->setFixedWidth(48);
    values_[c]->setAlignment(Qt::AlignRight);
  }

  auto* path_box = new QGroupBox(this);
  auto* path_layout = new QHBoxLayout(path_box);
  auto* path_group = new QButtonGroup(this);
  for (int p = 0; p < 2; ++p) {
    paths_[p] = new QRadioButton(Utf8(kRawPathLabels[p]), path_box);
    path_group->addButton(paths_[p], p);
    path_layout->addWidget(paths_[p]);
  }
  connect(path_group, &QButtonGroup::idClicked, this, [this](int p) { app_.settings.raw.path = p; });

  // The fast path's settings.
  auto* fast_box = new QGroupBox(Utf8(kRawPathLabels[0]), this);
  auto* fast = new QGridLayout(fast_box);
  int row = 0;
  fast->addWidget(new QLabel(Utf8(kRawGammaCaption), fast_box), row++, 0, 1, 4);
  const int order[] = {kRawGammaR, kRawGammaG, kRawGammaB, kRawBlackR, kRawWhiteR, kRawBlackG, kRawWhiteG,
                       kRawBlackB, kRawWhiteB, kRawSharpness};
  for (int c : order) AddRow(fast, row++, fast_box, bars_[c], values_[c], c);
  auto* radius_row = new QHBoxLayout;
  auto* radius_group = new QButtonGroup(this);
  for (int r = 0; r < 2; ++r) {
    radii_[r] = new QRadioButton(Utf8(kRawRadiusLabels[r]), fast_box);
    radius_group->addButton(radii_[r], r);
    radius_row->addWidget(radii_[r]);
  }
  radius_row->addStretch(1);
  connect(radius_group, &QButtonGroup::idClicked, this, [this](int r) { app_.settings.raw.radius = r; });
  fast->addLayout(radius_row, row++, 1, 1, 3);
  for (int c : {kRawFalseColour, kRawSaturation, kRawHue}) AddRow(fast, row++, fast_box, bars_[c], values_[c], c);
  fast->setColumnStretch(1, 1);

  // The library path has only its demosaic quality.
  auto* library_box = new QGroupBox(Utf8(kRawPathLabels[1]), this);
  auto* library = new QGridLayout(library_box);
  AddRow(library, 0, library_box, bars_[kRawQuality], values_[kRawQuality], kRawQuality);
  library->setColumnStretch(1, 1);

  defaults_ = new QPushButton(Utf8(kRawDefaultsButton), this);
  connect(defaults_, &QPushButton::clicked, this, [this] {
    ResetRawDevelopSettings(app_.settings.raw);
    Sync();
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->addButton(defaults_, QDialogButtonBox::ResetRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &RawDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &RawDialog::reject);

  auto* main = new QVBoxLayout(this);
  main->addWidget(path_box);
  main->addWidget(fast_box);
  main->addWidget(library_box);
  main->addWidget(buttons);
  setMinimumWidth(420);
  Sync();
}

void RawDialog::Sync() {
  const RawDevelopSettings& raw = app_.settings.raw;
  paths_[raw.path == 1 ? 1 : 0]->setChecked(true);
  radii_[raw.radius == 1 ? 1 : 0]->setChecked(true);
  for (int c = 0; c < kRawControlCount; ++c) {
    bars_[c]->setValue(RawSliderPosition(raw, c));
    values_[c]->setText(QString::fromStdString(RawSliderText(raw, c)));
  }
}

bool RunRawDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  RawDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdRawSettings, RunRawDialog);

}  // namespace tavo
