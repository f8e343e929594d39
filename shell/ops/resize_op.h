// SPDX-License-Identifier: MIT
// shell/ops/resize_op.h - resize (command 304) and crop-and-resize into a
// new image (command 213, batch step 4), with the logic of their dialogs.
#pragma once
#include <string>

#include "core/status.h"
#include "filters/resize.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

struct BatchRun;  // shell/batch_run.h

// Command 304: the from sizes become the image's, the dialog, then the
// four sizes must lie in 0..10000 ("サイズが不適切です！" otherwise) and
// the image is resized in place.
void CmdResize(AppState& app, UiPort& ui);
OpStatus RunResizeOn(AppState& app, Image& image);

// The parameters of a confirmed dialog: a to size of -1 is the from size;
// method 0 and 1 as chosen, 3 Lanczos, 2 Lanczos when neither side shrinks
// and bilinear otherwise.
ResizeParams ResizeParamsFrom(const ResizeSettings& resize);
// Every size in 0..10000.
bool ResizeSizesUsable(const ResizeSettings& resize);

// The dialog opens showing the from sizes in the to fields too.
void OpenResizeDialog(ResizeSettings& resize);
// Typed sizes: whole numbers, negative ones 0. A to size typed with keep
// aspect on sets the other axis's to (KeepAspectTo).
void TypeResizeTo(ResizeSettings& resize, bool y_axis, const std::string& text);
void TypeResizeFrom(ResizeSettings& resize, bool y_axis, const std::string& text);

// Command 213: a free slot (else "これ以上、新たな画像を作れません！"),
// the dialog, the crop of the current image resized into the free slot,
// which becomes current.
void CmdCropResize(AppState& app, UiPort& ui);
// Batch step 4: the current image cropped and resized into the next free
// slot, which becomes the current one.
OpStatus StepCropResize(BatchRun& run);
CropResizeParams CropParamsFrom(const CutSettings& cut);

// Crop dialog fields: whole numbers as typed (the settings' ranges apply
// when the dialog closes).
int CropValueFromText(const std::string& text);

}  // namespace tavo
