// SPDX-License-Identifier: MIT
// Wavelet, deblur and noise reduction in the shell: what their commands do
// beyond the protocol, and the logic of their dialogs.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "shell/command_ids.h"
#include "shell/dialog_logic.h"
#include "shell/messages.h"
#include "shell/operation_table.h"
#include "shell/ops/noise_op.h"
#include "shell/ops/wavelet_op.h"
#include "tests/fake_ui.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

TEST(WaveletCommand, EnlargingStopsAtSidesOf5000WithItsMessage) {
  struct Case {
    int width, height;
    bool refused;
  };
  for (const Case& c : {Case{5000, 1, true}, Case{2, 5000, true}, Case{4999, 2, false}}) {
    auto app = NewApp();
    FakeUi ui;
    PutImage(*app, 0, MakeFlatImage(c.width, c.height, 700));
    app->settings.wavelet.enlarge = 1;
    RunCommand(*app, ui, kCmdWavelet);
    ASSERT_EQ(ui.boxes.size(), c.refused ? 1u : 0u) << c.width;
    if (c.refused) {
      EXPECT_EQ(ui.boxes[0].kind, kBoxError);
      EXPECT_EQ(ui.boxes[0].text, kMsgWaveletTooLarge);
    }
    EXPECT_EQ(app->settings.wavelet.enlarge, c.refused ? 0 : 1);
    EXPECT_EQ(app->slots[0].width, c.refused ? c.width : 2 * c.width);
    EXPECT_EQ(app->slots[0].changed, 1);
  }
}

TEST(WaveletCommand, ShortMemoryForTheWorkAreaKeepsImageAndUndo) {
  // The enlarging work area (56 bytes a pixel and more) fails where the
  // headroom check (24) and the undo copy pass.
  auto app = NewApp();
  FakeUi ui;
  Image& img = PutImage(*app, 0, MakeNoiseImage(40, 30, 6));
  RunCommand(*app, ui, kCmdWavelet);  // leaves an undo state
  ASSERT_EQ(img.undo_available, 1);
  const uint16_t* undo_r = img.undo_r.get();
  const uint16_t first = img.r[0];
  app->settings.wavelet.enlarge = 1;
  SetAvailableMemoryForTest(static_cast<int64_t>(WaveletWorkBytes(40, 30, WaveletParamsFrom(app->settings.wavelet))) - 1);
  RunCommand(*app, ui, kCmdWavelet);
  SetAvailableMemoryForTest(-1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kMsgNoMemory);
  EXPECT_EQ(img.width, 40);
  EXPECT_EQ(img.r[0], first);
  EXPECT_EQ(img.undo_r.get(), undo_r);
  EXPECT_EQ(img.undo_available, 1);
}

// Stopped at the second of three planes: the first plane is put back (or,
// enlarging, nothing was swapped in yet), the earlier undo state stays, no box.
TEST(RestoreCommands, StoppedFromTheProgressLeaveImageAndUndo) {
  const int cases[3][2] = {{kCmdDeblur, 0}, {kCmdWavelet, 0}, {kCmdWavelet, 1}};  // command, enlarge
  for (const auto& [id, enlarge] : cases) {
    auto app = NewApp();
    FakeUi ui;
    Image& img = PutImage(*app, 0, MakeNoiseImage(20, 10, 8));
    app->settings.wavelet.enlarge = enlarge;
    RunCommand(*app, ui, id);
    ASSERT_EQ(ui.progress, (std::vector<double>{0.0, 1.0 / 3, 2.0 / 3})) << id;
    EXPECT_EQ(ui.works, 1) << id;  // a command that reports runs as the front end's work
    const Ints r = PlaneValues(img.r.get(), img), g = PlaneValues(img.g.get(), img), b = PlaneValues(img.b.get(), img);
    const uint16_t* undo_r = img.undo_r.get();
    ui.progress_answers = {true, false};
    RunCommand(*app, ui, id);
    EXPECT_TRUE(ui.boxes.empty()) << id;
    EXPECT_EQ(PlaneValues(img.r.get(), img), r) << id;
    EXPECT_EQ(PlaneValues(img.g.get(), img), g) << id;
    EXPECT_EQ(PlaneValues(img.b.get(), img), b) << id;
    EXPECT_EQ(img.undo_r.get(), undo_r) << id;
    EXPECT_EQ(img.width, 20 << enlarge) << id;
    EXPECT_EQ(ui.progress_ends, 2) << id;
  }
}

TEST(WaveletCommand, BatchStepNeverEnlarges) {
  auto app = NewApp();
  Image img = MakeFlatImage(3, 2, 9);
  app->settings.wavelet.enlarge = 1;
  EXPECT_EQ(RunWaveletStepOn(*app, img), kOpMade);
  EXPECT_EQ(img.width, 3);
}

TEST(NoiseCommand, OkPutsTheThresholdBackBeforeTheRun) {
  // 3 x 1 row 1000 2000 1000, area 3, strength 5 (s = 1): every clamped
  // row repeats the row. At the centre, with the threshold back at 10 all
  // weights are full: A = 1000 x (2 x 640 + 4 x 512) + 2000 x 2 x 640 =
  // 5888000, N = 4608, 2A/N = 2555, halved 1277. With threshold 0 a
  // difference of 1000 would have cut the weights to 130 and 104 (1654).
  auto app = NewApp();
  FakeUi ui;
  Image& img = PutImage(*app, 0, MakeFlatImage(3, 1, 1000));
  img.r[1] = 2000;
  app->settings.noise = {3, 0, 5};
  RunCommand(*app, ui, kCmdNoise);
  ASSERT_EQ(ui.dialogs.size(), 1u);
  EXPECT_EQ(app->settings.noise.threshold, kNoiseThresholdReset);
  EXPECT_EQ(img.r[1], 1277);
}

TEST(RestoreDialogs, TypedValuesBarsAndPresets) {
  // Tenths: the first decimal digit is kept, the rest cut.
  const struct {
    const char* text;
    int tenths;
  } typed[] = {{"2.35", 23}, {" 10", 100}, {".5", 5}, {"-0.5", -5}, {"1x.7", 10}, {"", 0}, {"99999999999", 1000}};
  for (const auto& t : typed) EXPECT_EQ(TenthsFromText(t.text, -1000, 1000), t.tenths) << t.text;
  EXPECT_EQ(TenthsText(23), "2.3");
  EXPECT_EQ(WaveletGainFromText("50.09"), kWaveletGainMax);
  // Area: a typed v is position (v - 3) / 2, held to 0..1.
  const int areas[][2] = {{3, 0}, {4, 0}, {5, 1}, {9, 1}, {0, 0}};
  for (const auto& a : areas) EXPECT_EQ(NoiseAreaPositionFromText(std::to_string(a[0])), a[1]) << a[0];
  NoiseSettings n{5, 3, 2};
  AcceptNoiseDialog(n, 0, 9);
  EXPECT_EQ(n.area, 3);
  EXPECT_EQ(n.strength, 5);
  EXPECT_EQ(n.threshold, 10);
}

}  // namespace
}  // namespace tavo
