// SPDX-License-Identifier: MIT
#include "gui/dialogs/color_change_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/ops/color_change_op.h"

namespace tavo {

ColorChangeDialog::ColorChangeDialog(QWidget* parent, AppState& app, bool hsv)
    : QDialog(parent), app_(app), hsv_(hsv) {
  setWindowTitle(Utf8(hsv ? "色変更(HSV)" : "色変更(RGB)"));
  const char* rgb_names[3] = {"R", "G", "B"};
  const char* hsv_names[3] = {"色相", "彩度", "明度"};
  const char* group_names[3] = {"元の色", "変更後の色", "許容量"};
  auto* main = new QVBoxLayout(this);
  for (int group = 0; group < 3; ++group) {
    auto* box = new QGroupBox(Utf8(group_names[group]), this);
    auto* grid = new QGridLayout(box);
    // The same columns in all three boxes: label, edit, bar, swatch.
    grid->setColumnMinimumWidth(0, 36);
    grid->setColumnMinimumWidth(3, 56);
    grid->setColumnStretch(2, 1);
    const int first = group * 3, count = group < 2 ? 3 : 1;
    for (int k = 0; k < count; ++k) {
      const int f = first + k;
      fields_[f] = new QLineEdit(box);
      fields_[f]->setFixedWidth(52);
      connect(fields_[f], &QLineEdit::textEdited, this, [this, f](const QString& text) {
        ColorChangeFromText(Value(f), Max(f), text.toStdString());
        Sync(f);
      });
      connect(fields_[f], &QLineEdit::editingFinished, this, [this] { Sync(-1); });
      bars_[f] = NewShellBar(box, 0, Max(f), 16, *Value(f), [this, f](int action, int thumb) {
        ColorChangeScroll(Value(f), Max(f), action, thumb);
        Sync(-1);
        return *Value(f);
      });
      bars_[f]->setMinimumWidth(256);
      grid->addWidget(new QLabel(group < 2 ? Utf8(hsv ? hsv_names[k] : rgb_names[k]) : QString(), box), k, 0);
      grid->addWidget(fields_[f], k, 1);
      grid->addWidget(bars_[f], k, 2);
    }
    if (group < 2) {
      swatches_[group] = new Swatch(box);
      grid->addWidget(swatches_[group], 0, 3, 3, 1, Qt::AlignCenter);
    }
    main->addWidget(box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  main->addWidget(buttons);
  Sync(-1);
}

int* ColorChangeDialog::Value(int field) {
  return hsv_ ? ColorChangeValue(app_.settings.color_hsv, field) : ColorChangeValue(app_.settings.color_rgb, field);
}

int ColorChangeDialog::Max(int field) const { return ColorChangeFieldMax(hsv_, field); }

void ColorChangeDialog::Sync(int typed_field) {
  for (int f = 0; f < kColorChangeFieldCount; ++f) {
    bars_[f]->setSliderPosition(*Value(f));
    if (f != typed_field) fields_[f]->setText(QString::number(*Value(f)));
  }
  for (int s = 0; s < 2; ++s) {
    int rgb[3];
    if (hsv_) {
      ColorHsvSwatch(app_.settings.color_hsv, s == 1, rgb);
    } else {
      ColorRgbSwatch(app_.settings.color_rgb, s == 1, rgb);
    }
    swatches_[s]->SetColour(rgb[0], rgb[1], rgb[2]);
  }
}

bool RunColorRgbDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  ColorChangeDialog dialog(parent, app, false);
  return dialog.exec() == QDialog::Accepted;
}

bool RunColorHsvDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  ColorChangeDialog dialog(parent, app, true);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdColorRgb, RunColorRgbDialog);
TAVO_REGISTER_DIALOG(kCmdColorHsv, RunColorHsvDialog);

}  // namespace tavo
