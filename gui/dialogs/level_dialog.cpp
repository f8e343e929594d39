// SPDX-License-Identifier: MIT
#include "gui/dialogs/level_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"

namespace tavo {

// The mapping of the edited mode: x the input, y the output counted
// upwards, one pixel per 8-bit step, a grid line every 16.
class LevelGraph : public QWidget {
 public:
  LevelGraph(QWidget* parent, const LvlSettings& lvl) : QWidget(parent), lvl_(lvl) { setFixedSize(256, 256); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(225, 225, 225));
    for (int v = 0; v < 256; v += 16) {
      p.drawLine(v, 0, v, 255);
      p.drawLine(0, 255 - v, 255, 255 - v);
    }
    uint8_t curves[3][256];
    const int count = LevelCurves(lvl_, curves);
    const QColor colours[3] = {QColor(220, 0, 0), QColor(0, 160, 0), QColor(0, 0, 230)};
    for (int c = 0; c < count; ++c) {
      p.setPen(QPen(count == 1 ? QColor(128, 128, 128) : colours[c], 1.5));
      for (int i = 1; i < 256; ++i) p.drawLine(i - 1, 255 - curves[c][i - 1], i, 255 - curves[c][i]);
    }
  }

 private:
  const LvlSettings& lvl_;
};

LevelDialog::LevelDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("LEVEL");
  if (Image* image = CurrentImage(app_)) SamplePreviewPixels(*image, sample_);

  auto* table_box = new QGroupBox(this);
  auto* table_layout = new QHBoxLayout(table_box);
  auto* table_group = new QButtonGroup(this);
  const char* table_names[4] = {"全色", "R(赤)", "G(緑)", "B(青)"};
  for (int t = 0; t < 4; ++t) {
    tables_[t] = new QRadioButton(Utf8(table_names[t]), table_box);
    table_group->addButton(tables_[t], t);
    table_layout->addWidget(tables_[t]);
  }
  connect(table_group, &QButtonGroup::idClicked, this, [this](int t) {
    app_.settings.lvl.table = t;
    Sync();
  });

  // Rows: the group label (input and output name two rows), the value's
  // label, its bar and its read-only field.
  const char* groups[kLevelFieldCount] = {"入力", "", "明るさ", "コントラスト", "ガンマ", "出力", ""};
  const char* labels[kLevelFieldCount] = {"最小", "最大", "", "", "", "最小", "最大"};
  auto* grid = new QGridLayout;
  for (int f = 0; f < kLevelFieldCount; ++f) {
    const LevelBar shape = LevelBarOf(f);
    bars_[f] = NewShellBar(this, shape.low, shape.high, shape.page, LevelBarPosition(app_.settings.lvl, f),
                           [this, f](int action, int thumb) {
                             LevelScroll(app_.settings.lvl, f, action, thumb);
                             Sync();
                             return LevelBarPosition(app_.settings.lvl, f);
                           });
    bars_[f]->setMinimumWidth(200);
    fields_[f] = new QLineEdit(this);
    fields_[f]->setReadOnly(true);
    fields_[f]->setFixedWidth(52);
    grid->addWidget(new QLabel(Utf8(groups[f]), this), f, 0);
    grid->addWidget(new QLabel(Utf8(labels[f]), this), f, 1);
    grid->addWidget(bars_[f], f, 2);
    grid->addWidget(fields_[f], f, 3);
  }

  reset_ = new QPushButton(Utf8("初期化"), this);
  connect(reset_, &QPushButton::clicked, this, [this] {
    ResetLevelTables(app_.settings.lvl);
    Sync();
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  graph_ = new LevelGraph(this, app_.settings.lvl);
  preview_ = new HistogramView(this, 80);
  auto* left = new QVBoxLayout;
  left->addWidget(graph_);
  left->addWidget(preview_);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(table_box);
  right->addLayout(grid);
  right->addWidget(reset_, 0, Qt::AlignLeft);
  right->addStretch(1);
  right->addWidget(buttons);
  auto* main = new QHBoxLayout(this);
  main->addLayout(left);
  main->addLayout(right);
  Sync();
}

void LevelDialog::Sync() {
  const LvlSettings& lvl = app_.settings.lvl;
  tables_[LevelEditedTable(lvl)]->setChecked(true);
  for (int f = 0; f < kLevelFieldCount; ++f) {
    bars_[f]->setSliderPosition(LevelBarPosition(lvl, f));
    fields_[f]->setText(QString::fromStdString(LevelFieldText(lvl, f)));
  }
  graph_->update();
  preview_->SetHistogram(LevelPreview(sample_, lvl));
}

bool RunLevelDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  LevelDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdLevel, RunLevelDialog);

}  // namespace tavo
