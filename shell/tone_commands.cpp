// SPDX-License-Identifier: MIT
// Tone and colour commands.
#include "batch/op_params.h"
#include "engine/operations.h"
#include "shell/command_handlers.h"
#include "shell/protocol.h"

namespace tavo {

void CmdGamma(AppState& app, UiPort& ui) {
  RunInPlace(app, ui, 311,
             [](AppState& state, Image& image) { RunGammaWith(state.slots, image, state.settings.gamma); });
}

}  // namespace tavo
