// SPDX-License-Identifier: MIT
#include "gui/dialogs/composite_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <string>

#include "gui/dialogs/composite_widgets.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/dialog_logic.h"
#include "shell/ops/composite_op.h"
#include "gui/dialog_registry.h"
#include "shell/command_ids.h"

namespace tavo {
namespace {

constexpr const char* kMethodLabels[3] = {"高速(中央と角)", "高速(中央のみ)", "低速(全画素比較)"};
// The list texts are kept up to 255 characters.
constexpr int kListTextMax = 255;

QLineEdit* NumberEdit(QWidget* parent, int value, int width) {
  auto* edit = new QLineEdit(QString::number(value), parent);
  edit->setFixedWidth(width);
  edit->setMaxLength(11);
  return edit;
}

}  // namespace

CompositeDialog::CompositeDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("Composite(Auto)");
  CompositeSettings& c = app_.settings.composite;

  auto* images = new QGroupBox(this);
  auto* grid = new QGridLayout(images);
  BuildRows(grid);

  QGroupBox* mode_box = NewCompositeModeBox(this, app_, true, modes_);

  auto* method_box = new QGroupBox(Utf8("位置合わせ"), this);
  auto* method_layout = new QVBoxLayout(method_box);
  auto* method_group = new QButtonGroup(this);
  for (int m = 0; m < 3; ++m) {
    methods_[m] = new QRadioButton(Utf8(kMethodLabels[m]), method_box);
    method_group->addButton(methods_[m], m);
    method_layout->addWidget(methods_[m]);
  }
  if (c.method >= 0 && c.method < 3) methods_[c.method]->setChecked(true);
  connect(method_group, &QButtonGroup::idClicked, this, [this](int m) { app_.settings.composite.method = m; });
  auto* range_label = new QLabel(Utf8("比較範囲(大きくすると極端に処理時間が増えます)"), method_box);
  range_label->setWordWrap(true);
  range_ = NumberEdit(method_box, c.range, 56);
  connect(range_, &QLineEdit::textEdited, this,
          [this](const QString& text) { app_.settings.composite.range = CompareRangeFromText(text.toStdString()); });
  auto* range_row = new QHBoxLayout;
  range_row->addWidget(range_label, 1);
  range_row->addWidget(range_);
  method_layout->addLayout(range_row);
  method_layout->addStretch(1);

  auto* noise_box = new QGroupBox(Utf8("オプション"), this);
  auto* noise_layout = new QGridLayout(noise_box);
  noise_ = new QCheckBox(Utf8("ノイズ除去"), noise_box);
  move_ = new QCheckBox(Utf8("移動モード"), noise_box);
  ShowNoiseOption();
  connect(noise_, &QCheckBox::clicked, this, [this] {
    app_.settings.composite.noise_option = NoiseOptionAfterClick(app_.settings.composite.noise_option, 1);
    ShowNoiseOption();
  });
  connect(move_, &QCheckBox::clicked, this, [this] {
    app_.settings.composite.noise_option = NoiseOptionAfterClick(app_.settings.composite.noise_option, 2);
    ShowNoiseOption();
  });
  noise_level_ = NumberEdit(noise_box, c.noise_level, 48);
  normalise_ = new QCheckBox(Utf8("濃度の正規化"), noise_box);
  normalise_->setChecked(c.normalise != 0);
  connect(normalise_, &QCheckBox::clicked, this,
          [this](bool on) { app_.settings.composite.normalise = on ? 1 : 0; });
  noise_layout->addWidget(noise_, 0, 0, 1, 2);
  noise_layout->addWidget(move_, 1, 0, 1, 2);
  noise_layout->addWidget(new QLabel(Utf8("レベル"), noise_box), 2, 0);
  noise_layout->addWidget(noise_level_, 2, 1, Qt::AlignLeft);
  noise_layout->addWidget(normalise_, 3, 0, 1, 2);
  shift_x_ = NumberEdit(noise_box, c.shift_x, 48);
  shift_y_ = NumberEdit(noise_box, c.shift_y, 48);
  noise_layout->addWidget(new QLabel(Utf8("シフト X"), noise_box), 4, 0);
  noise_layout->addWidget(shift_x_, 4, 1, Qt::AlignLeft);
  noise_layout->addWidget(new QLabel(Utf8("シフト Y"), noise_box), 5, 0);
  noise_layout->addWidget(shift_y_, 5, 1, Qt::AlignLeft);
  noise_layout->setRowStretch(6, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CompositeDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CompositeDialog::reject);

  auto* options = new QHBoxLayout;
  options->addWidget(mode_box);
  options->addWidget(method_box, 1);
  options->addWidget(noise_box);
  auto* main = new QVBoxLayout(this);
  main->addWidget(images);
  main->addLayout(options);
  main->addWidget(buttons);
}

void CompositeDialog::BuildRows(QGridLayout* grid) {
  const std::vector<std::string> entries = ImageListEntries(app_.slots);
  QWidget* box = grid->parentWidget();
  for (int row = 0; row < 4; ++row) {
    grid->addWidget(new QLabel(Utf8("合成画像") + QString::number(row + 1), box), row, 0);
    lists_[row] = new QComboBox(box);
    for (const std::string& entry : entries) lists_[row]->addItem(QString::fromStdString(entry));
    lists_[row]->setCurrentIndex(ListIndexForSlot(entries, app_.settings.composite.inputs[row]));
    lists_[row]->setMinimumContentsLength(20);
    lists_[row]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Long paths keep the slot number in front and the file name behind.
    lists_[row]->view()->setTextElideMode(Qt::ElideMiddle);
    grid->addWidget(lists_[row], row, 1);

    const int weight = app_.settings.composite.weights[row];
    weight_edits_[row] = NumberEdit(box, weight, 48);
    connect(weight_edits_[row], &QLineEdit::textEdited, this, [this, row](const QString& text) {
      int& w = app_.settings.composite.weights[row];
      w = WeightFromText(text.toStdString());
      weight_bars_[row]->setValue(WeightBarPosition(w));
    });
    grid->addWidget(weight_edits_[row], row, 2);
    grid->addWidget(new QLabel("%", box), row, 3);
    weight_bars_[row] = NewShellBar(box, 0, 100, 10, WeightBarPosition(weight), [this, row](int action, int thumb) {
      int& w = app_.settings.composite.weights[row];
      w = WeightAfterScroll(w, action, thumb);
      weight_edits_[row]->setText(QString::number(w));
      return WeightBarPosition(w);
    });
    grid->addWidget(weight_bars_[row], row, 4);
  }
  grid->setColumnStretch(4, 1);
}

void CompositeDialog::ShowNoiseOption() {
  const int option = app_.settings.composite.noise_option;
  noise_->setChecked(option == 1);
  move_->setChecked(option == 2);
}

void CompositeDialog::accept() {
  std::string texts[4];
  for (int row = 0; row < 4; ++row) texts[row] = lists_[row]->currentText().toStdString().substr(0, kListTextMax);
  AcceptCompositeDialog(app_.settings.composite, texts, EditValue(noise_level_->text().toStdString(), true),
                        EditValue(shift_x_->text().toStdString(), true),
                        EditValue(shift_y_->text().toStdString(), true));
  QDialog::accept();
}

bool RunCompositeDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  CompositeDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdCompositeAuto, RunCompositeDialog);

}  // namespace tavo
