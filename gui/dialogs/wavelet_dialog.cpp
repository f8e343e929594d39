// SPDX-License-Identifier: MIT
#include "gui/dialogs/wavelet_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/ops/wavelet_op.h"

namespace tavo {
namespace {

constexpr const char* kRowLabels[kWaveletRows] = {"5(L)", "4", "3", "2", "1(H)"};
constexpr const char* kPresetLabels[kWaveletPresetCount] = {"変換無し", "弱", "中", "強"};

// Row r shows gain r + 1.
int& GainOfRow(AppState& app, int row) { return app.settings.wavelet.gains[row + 1]; }

}  // namespace

WaveletDialog::WaveletDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle(Utf8("ウェーブレット変換"));
  auto* bands = new QGroupBox(Utf8("サブバンド"), this);
  auto* grid = new QGridLayout(bands);
  for (int row = 0; row < kWaveletRows; ++row) {
    grid->addWidget(new QLabel(kRowLabels[row], bands), row, 0);
    edits_[row] = new QLineEdit(bands);
    edits_[row]->setFixedWidth(56);
    connect(edits_[row], &QLineEdit::textEdited, this, [this, row](const QString& text) {
      GainOfRow(app_, row) = WaveletGainFromText(text.toStdString());
      bars_[row]->setValue(GainOfRow(app_, row));
    });
    // A clamped or cut value shows as stored once typing is done.
    connect(edits_[row], &QLineEdit::editingFinished, this, [this] { Sync(); });
    grid->addWidget(edits_[row], row, 1);
    bars_[row] = NewShellBar(bands, 0, kWaveletGainMax, kWaveletGainPage, 0, [this, row](int action, int thumb) {
      int& gain = GainOfRow(app_, row);
      gain = WaveletGainAfterScroll(gain, action, thumb);
      edits_[row]->setText(QString::fromStdString(TenthsText(gain)));
      return gain;
    });
    grid->addWidget(bars_[row], row, 2);
  }
  grid->setColumnStretch(2, 1);

  auto* preset_row = new QHBoxLayout;
  for (int preset = 0; preset < kWaveletPresetCount; ++preset) {
    presets_[preset] = new QPushButton(Utf8(kPresetLabels[preset]), this);
    presets_[preset]->setAutoDefault(false);
    connect(presets_[preset], &QPushButton::clicked, this, [this, preset] {
      ApplyWaveletPreset(app_.settings.wavelet, preset);
      Sync();
    });
    preset_row->addWidget(presets_[preset]);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* main = new QVBoxLayout(this);
  main->addWidget(bands);
  main->addLayout(preset_row);
  main->addWidget(buttons);
  setMinimumWidth(380);
  Sync();
}

void WaveletDialog::Sync() {
  for (int row = 0; row < kWaveletRows; ++row) {
    const int gain = GainOfRow(app_, row);
    edits_[row]->setText(QString::fromStdString(TenthsText(gain)));
    bars_[row]->setValue(std::clamp(gain, 0, kWaveletGainMax));
  }
}

bool RunWaveletDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  WaveletDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

TAVO_REGISTER_DIALOG(kCmdWavelet, RunWaveletDialog);

}  // namespace tavo
