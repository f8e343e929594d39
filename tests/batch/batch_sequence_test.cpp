// SPDX-License-Identifier: MIT
#include "batch/batch_sequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// Every value the settings hold, in a fixed order, to see whether anything
// changed.
std::vector<double> AllValues(Settings& settings) {
  std::vector<double> values;
  for (const SettingGroup& group : SettingGroups(settings)) {
    for (const auto& line : group.lines) {
      for (const SettingRef& ref : line) values.push_back(ref.i != nullptr ? *ref.i : *ref.d);
    }
  }
  return values;
}

// Detail words 1001, 1002, ... so a word landing in the wrong setting shows
// which one it was.
BatchSequence NumberedStep(int step, int code) {
  BatchSequence seq;
  seq.code[step] = seq.stored_code[step] = code;
  for (int i = 0; i < kBatchWords; ++i) seq.detail[step][i] = 1001 + i;
  return seq;
}

TEST(BatchSequence, DefaultsAndReset) {
  BatchSequence seq;
  const int codes[kBatchSteps] = {1, 0, 0, 0, 0, 0, 0, 3};
  for (int i = 0; i < kBatchSteps; ++i) {
    EXPECT_EQ(seq.code[i], codes[i]);
    EXPECT_EQ(seq.stored_code[i], codes[i]);
  }
  EXPECT_EQ(seq.save_configured, 0);
  EXPECT_EQ(seq.timing, 0);
  seq.code[3] = 12;
  seq.detail[3][5] = 9;
  seq.folder[7] = "/x";
  seq.save_configured = seq.timing = 1;
  ResetBatchSequence(seq);
  EXPECT_EQ(seq.code[3], 0);
  EXPECT_EQ(seq.detail[3][5], 0);
  EXPECT_EQ(seq.folder[7], "");
  EXPECT_EQ(seq.save_configured, 0);
  EXPECT_EQ(seq.timing, 0);
}

TEST(BatchSequence, StepTextsAndMode) {
  EXPECT_STREQ(BatchStepText(0), " ");
  EXPECT_STREQ(BatchStepText(1), "ファイル開く(１枚)");
  EXPECT_STREQ(BatchStepText(2), "ファイル開く&画像合成");
  EXPECT_STREQ(BatchStepText(3), "ファイル保存");
  EXPECT_STREQ(BatchStepText(12), "ガンマ補正");
  EXPECT_STREQ(BatchStepText(15), "ノイズ除去");
  EXPECT_STREQ(BatchStepText(16), "");
  EXPECT_STREQ(BatchStepText(-1), "");
  BatchSequence seq;
  EXPECT_EQ(BatchModeOf(seq), 1);
  seq.code[0] = 2;
  EXPECT_EQ(BatchModeOf(seq), 2);
  seq.code[0] = 12;  // not an open step: cannot run
  EXPECT_EQ(BatchModeOf(seq), 0);
}

TEST(BatchSequence, DetailWordCounts) {
  // composite 5 + VER264 2 + 4 weights; gamma 1 + switch + 4 x 6; level 1 + 4 x 7.
  const int expected[kStepCodeCount] = {0, 0, 11, 1, 7, 6, 7, 8, 7, 4, 2, 1, 26, 29, 2, 3};
  for (int code = 0; code < kStepCodeCount; ++code) EXPECT_EQ(BatchDetailWordCount(code), expected[code]) << code;
  EXPECT_EQ(BatchDetailWordCount(16), 0);
}

TEST(BatchSwap, LayoutsPlaceEachWord) {
  Settings s;
  int filter = 1;
  BatchSwapKeep keep;

  BatchSequence seq = NumberedStep(0, 2);
  SwapInStep(seq, 0, s, filter, keep);
  EXPECT_EQ(s.composite.range, 1001);
  EXPECT_EQ(s.composite.method, 1002);
  EXPECT_EQ(s.composite.normalise, 1003);
  EXPECT_EQ(s.composite.noise_option, 1004);  // composite value 6 before value 5
  EXPECT_EQ(s.composite.noise_level, 1005);
  EXPECT_EQ(s.composite.shift_x, 1006);
  EXPECT_EQ(s.composite.shift_y, 1007);
  EXPECT_EQ(s.composite.weights[0], 1008);
  EXPECT_EQ(s.composite.weights[3], 1011);
  EXPECT_EQ(s.composite.mode, 0);  // the combine mode is not in the block
  s = Settings{};

  seq = NumberedStep(7, 3);
  SwapInStep(seq, 7, s, filter, keep);
  EXPECT_EQ(filter, 1001);
  filter = 1;

  seq = NumberedStep(1, 4);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.cut.anchor, 1001);
  EXPECT_EQ(s.cut.width, 1002);
  EXPECT_EQ(s.cut.height, 1003);
  EXPECT_EQ(s.cut.scale_mode, 1004);
  EXPECT_EQ(s.cut.out_width, 1005);
  EXPECT_EQ(s.cut.out_height, 1006);
  EXPECT_EQ(s.cut.scale, 1007);

  seq = NumberedStep(1, 5);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.back3.detect, 1001);
  EXPECT_EQ(s.back3.average, 1002);
  EXPECT_EQ(s.back3.correction, 1003);
  EXPECT_EQ(s.back3.shift, 1004);
  EXPECT_EQ(s.back3.two_pass, 1005);
  EXPECT_EQ(s.back3.exclude_zero, 1006);

  seq = NumberedStep(1, 6);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.sharp.use_r, 1001);
  EXPECT_EQ(s.sharp.use_g, 1002);
  EXPECT_EQ(s.sharp.use_b, 1003);
  EXPECT_EQ(s.sharp.radius, 1004);
  EXPECT_EQ(s.sharp.range, 1005);
  EXPECT_EQ(s.sharp.smooth, 1006);
  EXPECT_EQ(s.sharp.enhance, 1007);

  seq = NumberedStep(1, 7);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.edge.use_r, 1001);
  EXPECT_EQ(s.edge.use_b, 1003);
  EXPECT_EQ(s.edge.area, 1004);       // edgearea 1
  EXPECT_EQ(s.edge.range, 1005);      // edge 1
  EXPECT_EQ(s.edge.smooth, 1006);     // edgearea 2
  EXPECT_EQ(s.edge.strength, 1007);   // edge 2
  EXPECT_EQ(s.edge.threshold, 1008);  // edge 3

  seq = NumberedStep(1, 8);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.wavelet.order, 1001);
  EXPECT_EQ(s.wavelet.gains[0], 1002);
  EXPECT_EQ(s.wavelet.gains[5], 1007);
  EXPECT_EQ(s.wavelet.enlarge, 0);  // filter value 2 is not in the block

  seq = NumberedStep(1, 9);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.restore.spread, 1001);
  EXPECT_EQ(s.restore.emphasis, 1004);

  seq = NumberedStep(1, 10);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.round.kind, 1001);
  EXPECT_EQ(s.round.angle, 1002);

  seq = NumberedStep(1, 11);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.waikyoku.corner, 1001);

  seq = NumberedStep(1, 12);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.gamma.kind, 1001);
  EXPECT_EQ(s.gamma.table, 1);  // switch 1002 is on: the R table
  EXPECT_EQ(s.gamma.rows[0][0], 1003);
  EXPECT_EQ(s.gamma.rows[1][0], 1009);  // 3 + 6
  EXPECT_EQ(s.gamma.rows[3][5], 1026);

  seq = NumberedStep(1, 13);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.lvl.table, 1001);
  EXPECT_EQ(s.lvl.rows[0][0], 1002);
  EXPECT_EQ(s.lvl.rows[1][0], 1009);  // 2 + 7
  EXPECT_EQ(s.lvl.rows[3][6], 1029);

  seq = NumberedStep(1, 14);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.color.saturation, 1001);
  EXPECT_EQ(s.color.hue, 1002);

  seq = NumberedStep(1, 15);
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.noise.area, 1001);
  EXPECT_EQ(s.noise.threshold, 1002);
  EXPECT_EQ(s.noise.strength, 1003);
}

TEST(BatchSwap, InteractiveSettingsComeBackAndTheBlockKeepsTheEdit) {
  for (int code = 0; code < kStepCodeCount; ++code) {
    Settings s;
    s.gamma.rows[2][3] = 77;
    s.composite.mode = 3;
    int filter = 5;
    const std::vector<double> before = AllValues(s);
    BatchSequence seq = NumberedStep(2, code);
    BatchSwapKeep keep;
    SwapInStep(seq, 2, s, filter, keep);
    // A detail dialog changes whatever it edits; here every setting at once.
    for (int* v : {&s.gamma.kind, &s.sharp.radius, &s.cut.scale, &s.noise.strength, &s.back3.exclude_zero,
                   &s.composite.weights[2], &s.edge.threshold, &s.lvl.rows[3][6], &filter}) {
      *v = -5;
    }
    SwapOutStep(seq, 2, s, filter, keep);
    EXPECT_EQ(AllValues(s), before) << "code " << code;
    EXPECT_EQ(filter, 5) << "code " << code;
    EXPECT_EQ(seq.stored_code[2], code);
  }
}

TEST(BatchSwap, BlockWordsBeyondTheLayoutAreCarried) {
  // Gamma uses words 0..25; 26..31 must survive a swap untouched.
  BatchSequence seq = NumberedStep(4, 12);
  Settings s;
  int filter = 1;
  BatchSwapKeep keep;
  SwapInStep(seq, 4, s, filter, keep);
  s.gamma.rows[3][5] = 200;
  SwapOutStep(seq, 4, s, filter, keep);
  EXPECT_EQ(seq.detail[4][25], 200);
  for (int i = 26; i < kBatchWords; ++i) EXPECT_EQ(seq.detail[4][i], 1001 + i);
  EXPECT_EQ(seq.detail[4][0], 1001);
  // Code 1 holds nothing: every word carried.
  seq = NumberedStep(0, 1);
  SwapInStep(seq, 0, s, filter, keep);
  SwapOutStep(seq, 0, s, filter, keep);
  for (int i = 0; i < kBatchWords; ++i) EXPECT_EQ(seq.detail[0][i], 1001 + i);
}

TEST(BatchSwap, ChangedCodeTakesTheInteractiveSettings) {
  // The block still holds another code's words: Swap-in must not load them,
  // Swap-out stores the interactive gamma settings.
  BatchSequence seq = NumberedStep(1, 6);
  seq.code[1] = 12;
  Settings s;
  s.gamma.kind = 0;
  s.gamma.table = 2;
  s.gamma.rows[0][1] = 40;
  int filter = 1;
  BatchSwapKeep keep;
  SwapInStep(seq, 1, s, filter, keep);
  EXPECT_EQ(s.gamma.kind, 0);
  EXPECT_EQ(s.sharp.use_r, 1);
  SwapOutStep(seq, 1, s, filter, keep);
  EXPECT_EQ(seq.stored_code[1], 12);
  EXPECT_EQ(seq.detail[1][0], 0);   // kind
  EXPECT_EQ(seq.detail[1][1], 1);   // per-channel switch (table 2 edited)
  EXPECT_EQ(seq.detail[1][2], 0);   // all-colours in 1
  EXPECT_EQ(seq.detail[1][3], 40);  // all-colours out 1
  EXPECT_EQ(seq.detail[1][4], 128);
  EXPECT_EQ(seq.detail[1][26], 1027);  // beyond gamma's layout
}

BatchSequence FullSequence() {
  BatchSequence seq;
  const int codes[kBatchSteps] = {2, 4, 15, 0, 12, 13, -7, 3};
  for (int step = 0; step < kBatchSteps; ++step) {
    seq.code[step] = codes[step];
    seq.stored_code[step] = 99;  // not written; reading sets it to the code
    for (int w = 0; w < kBatchWords; ++w) seq.detail[step][w] = (step * 1000 + w) * (w % 3 == 0 ? -1 : 1);
    seq.extension[step] = step == 7 ? ".PPM" : (step == 2 ? ".x y" : "");
    seq.folder[step] = "/data/my photos/out " + std::to_string(step);
  }
  seq.detail[5][31] = 2147483647;
  seq.detail[6][0] = -2147483647 - 1;
  return seq;
}

TEST(BatchFile, RoundTripRestoresEveryCodeWordAndString) {
  const std::string dir = TempDir("batch_file_round_trip");
  const std::string path = dir + "/job.tvb";
  const BatchSequence written = FullSequence();
  ASSERT_TRUE(WriteBatchFile(written, path));
  BatchSequence read;
  ASSERT_EQ(ReadBatchFile(read, path), kBatchSteps);
  for (int step = 0; step < kBatchSteps; ++step) {
    EXPECT_EQ(read.code[step], written.code[step]);
    EXPECT_EQ(read.stored_code[step], written.code[step]);
    for (int w = 0; w < kBatchWords; ++w) EXPECT_EQ(read.detail[step][w], written.detail[step][w]) << step << "/" << w;
    EXPECT_EQ(read.extension[step], written.extension[step]);
    EXPECT_EQ(read.folder[step], written.folder[step]);
  }
}

TEST(BatchFile, ExactLineFormat) {
  BatchSequence seq;
  seq.detail[0][0] = -3;
  seq.detail[7][0] = 4;
  seq.extension[7] = ".PPM";
  seq.folder[7] = "/out dir";
  const std::string text = FormatBatchFile(seq);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
    lines.push_back(text.substr(start, nl - start));
  }
  EXPECT_EQ(start, text.size());  // ends with a line feed
  ASSERT_EQ(lines.size(), 280u);
  EXPECT_EQ(lines[0], "1");     // step 1 code
  EXPECT_EQ(lines[1], "-3");    // its first word
  EXPECT_EQ(lines[32], "0");    // its last word
  EXPECT_EQ(lines[33], "\"\"");
  EXPECT_EQ(lines[34], "\"\"");
  EXPECT_EQ(lines[35], "0");    // step 2 code
  EXPECT_EQ(lines[245], "3");   // step 8 code: 7 x 35
  EXPECT_EQ(lines[246], "4");
  EXPECT_EQ(lines[278], "\".PPM\"");
  EXPECT_EQ(lines[279], "\"/out dir\"");
}

TEST(BatchFile, ReadingIsFreeFormatAndCutsLongStrings) {
  // Numbers may share lines; a quoted string is whatever lies between its
  // quotes; strings are cut to 255 bytes.
  std::string text = "12 ";
  for (int w = 0; w < kBatchWords; ++w) text += std::to_string(w) + (w % 2 ? "\n" : "  ");
  text += "\".BMP\"\n\"C:\\photos\\out\"\n";
  text += "3\n";
  for (int w = 0; w < kBatchWords; ++w) text += "5\n";
  text += "\"" + std::string(300, 'e') + "\"\n\"" + std::string(256, 'f') + "\"\n";
  BatchSequence seq;
  seq.code[2] = 9;
  seq.folder[2] = "kept";
  EXPECT_EQ(ParseBatchFile(text, seq), 2);  // the text ends after two steps
  EXPECT_EQ(seq.code[0], 12);
  EXPECT_EQ(seq.stored_code[0], 12);
  EXPECT_EQ(seq.detail[0][31], 31);
  EXPECT_EQ(seq.folder[0], "C:\\photos\\out");
  EXPECT_EQ(seq.code[1], 3);
  EXPECT_EQ(seq.extension[1], std::string(255, 'e'));
  EXPECT_EQ(seq.folder[1], std::string(255, 'f'));
  EXPECT_EQ(seq.code[2], 9);  // not in the text: unchanged
  EXPECT_EQ(seq.folder[2], "kept");
}

TEST(BatchFile, ShortDamagedAndMissingFiles) {
  BatchSequence seq;
  EXPECT_EQ(ParseBatchFile("", seq), 0);
  EXPECT_EQ(ParseBatchFile("not a batch file", seq), 0);
  EXPECT_EQ(seq.code[0], 1);
  // Code and three words of step 1, then the text ends.
  EXPECT_EQ(ParseBatchFile("2\n7\n8\n9\n", seq), 0);
  EXPECT_EQ(seq.code[0], 2);
  EXPECT_EQ(seq.detail[0][2], 9);
  EXPECT_EQ(seq.detail[0][3], 0);
  BatchSequence untouched;
  EXPECT_EQ(ReadBatchFile(untouched, TempDir("batch_file_missing") + "/none.tvb"), -1);
  EXPECT_EQ(untouched.code[0], 1);
}

TEST(BatchFile, UnwritablePathWritesNothing) {
  const std::string dir = TempDir("batch_file_unwritable");
  EXPECT_FALSE(WriteBatchFile(BatchSequence{}, dir + "/no/such/folder/job.tvb"));
  // An existing file is replaced only by a complete one.
  WriteBytes(dir + "/job.tvb", "old");
  ASSERT_TRUE(WriteBatchFile(BatchSequence{}, dir + "/job.tvb"));
  EXPECT_EQ(ReadBytes(dir + "/job.tvb").substr(0, 2), "1\n");
}

TEST(BatchOutputPath, JoinsFolderBaseNameAndExtension) {
  EXPECT_EQ(BatchOutputPath("/out", ".BMP", "/in/photo.ppm"), "/out/photo.BMP");
  EXPECT_EQ(BatchOutputPath("/out/", ".PPM", "/in/photo.ppm"), "/out/photo.PPM");
  EXPECT_EQ(BatchOutputPath("C:\\data\\out\\", ".PPM", "/in/a.b.ppm"), "C:/data/out/a.b.PPM");
  EXPECT_EQ(BatchOutputPath("rel\\dir", ".JPG", "shot.ppm"), "rel/dir/shot.JPG");
  EXPECT_EQ(BatchOutputPath("/my photos", ".PPM", "/x.y/noext"), "/my photos/noext.PPM");
  EXPECT_EQ(BatchOutputPath("/", ".PPM", "/in/p.ppm"), "/p.PPM");
}

}  // namespace
}  // namespace tavo
