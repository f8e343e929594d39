// SPDX-License-Identifier: MIT
#include "shell/ui_port.h"

namespace tavo {

const char* BoxCaption(int box_kind) {
  switch (box_kind) {
    case kBoxError: return "Error !";
    case kBoxCaution: return "Caution !";
    case kBoxSaveOrNot: return "Save or not !";
    case kBoxAbout: return "About TAVO !";
    default: return "Message !";
  }
}

}  // namespace tavo
