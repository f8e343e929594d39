// SPDX-License-Identifier: MIT
#include "shell/operation_table.h"

#include <cstring>

#include "batch/batch_sequence.h"
#include "shell/batch_run.h"
#include "shell/command_handlers.h"
#include "shell/command_ids.h"
#include "shell/measure.h"
#include "shell/ops/background_image_op.h"
#include "shell/ops/background_make_op.h"
#include "shell/ops/background_points_op.h"
#include "shell/ops/background_quad_op.h"
#include "shell/ops/black_white_op.h"
#include "shell/ops/color_change_op.h"
#include "shell/ops/composite_op.h"
#include "shell/ops/composite_points_op.h"
#include "shell/ops/deblur_op.h"
#include "shell/ops/deep_stack_op.h"
#include "shell/ops/distortion_op.h"
#include "shell/ops/edge_op.h"
#include "shell/ops/gamma_op.h"
#include "shell/ops/level_op.h"
#include "shell/ops/line_split_op.h"
#include "shell/ops/noise_op.h"
#include "shell/ops/resize_op.h"
#include "shell/ops/rotate_op.h"
#include "shell/ops/saturation_hue_op.h"
#include "shell/ops/sharp_op.h"
#include "shell/ops/tone_correction_op.h"
#include "shell/ops/wavelet_op.h"
#include "shell/print.h"
#include "shell/protocol.h"

namespace tavo {

const std::vector<const char*>& MenuTitles() {
  static const std::vector<const char*> titles = {
      "ファイル(&F)", "編集(&E)", "画像合成(&C)", "バックグランド(&B)", "フィルター(&I)",
      "色調(&T)",     "表示(&V)", "バッチ(&A)",   "ヘルプ(&H)"};
  return titles;
}

namespace {

constexpr const char* kQuadSubmenu = "バックグランド補正(擬似関数)";

// A command of its own flow, without toolbar button or batch step.
Operation Command(int id, const char* text, int menu, bool separator, CommandHandler handler,
                  bool dialog = false) {
  return {id, text, menu, separator, nullptr, handler, nullptr, dialog, -1, nullptr, 0, nullptr, ""};
}

Operation WithButton(Operation op, int button, const char* bitmap) {
  op.toolbar = button;
  op.bitmap = bitmap;
  return op;
}

Operation Reporting(Operation op) {
  op.reports_progress = true;
  return op;
}

}  // namespace

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> table = {
      Reporting(WithButton(Command(kCmdOpen, "開く(&O)", kMenuFile, false, CmdOpen), 0, "LOAD")),  // RAW files
      WithButton(Command(kCmdSave, "保存(BMP,JPG,TIF,PPM)(&S)", kMenuFile, false, CmdSave), 1, "SAVE"),
      Command(kCmdClose, "閉じる(&C)", kMenuFile, false, CmdClose),
      Command(kCmdCloseAll, "全画像を閉じる", kMenuFile, false, CmdCloseAll),
      WithButton(Command(kCmdPrint, "印刷(&P)", kMenuFile, true, CmdPrint), 2, "PRINTER"),
      Reporting(Command(kCmdDarkFiles, "ダークファイル設定(&B)", kMenuFile, true, CmdDarkFiles, true)),
      Command(kCmdRawSettings, "RAW現像設定(&R)", kMenuFile, false, CmdRawSettings, true),
      Command(kCmdResetSettings, "全設定の初期化", kMenuFile, true, CmdResetSettings),
      Command(kCmdSaveSettings, "全設定の保存", kMenuFile, false, CmdSaveSettings),
      Command(kCmdLoadSettings, "全設定の読み込み", kMenuFile, false, CmdLoadSettings),
      Command(kCmdExit, "終了(&X)", kMenuFile, true, CmdExit),

      WithButton(Command(kCmdUndo, "アンドゥ(&U)", kMenuEdit, false, CmdUndo), 4, "UNDO"),
      WithButton(Command(kCmdRedo, "リドゥ(&R)", kMenuEdit, false, CmdRedo), 5, "REDO"),
      Command(kCmdCopy, "コピー(&C)", kMenuEdit, true, CmdCopy),
      Command(kCmdAreaCopy, "領域コピー(&A)", kMenuEdit, false, CmdAreaCopy),
      {kCmdCropResize, "切り出しとサイズ変更", kMenuEdit, false, nullptr, CmdCropResize, nullptr, true, -1, nullptr,
       kStepCrop, StepCropResize, "cut"},

      Reporting({kCmdCompositeAuto, "画像合成-自動(&A)", kMenuComposite, false, nullptr, CmdCompositeAuto, nullptr, true,
                 11, "COMP", kStepOpenComposite, StepOpenComposite, "composite composite-inputs composite-weights"}),
      {kCmdCompositePoints, "画像合成－ポイント指定(&P)", kMenuComposite, false, nullptr, CmdCompositePoints, nullptr,
       true, -1, nullptr, 0, nullptr, "composite composite-inputs composite-weights composite-points"},
      {kCmdLrgb, "L+RGB画像合成(&L)", kMenuComposite, true, nullptr, CmdLrgb, nullptr, true, -1, nullptr, 0, nullptr,
       "lrgb-inputs composite-points"},
      {kCmdLrgbSeparate, "L+R+G+B画像合成", kMenuComposite, false, nullptr, CmdLrgbSeparate, nullptr, true, -1,
       nullptr, 0, nullptr, "lrgbcomp-inputs composite-weights composite-points"},
      Command(kCmdDeepStack, "多数枚スタック(補正・位置合わせ・除外)(&M)", kMenuComposite, true, CmdDeepStack, true),

      {kCmdBackgroundQuad, "補正実行(&B)", kMenuBackground, false, kQuadSubmenu, CmdBackgroundQuad, nullptr, true,
       -1, nullptr, 0, nullptr, "back2 back2-extra"},
      {kCmdCaptureCentre, "中央背景取り込み", kMenuBackground, false, kQuadSubmenu, CmdCaptureCentre, nullptr,
       false, -1, nullptr, 0, nullptr, ""},
      {kCmdCaptureCorner, "周辺背景取り込み", kMenuBackground, false, kQuadSubmenu, CmdCaptureCorner, nullptr,
       false, -1, nullptr, 0, nullptr, ""},
      {kCmdBackgroundImage, "バックグランド補正（画像データ）(&G)", kMenuBackground, true, nullptr, CmdBackgroundImage,
       nullptr, true, -1, nullptr, 0, nullptr, "back1"},
      {kCmdBackgroundPoints, "バックグランド補正(ポイント指定)", kMenuBackground, false, nullptr, CmdBackgroundPoints,
       nullptr, true, -1, nullptr, 0, nullptr, "back1"},
      Reporting({kCmdBackgroundMake, "バックグランドデータ生成", kMenuBackground, true, nullptr, CmdBackgroundMake, nullptr,
                 true, -1, nullptr, kStepBackground, StepBackgroundMake, "back3 VER264"}),

      {kCmdSharpSmooth, "シャープ/スムーズ(&S)", kMenuFilter, false, nullptr, nullptr, RunSharpOn, true, 7, "SANDS",
       kStepSharp, nullptr, "sharp sharp-channels"},
      {kCmdEdge, "エッジ強調(&E)", kMenuFilter, false, nullptr, nullptr, RunEdgeOn, true, 8, "EDGE", kStepEdge,
       nullptr, "edge edgearea edge-channels"},
      Reporting({kCmdWavelet, "ウェーブレット(&W)", kMenuFilter, false, nullptr, CmdWavelet, RunWaveletStepOn, true, -1,
                 nullptr, kStepWavelet, nullptr, "wavelet filter"}),
      Reporting({kCmdDeblur, "ボケ補正", kMenuFilter, false, nullptr, nullptr, RunDeblurOn, true, -1, nullptr,
                 kStepDeblur, nullptr, "restore"}),
      {kCmdNoise, "ノイズ除去(&N)", kMenuFilter, false, nullptr, CmdNoise, RunNoiseOn, true, -1, nullptr, kStepNoise,
       nullptr, "noise"},
      {kCmdResize, "サイズ変更(&R)", kMenuFilter, true, nullptr, CmdResize, nullptr, true, 9, "SIZE", 0, nullptr,
       "resize resize-size"},
      {kCmdRotate, "回転(&T)", kMenuFilter, false, nullptr, nullptr, RunRotateOn, true, 10, "ROUND", kStepRotate,
       nullptr, "round"},
      {kCmdDistortion, "歪曲収差補正(&Y)", kMenuFilter, false, nullptr, nullptr, RunDistortionOn, true, -1, nullptr,
       kStepDistortion, nullptr, "waikyoku"},
      Command(kCmdLineSplit, "奇数／偶数ライン分離(&E)", kMenuFilter, true, CmdLineSplit),

      {kCmdGamma, "ガンマ補正(&G)", kMenuTone, false, nullptr, nullptr, RunGammaOn, true, 12, "GAMMA", kStepGamma,
       nullptr, "gamma gamma-table"},
      {kCmdLevel, "レベル補正(&L)", kMenuTone, false, nullptr, nullptr, RunLevelOn, true, -1, nullptr, kStepLevel,
       nullptr, "lvl"},
      {kCmdToneCorrection, "階調補正(&K)", kMenuTone, false, nullptr, nullptr, RunToneCorrectionOn, true, -1, nullptr,
       0, nullptr, "level"},
      {kCmdBlackWhite, "白黒化(&W)", kMenuTone, true, nullptr, nullptr, RunBlackWhiteOn, true, 13, "BW", 0, nullptr,
       "gray"},
      {kCmdSaturationHue, "彩度／色相調整(&U)", kMenuTone, false, nullptr, nullptr, RunSaturationHueOn, true, -1,
       nullptr, kStepColor, nullptr, "color"},
      {kCmdColorRgb, "色変更(RGB)", kMenuTone, true, nullptr, CmdColorRgb, nullptr, true, -1, nullptr, 0, nullptr,
       "color-rgb"},
      {kCmdColorHsv, "色変更(HSV)", kMenuTone, false, nullptr, CmdColorHsv, nullptr, true, -1, nullptr, 0, nullptr,
       "color-hsv"},

      Command(kCmdZoomIn, "拡大表示(&I)", kMenuView, false, CmdZoomIn),
      Command(kCmdZoomOut, "縮小表示(&O)", kMenuView, false, CmdZoomOut),
      Command(kCmdZoomFit, "ウィンドウに合わせる(&W)", kMenuView, false, CmdZoomFit),
      WithButton(Command(kCmdHistogram, "ヒストグラム(&H)", kMenuView, true, CmdHistogram), 14, "HIST"),
      Command(kCmdProfile, "断面濃度", kMenuView, false, CmdProfile),
      Command(kCmdPointReport, "ポイント座標(&X)", kMenuView, false, CmdPointReport),
      WithButton(Command(kCmdImageSelect, "画像選択(&S)", kMenuView, true, CmdImageSelect, true), 15, "SELECT"),
      Command(kCmdDisplayMode, "表示モード設定", kMenuView, false, CmdDisplayMode, true),

      Command(kCmdBatchSettings, "設定", kMenuBatch, false, CmdBatchSettings, true),
      Command(kCmdBatchOpen, "バッチファイル開く", kMenuBatch, true, CmdBatchOpen),
      Command(kCmdBatchSave, "バッチファイル保存", kMenuBatch, false, CmdBatchSave),
      Command(kCmdBatchStart, "バッチ開始", kMenuBatch, true, CmdBatchStart),
      Command(kCmdBatchStop, "バッチ停止", kMenuBatch, false, CmdBatchStop),

      Command(kCmdHelp, "ヘルプ(&H)", kMenuHelp, false, CmdHelp),
      Command(kCmdExamples, "画像処理例", kMenuHelp, false, CmdExamples),
      Command(kCmdVersion, "バージョン(&A)", kMenuHelp, true, CmdVersion),
  };
  return table;
}

const Operation* FindOperation(int id) {
  for (const Operation& op : Operations()) {
    if (op.id == id) return &op;
  }
  return nullptr;
}

const Operation* OperationForStep(int step_code) {
  if (step_code <= 0) return nullptr;
  for (const Operation& op : Operations()) {
    if (op.batch_step == step_code) return &op;
  }
  return nullptr;
}

bool OperationBuilt(const Operation& op) { return op.command != nullptr || op.in_place != nullptr; }

CommandResult RunCommand(AppState& app, UiPort& ui, int id) {
  const Operation* op = FindOperation(id);
  if (op == nullptr) return kCommandUnknown;
  if (!OperationBuilt(*op)) return kCommandNotBuilt;
  const auto run = [&app, op](UiPort& port) {
    if (op->command != nullptr) {
      op->command(app, port);
    } else {
      RunInPlace(app, port, op->dialog ? op->id : 0, op->in_place);
    }
  };
  if (op->reports_progress) {
    ui.RunWork(run);
  } else {
    run(ui);
  }
  return kCommandRan;
}

}  // namespace tavo
