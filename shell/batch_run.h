// SPDX-License-Identifier: MIT
// shell/batch_run.h - running the batch sequence on images already loaded
// into slots 0, 1, ...: the grouping of the composite step and RunBatch.
// Which operation runs a step, and which dialog edits it, is read from the
// operation table.
#pragma once
#include <string>

#include "core/status.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

// One run of the sequence: where the image is and where new ones may go.
struct BatchRun {
  AppState& app;
  UiPort& ui;
  int files;
  std::string input;
  int step = 0;       // 0-based step being run
  int current = 0;    // slot holding the image the steps work on
  int next_free = 1;  // first slot a step may fill
  std::string written;
};

// One composite of up to four slots into `target`.
struct CompositePass {
  int count = 0;
  int sources[4] = {0, 0, 0, 0};
  int weights[4] = {0, 0, 0, 0};
  int target = 0;
};

// The composites of the open-and-composite step for `files` images in
// slots 0..files-1 (more than 8 count as 8):
//   1 file:     none; the result is slot 0.
//   2 to 4:     slots 0..n-1 with weights 0..n-1 into slot n.
//   5 to 8:     two groups of m = 3 (5, 6 files) or 4 (7, 8 files): slots
//               0..m-1 into n and slots n-m..n-1 into n+1, a file that is in
//               both groups taking half its weight (truncated) in each; then
//               slots n and n+1 with weights 0 and 1 into n+2.
struct CompositePlan {
  int pass_count = 0;
  CompositePass passes[3];
  int result = 0;     // slot that holds the combined image
  int next_free = 1;  // first slot later steps may use
};
CompositePlan PlanBatchComposite(int files, const int weights[4]);

// Runs one composite pass with the composite settings in `app` (swapped in
// for the step); false when it could not run. Tests replace it to watch the
// passes; null puts back the engine's composite.
using BatchCompositeHook = bool (*)(AppState& app, const CompositePass& pass);
void SetBatchCompositeHook(BatchCompositeHook hook);

// Step 2: the files in slots 0.. composited by PlanBatchComposite's
// passes (never with a file missing); kOpTooFewInputs when one is.
OpStatus StepOpenComposite(BatchRun& run);

// True when step code `code` can run (0 always: it does nothing).
bool BatchStepBuilt(int code);
// Dialog (command id) that edits the settings of a code; 0 for none.
int BatchStepDialog(int code);

// Empty when the sequence can run; otherwise the message that says why not
// (save step without a folder, a code its row does not offer, an operation
// not built yet).
std::string BatchSequenceProblem(const BatchSequence& sequence);

enum BatchRunStatus {
  kBatchRunDone = 0,    // the result was written
  kBatchRunRefused,     // the sequence cannot run (message shown)
  kBatchRunStepFailed,  // a step could not run (message shown)
  kBatchRunNotSaved,    // the write failed (message shown) or was declined
};

// Runs the steps on the `files` images in slots 0..files-1 (the one image
// in slot 0 when files is 1); `input` names the file whose base name the
// result takes. Every step but the save runs between its Swap-in and
// Swap-out, so the interactive settings come back unchanged. No undo
// copies are made. All slots are cleared at the end, whatever happened.
// `written` receives the output path when the result was written.
int RunBatch(AppState& app, UiPort& ui, int files, const std::string& input, std::string* written);

}  // namespace tavo
