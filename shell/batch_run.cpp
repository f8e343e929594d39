// SPDX-License-Identifier: MIT
#include "shell/batch_run.h"

#include <algorithm>
#include <cstdio>

#include "io/file_type.h"
#include "io/image_file.h"
#include "settings/settings_file.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/operation_table.h"
#include "shell/ops/composite_op.h"

namespace tavo {
namespace {

// One composite pass through the engine, with the composite settings the
// step has swapped in and the pass's own inputs and weights.
bool RunCompositePass(AppState& app, const CompositePass& pass) {
  CompositeSettings composite = app.settings.composite;
  for (int i = 0; i < 4; ++i) {
    composite.inputs[i] = i < pass.count ? pass.sources[i] : -1;
    composite.weights[i] = i < pass.count ? pass.weights[i] : 0;
  }
  return RunCompositeInto(app.slots, composite, app.slots[pass.target]) == kOpMade;
}

BatchCompositeHook g_composite_hook = RunCompositePass;

// Step 1 and the in-place steps work on the image in `run.current`.
OpStatus RunStep(BatchRun& run, int code) {
  if (code == kStepOpenOne) return run.app.slots[0].Empty() ? kOpTooFewInputs : kOpMade;
  const Operation* op = OperationForStep(code);
  if (op == nullptr) return kOpNothingToDo;
  if (op->batch_run != nullptr) return op->batch_run(run);
  Image& image = run.app.slots[run.current];
  if (image.Empty()) return kOpTooFewInputs;
  return op->in_place(run.app, image);
}

bool RowOffers(int step, int code) {
  if (step == 0) return code == kStepOpenOne || code == kStepOpenComposite;
  if (step == kBatchSteps - 1) return code == kStepSave;
  return code == kStepNone || (code >= kStepCrop && code < kStepCodeCount);
}

std::string StepText(const char* format, int step, int code) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, step + 1, BatchStepText(code));
  return buf;
}

int SaveStep(BatchRun& run) {
  const BatchSequence& seq = run.app.batch;
  const int step = run.step;
  Image& image = run.app.slots[run.current];
  if (image.Empty()) {
    run.ui.ShowMessage(kBoxError, StepText(kMsgBatchStepFailed, step, kStepSave));
    return kBatchRunStepFailed;
  }
  const std::string out = BatchOutputPath(seq.folder[step], seq.extension[step], run.input);
  const int type = DetectFileType(out);
  if (!HasWriter(type)) {
    run.ui.ShowMessage(kBoxError, FormatText(kMsgNoWriter, out));
    return kBatchRunNotSaved;
  }
  if (!ConfirmOverwrite(run.ui, out)) return kBatchRunNotSaved;
  ExpandMonochrome(image);
  bool ok;
  {
    WaitCursor wait(run.ui);
    ok = WriteImageFile(out, image, seq.detail[step][0]);
  }
  if (!ok) {
    run.ui.ShowMessage(kBoxError, FormatText(kMsgSaveFailed, out));
    return kBatchRunNotSaved;
  }
  run.written = out;
  return kBatchRunDone;
}

int RunSteps(BatchRun& run) {
  AppState& app = run.app;
  app.slots.current = 0;
  for (int step = 0; step < kBatchSteps; ++step) {
    const int code = app.batch.code[step];
    if (code < 1 || code >= kStepCodeCount) continue;
    run.step = step;
    if (code == kStepSave) return SaveStep(run);
    BatchSwapKeep keep;
    SwapInStep(app.batch, step, app.settings, app.save_filter_index, keep);
    bool ok;
    {
      WaitCursor wait(run.ui);
      ClampSettings(app.settings);  // a batch file's blocks enter here
      ok = RunStep(run, code) == kOpMade;
    }
    SwapOutStep(app.batch, step, app.settings, app.save_filter_index, keep);
    if (!ok) {
      run.ui.ShowMessage(kBoxError, StepText(kMsgBatchStepFailed, step, code));
      return kBatchRunStepFailed;
    }
  }
  return kBatchRunNotSaved;  // unreachable: a runnable sequence ends in a save
}

}  // namespace

CompositePlan PlanBatchComposite(int files, const int weights[4]) {
  CompositePlan plan;
  const int n = std::min(files, 8);
  if (n <= 1) return plan;
  if (n <= 4) {
    CompositePass& pass = plan.passes[0];
    pass.count = n;
    for (int i = 0; i < n; ++i) {
      pass.sources[i] = i;
      pass.weights[i] = weights[i];
    }
    pass.target = n;
    plan.pass_count = 1;
    plan.result = n;
    plan.next_free = n + 1;
    return plan;
  }
  const int m = n <= 6 ? 3 : 4;
  CompositePass& first = plan.passes[0];
  CompositePass& second = plan.passes[1];
  first.count = second.count = m;
  for (int i = 0; i < m; ++i) {
    // A file in both groups (5 or 7 files: the middle one) counts half in each.
    first.sources[i] = i;
    first.weights[i] = i > n - 1 - m ? weights[i] / 2 : weights[i];
    second.sources[i] = n - m + i;
    second.weights[i] = n - m + i < m ? weights[i] / 2 : weights[i];
  }
  first.target = n;
  second.target = n + 1;
  CompositePass& last = plan.passes[2];
  last.count = 2;
  last.sources[0] = n;
  last.sources[1] = n + 1;
  last.weights[0] = weights[0];
  last.weights[1] = weights[1];
  last.target = n + 2;
  plan.pass_count = 3;
  plan.result = n + 2;
  plan.next_free = n + 3;
  return plan;
}

void SetBatchCompositeHook(BatchCompositeHook hook) {
  g_composite_hook = hook != nullptr ? hook : RunCompositePass;
}

OpStatus StepOpenComposite(BatchRun& run) {
  // Never composite with a missing input.
  for (int i = 0; i < run.files; ++i) {
    if (run.app.slots[i].Empty()) return kOpTooFewInputs;
  }
  const CompositePlan plan = PlanBatchComposite(run.files, run.app.settings.composite.weights);
  for (int p = 0; p < plan.pass_count; ++p) {
    const CompositePass& pass = plan.passes[p];
    ClearSlot(run.app.slots, pass.target);
    if (!g_composite_hook(run.app, pass) || run.app.slots[pass.target].Empty()) return kOpNoMemory;
  }
  run.current = plan.result;
  run.next_free = plan.next_free;
  run.app.slots.current = run.current;
  return kOpMade;
}

bool BatchStepBuilt(int code) {
  if (code == kStepNone || code == kStepSave || code == kStepOpenOne) return true;
  const Operation* op = OperationForStep(code);
  return op != nullptr && (op->batch_run != nullptr || op->in_place != nullptr);
}

int BatchStepDialog(int code) {
  const Operation* op = OperationForStep(code);
  return op != nullptr && op->dialog ? op->id : 0;
}

std::string BatchSequenceProblem(const BatchSequence& sequence) {
  const int save = kBatchSteps - 1;
  if (sequence.save_configured != 1 || sequence.folder[save].empty() || sequence.extension[save].empty()) {
    return kMsgBatchNotConfigured;
  }
  for (int step = 0; step < kBatchSteps; ++step) {
    const int code = sequence.code[step];
    if (!RowOffers(step, code)) {
      char buf[256];
      std::snprintf(buf, sizeof buf, kMsgBatchStepInvalid, step + 1, code);
      return buf;
    }
  }
  for (int step = 0; step < kBatchSteps; ++step) {
    if (!BatchStepBuilt(sequence.code[step])) return StepText(kMsgBatchStepNotBuilt, step, sequence.code[step]);
  }
  // Refuse a format with no writer before any file is processed.
  const std::string& extension = sequence.extension[save];
  const int type = DetectFileType("x" + extension);
  if (!HasWriter(type)) return FormatText(kMsgNoWriter, extension);
  return "";
}

int RunBatch(AppState& app, UiPort& ui, int files, const std::string& input, std::string* written) {
  BatchRun run{app, ui, std::clamp(files, 1, 8), input, 0, 0, 1, ""};
  int status;
  const std::string problem = BatchSequenceProblem(app.batch);
  if (!problem.empty()) {
    ui.ShowMessage(kBoxError, problem);
    status = kBatchRunRefused;
  } else {
    status = RunSteps(run);
  }
  for (int i = 0; i < kSlotCount; ++i) ClearSlot(app.slots, i);
  app.slots.current = 0;
  if (status == kBatchRunDone && written != nullptr) *written = run.written;
  ui.Repaint();
  return status;
}

}  // namespace tavo
