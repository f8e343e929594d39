// SPDX-License-Identifier: MIT
#include "gui/dialogs/saturation_hue_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/ops/saturation_hue_op.h"

namespace tavo {

constexpr int kStripWidth = 360;
constexpr int kStripHeight = 18;

// The upper strip over the lower, a pixel column per degree.
class HueStripView : public QWidget {
 public:
  HueStripView(QWidget* parent, const ColorSettings& color) : QWidget(parent), color_(color) {
    setFixedSize(kStripWidth, 2 * kStripHeight + 4);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    uint8_t upper[3 * kStripWidth], lower[3 * kStripWidth];
    ColorHueStrips(color_, kStripWidth, upper, lower);
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const uint8_t* strips[2] = {upper, lower};
    for (int s = 0; s < 2; ++s) {
      QImage line(strips[s], kStripWidth, 1, 3 * kStripWidth, QImage::Format_RGB888);
      p.drawImage(QRect(0, s * (kStripHeight + 4), kStripWidth, kStripHeight), line);
    }
  }

 private:
  const ColorSettings& color_;
};

SaturationHueDialog::SaturationHueDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("彩度/色相調整"));
  auto* grid = new QGridLayout;
  const char* labels[2] = {"彩度", "色相"};
  for (int f = 0; f < 2; ++f) {
    fields_[f] = new QLineEdit(this);
    fields_[f]->setFixedWidth(56);
    connect(fields_[f], &QLineEdit::textEdited, this, [this, f](const QString& text) {
      ColorFieldFromText(app_.settings.color, f, text.toStdString());
      Sync(f);
    });
    connect(fields_[f], &QLineEdit::editingFinished, this, [this] { Sync(-1); });
    bars_[f] = NewShellBar(this, 0, ColorBarMax(f), 10, 0, [this, f](int action, int thumb) {
      ColorFieldScroll(app_.settings.color, f, action, thumb);
      Sync(-1);
      return ColorFieldShown(app_.settings.color, f) + ColorBarMax(f) / 2;
    });
    bars_[f]->setMinimumWidth(kStripWidth);
    grid->addWidget(new QLabel(Utf8(labels[f]), this), f, 0);
    grid->addWidget(fields_[f], f, 1);
    grid->addWidget(bars_[f], f, 2);
  }
  strips_ = new HueStripView(this, app_.settings.color);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(grid);
  main->addWidget(strips_, 0, Qt::AlignRight);
  main->addWidget(buttons);
  Sync(-1);
}

void SaturationHueDialog::Sync(int typed_field) {
  for (int f = 0; f < 2; ++f) {
    const int shown = ColorFieldShown(app_.settings.color, f);
    bars_[f]->setSliderPosition(shown + ColorBarMax(f) / 2);
    if (f != typed_field) fields_[f]->setText(QString::number(shown));
  }
  strips_->update();
}

bool RunSaturationHueDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  SaturationHueDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdSaturationHue, RunSaturationHueDialog);

}  // namespace tavo
