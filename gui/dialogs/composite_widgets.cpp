// SPDX-License-Identifier: MIT
#include "gui/dialogs/composite_widgets.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <string>
#include <vector>

#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/dialog_logic.h"
#include "shell/ops/composite_op.h"
#include "shell/ops/composite_points_op.h"

namespace tavo {

QGroupBox* NewCompositeModeBox(QWidget* parent, AppState& app, bool vertical, QRadioButton* buttons[5]) {
  static constexpr const char* kModeLabels[5] = {"平均", "加算", "最大", "最小", "コントラスト最大"};
  auto* box = new QGroupBox(Utf8("合成方法"), parent);
  auto* layout = new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, box);
  auto* group = new QButtonGroup(box);
  for (int m = 0; m < 5; ++m) {
    buttons[m] = new QRadioButton(Utf8(kModeLabels[m]), box);
    group->addButton(buttons[m], m);
    layout->addWidget(buttons[m]);
  }
  const int mode = app.settings.composite.mode;
  if (mode >= 0 && mode < 5) buttons[mode]->setChecked(true);
  QObject::connect(group, &QButtonGroup::idClicked, box, [&app](int m) { app.settings.composite.mode = m; });
  return box;
}

void AddPointImageRows(QWidget* box, QGridLayout* grid, AppState& app, const QString titles[4], const int inputs[4],
                       PointImageRows& rows) {
  const std::vector<std::string> entries = ImageListEntries(app.slots);
  CompositeSettings& c = app.settings.composite;
  for (int row = 0; row < 4; ++row) {
    grid->addWidget(new QLabel(titles[row], box), 2 * row, 0);
    QComboBox* list = rows.lists[row] = new QComboBox(box);
    for (const std::string& entry : entries) list->addItem(QString::fromStdString(entry));
    list->setCurrentIndex(ListIndexForSlot(entries, inputs[row]));
    list->setMinimumContentsLength(20);
    list->view()->setTextElideMode(Qt::ElideMiddle);
    grid->addWidget(list, 2 * row, 1);
    QLineEdit* edit = rows.weight_edits[row] = new QLineEdit(QString::number(c.weights[row]), box);
    edit->setFixedWidth(48);
    edit->setMaxLength(11);
    QObject::connect(edit, &QLineEdit::textEdited, box, [&app, &rows, row](const QString& text) {
      int& w = app.settings.composite.weights[row];
      w = WeightFromText(text.toStdString());
      rows.weight_bars[row]->setValue(WeightBarPosition(w));
    });
    grid->addWidget(edit, 2 * row, 2);
    grid->addWidget(new QLabel("%", box), 2 * row, 3);
    rows.weight_bars[row] =
        NewShellBar(box, 0, 100, 10, WeightBarPosition(c.weights[row]), [&app, &rows, row](int action, int thumb) {
          int& w = app.settings.composite.weights[row];
          w = WeightAfterScroll(w, action, thumb);
          rows.weight_edits[row]->setText(QString::number(w));
          return WeightBarPosition(w);
        });
    grid->addWidget(rows.weight_bars[row], 2 * row, 4);
    grid->addLayout(NewPointEdits(box, c.points[row], rows.points[row]), 2 * row + 1, 1, 1, 4);
    QObject::connect(list, &QComboBox::activated, box, [&app, &rows, row] {
      const int slot = SlotFromListText(rows.lists[row]->currentText().toStdString());
      if (slot < 0 || slot >= kSlotCount || app.slots[slot].Empty()) return;
      int marks[4];
      MarkedPointsRow(app.slots[slot], marks);
      ShowPoints(rows.points[row], marks);
    });
  }
  grid->setColumnStretch(4, 1);
}

}  // namespace tavo
