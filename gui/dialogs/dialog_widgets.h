// SPDX-License-Identifier: MIT
// gui/dialogs/dialog_widgets.h - small pieces the operation dialogs share:
// UTF-8 labels and horizontal scroll bars whose position the shell decides.
#pragma once
#include <QString>
#include <functional>

class QScrollBar;
class QWidget;

namespace tavo {

inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

// The shell's scroll event (shell/dialog_logic.h) for a Qt slider action;
// -1 for actions the dialogs do not use.
int ShellScrollAction(int qt_action);

// A horizontal bar over min..max showing `position`; `page` only sizes
// the thumb. Every arrow, page
// click or drag goes to `step` with the shell's event and the position Qt
// proposes (the thumb's, for a drag); the bar then shows the position
// `step` returns rather than Qt's own.
QScrollBar* NewShellBar(QWidget* parent, int min, int max, int page, int position,
                        std::function<int(int action, int thumb)> step);

}  // namespace tavo
