// SPDX-License-Identifier: MIT
// shell/dialog_scroll.h - the events of a dialog's horizontal scroll bar,
// shared by every dialog whose logic lives in the shell so that one front
// end can include them all.
#pragma once

namespace tavo {

enum ScrollAction {
  kScrollLineLeft,   // left arrow
  kScrollLineRight,  // right arrow
  kScrollPageLeft,   // click left of the thumb
  kScrollPageRight,  // click right of the thumb
  kScrollTrack,      // thumb dragged: the bar position is given
};

}  // namespace tavo
