// SPDX-License-Identifier: MIT
// core/status.h - what an operation reports to its caller. Algorithms never
// show messages; the shell turns a status into the message the user sees.
#pragma once

namespace tavo {

enum OpStatus {
  kOpMade = 0,        // the image was changed or made
  kOpNothingToDo,     // nothing to work on (empty image, no channel chosen)
  kOpTooFewInputs,    // an operation on several images found fewer than it needs
  kOpNoMemory,        // a buffer could not be had; the image is as it was
  kOpCancelled,       // the user stopped it; the image is as it was
};

}  // namespace tavo
