// SPDX-License-Identifier: MIT
#include "shell/commands.h"

#include "shell/command_handlers.h"

namespace tavo {

namespace {
enum Menu { kFile, kEdit, kComposite, kBackground, kFilter, kTone, kView, kBatch, kHelp };
}

const std::vector<const char*>& MenuTitles() {
  static const std::vector<const char*> titles = {
      "ファイル(&F)", "編集(&E)", "画像合成(&C)", "バックグランド(&B)", "フィルター(&I)",
      "色調(&T)",     "表示(&V)", "バッチ(&A)",   "ヘルプ(&H)"};
  return titles;
}

const std::vector<CommandInfo>& CommandTable() {
  static const std::vector<CommandInfo> table = {
      {101, "開く(&O)", kFile, false, CmdOpen},
      {102, "保存(BMP,JPG,TIF,PPM)(&S)", kFile, false, CmdSave},
      {104, "閉じる(&C)", kFile, false, CmdClose},
      {105, "全画像を閉じる", kFile, false, CmdCloseAll},
      {111, "印刷(&P)", kFile, true, nullptr},
      {131, "ダークファイル設定(&B)", kFile, true, CmdDarkFiles},
      {132, "RAW現像設定(&R)", kFile, false, CmdRawSettings},
      {133, "全設定の初期化", kFile, true, CmdResetSettings},
      {134, "全設定の保存", kFile, false, CmdSaveSettings},
      {135, "全設定の読み込み", kFile, false, CmdLoadSettings},
      {121, "終了(&X)", kFile, true, CmdExit},
      {201, "アンドゥ(&U)", kEdit, false, CmdUndo},
      {202, "リドゥ(&R)", kEdit, false, CmdRedo},
      {211, "コピー(&C)", kEdit, true, CmdCopy},
      {212, "領域コピー(&A)", kEdit, false, CmdAreaCopy},
      {213, "切り出しとサイズ変更", kEdit, false, nullptr},
      {302, "画像合成-自動(&A)", kComposite, false, CmdCompositeAuto},
      {308, "画像合成－ポイント指定(&P)", kComposite, false, nullptr},
      {313, "L+RGB画像合成(&L)", kComposite, true, nullptr},
      {360, "L+R+G+B画像合成", kComposite, false, nullptr},
      {306, "補正実行(&B)", kBackground, false, CmdBackgroundQuad},
      {3061, "中央背景取り込み", kBackground, false, CmdCaptureCentre},
      {3062, "周辺背景取り込み", kBackground, false, CmdCaptureCorner},
      {307, "バックグランド補正（画像データ）(&G)", kBackground, true, nullptr},
      {309, "バックグランド補正(ポイント指定)", kBackground, false, nullptr},
      {3071, "バックグランドデータ生成", kBackground, true, nullptr},
      {301, "シャープ/スムーズ(&S)", kFilter, false, nullptr},
      {303, "エッジ強調(&E)", kFilter, false, nullptr},
      {316, "ウェーブレット(&W)", kFilter, false, nullptr},
      {317, "ボケ補正", kFilter, false, nullptr},
      {777, "ノイズ除去(&N)", kFilter, false, nullptr},
      {304, "サイズ変更(&R)", kFilter, true, nullptr},
      {305, "回転(&T)", kFilter, false, nullptr},
      {330, "歪曲収差補正(&Y)", kFilter, false, nullptr},
      {320, "奇数／偶数ライン分離(&E)", kFilter, true, nullptr},
      {311, "ガンマ補正(&G)", kTone, false, CmdGamma},
      {318, "レベル補正(&L)", kTone, false, nullptr},
      {315, "階調補正(&K)", kTone, false, nullptr},
      {312, "白黒化(&W)", kTone, true, nullptr},
      {314, "彩度／色相調整(&U)", kTone, false, nullptr},
      {331, "色変更(RGB)", kTone, true, nullptr},
      {332, "色変更(HSV)", kTone, false, nullptr},
      {401, "拡大表示(&I)", kView, false, CmdZoomIn},
      {402, "縮小表示(&O)", kView, false, CmdZoomOut},
      {411, "ヒストグラム(&H)", kView, true, nullptr},
      {413, "断面濃度", kView, false, nullptr},
      {412, "ポイント座標(&X)", kView, false, nullptr},
      {421, "画像選択(&S)", kView, true, CmdImageSelect},
      {422, "表示モード設定", kView, false, CmdDisplayMode},
      {801, "設定", kBatch, false, CmdBatchSettings},
      {808, "バッチファイル開く", kBatch, true, CmdBatchOpen},
      {809, "バッチファイル保存", kBatch, false, CmdBatchSave},
      {802, "バッチ開始", kBatch, true, CmdBatchStart},
      {803, "バッチ停止", kBatch, false, CmdBatchStop},
      {501, "ヘルプ(&H)", kHelp, false, CmdHelp},
      {503, "画像処理例", kHelp, false, CmdExamples},
      {502, "バージョン(&A)", kHelp, true, CmdVersion},
  };
  return table;
}

const CommandInfo* FindCommand(int id) {
  for (const CommandInfo& info : CommandTable()) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

const char* SubmenuOf(int id) {
  switch (id) {
    case 306:
    case 3061:
    case 3062: return "バックグランド補正(擬似関数)";
    default: return nullptr;
  }
}

CommandResult RunCommand(AppState& app, UiPort& ui, int id) {
  const CommandInfo* info = FindCommand(id);
  if (info == nullptr) return kCommandUnknown;
  if (info->handler == nullptr) return kCommandNotBuilt;
  info->handler(app, ui);
  return kCommandRan;
}

}  // namespace tavo
