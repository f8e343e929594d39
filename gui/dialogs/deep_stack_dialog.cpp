// SPDX-License-Identifier: MIT
#include "gui/dialogs/deep_stack_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <mutex>
#include <thread>

#include "gui/dialog_registry.h"
#include "gui/dialogs/dialog_widgets.h"
#include "gui/file_dialog.h"
#include "shell/app_state.h"
#include "shell/command_ids.h"
#include "shell/messages.h"

namespace tavo {
namespace {

constexpr const char* kListTitles[4] = {"ライト", "ダーク", "フラット", "バイアス"};

QComboBox* Choices(QWidget* parent, std::initializer_list<const char*> texts, int current, std::function<void(int)> set) {
  auto* box = new QComboBox(parent);
  for (const char* t : texts) box->addItem(Utf8(t));
  box->setCurrentIndex(current);
  QObject::connect(box, &QComboBox::currentIndexChanged, parent, set);
  return box;
}

QDoubleSpinBox* Decimal(QWidget* parent, double value, double max, int decimals, std::function<void(double)> set) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(0, max);
  box->setDecimals(decimals);
  box->setSingleStep(decimals > 0 ? 0.1 : 1);
  box->setValue(value);
  QObject::connect(box, &QDoubleSpinBox::valueChanged, parent, set);
  return box;
}

QSpinBox* Whole(QWidget* parent, int value, int max, const char* zero_text, std::function<void(int)> set) {
  auto* box = new QSpinBox(parent);
  box->setRange(0, max);
  if (zero_text != nullptr) box->setSpecialValueText(Utf8(zero_text));
  box->setValue(value);
  QObject::connect(box, &QSpinBox::valueChanged, parent, set);
  return box;
}

// A line edit bound to `text` with a "参照..." button that asks for a
// folder (or, with `save_filter`, a file to write).
QWidget* PathRow(QWidget* parent, std::string* text, const char* save_filter, QLineEdit** edit_out) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* edit = new QLineEdit(QString::fromStdString(*text), row);
  auto* browse = new QPushButton(Utf8("参照..."), row);
  QObject::connect(edit, &QLineEdit::textChanged, row, [text](const QString& t) { *text = t.toStdString(); });
  QObject::connect(browse, &QPushButton::clicked, row, [row, edit, save_filter] {
    const QString chosen = save_filter != nullptr
                               ? QFileDialog::getSaveFileName(row, "SAVE", edit->text(), Utf8(save_filter))
                               : QFileDialog::getExistingDirectory(row, "FOLDER", edit->text());
    if (!chosen.isEmpty()) edit->setText(chosen);
  });
  layout->addWidget(edit, 1);
  layout->addWidget(browse);
  if (edit_out != nullptr) *edit_out = edit;
  return row;
}

}  // namespace

DeepStackDialog::DeepStackDialog(QWidget* parent, AppState& app) : QDialog(parent), app_(app) {
  setWindowTitle("Composite(Stack)");
  DeepStackSettings& s = app_.settings.deep_stack;

  tabs_ = new QTabWidget(this);
  for (int k = 0; k < 4; ++k) tabs_->addTab(ListPage(k), "");
  for (int k = 0; k < 4; ++k) ShowFiles(k);

  auto* calibration = new QGroupBox(Utf8("キャリブレーション"), this);
  auto* calibration_form = new QFormLayout(calibration);
  master_ = Choices(calibration, {"中央値", "シグマクリップ平均"}, s.master_method,
                    [this](int v) { app_.settings.deep_stack.master_method = v; });
  calibration_form->addRow(Utf8("マスターの作成"), master_);
  auto* scale_dark = new QCheckBox(Utf8("ダークを露出時間で補正する"), calibration);
  scale_dark->setChecked(s.scale_dark != 0);
  connect(scale_dark, &QCheckBox::toggled, this, [this](bool on) { app_.settings.deep_stack.scale_dark = on; });
  calibration_form->addRow(scale_dark);
  calibration_form->addRow(Utf8("マスター保存フォルダー"), PathRow(calibration, &s.masters, nullptr, nullptr));

  auto* registration = new QGroupBox(Utf8("位置合わせ"), this);
  auto* registration_form = new QFormLayout(registration);
  reference_ = Whole(registration, s.reference, 1000000, "最良のフレーム",
                     [this](int v) { app_.settings.deep_stack.reference = v; });
  registration_form->addRow(Utf8("基準フレーム(番号)"), reference_);
  registration_form->addRow(Utf8("補間"), Choices(registration, {"Lanczos", "Bilinear"}, s.interpolation,
                                                  [this](int v) { app_.settings.deep_stack.interpolation = v; }));
  max_fwhm_ = Decimal(registration, s.max_fwhm, 1000, 1, [this](double v) { app_.settings.deep_stack.max_fwhm = v; });
  max_fwhm_->setSpecialValueText(Utf8("制限なし"));
  registration_form->addRow(Utf8("FWHMの上限(画素)"), max_fwhm_);
  auto* min_stars = Whole(registration, s.min_stars, 100000, "制限なし",
                          [this](int v) { app_.settings.deep_stack.min_stars = v; });
  registration_form->addRow(Utf8("星の数の下限"), min_stars);
  auto* max_residual = Decimal(registration, s.max_residual, 1000, 2,
                               [this](double v) { app_.settings.deep_stack.max_residual = v; });
  max_residual->setSpecialValueText(Utf8("制限なし"));
  registration_form->addRow(Utf8("残差の上限(画素)"), max_residual);

  auto* integration = new QGroupBox(Utf8("合成"), this);
  auto* integration_form = new QFormLayout(integration);
  reject_ = Choices(integration,
                    {"なし(平均)", "中央値", "κ-σクリップ", "ウィンザライズドσクリップ", "線形フィットクリップ",
                     "最小/最大除外"},
                    s.reject, [this](int v) { app_.settings.deep_stack.reject = v; });
  integration_form->addRow(Utf8("除外方法"), reject_);
  kappa_low_ = Decimal(integration, s.kappa_low, 100, 1, [this](double v) { app_.settings.deep_stack.kappa_low = v; });
  kappa_high_ = Decimal(integration, s.kappa_high, 100, 1, [this](double v) { app_.settings.deep_stack.kappa_high = v; });
  auto* kappas = new QHBoxLayout;
  kappas->addWidget(new QLabel(Utf8("下"), integration));
  kappas->addWidget(kappa_low_);
  kappas->addWidget(new QLabel(Utf8("上"), integration));
  kappas->addWidget(kappa_high_);
  integration_form->addRow(Utf8("κ(最小/最大は枚数)"), kappas);
  normalise_ = Choices(integration, {"なし", "加算", "乗算", "加算+スケール"}, s.normalise,
                       [this](int v) { app_.settings.deep_stack.normalise = v; });
  integration_form->addRow(Utf8("正規化"), normalise_);
  weights_ = Choices(integration, {"均等", "ノイズ", "星の数"}, s.weights,
                     [this](int v) { app_.settings.deep_stack.weights = v; });
  integration_form->addRow(Utf8("重み"), weights_);
  memory_ = Whole(integration, s.memory_limit_mb, 16777216, "空きメモリの半分",
                  [this](int v) { app_.settings.deep_stack.memory_limit_mb = v; });
  memory_->setSuffix(" MB");
  integration_form->addRow(Utf8("メモリの上限"), memory_);
  integration_form->addRow(Utf8("作業フォルダー"), PathRow(integration, &s.scratch, nullptr, nullptr));
  integration_form->addRow(Utf8("レポート(CSV)"), PathRow(integration, &s.report, "CSV (*.csv)", &report_));
  maps_ = new QCheckBox(Utf8("除外マップ(下側・上側)も開く"), integration);
  maps_->setChecked(s.open_maps != 0);
  connect(maps_, &QCheckBox::toggled, this, [this](bool on) { app_.settings.deep_stack.open_maps = on; });
  integration_form->addRow(maps_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &DeepStackDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &DeepStackDialog::reject);

  auto* options = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(calibration);
  left->addWidget(registration);
  left->addStretch(1);
  options->addLayout(left);
  options->addWidget(integration);
  auto* main = new QVBoxLayout(this);
  main->addWidget(tabs_, 1);
  main->addLayout(options);
  main->addWidget(buttons);
}

std::vector<std::string>& DeepStackDialog::Files(int which) {
  DeepStackSettings& s = app_.settings.deep_stack;
  switch (which) {
    case kListDarks: return s.darks;
    case kListFlats: return s.flats;
    case kListBiases: return s.biases;
    default: return s.lights;
  }
}

QWidget* DeepStackDialog::ListPage(int which) {
  auto* page = new QWidget(this);
  auto* layout = new QHBoxLayout(page);
  lists_[which] = new QListWidget(page);
  lists_[which]->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lists_[which]->setMinimumWidth(480);
  layout->addWidget(lists_[which], 1);
  auto* buttons = new QVBoxLayout;
  auto* add = new QPushButton(Utf8("追加..."), page);
  auto* remove = new QPushButton(Utf8("削除"), page);
  auto* clear = new QPushButton(Utf8("全削除"), page);
  connect(add, &QPushButton::clicked, this, [this, which] {
    AddFiles(which, QFileDialog::getOpenFileNames(this, "LOAD", QString(),
                                                  QtNameFilters(kOpenImageFilters).join(";;")));
  });
  connect(remove, &QPushButton::clicked, this, [this, which] { RemoveSelected(which); });
  connect(clear, &QPushButton::clicked, this, [this, which] { Clear(which); });
  for (QPushButton* b : {add, remove, clear}) buttons->addWidget(b);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  return page;
}

void DeepStackDialog::ShowFiles(int which) {
  lists_[which]->clear();
  int number = 0;
  for (const std::string& path : Files(which)) {
    lists_[which]->addItem(QString("%1  %2").arg(++number, 3).arg(QString::fromStdString(path)));
  }
  tabs_->setTabText(which, Utf8(kListTitles[which]) + Utf8("フレーム") + QString(" (%1)").arg(number));
}

void DeepStackDialog::AddFiles(int which, const QStringList& paths) {
  for (const QString& p : paths) Files(which).push_back(p.toStdString());
  ShowFiles(which);
}

void DeepStackDialog::RemoveSelected(int which) {
  std::vector<std::string>& files = Files(which);
  for (int row = lists_[which]->count() - 1; row >= 0; --row) {
    if (lists_[which]->item(row)->isSelected()) files.erase(files.begin() + row);
  }
  ShowFiles(which);
}

void DeepStackDialog::Clear(int which) {
  Files(which).clear();
  ShowFiles(which);
}

bool RunDeepStackDialog(QWidget* parent, AppState& app, UiPort& /*ui*/) {
  DeepStackDialog dialog(parent, app);
  return dialog.exec() == QDialog::Accepted;
}

void RunStackWithProgress(const StackWork& work) {
  QProgressDialog progress(Utf8("スタック処理中..."), Utf8("キャンセル"), 0, 1000, QApplication::activeWindow());
  progress.setWindowTitle("Stack");
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setMinimumDuration(0);
  progress.setMinimumWidth(420);
  std::atomic<int> permille{0};
  std::atomic<bool> cancelled{false}, done{false};
  std::mutex text_lock;
  std::string text;
  // The worker only reports; every widget is touched on this thread.
  std::thread worker([&] {
    work([&](double fraction, const std::string& what) {
      permille = static_cast<int>(fraction * 1000);
      {
        std::lock_guard<std::mutex> hold(text_lock);
        text = what;
      }
      return !cancelled.load();
    });
    done = true;
  });
  QEventLoop loop;
  QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
    cancelled = true;
    progress.setLabelText(Utf8("キャンセルしています..."));
  });
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &progress, [&] {
    if (done) {
      loop.quit();
      return;
    }
    progress.setValue(permille);
    if (!cancelled) {
      std::lock_guard<std::mutex> hold(text_lock);
      progress.setLabelText(Utf8("スタック処理中...") + "\n" + QString::fromStdString(text));
    }
  });
  timer.start(100);
  progress.show();
  loop.exec();
  worker.join();
}

TAVO_REGISTER_DIALOG(kCmdDeepStack, RunDeepStackDialog);

// The stack runs under the progress window whenever the Qt front end is in
// the program.
[[maybe_unused]] static const bool kStackRunnerSet = (SetStackRunner(RunStackWithProgress), true);

}  // namespace tavo
