// SPDX-License-Identifier: MIT
#include "gui/dialogs/deblur_dialog.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/deblur_op.h"

namespace tavo {

// The bell over offsets -10..10 scaled to the height; the part the
// restoration uses is shaded, and the 0.02 cut drawn as a line.
class DeblurProfileView : public QWidget {
 public:
  DeblurProfileView(QWidget* parent, const RestoreSettings& values) : QWidget(parent), values_(values) {
    setFixedSize(kWidth, kHeight);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const DeblurProfile profile = DeblurProfileOf(values_.spread, values_.dullness);
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const double step = (kWidth - 1) / double(kDeblurTable - 1);
    const auto x_of = [step](int i) { return i * step; };
    const auto y_of = [](double v) { return (kHeight - 1) * (1.0 - v); };
    const int first = kDeblurRadiusMax - profile.radius, last = kDeblurRadiusMax + profile.radius;
    p.fillRect(QRectF(x_of(first) - step / 2, 0, (last - first + 1) * step, kHeight), QColor(225, 235, 250));
    p.setPen(QColor(200, 120, 120));
    p.drawLine(QPointF(0, y_of(0.02)), QPointF(kWidth - 1, y_of(0.02)));
    QPainterPath path;
    for (int i = 0; i < kDeblurTable; ++i) {
      const QPointF pt(x_of(i), y_of(profile.bell[i]));
      if (i == 0) {
        path.moveTo(pt);
      } else {
        path.lineTo(pt);
      }
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawPath(path);
  }

 private:
  static constexpr int kWidth = 241;
  static constexpr int kHeight = 100;
  const RestoreSettings& values_;
};

DeblurDialog::DeblurDialog(QWidget* parent, AppState& app)
    : QDialog(parent), app_(app), values_(app.settings.restore) {
  setWindowTitle(Utf8("ボケ補正"));
  iterations_ = new QComboBox(this);
  for (int n = kDeblurIterationsMin; n <= kDeblurIterationsMax; ++n) iterations_->addItem(QString::number(n));
  connect(iterations_, &QComboBox::currentIndexChanged, this,
          [this](int index) { values_.iterations = kDeblurIterationsMin + index; });
  emphasis_ = new QComboBox(this);
  for (int n = 0; n <= kDeblurEmphasisMax; ++n) emphasis_->addItem(QString::number(n));
  connect(emphasis_, &QComboBox::currentIndexChanged, this, [this](int index) { values_.emphasis = index; });

  const auto tenths_row = [this](QLineEdit** edit, QScrollBar** bar, int RestoreSettings::*field, int low, int high,
                                 int (*from_text)(const std::string&), int (*after_scroll)(int, int, int)) {
    *edit = new QLineEdit(this);
    (*edit)->setFixedWidth(56);
    QLineEdit* e = *edit;
    connect(e, &QLineEdit::textEdited, this, [this, field, from_text](const QString& text) {
      values_.*field = from_text(text.toStdString());
      Sync();
    });
    connect(e, &QLineEdit::editingFinished, this,
            [this, e, field] { e->setText(QString::fromStdString(TenthsText(values_.*field))); });
    *bar = NewShellBar(this, low, high, kDeblurBarPage, low, [this, e, field, after_scroll](int action, int thumb) {
      values_.*field = after_scroll(values_.*field, action, thumb);
      e->setText(QString::fromStdString(TenthsText(values_.*field)));
      Sync();
      return values_.*field;
    });
    auto* row = new QHBoxLayout;
    row->addWidget(e);
    row->addWidget(*bar, 1);
    return row;
  };
  auto* form = new QFormLayout;
  form->addRow(Utf8("繰り返し回数"), iterations_);
  form->addRow(Utf8("強調"), emphasis_);
  form->addRow(Utf8("フィルターの広がり"),
               tenths_row(&spread_, &spread_bar_, &RestoreSettings::spread, kDeblurSpreadMin, kDeblurSpreadMax,
                          DeblurSpreadFromText, DeblurSpreadAfterScroll));
  form->addRow(Utf8("フィルターの鈍り"),
               tenths_row(&dullness_, &dullness_bar_, &RestoreSettings::dullness, kDeblurDullnessMin,
                          kDeblurDullnessMax, DeblurDullnessFromText, DeblurDullnessAfterScroll));
  profile_ = new DeblurProfileView(this, values_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &DeblurDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(form);
  main->addWidget(profile_, 0, Qt::AlignHCenter);
  main->addWidget(buttons);

  iterations_->setCurrentIndex(std::clamp(values_.iterations, kDeblurIterationsMin, kDeblurIterationsMax) -
                               kDeblurIterationsMin);
  emphasis_->setCurrentIndex(std::clamp(values_.emphasis, 0, kDeblurEmphasisMax));
  spread_->setText(QString::fromStdString(TenthsText(values_.spread)));
  dullness_->setText(QString::fromStdString(TenthsText(values_.dullness)));
  Sync();
}

void DeblurDialog::Sync() {
  spread_bar_->setValue(values_.spread);
  dullness_bar_->setValue(values_.dullness);
  profile_->update();
}

void DeblurDialog::accept() {
  app_.settings.restore = values_;
  QDialog::accept();
}

bool RunDeblurDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  DeblurDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdDeblur, RunDeblurDialog);

}  // namespace tavo
