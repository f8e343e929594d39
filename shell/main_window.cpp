// SPDX-License-Identifier: MIT
#include "shell/main_window.h"

#include <algorithm>

#include "shell/command_ids.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/view.h"

namespace tavo {
namespace {

// The operation behind a button; null for the blank ones and up/down.
const Operation* ButtonOperation(int button) {
  for (const Operation& op : Operations()) {
    if (op.toolbar == button) return &op;
  }
  return nullptr;
}

void MarkPoint(AppState& app, UiPort& ui, bool point_a) {
  Image* image = CurrentImage(app);
  if (image == nullptr || !app.mouse_seen) return;
  int x = 0, row = 0;
  ScreenToImage(*image, app.mouse_x, app.mouse_y, &x, &row);
  if (point_a) {
    image->point_a_x = x;
    image->point_a_y = row;
  } else {
    image->point_b_x = x;
    image->point_b_y = row;
  }
  ui.Repaint();
}

}  // namespace

int ToolbarButtonAt(const AppState& app, int x, int y) {
  if (app.batch_mode == 1 || app.batch_mode == 2) return -1;
  if (y < 0 || y > kToolbarHeight || x < 0) return -1;
  const int k = x / kToolbarButtonSize;
  return k < kToolbarButtons ? k : -1;
}

int ToolbarCommand(int button, int y) {
  if (button < 0 || button >= kToolbarButtons) return 0;
  if (button == kUpDownButton) return y < kToolbarHeight / 2 ? kToolNextImage : kToolPreviousImage;
  const Operation* op = ButtonOperation(button);
  return op != nullptr ? op->id : 0;
}

const char* ToolbarBitmap(const AppState& app, int button) {
  if (button < 0 || button >= kToolbarButtons) return "BLACK";
  const int c = app.slots.current;
  const Image* image = c >= 0 && c < kSlotCount && !app.slots[c].Empty() ? &app.slots[c] : nullptr;
  if (button == kUpDownButton) return "UPDOWN";
  const Operation* op = ButtonOperation(button);
  if (op == nullptr) return "BLACK";
  if (op->id == kCmdUndo) return image != nullptr && image->undo_available == 1 ? "UNDO" : "BLACK";
  if (op->id == kCmdRedo) return image != nullptr && image->redo_available == 1 ? "REDO" : "BLACK";
  return op->bitmap;
}

bool ToolbarButtonEnabled(const AppState& app, int button) {
  if (ToolbarButtonAt(app, button * kToolbarButtonSize, 0) != button) return false;
  const int c = app.slots.current;
  const Image* image = c >= 0 && c < kSlotCount && !app.slots[c].Empty() ? &app.slots[c] : nullptr;
  if (button == kUpDownButton) return image != nullptr;
  const Operation* op = ButtonOperation(button);
  if (op == nullptr || !OperationBuilt(*op)) return false;
  if (op->id == kCmdOpen) return true;
  if (image == nullptr) return false;
  if (op->id == kCmdUndo) return image->undo_available == 1;
  if (op->id == kCmdRedo) return image->redo_available == 1;
  return true;
}

std::string PlainMenuText(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    if (p[0] == '(' && p[1] == '&' && p[2] != '\0' && p[3] == ')') {
      p += 3;
      continue;
    }
    if (*p != '&') out += *p;
  }
  return out;
}

std::string ToolbarTooltip(int button) {
  if (button == kUpDownButton) return kToolTipUpDown;
  const Operation* op = ButtonOperation(button);
  return op != nullptr ? PlainMenuText(op->text) : "";
}

std::string ToolbarBanner(const AppState& app) {
  return app.batch_mode == 1 || app.batch_mode == 2 ? kBatchModeBanner : "";
}

void RunToolCommand(AppState& app, UiPort& ui, int id) {
  switch (id) {
    case 0: break;
    case kToolNextImage: SelectNextImage(app, ui); break;
    case kToolPreviousImage: SelectPreviousImage(app, ui); break;
    default: RunCommand(app, ui, id); break;
  }
}

void ToolbarPress(AppState& app, UiPort& ui, int x, int y) {
  const int k = ToolbarButtonAt(app, x, y);
  if (k < 0 || !ToolbarButtonEnabled(app, k)) return;
  app.toolbar_state[k] = 1;
  ui.Repaint();
}

void ToolbarRelease(AppState& app, UiPort& ui, int x, int y) {
  int pressed = -1;
  for (int k = 0; k < kToolbarButtons; ++k) {
    if (app.toolbar_state[k] == 1) pressed = k;
    app.toolbar_state[k] = 0;
  }
  if (pressed < 0) return;
  ui.Repaint();
  if (ToolbarButtonAt(app, x, y) != pressed) return;
  RunToolCommand(app, ui, ToolbarCommand(pressed, y));
}

void ToolbarClick(AppState& app, UiPort& ui, int x, int y) {
  ToolbarPress(app, ui, x, y);
  ToolbarRelease(app, ui, x, y);
}

bool HandleKey(AppState& app, UiPort& ui, int key) {
  switch (key) {
    case 'A': MarkPoint(app, ui, true); return true;
    case 'B': MarkPoint(app, ui, false); return true;
    case 'C': {
      Image* image = CurrentImage(app);
      if (image != nullptr) {
        image->point_a_x = image->point_a_y = image->point_b_x = image->point_b_y = -1;
        ui.Repaint();
      }
      return true;
    }
    case kKeyUp:
    case '8': SelectNextImage(app, ui); return true;
    case kKeyDown:
    case '2': SelectPreviousImage(app, ui); return true;
    case kKeyInsert: RunCommand(app, ui, kCmdCopy); return true;
    case 'O': RunCommand(app, ui, kCmdOpen); return true;
    case 'S': RunCommand(app, ui, kCmdSave); return true;
    default: return false;
  }
}

void ResizeClient(AppState& app, int width, int height) {
  app.client_width = std::max(width, 0);
  app.client_height = std::max(height, 0);
  Image* image = CurrentImage(app);
  if (image != nullptr) ClampScroll(*image, app.client_width, app.client_height);
}

void ResizeImageArea(AppState& app, int width, int height) {
  ResizeClient(app, std::max(width, 0) + kViewMarginX, std::max(height, 0) + kViewMarginY);
}

std::vector<std::string> NamesFromArguments(const std::vector<std::string>& args) {
  std::vector<std::string> names;
  for (const std::string& arg : args) {
    if (arg.find('"') != std::string::npos) {
      for (const std::string& name : SplitCommandLine(arg)) names.push_back(name);
    } else if (!arg.empty()) {
      names.push_back(arg);
    }
  }
  return names;
}

}  // namespace tavo
