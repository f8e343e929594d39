// SPDX-License-Identifier: MIT
#include "gui/dialogs/sharp_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
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
#include "shell/ops/sharp_op.h"

namespace tavo {

SharpDialog::SharpDialog(QWidget* parent, AppState& app) : QDialog(parent) {
  setWindowTitle(Utf8("シャープ/スムーズ"));
  SharpSettings& s = app.settings.sharp;
  const EditBar rows[4] = {
      NewEditBar(this, &s.radius, kSharpRadiusMin, kSharpRadiusMax, 4, SharpRadiusFromText, IntText,
                 [](int v) { return v; }, SharpRadiusAfterScroll),
      NewEditBar(this, &s.range, 0, 255, 5, HeldLevelFromText, HeldLevelText, HeldLevelBarPosition,
                 [](int v, int action, int thumb) { return HeldLevelAfterScroll(v, action, thumb, kSharpRangePage); }),
      NewEditBar(this, &s.smooth, 0, kSharpStrengthMax, 10, StrengthFromText, IntText, [](int v) { return v; },
                 StrengthAfterScroll),
      NewEditBar(this, &s.enhance, 0, kSharpStrengthMax, 10, StrengthFromText, IntText, [](int v) { return v; },
                 StrengthAfterScroll),
  };
  const char* labels[4] = {"半径", "平滑化の範囲(0-255)", "平滑化の強度(0-50)", "強調の強度(0-50)"};
  auto* radius_box = new QGroupBox(Utf8("平均値の計算範囲"), this);
  auto* radius_grid = new QGridLayout(radius_box);
  auto* grid = new QGridLayout;
  for (int row = 0; row < 4; ++row) {
    edits_[row] = rows[row].edit;
    bars_[row] = rows[row].bar;
    QGridLayout* g = row == 0 ? radius_grid : grid;
    const int line = row == 0 ? 0 : row - 1;
    g->addWidget(new QLabel(Utf8(labels[row]), this), line, 0);
    g->addWidget(edits_[row], line, 1);
    g->addWidget(bars_[row], line, 2);
  }

  int* const flags[3] = {&s.use_r, &s.use_g, &s.use_b};
  QHBoxLayout* channel_row = NewChannelBoxes(this, flags, channels_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(radius_box);
  main->addLayout(grid);
  main->addLayout(channel_row);
  main->addWidget(buttons);
  setMinimumWidth(420);
}

bool RunSharpDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  SharpDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdSharpSmooth, RunSharpDialog);

}  // namespace tavo
