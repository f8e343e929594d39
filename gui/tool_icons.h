// SPDX-License-Identifier: MIT
// gui/tool_icons.h - the toolbar pictures, drawn rather than loaded.
#pragma once
#include <QIcon>
#include <QPixmap>

namespace tavo {

// 24 x 24 picture for a toolbar bitmap name ("LOAD", "SAVE", ..., "BLACK"
// for the blank ones); `pressed` inverts it; `disabled` greys it out.
QPixmap ToolIcon(const char* name, bool pressed, bool disabled = false);

// The window icon.
QIcon AppIcon();

}  // namespace tavo
