// SPDX-License-Identifier: MIT
#include "gui/dialogs/edge_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/edge_op.h"
#include "shell/ops/sharp_op.h"

namespace tavo {

EdgeDialog::EdgeDialog(QWidget* parent, AppState& app) : QDialog(parent) {
  setWindowTitle(Utf8("エッジ強調"));
  EdgeSettings& e = app.settings.edge;
  auto same = [](int v) { return v; };
  const EditBar rows[4] = {
      NewEditBar(this, &e.range, 0, 255, 10, HeldLevelFromText, HeldLevelText, HeldLevelBarPosition,
                 [](int v, int action, int thumb) { return HeldLevelAfterScroll(v, action, thumb, kEdgeRangePage); }),
      NewEditBar(this, &e.strength, 0, kEdgeStrengthMax, 10, StrengthFromText, IntText, same, StrengthAfterScroll),
      NewEditBar(this, &e.threshold, 0, kEdgeThresholdMax, 10, EdgeThresholdFromText, IntText, same,
                 EdgeThresholdAfterScroll),
      NewEditBar(this, &e.smooth, 0, kEdgeStrengthMax, 10, StrengthFromText, IntText, same, StrengthAfterScroll),
  };
  const char* labels[4] = {"エッジ強調の範囲(0-255)", "強調の強度(0-50)", "明暗の閾値", "平滑化の強度(0-50)"};
  auto* grid = new QGridLayout;
  for (int row = 0; row < 4; ++row) {
    edits_[row] = rows[row].edit;
    bars_[row] = rows[row].bar;
    grid->addWidget(new QLabel(Utf8(labels[row]), this), row, 0);
    grid->addWidget(edits_[row], row, 1);
    grid->addWidget(bars_[row], row, 3);
  }
  grid->addWidget(new QLabel("%", this), 2, 2);

  int* const flags[3] = {&e.use_r, &e.use_g, &e.use_b};
  QHBoxLayout* channel_row = NewChannelBoxes(this, flags, channels_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addLayout(grid);
  main->addLayout(channel_row);
  main->addWidget(buttons);
  setMinimumWidth(440);
}

bool RunEdgeDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  EdgeDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdEdge, RunEdgeDialog);

}  // namespace tavo
