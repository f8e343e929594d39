// SPDX-License-Identifier: MIT
// One case per dialog: the command id and the function in gui/dialogs/ that
// shows it.
#include "gui/dialog_registry.h"

#include <cstdio>

#include "gui/dialogs/background_dialog.h"
#include "gui/dialogs/batch_dialog.h"
#include "gui/dialogs/composite_dialog.h"
#include "gui/dialogs/dark_dialog.h"
#include "gui/dialogs/display_dialog.h"
#include "gui/dialogs/gamma_dialog.h"
#include "gui/dialogs/image_select_dialog.h"
#include "gui/dialogs/raw_dialog.h"

namespace tavo {

bool RunDialog(int dialog_id, QWidget* parent, AppState& app, UiPort& ui) {
  switch (dialog_id) {
    case 131: return RunDarkDialog(parent, app, ui);
    case 132: return RunRawDialog(parent, app);
    case 302: return RunCompositeDialog(parent, app);
    case 306: return RunBackgroundDialog(parent, app);
    case 311: return RunGammaDialog(parent, app);
    case 421: return RunImageSelectDialog(parent, app);
    case 422: return RunDisplayDialog(parent, app);
    case 801: return RunBatchDialog(parent, app, ui);
    default:
      // A command whose dialog is not registered runs with the settings as
      // they stand, as the command-line tool does.
      std::fprintf(stderr, "tavo: no dialog for %d; using the current settings\n", dialog_id);
      return true;
  }
}

}  // namespace tavo
