// SPDX-License-Identifier: MIT
#include "gui/dialogs/gamma_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/app_state.h"
#include "shell/ops/gamma_op.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {

constexpr int kGraph = 256;
constexpr int kPreviewHeight = 80;

// Histogram of the image as it would look after the correction.
class GammaPreviewView : public QWidget {
 public:
  explicit GammaPreviewView(AppState& app) : app_(app) { setFixedSize(kGraph, kPreviewHeight); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    Image* image = CurrentImage(app_);
    if (image == nullptr) return;
    GammaPreview preview;
    GammaPreviewHistogram(*image, app_.settings.gamma, &preview);
    if (preview.peak == 0) return;
    const uint32_t* bins[3] = {preview.r, preview.g, preview.b};
    const QColor colours[3] = {QColor(255, 60, 60), QColor(60, 255, 60), QColor(80, 120, 255)};
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    for (int c = 0; c < 3; ++c) {
      p.setPen(colours[c]);
      for (int i = 0; i < 256; ++i) {
        const int h = static_cast<int>(static_cast<uint64_t>(bins[c][i]) * (kPreviewHeight - 1) / preview.peak);
        if (h > 0) p.drawLine(i, kPreviewHeight - 1, i, kPreviewHeight - 1 - h);
      }
    }
  }

 private:
  AppState& app_;
};

GammaGraph::GammaGraph(GammaDialog* dialog, AppState& app) : QWidget(dialog), dialog_(dialog), app_(app) {
  setFixedSize(kGraph, kGraph);
  setMouseTracking(false);
}

void GammaGraph::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setPen(QColor(220, 220, 220));
  for (int v = 64; v < 256; v += 64) {
    p.drawLine(v, 0, v, kGraph - 1);
    p.drawLine(0, kGraph - 1 - v, kGraph - 1, kGraph - 1 - v);
  }
  p.drawLine(0, kGraph - 1, kGraph - 1, 0);
  const GammaSettings& g = app_.settings.gamma;
  const int table = GammaEditedTable(g);
  const QColor colours[4] = {Qt::black, QColor(220, 0, 0), QColor(0, 160, 0), QColor(0, 0, 230)};
  uint16_t curve[256];
  GammaCurveSamples(g, curve);
  QPainterPath path;
  for (int i = 0; i < 256; ++i) {
    const QPointF pt(i, kGraph - 1 - curve[i] / 256.0);
    if (i == 0) {
      path.moveTo(pt);
    } else {
      path.lineTo(pt);
    }
  }
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(colours[table], 1.5));
  p.drawPath(path);
  p.setRenderHint(QPainter::Antialiasing, false);
  const int* row = g.rows[table];
  for (int k = 0; k < 3; ++k) {
    const QRect square(row[k * 2] - 3, kGraph - 1 - row[k * 2 + 1] - 3, 7, 7);
    p.setPen(Qt::black);
    p.setBrush(k == dialog_->selected_point() ? QBrush(colours[table]) : QBrush(Qt::white));
    p.drawRect(square);
  }
}

void GammaGraph::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  const int point = GammaPointAt(app_.settings.gamma, pos.x(), kGraph - 1 - pos.y());
  if (point < 0) return;
  dragging_ = point;
  dialog_->SelectPoint(point);
}

void GammaGraph::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ < 0) return;
  const QPoint pos = event->position().toPoint();
  GammaMovePoint(app_.settings.gamma, dragging_, pos.x(), kGraph - 1 - pos.y());
  dialog_->Sync();
}

void GammaGraph::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = -1;
}

GammaDialog::GammaDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("GAMMA");
  graph_ = new GammaGraph(this, app);
  preview_ = new GammaPreviewView(app);

  auto* table_box = new QGroupBox(this);
  auto* table_layout = new QVBoxLayout(table_box);
  auto* table_group = new QButtonGroup(this);
  const char* table_names[4] = {"全色", "R(赤)", "G(緑)", "B(青)"};
  for (int t = 0; t < 4; ++t) {
    tables_[t] = new QRadioButton(QString::fromUtf8(table_names[t]), table_box);
    table_group->addButton(tables_[t], t);
    table_layout->addWidget(tables_[t]);
  }
  connect(table_group, &QButtonGroup::idClicked, this, [this](int t) {
    app_.settings.gamma.table = t;
    Sync();
  });

  input_ = new QLineEdit(this);
  output_ = new QLineEdit(this);
  for (QLineEdit* field : {input_, output_}) {
    field->setValidator(new QIntValidator(-99999, 99999, field));
    field->setMaximumWidth(64);
    connect(field, &QLineEdit::editingFinished, this, [this] {
      StoreFields();
      Sync();
    });
  }
  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(QString::fromUtf8("元の値"), this), 0, 0);
  fields->addWidget(input_, 0, 1);
  fields->addWidget(new QLabel(QString::fromUtf8("→　変換後"), this), 1, 0);
  fields->addWidget(output_, 1, 1);

  auto* kind_box = new QGroupBox(this);
  auto* kind_layout = new QHBoxLayout(kind_box);
  straight_ = new QRadioButton(QString::fromUtf8("直線"), kind_box);
  curved_ = new QRadioButton(QString::fromUtf8("曲線"), kind_box);
  kind_layout->addWidget(straight_);
  kind_layout->addWidget(curved_);
  auto* kind_group = new QButtonGroup(this);
  kind_group->addButton(straight_, 0);
  kind_group->addButton(curved_, 1);
  connect(kind_group, &QButtonGroup::idClicked, this, [this](int kind) {
    app_.settings.gamma.kind = kind;
    Sync();
  });

  reset_ = new QPushButton(QString::fromUtf8("初期化"), this);
  connect(reset_, &QPushButton::clicked, this, [this] {
    ResetGammaTables(app_.settings.gamma);
    Sync();
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &GammaDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &GammaDialog::reject);

  auto* left = new QVBoxLayout;
  left->addWidget(graph_);
  left->addWidget(preview_);
  auto* right = new QVBoxLayout;
  right->addWidget(table_box);
  right->addLayout(fields);
  right->addWidget(kind_box);
  right->addWidget(reset_);
  right->addStretch(1);
  right->addWidget(buttons);
  auto* main = new QHBoxLayout(this);
  main->addLayout(left);
  main->addLayout(right);
  Sync();
}

void GammaDialog::SelectPoint(int point) {
  if (point < 0 || point > 2) return;
  selected_ = point;
  Sync();
}

void GammaDialog::Sync() {
  const GammaSettings& g = app_.settings.gamma;
  const int table = GammaEditedTable(g);
  tables_[table]->setChecked(true);
  (g.kind == 0 ? straight_ : curved_)->setChecked(true);
  const int* row = g.rows[table];
  input_->setText(QString::number(row[selected_ * 2]));
  output_->setText(QString::number(row[selected_ * 2 + 1]));
  graph_->update();
  preview_->update();
}

void GammaDialog::StoreFields() {
  const int* row = app_.settings.gamma.rows[GammaEditedTable(app_.settings.gamma)];
  bool in_ok = false, out_ok = false;
  const int in = input_->text().toInt(&in_ok);
  const int out = output_->text().toInt(&out_ok);
  GammaMovePoint(app_.settings.gamma, selected_, in_ok ? in : row[selected_ * 2],
                 out_ok ? out : row[selected_ * 2 + 1]);
}

void GammaDialog::accept() {
  StoreFields();
  QDialog::accept();
}

bool RunGammaDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  GammaDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdGamma, RunGammaDialog);

}  // namespace tavo
