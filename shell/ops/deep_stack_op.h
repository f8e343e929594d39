// SPDX-License-Identifier: MIT
// shell/ops/deep_stack_op.h - stacking many exposures: the settings made
// into the stack's parameters, the frame reader (every format TAVO opens,
// camera RAW through the RAW development settings), the run, the messages
// naming every frame left out, the report, and the menu command that puts
// the result into a free slot.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"
#include "stack/deep/deep_stack.h"

namespace tavo {

DeepStackParams DeepStackParamsFrom(const DeepStackSettings& settings);
DeepStackInput DeepStackInputFrom(const DeepStackSettings& settings);

// Reads one frame: camera RAW files are developed with `raw` (no master
// dark: the stack calibrates itself), others by their reader. The
// exposure comes from a FITS header or the RAW file.
bool LoadStackFrame(const RawDevelopSettings& raw, const std::string& path, Image* image, double* exposure);

// The whole stack of `settings`; touches no slot and no state but its
// arguments, so a front end may run it on a thread of its own.
OpStatus RunDeepStackJob(const DeepStackSettings& settings, const RawDevelopSettings& raw,
                         const StackProgress& progress, DeepStackResult* result);

// One line per frame left out, naming the file and why (frames the run
// did not reach are not listed).
std::vector<std::string> LeftOutLines(const DeepStackResult& result);

// What went wrong, for a run that made nothing; empty for kOpMade and
// kOpCancelled.
std::string StackFailureText(OpStatus status, const DeepStackResult& result, const DeepStackSettings& settings);

// The per-frame CSV report; false (no file changed) when it cannot be
// written.
bool WriteStackReport(const std::string& path, const DeepStackResult& result);

// How the command runs the stack. A front end that can show progress sets
// a runner: it calls work(progress), on a thread of its own if it likes,
// and returns once the work has finished. Without one the work runs on the
// caller's thread without progress.
using StackWork = std::function<void(const StackProgress&)>;
using StackRunner = void (*)(const StackWork& work);
void SetStackRunner(StackRunner runner);

// Command 340: the dialog, the stack, the result in a free slot (and the
// rejection maps in two more when asked), the report, then a message
// listing the frames left out (the report is written for a failed stack
// too). Cancel leaves no slot or file behind.
void CmdDeepStack(AppState& app, UiPort& ui);

}  // namespace tavo
