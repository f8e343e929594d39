// SPDX-License-Identifier: MIT
// shell/messages.h - texts the shell shows, kept in one place.
#pragma once

namespace tavo {

inline constexpr char kMsgNoMemory[] = "メモリ不足で実行できません！";
inline constexpr char kMsgNoSlotToOpen[] = "これ以上、画像を開けません！";
inline constexpr char kMsgNoSlotToMake[] = "これ以上、新たな画像を作れません！";
inline constexpr char kMsgUnsupported[] = "%s : TAVO not support this format !";
inline constexpr char kMsgOverwrite[] = "\"%s\" already exist.\n Do you overwrite file ?";
inline constexpr char kMsgSaveOrNot[] = "Image No.%d(%s) is changed !\nDo you save ?";
inline constexpr char kMsgVersion[] = "TAVO Ver.4.14";
inline constexpr char kMsgBadSize[] = "サイズが不適切です！";

// Read and write failures, each naming the file.
inline constexpr char kMsgCannotOpenFile[] = "%s : ファイルを開けません！";
inline constexpr char kMsgBadFile[] = "%s : ファイルの内容が正しくないため読み込めません！";
inline constexpr char kMsgFileTooLarge[] = "%s : 画像が大きすぎ、メモリ不足で読み込めません！";
inline constexpr char kMsgVariantUnsupported[] = "%s : このデータ形式には対応していません！";
inline constexpr char kMsgSaveFailed[] = "%s : ファイルを保存できませんでした！";
inline constexpr char kMsgNoWriter[] = "%s : この形式では保存できません！\nBMP, JPG, TIF, PPM のいずれかを指定して下さい。";
// A file that ended before its picture did: the path, then the rows missing.
inline constexpr char kMsgFileEndedEarly[] =
    "%s : ファイルが途中で終わっています！\n足りない %d 行は黒で表示されます。";

// Background capture on the image window.
inline constexpr char kMsgPickCentreBackground[] = "画像中央付近の背景を選択して下さい！";
inline constexpr char kMsgPickCornerBackground[] = "画像角付近の背景を選択して下さい！";

// Composites and background corrections that take other images.
inline constexpr char kMsgNoImageChosen[] = "画像が選択されていません！";
inline constexpr char kMsgRgbNotChosen[] = "R,G,B画像が選択されていません！";
inline constexpr char kMsgPickBackgroundPoints[] =
    "画像の背景をできるだけ多く選択して下さい！\n終了したい時は右ボタンを押して下さい。";
inline constexpr char kMsgBackgroundPointsDone[] = "画像の背景選択終了！";

// Settings file commands.
inline constexpr char kMsgResetSettings[] = "全設定を初期化しますが、良いですか？";
inline constexpr char kMsgSaveSettingsInfo[] =
    "全設定を保存します。\n\nTAVOをインストールしたフォルダーに\n\"tavo.tvp\"の名前で保存すると、\n"
    "次回起動時に自動的に読み込まれます！";
inline constexpr char kMsgSettingsNotSaved[] = "Error:設定を保存できませんでした！";
inline constexpr char kMsgSettingsNotLoaded[] = "Error:設定を読み込めませんでした！";
inline constexpr char kSettingsFilters[] = "TAVO設定ファイル(*.tvp)|*.TVP|All|*.*||";

// RAW development and dark frames.
inline constexpr char kMsgDarkNotRaw[] = "このファイルは、RAWではないので設定できません！";
inline constexpr char kMsgDarkListFull[] = "これ以上、ファイルを追加できません！";
inline constexpr char kMsgDarkSizeMismatch[] =
    "%s : ダークフレームと画像のサイズが異なるため、ダーク補正をしませんでした！";
// Dark files that could not be read (one per line), then the number of
// frames the master dark is made of.
inline constexpr char kMsgDarkUnreadable[] =
    "%s\n上記のダークファイルを読み込めませんでした！\nダーク補正に使われるのは %d 枚です。";
// The reading of the dark files was stopped: no master dark is in use.
inline constexpr char kMsgDarkStopped[] = "ダークファイルの読み込みを中止しました。\nダーク補正は行われません。";

// Composites.
inline constexpr char kMsgTooFewImages[] = "画像が２つ以上選択されていません！";
// The inputs whose alignment is doubtful, one line each (the two texts
// below with the input's list text).
inline constexpr char kMsgAlignmentDoubtful[] =
    "位置合わせが不確かな画像があります。\n比較範囲を大きくして、もう一度合成して下さい。\n\n%s";
inline constexpr char kMsgAlignOnEdge[] = "%s : ずれが比較範囲の端にあります";
inline constexpr char kMsgAlignPoorMatch[] = "%s : 基準画像（合成画像1）と一致しません";

// Toolbar: the tooltip of the up/down button, whose halves are no commands
// of the menu.
inline constexpr char kToolTipUpDown[] = "上半分：次の画像　下半分：前の画像";

// Colour change without point A.
inline constexpr char kMsgColorPointHint[] = "Aキーで色を変更する場所を指定してから\nこのメニューを選ぶ事も可能です";

// Wavelet sharpening: enlarging asked for an image of a side of 5000 or more.
inline constexpr char kMsgWaveletTooLarge[] = "サイズが大きすぎ、２倍に拡大できません！\n等倍で処理します。";

// Image file dialogs.
inline constexpr char kOpenImageFilters[] =
    "全ての画像データ|*.BMP;*.TIF;*.TIFF;*.PPM;*.PGM;*.JPG;*.FTS;*.FIT;*.FITS;*.CRW;*.CR2;*.NEF;*.NRW;*.PEF;"
    "*.RAF;*.ORF;*.MRW;*.RAW;*.RW2;*.RWL;*.SRF;*.ARW;*.SR2;*.DNG;*.ERF;*.KDC;*.MEF;*.SRW|*.BMP|*.BMP|"
    "*.TIF|*.TIF;*.TIFF|*.PPM|*.PPM|*.PGM|*.PGM|*.JPG|*.JPG|Fits|*.FTS;*.FIT;*.FITS|Digital camera RAW|*.CRW;"
    "*.CR2;*.NEF;*.NRW;*.PEF;*.RAF;*.ORF;*.MRW;*.RAW;*.RW2;*.RWL;*.SRF;*.ARW;*.SR2;*.DNG;*.ERF;*.KDC;"
    "*.MEF;*.SRW|All|*.*||";
inline constexpr char kSaveImageFilters[] =
    "BMP(24bit)|*.BMP|JPEG(24bit)|*.JPG|TIFF(48bit)|*.TIF|PPM(48bit,bin)|*.PPM|PPM(48bit,ASCII)|*.PPM|"
    "FITS(16bit)|*.FIT;*.FITS;*.FTS|FITS(32bit float)|*.FIT;*.FITS;*.FTS||";

// Batch processing.
inline constexpr char kBatchFilters[] = "TAVOバッチファイル(*.tvb)|*.TVB|All|*.*||";
inline constexpr char kBatchBannerIdle[] = "バッチモード：ファイルをドラッグアンドドロップして下さい！";
inline constexpr char kBatchBannerRunning[] = "＊＊＊　バッチ処理中　＊＊＊";
inline constexpr char kProgressBatchFile[] = "Batch: file %d of %d";  // progress text
inline constexpr char kMsgBatchNotConfigured[] = "バッチ処理の設定が行われていません！";
inline constexpr char kMsgBatchCheckFolder[] = "ファイルを保存するフォルダーを確認下さい！";
inline constexpr char kMsgBatchOpenOneInfo[] =
    "詳細設定は不要です。\nファイルをドラッグアンドドロップすると\n１枚ずつバッチ処理が実行されます。";
inline constexpr char kMsgBatchCompositeInfo[] =
    "複数のファイルをドラッグアンドドロップすると\nそれらを合成してからバッチ処理が実行されます。\n"
    "コンポジットの設定のみ行って下さい。";
inline constexpr char kMsgBatchBackgroundKind[] =
    "バッチモードでは、バックグランド補正は\n乗算補正か引算補正を選択下さい！";
inline constexpr char kMsgBatchSaveCurrent[] =
    "現在の設定は下記の通りです。これでよろしいですか？\n  フォルダー：%s\n  フォーマット：%s";
inline constexpr char kMsgBatchSaveRetry[] =
    "正しく設定できていません。仮のファイル名を入力し、保存ボタンを押して下さい。";
inline constexpr char kMsgBatchSaveMissing[] = "8.ファイル保存の詳細設定を押し、\n保存するフォルダーを設定下さい！";
inline constexpr char kMsgBatchTiming[] = "ファイル数：%d 枚\n処理時間　：%d.%02d 秒";
// Step number (1..8) and the step's list text.
inline constexpr char kMsgBatchStepNotBuilt[] = "%d.%s : この処理はまだバッチ処理で実行できません！";
inline constexpr char kMsgBatchStepFailed[] = "%d.%s : 処理を実行できませんでした！";
// Step number and code.
inline constexpr char kMsgBatchStepInvalid[] = "%d番目の手順にコード %d は使えません！";
inline constexpr char kMsgBatchCompositeInputs[] =
    "読み込めなかったファイルがあるため、画像合成を行いません！";
// Count of files not processed, then their names one per line.
inline constexpr char kMsgBatchFailures[] = "%d 個のファイルを処理できませんでした！\n%s";

// Stacking many exposures. Frames left out are listed one per line, each
// line naming the file.
inline constexpr char kMsgStackNoLights[] = "ライトフレームを指定して下さい！";
inline constexpr char kMsgStackLeftOut[] = "次のフレームは合成に使いませんでした：\n%s";
inline constexpr char kMsgFrameUnreadable[] = "%s : 読み込めませんでした";
inline constexpr char kMsgFrameWrongSize[] = "%s : 基準フレームと画像サイズが異なります";
inline constexpr char kMsgFrameUncalibrated[] = "%s : マスターフレームと画像サイズが異なるため補正できません";
inline constexpr char kMsgFrameUnregistered[] = "%s : 星が合わないため位置合わせできません";
inline constexpr char kMsgFrameFwhm[] = "%s : FWHMが上限を超えています";
inline constexpr char kMsgFrameFewStars[] = "%s : 星の数が下限に足りません";
inline constexpr char kMsgFrameResidual[] = "%s : 位置合わせの残差が上限を超えています";
inline constexpr char kMsgStackReference[] = "基準フレーム %s を使えないため合成できません！";
inline constexpr char kMsgStackNoFrames[] = "合成に使えるライトフレームがありません！";
// The master's kind ("バイアス", "ダーク", "フラット").
inline constexpr char kMsgStackNoMaster[] = "%sフレームが1枚も読めないため、マスターを作れません！";
inline constexpr char kMsgStackScratch[] = "作業フォルダーに書き込めません！";
inline constexpr char kMsgStackMemoryLimit[] = "メモリ上限が小さすぎて合成できません！";

}  // namespace tavo

namespace tavo {

// Help menu.
inline constexpr char kMsgHelpNotShown[] = "%s : ヘルプを表示できませんでした！";
inline constexpr char kMsgExamplesNotShown[] =
    "ファイルを表示できませんでした。\nTAVOをインストールしたフォルダの\"html\\tavo.htm\"をご覧下さい。";

// Point report (command 412).
inline constexpr char kMsgPointReportNoPoints[] = "AキーとBキーで座標を指定してから\nこのメニューを選んで下さい！";
inline constexpr char kPointReportA256[] = "Point A ( %d , %d )\n    R:%d.%01d G:%d.%01d B:%d.%01d";
inline constexpr char kPointReportA[] = "Point A ( %d , %d )\n    R:%d G:%d B:%d";
inline constexpr char kPointReportB256[] = "Point B ( %d , %d )\n    R:%d.%01d G:%d.%01d B:%d.%01d";
inline constexpr char kPointReportB[] = "Point B ( %d , %d )\n    R:%d G:%d B:%d";
// Follows both points' lines: the coordinate differences, then the distance.
inline constexpr char kPointReportDistance[] = "\n\nA - B 座標の差( %d , %d )\n      距離 %d";

// Printing.
inline constexpr char kPrintDocumentName[] = "TAVO(%s)";
inline constexpr char kMsgPrintNoPrinter[] = "プリンターが見つからないため、印刷できません！";
inline constexpr char kMsgPrintCancelled[] = "印刷を取り消しました。";
inline constexpr char kMsgPrintFailed[] = "%s : 印刷できませんでした！";

}  // namespace tavo
