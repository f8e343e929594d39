// SPDX-License-Identifier: MIT
// batch/batch_sequence.h - the batch sequence: eight steps, each with its
// own copy of an operation's settings (the detail block), the save step's
// folder and extension, and the batch file (*.tvb) that stores them.
#pragma once
#include <string>

#include "settings/settings.h"

namespace tavo {

constexpr int kBatchSteps = 8;
constexpr int kBatchWords = 32;        // words of one detail block
constexpr size_t kBatchTextMax = 255;  // longest extension or folder read from a file

// Step codes. Step 1 takes 1 or 2, step 8 takes 3, steps 2 to 7 take 0 or
// 4..15.
enum BatchStepCode {
  kStepNone = 0,
  kStepOpenOne = 1,
  kStepOpenComposite = 2,
  kStepSave = 3,
  kStepCrop = 4,
  kStepBackground = 5,
  kStepSharp = 6,
  kStepEdge = 7,
  kStepWavelet = 8,
  kStepDeblur = 9,
  kStepRotate = 10,
  kStepDistortion = 11,
  kStepGamma = 12,
  kStepLevel = 13,
  kStepColor = 14,
  kStepNoise = 15,
};
constexpr int kStepCodeCount = 16;

struct BatchSequence {
  int code[kBatchSteps] = {kStepOpenOne, 0, 0, 0, 0, 0, 0, kStepSave};
  // The code whose settings the detail block holds; a step whose code was
  // changed in the list keeps the old block until it is next stored.
  int stored_code[kBatchSteps] = {kStepOpenOne, 0, 0, 0, 0, 0, 0, kStepSave};
  int detail[kBatchSteps][kBatchWords] = {};
  std::string extension[kBatchSteps];  // save step: ".BMP", ".PPM", ...
  std::string folder[kBatchSteps];     // save step: output folder, no trailing separator
  int save_configured = 0;             // 1 once the save step has a folder
  int timing = 0;                      // report file count and elapsed time
};

// Step 1 "ファイル開く(１枚)", step 8 "ファイル保存", nothing between,
// timing off, save not configured.
void ResetBatchSequence(BatchSequence& sequence);

// Text of a code in the step lists; "" for codes outside 0..15.
const char* BatchStepText(int code);

// Batch mode a sequence runs in: the code of step 1 when it is 1 or 2,
// otherwise 0 (such a sequence cannot run).
int BatchModeOf(const BatchSequence& sequence);

// Number of detail words the code's layout uses (0 for 0, 1 and codes
// outside 0..15). Words beyond it are carried along unchanged.
int BatchDetailWordCount(int code);

// The interactive values a step borrows while it is swapped in.
struct BatchSwapKeep {
  Settings settings;
  int save_filter_index = 1;
};

// Swap-in: keeps the interactive values in `keep`; when the step's stored
// code equals its code, loads its detail block into them.
void SwapInStep(const BatchSequence& sequence, int step, Settings& settings,
                int& save_filter_index, BatchSwapKeep& keep);
// Swap-out: stores the values into the step's detail block by the layout of
// its code (which the block then holds: stored code := code) and puts the
// kept interactive values back.
void SwapOutStep(BatchSequence& sequence, int step, Settings& settings, int& save_filter_index,
                 const BatchSwapKeep& keep);

// The batch file text: per step the code, the 32 detail words (one "%d"
// line each), the quoted extension and the quoted folder; 280 lines.
std::string FormatBatchFile(const BatchSequence& sequence);
// False, and no file changed, when the file cannot be written.
bool WriteBatchFile(const BatchSequence& sequence, const std::string& path);
// Reads steps in order until eight are read or the text ends; strings are
// cut to 255 bytes and each step read gets stored code := code. Returns the
// number of complete steps read. A step cut short keeps what was read of it.
int ParseBatchFile(const std::string& text, BatchSequence& sequence);
// -1 (sequence untouched) when the file cannot be read; otherwise as
// ParseBatchFile.
int ReadBatchFile(BatchSequence& sequence, const std::string& path);

// Output of the save step for `input`: folder (either "\" or "/" accepted
// as separators, trailing ones dropped) + "/" + the input's file name
// without its extension + `extension`.
std::string BatchOutputPath(const std::string& folder, const std::string& extension,
                            const std::string& input);

}  // namespace tavo
