// SPDX-License-Identifier: MIT
// shell/ops/wavelet_op.h - wavelet sharpening (command 316, batch step 8)
// and the logic of its dialog "ウェーブレット変換": five gain rows, each an
// edit and a bar, and the four preset buttons.
#pragma once
#include <string>

#include "core/status.h"
#include "restore/wavelet.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// Dialog rows from the top: "5(L)", "4", "3", "2", "1(H)", i.e. gains 1..5.
constexpr int kWaveletRows = 5;
constexpr int kWaveletGainPage = 10;

// The gains, the filter order and the enlarge flag as set.
WaveletParams WaveletParamsFrom(const WaveletSettings& wavelet);

// Batch step 8: the settings' gains and filter order, never enlarged.
OpStatus RunWaveletStepOn(AppState& app, Image& image);

// Command 316: the in-place protocol with the dialog; when the enlarge flag
// is on and the width or the height is 5000 or more, the error box
// kMsgWaveletTooLarge, the flag switched off in the settings and the
// sharpening at 1x. The work buffers are checked before they are taken: a
// shortage leaves the image and its undo as they were.
void CmdWavelet(AppState& app, UiPort& ui);

// A typed gain (decimal, tenths kept) limited to 0..500.
int WaveletGainFromText(const std::string& text);
// Bar of one gain: line +-1, page +-10, the thumb's position; 0..500.
int WaveletGainAfterScroll(int gain, int action, int thumb_position);
// Preset button 0..3 ("変換無し", "弱", "中", "強"): all six gains.
void ApplyWaveletPreset(WaveletSettings& wavelet, int preset);

}  // namespace tavo
