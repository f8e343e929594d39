// SPDX-License-Identifier: MIT
// shell/raw_ui.h - the shell side of RAW development: opening a RAW file
// into a slot, and the logic of the two dialogs ("Dark file Select",
// command 131, and "RAW現像設定", command 132) so that a front end only
// draws controls and forwards their events here.
#pragma once
#include <string>
#include <vector>

#include "core/progress.h"
#include "io/image_file.h"
#include "shell/dialog_logic.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Develops `path` into `image` with the current RAW settings and the
// master dark. On failure the image is left with width -1 (the caller
// clears the slot) and the status names the reason. `dark_skipped` is set
// when a master dark exists but could not be applied for its size.
// `progress` (may be null) hears of the stages and may stop the development
// (kReadCancelled).
ReadStatus DevelopRawFile(AppState& app, const std::string& path, Image& image, bool* dark_skipped,
                          Progress* progress = nullptr);

// ---- "Dark file Select" (command 131) -------------------------------------

inline constexpr char kDarkDialogTitle[] = "Dark file Select";
inline constexpr char kDarkModeCaption[] = "欠陥画素（ダークの方が値が大）の処理";
inline constexpr char kDarkThresholdCaption[] = "欠陥画素判定レベル";
inline constexpr const char* kDarkModeLabels[3] = {"元のまま(引かない)", "0にする", "周辺画素平均"};
inline constexpr char kDarkAddButton[] = "追加";
inline constexpr char kDarkDeleteButton[] = "削除";

// The scroll bar runs 0..64; the threshold is its position x 16.
constexpr int kDarkThresholdThumbMax = 64;

enum DarkAddResult { kDarkAdded, kDarkNotRaw, kDarkListFull };

// Stores `path` in the first empty position. Refused (list unchanged) when
// its name does not mark a camera RAW file or all four positions are taken.
int DarkListAdd(std::string paths[4], const std::string& path);
// Empties position `index` (0..3) and moves the later entries up; other
// indices change nothing.
void DarkListDelete(std::string paths[4], int index);
int DarkListCount(const std::string paths[4]);
// "%d %s" with the 1-based position, for every non-empty position.
std::vector<std::string> DarkListLines(const std::string paths[4]);
// The message for a refused add, or null.
const char* DarkAddMessage(int result);

// Threshold after a scroll event: lines move 16, pages 64, tracking sets
// position x 16; the result stays within 0..1024.
int DarkThresholdAfterScroll(int threshold, int action, int thumb_position);
int DarkThresholdThumb(int threshold);

// The open-file request of "追加": pattern "*.CRW", the name field holding
// the last used name with its extension replaced by ".CRW".
FileDialogRequest DarkAddFileRequest(const std::string& last_path);
// "追加" as a whole: asks for the file, adds it, reports a refusal.
void DarkDialogAdd(AppState& app, UiPort& ui);

// What confirming the dialog does: with files listed each position is
// loaded in turn (an empty one released) and the master dark rebuilt; with
// none the frames are released and the master removed. False when the
// master's memory was not there. `unreadable` (may be null) receives the
// listed files that could not be loaded, in list order. Each file is
// reported to `progress` before it is read; a stop there releases every
// frame, so RAW files are developed without a dark rather than with a
// master made from part of the list.
inline constexpr char kProgressDarkFrames[] = "Reading dark frames";
bool RebuildDarkSet(AppState& app, std::vector<std::string>* unreadable = nullptr, Progress* progress = nullptr);

// ---- "RAW現像設定" (command 132) --------------------------------------------

inline constexpr char kRawDialogTitle[] = "RAW現像設定";
inline constexpr char kRawDefaultsButton[] = "初期設定";
inline constexpr const char* kRawPathLabels[2] = {"TAVO現像(高速)", "LibRaw現像(低速)"};
inline constexpr const char* kRawRadiusLabels[2] = {"半径1画素", "半径2画素"};
inline constexpr char kRawGammaCaption[] = "ガンマ補正";

enum RawControl {
  kRawGammaR, kRawGammaG, kRawGammaB,
  kRawBlackR, kRawBlackG, kRawBlackB,
  kRawWhiteR, kRawWhiteG, kRawWhiteB,
  kRawSharpness, kRawFalseColour, kRawSaturation, kRawHue, kRawQuality,
  kRawControlCount,
};

struct RawSliderInfo {
  const char* label_low;   // text at the slider's left end
  const char* label_high;  // text at its right end
  int min;
  int max;
};

const RawSliderInfo& RawSlider(int control);
// Slider position for the settings' value: gamma x 10, white level - 128,
// the value itself for the others.
int RawSliderPosition(const RawDevelopSettings& settings, int control);
// Stores a position (clamped to the slider's range) back into the settings.
void SetRawSliderPosition(RawDevelopSettings& settings, int control, int position);
// Arrows and page clicks move one position; tracking sets it.
void ScrollRawSlider(RawDevelopSettings& settings, int control, int action, int thumb_position);
// The read-only edit beside the slider: "%.1f" gamma, "%.1f" of black x
// 0.5, the white level, the hue shift with its sign, the value otherwise.
std::string RawSliderText(const RawDevelopSettings& settings, int control);

// Cancel: every value back to what the dialog showed when it opened,
// except the development path, which keeps the last radio button chosen.
void RawDialogCancel(RawDevelopSettings& settings, const RawDevelopSettings& at_open);

}  // namespace tavo
