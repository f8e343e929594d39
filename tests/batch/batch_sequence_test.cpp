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

TEST(BatchSequence, ModeAndStepTextsAtTheEnds) {
  BatchSequence seq;
  const int modes[][2] = {{kStepOpenOne, 1}, {kStepOpenComposite, 2}, {kStepGamma, 0}};  // not an open step
  for (const auto& m : modes) {
    seq.code[0] = m[0];
    EXPECT_EQ(BatchModeOf(seq), m[1]) << m[0];
  }
  EXPECT_STREQ(BatchStepText(kStepCodeCount), "");
  EXPECT_STREQ(BatchStepText(-1), "");
}

// The layouts of the steps the batch runs: the composite (value 6 before
// value 5, the combine mode not in the block), the save filter, gamma (the
// per-channel switch, then four rows of six).
TEST(BatchSwap, BuiltStepsPlaceEachWord) {
  Settings s;
  int filter = 1;
  BatchSwapKeep keep;
  SwapInStep(NumberedStep(0, kStepOpenComposite), 0, s, filter, keep);
  const int composite[] = {s.composite.range,   s.composite.method,  s.composite.normalise,
                           s.composite.noise_option, s.composite.noise_level, s.composite.shift_x,
                           s.composite.shift_y, s.composite.weights[0], s.composite.weights[3]};
  EXPECT_EQ(std::vector<int>(std::begin(composite), std::end(composite)),
            (std::vector<int>{1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1011}));
  EXPECT_EQ(s.composite.mode, 0);
  SwapInStep(NumberedStep(7, kStepSave), 7, s, filter, keep);
  EXPECT_EQ(filter, 1001);
  SwapInStep(NumberedStep(1, kStepGamma), 1, s, filter, keep);
  EXPECT_EQ(s.gamma.kind, 1001);
  EXPECT_EQ(s.gamma.table, 1);  // switch 1002 is on: the R table
  EXPECT_EQ(s.gamma.rows[0][0], 1003);
  EXPECT_EQ(s.gamma.rows[1][0], 1009);  // 3 + 6
  EXPECT_EQ(s.gamma.rows[3][5], 1026);
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
  BatchSequence seq = NumberedStep(4, kStepGamma);
  Settings s;
  int filter = 1;
  BatchSwapKeep keep;
  SwapInStep(seq, 4, s, filter, keep);
  s.gamma.rows[3][5] = 200;
  SwapOutStep(seq, 4, s, filter, keep);
  EXPECT_EQ(seq.detail[4][25], 200);
  for (int i = 26; i < kBatchWords; ++i) EXPECT_EQ(seq.detail[4][i], 1001 + i);
  EXPECT_EQ(seq.detail[4][0], 1001);
  seq = NumberedStep(0, kStepOpenOne);  // holds nothing: every word carried
  SwapInStep(seq, 0, s, filter, keep);
  SwapOutStep(seq, 0, s, filter, keep);
  for (int i = 0; i < kBatchWords; ++i) EXPECT_EQ(seq.detail[0][i], 1001 + i);
}

TEST(BatchFile, RoundTripRestoresEveryCodeWordAndString) {
  BatchSequence written;
  const int codes[kBatchSteps] = {2, 4, 15, 0, 12, 13, -7, 3};
  for (int step = 0; step < kBatchSteps; ++step) {
    written.code[step] = codes[step];
    written.stored_code[step] = 99;  // not written; reading sets it to the code
    for (int w = 0; w < kBatchWords; ++w) written.detail[step][w] = (step * 1000 + w) * (w % 3 == 0 ? -1 : 1);
    written.extension[step] = step == 7 ? ".PPM" : (step == 2 ? ".x y" : "");
    written.folder[step] = "/data/my photos/out " + std::to_string(step);
  }
  written.detail[5][31] = 2147483647;
  written.detail[6][0] = -2147483647 - 1;
  const std::string path = TempDir("batch_file_round_trip") + "/job.tvb";
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
  ASSERT_EQ(lines.size(), 280u);  // 8 x (code, 32 words, 2 strings)
  // {line, text}: step 1's code, first and last word, its strings; step 2's
  // code; step 8 (7 x 35) and its strings.
  const std::pair<int, const char*> expected[] = {{0, "1"},     {1, "-3"},  {32, "0"},           {33, "\"\""},
                                                  {34, "\"\""}, {35, "0"},  {245, "3"},          {246, "4"},
                                                  {278, "\".PPM\""}, {279, "\"/out dir\""}};
  for (const auto& [line, want] : expected) EXPECT_EQ(lines[static_cast<size_t>(line)], want) << line;
}

TEST(BatchFile, ReadingIsFreeFormatAndCutsLongStrings) {
  // Numbers may share lines; a quoted string is whatever lies between its
  // quotes; strings are cut to 255 bytes.
  std::string text = "12 ";
  for (int w = 0; w < kBatchWords; ++w) text += std::to_string(w) + (w % 2 ? "\n" : "  ");
  text += "\".BMP\"\n\"C:\\photos\\out\"\n3\n";
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

TEST(BatchFile, ShortDamagedMissingAndUnwritableFiles) {
  BatchSequence seq;
  EXPECT_EQ(ParseBatchFile("", seq), 0);
  EXPECT_EQ(ParseBatchFile("not a batch file", seq), 0);
  EXPECT_EQ(seq.code[0], 1);
  // Code and three words of step 1, then the text ends.
  EXPECT_EQ(ParseBatchFile("2\n7\n8\n9\n", seq), 0);
  EXPECT_EQ(seq.code[0], 2);
  EXPECT_EQ(seq.detail[0][2], 9);
  EXPECT_EQ(seq.detail[0][3], 0);
  const std::string dir = TempDir("batch_file_damaged");
  BatchSequence untouched;
  EXPECT_EQ(ReadBatchFile(untouched, dir + "/none.tvb"), -1);
  EXPECT_EQ(untouched.code[0], 1);
  EXPECT_FALSE(WriteBatchFile(BatchSequence{}, dir + "/no/such/folder/job.tvb"));
  WriteBytes(dir + "/job.tvb", "old");  // an existing file is replaced by a complete one
  ASSERT_TRUE(WriteBatchFile(BatchSequence{}, dir + "/job.tvb"));
  EXPECT_EQ(ReadBytes(dir + "/job.tvb").substr(0, 2), "1\n");
}

TEST(BatchOutputPath, JoinsFolderBaseNameAndExtension) {
  const char* cases[][4] = {
      {"/out", ".BMP", "/in/photo.ppm", "/out/photo.BMP"},
      {"/out/", ".PPM", "/in/photo.ppm", "/out/photo.PPM"},
      {"C:\\data\\out\\", ".PPM", "/in/a.b.ppm", "C:/data/out/a.b.PPM"},
      {"rel\\dir", ".JPG", "shot.ppm", "rel/dir/shot.JPG"},
      {"/my photos", ".PPM", "/x.y/noext", "/my photos/noext.PPM"},
      {"/", ".PPM", "/in/p.ppm", "/p.PPM"},
  };
  for (const auto& c : cases) EXPECT_EQ(BatchOutputPath(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[2];
}

}  // namespace
}  // namespace tavo
