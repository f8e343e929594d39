// SPDX-License-Identifier: MIT
// Command 340: the result and its rejection maps go into free slots, the
// frames left out are named, and a cancelled run leaves nothing.
#include <gtest/gtest.h>

#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/ops/deep_stack_op.h"
#include "tests/shell/shell_test_util.h"
#include "tests/stack/deep_sky.h"

namespace tavo {
namespace {

class DeepStackFlowTest : public ShellTest {
 protected:
  void Night() {
    const std::vector<SkyStar> sky = SkyStars(40, 200, 150, 3);
    DeepStackSettings& s = app_->settings.deep_stack;
    for (int k = 0; k < 3; ++k) {
      s.lights.push_back(Path("l" + std::to_string(k) + ".ppm"));
      WritePnm(s.lights.back(), RenderSky(200, 150, sky, Turn(0, 1, 0, 0, k, k), 1.4, 1000, 30, k), false);
    }
    s.lights.push_back(Path("missing.ppm"));
    s.open_maps = 1;
    s.report = Path("report.csv");
  }
  void TearDown() override { SetStackRunner(nullptr); }
};

TEST_F(DeepStackFlowTest, ResultAndMapsInFreeSlotsAndLeftOutFramesNamed) {
  Night();
  Open(MakePpm("busy.ppm"));  // slot 0 is taken
  RunCommand(*app_, ui_, kCmdDeepStack);
  EXPECT_EQ(app_->slots.current, 1);
  for (int slot : {1, 2, 3}) EXPECT_EQ(Slot(slot).width, 200) << slot;
  EXPECT_TRUE(PathExists(Path("report.csv")));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxMessage);
  EXPECT_EQ(ui_.boxes[0].text,
            FormatText(kMsgStackLeftOut, FormatText(kMsgFrameUnreadable, Path("missing.ppm"))));
}

TEST_F(DeepStackFlowTest, UnusableReferenceMakesNothing) {
  Night();
  app_->settings.deep_stack.reference = 4;  // the missing file
  RunCommand(*app_, ui_, kCmdDeepStack);
  EXPECT_TRUE(Slot(0).Empty());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].kind, kBoxError);
  EXPECT_EQ(ui_.boxes[0].text.find(FormatText(kMsgStackReference, Path("missing.ppm"))), 0u);
}

TEST_F(DeepStackFlowTest, CancelLeavesNoSlotOrFile) {
  Night();
  SetStackRunner([](const StackWork& work) { work([](double, const std::string&) { return false; }); });
  RunCommand(*app_, ui_, kCmdDeepStack);
  EXPECT_EQ(app_->slots.current, -1);
  EXPECT_FALSE(PathExists(Path("report.csv")));
  EXPECT_TRUE(ui_.boxes.empty());
}

}  // namespace
}  // namespace tavo
