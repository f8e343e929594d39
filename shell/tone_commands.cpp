// SPDX-License-Identifier: MIT
// Tone and colour commands.
#include "batch/op_params.h"
#include "engine/operations.h"
#include "shell/command_handlers.h"
#include "shell/protocol.h"

namespace tavo {

void CmdGamma(AppState& app, UiPort& ui) {
  RunInPlace(app, ui, 311, [](AppState& state, Image& image) {
    ParamBlock params;
    FillGammaParams(state.settings.gamma, params);
    RunOperation(state.slots, image, kOpGamma, params);
    // Per-channel curves turn a black-and-white image into a colour one.
    if (params[9] == 1) image.monochrome = 0;
  });
}

}  // namespace tavo
