// SPDX-License-Identifier: MIT
#include "shell/ops/wavelet_op.h"

#include <algorithm>

#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/protocol.h"

namespace tavo {
namespace {

OpStatus RunWaveletOn(AppState& app, Image& image) {
  WaveletParams p = WaveletParamsFrom(app.settings.wavelet);
  p.progress = app.progress;
  return ApplyWavelet(image, p);
}

}  // namespace

WaveletParams WaveletParamsFrom(const WaveletSettings& wavelet) {
  WaveletParams p;
  std::copy(wavelet.gains, wavelet.gains + 6, p.gains);
  p.filter_order = wavelet.order;
  p.enlarge = wavelet.enlarge;
  return p;
}

OpStatus RunWaveletStepOn(AppState& app, Image& image) {
  WaveletParams p = WaveletParamsFrom(app.settings.wavelet);
  p.enlarge = 0;
  return ApplyWavelet(image, p);
}

void CmdWavelet(AppState& app, UiPort& ui) {
  const Image* image = CurrentImage(app);
  if (image == nullptr) return;
  if (!HeadroomCheck(app.slots, app.slots.current)) {
    ui.ShowMessage(kBoxError, kMsgNoMemory);
    return;
  }
  if (!EditSettings(app, ui, kCmdWavelet)) return;
  WaveletSettings& wavelet = app.settings.wavelet;
  if (wavelet.enlarge == 1 && (image->width >= kWaveletEnlargeLimit || image->height >= kWaveletEnlargeLimit)) {
    ui.ShowMessage(kBoxError, kMsgWaveletTooLarge);
    wavelet.enlarge = 0;
  }
  RunInPlaceConfirmed(app, ui, RunWaveletOn);
}

int WaveletGainFromText(const std::string& text) { return TenthsFromText(text, 0, kWaveletGainMax); }

int WaveletGainAfterScroll(int gain, int action, int thumb_position) {
  return ScrollStep(gain, action, thumb_position, 0, kWaveletGainMax, kWaveletGainPage);
}

void ApplyWaveletPreset(WaveletSettings& wavelet, int preset) {
  if (preset < 0 || preset >= kWaveletPresetCount) return;
  std::copy(kWaveletPresets[preset], kWaveletPresets[preset] + 6, wavelet.gains);
}

}  // namespace tavo
