// SPDX-License-Identifier: MIT
#include "batch/batch_sequence.h"

#include <cstdio>

#include "settings/text_scan.h"
#include "io/byte_reader.h"
#include "core/files.h"

namespace tavo {
namespace {

const char* const kStepTexts[kStepCodeCount] = {
    " ",
    "ファイル開く(１枚)",
    "ファイル開く&画像合成",
    "ファイル保存",
    "切り出しとサイズ変更",
    "バックグランド補正",
    "シャープ/スムーズ",
    "エッジ強調",
    "ウェーブレット",
    "ボケ補正",
    "回転",
    "歪曲収差補正",
    "ガンマ補正",
    "レベル補正",
    "彩度/色相調整",
    "ノイズ除去",
};

// Points `words` at the settings a code's detail block stands for, in block
// order. Returns how many.
int BindDetailWords(int code, Settings& s, int& save_filter_index, int* words[kBatchWords]) {
  int n = 0;
  auto add = [&](int& v) { words[n++] = &v; };
  switch (code) {
    case kStepOpenComposite: {
      CompositeSettings& c = s.composite;
      add(c.range);
      add(c.method);
      add(c.normalise);
      add(c.noise_option);
      add(c.noise_level);
      add(c.shift_x);
      add(c.shift_y);
      for (int& w : c.weights) add(w);
      break;
    }
    case kStepSave:
      add(save_filter_index);
      break;
    case kStepCrop:
      add(s.cut.anchor);
      add(s.cut.width);
      add(s.cut.height);
      add(s.cut.scale_mode);
      add(s.cut.out_width);
      add(s.cut.out_height);
      add(s.cut.scale);
      break;
    case kStepBackground:
      add(s.back3.detect);
      add(s.back3.average);
      add(s.back3.correction);
      add(s.back3.shift);
      add(s.back3.two_pass);
      add(s.back3.exclude_zero);
      break;
    case kStepSharp:
      add(s.sharp.use_r);
      add(s.sharp.use_g);
      add(s.sharp.use_b);
      add(s.sharp.radius);
      add(s.sharp.range);
      add(s.sharp.smooth);
      add(s.sharp.enhance);
      break;
    case kStepEdge:
      add(s.edge.use_r);
      add(s.edge.use_g);
      add(s.edge.use_b);
      add(s.edge.area);
      add(s.edge.range);
      add(s.edge.smooth);
      add(s.edge.strength);
      add(s.edge.threshold);
      break;
    case kStepWavelet:
      add(s.wavelet.order);
      for (int& g : s.wavelet.gains) add(g);
      break;
    case kStepDeblur:
      add(s.restore.spread);
      add(s.restore.dullness);
      add(s.restore.iterations);
      add(s.restore.emphasis);
      break;
    case kStepRotate:
      add(s.round.kind);
      add(s.round.angle);
      break;
    case kStepDistortion:
      add(s.waikyoku.corner);
      break;
    case kStepGamma:
      add(s.gamma.kind);
      add(s.gamma.table);
      for (auto& row : s.gamma.rows) {
        for (int& v : row) add(v);
      }
      break;
    case kStepLevel:
      add(s.lvl.table);
      for (auto& row : s.lvl.rows) {
        for (int& v : row) add(v);
      }
      break;
    case kStepColor:
      add(s.color.saturation);
      add(s.color.hue);
      break;
    case kStepNoise:
      add(s.noise.area);
      add(s.noise.threshold);
      add(s.noise.strength);
      break;
    default:
      break;  // 0, 1 and unknown codes hold no settings
  }
  return n;
}

bool ValidStep(int step) { return step >= 0 && step < kBatchSteps; }

void AppendLine(std::string& out, int value) {
  out += std::to_string(value);
  out += '\n';
}

void AppendQuoted(std::string& out, const std::string& value) {
  out += '"';
  out += value;
  out += "\"\n";
}

}  // namespace

void ResetBatchSequence(BatchSequence& sequence) { sequence = BatchSequence{}; }

const char* BatchStepText(int code) {
  return code >= 0 && code < kStepCodeCount ? kStepTexts[code] : "";
}

int BatchModeOf(const BatchSequence& sequence) {
  const int code = sequence.code[0];
  return code == kStepOpenOne || code == kStepOpenComposite ? code : 0;
}

int BatchDetailWordCount(int code) {
  Settings scratch;
  int filter = 0;
  int* words[kBatchWords];
  return BindDetailWords(code, scratch, filter, words);
}

void SwapInStep(const BatchSequence& sequence, int step, Settings& settings,
                int& save_filter_index, BatchSwapKeep& keep) {
  keep.settings = settings;
  keep.save_filter_index = save_filter_index;
  if (!ValidStep(step) || sequence.stored_code[step] != sequence.code[step]) return;
  int* words[kBatchWords];
  const int n = BindDetailWords(sequence.code[step], settings, save_filter_index, words);
  for (int i = 0; i < n; ++i) *words[i] = sequence.detail[step][i];
  // The block keeps gamma's per-channel switch; switched on, the dialog
  // opens on the R table unless the interactive one already edits a
  // channel table.
  if (sequence.code[step] == kStepGamma) {
    const int interactive = keep.settings.gamma.table;
    settings.gamma.table = sequence.detail[step][1] == 0 ? 0 : interactive != 0 ? interactive : 1;
  }
}

void SwapOutStep(BatchSequence& sequence, int step, Settings& settings, int& save_filter_index,
                 const BatchSwapKeep& keep) {
  if (ValidStep(step)) {
    int* words[kBatchWords];
    const int n = BindDetailWords(sequence.code[step], settings, save_filter_index, words);
    for (int i = 0; i < n; ++i) sequence.detail[step][i] = *words[i];
    if (sequence.code[step] == kStepGamma) sequence.detail[step][1] = settings.gamma.table != 0 ? 1 : 0;
    // Without this, values edited in the details of a step whose code had
    // just been changed would be dropped again when the dialog is confirmed.
    sequence.stored_code[step] = sequence.code[step];
  }
  settings = keep.settings;
  save_filter_index = keep.save_filter_index;
}

std::string FormatBatchFile(const BatchSequence& sequence) {
  std::string out;
  for (int step = 0; step < kBatchSteps; ++step) {
    AppendLine(out, sequence.code[step]);
    for (int word : sequence.detail[step]) AppendLine(out, word);
    AppendQuoted(out, sequence.extension[step]);
    AppendQuoted(out, sequence.folder[step]);
  }
  return out;
}

bool WriteBatchFile(const BatchSequence& sequence, const std::string& path) {
  const std::string text = FormatBatchFile(sequence);
  SafeFile out;
  if (!out.Open(path)) return false;
  out.Write(text.data(), text.size());
  return out.Commit();
}

int ParseBatchFile(const std::string& text, BatchSequence& sequence) {
  TextScan scan(text);
  for (int step = 0; step < kBatchSteps; ++step) {
    if (!scan.ReadInt(&sequence.code[step])) return step;
    sequence.stored_code[step] = sequence.code[step];
    for (int& word : sequence.detail[step]) {
      if (!scan.ReadInt(&word)) return step;
    }
    if (!scan.ReadQuoted(&sequence.extension[step], kBatchTextMax)) return step;
    if (!scan.ReadQuoted(&sequence.folder[step], kBatchTextMax)) return step;
  }
  return kBatchSteps;
}

int ReadBatchFile(BatchSequence& sequence, const std::string& path) {
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(path, &bytes)) return -1;
  return ParseBatchFile(std::string(bytes.begin(), bytes.end()), sequence);
}

std::string BatchOutputPath(const std::string& folder, const std::string& extension,
                            const std::string& input) {
  std::string dir = folder;
  for (char& c : dir) {
    if (c == '\\') c = '/';
  }
  while (!dir.empty() && dir.back() == '/') dir.pop_back();
  const size_t slash = input.find_last_of('/');
  std::string base = slash == std::string::npos ? input : input.substr(slash + 1);
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos) base.erase(dot);
  return dir + "/" + base + extension;
}

}  // namespace tavo
