// SPDX-License-Identifier: MIT
// The filter and geometry commands whose flow is more than the in-place
// protocol: resize refuses unusable sizes, crop and line separation make
// new images.
#include <gtest/gtest.h>

#include "shell/command_ids.h"
#include "shell/messages.h"
#include "shell/operation_table.h"
#include "tests/shell/shell_test_util.h"

namespace tavo {
namespace {

class FilterCommandsTest : public ShellTest {
 protected:
  // Slot 0 holds a 4 x 3 position image (R = x * 1000 + row) and is current.
  void SetUp() override {
    ShellTest::SetUp();
    Slot(0) = MakePositionImage(4, 3);
    SetImageName(Slot(0), "pos.ppm");
    MarkLoaded(Slot(0));
    app_->slots.current = 0;
  }
  // Every slot from `first` on taken.
  void FillSlotsFrom(int first) {
    for (int s = first; s < kSlotCount; ++s) Slot(s) = MakeFlatImage(1, 1, 1);
  }
};

TEST_F(FilterCommandsTest, ResizeRefusesSizesAbove10000) {
  app_->settings.resize.x_to = 10001;
  RunCommand(*app_, ui_, kCmdResize);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgBadSize);
  EXPECT_EQ(Slot(0).width, 4);
  EXPECT_EQ(Slot(0).undo_available, 0);
  // 10000 passes; the from sizes are the image's 4 x 3.
  app_->settings.resize.x_to = 10000;
  RunCommand(*app_, ui_, kCmdResize);
  EXPECT_EQ(Slot(0).width * 10 + Slot(0).height, 100003);  // 4 x 10000 / 4, y unchanged
  EXPECT_EQ(Slot(0).undo_available, 1);
}

TEST_F(FilterCommandsTest, CropMakesANewCurrentImage) {
  CutSettings& cut = app_->settings.cut;
  cut.anchor = 8;  // bottom right
  cut.width = 2;
  cut.height = 1;
  cut.scale = 100;
  RunCommand(*app_, ui_, kCmdCropResize);
  ASSERT_EQ(app_->slots.current, 1);
  EXPECT_EQ(PlaneValues(Slot(1).r.get(), Slot(1)), (std::vector<int>{2000, 3000}));
  EXPECT_EQ(Slot(1).changed, 1);  // in no file: discarding it asks first
  // No free slot: the message, before any dialog.
  FillSlotsFrom(2);
  ui_.dialogs.clear();
  app_->slots.current = 0;
  RunCommand(*app_, ui_, kCmdCropResize);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoSlotToMake);
  EXPECT_TRUE(ui_.dialogs.empty());
}

TEST_F(FilterCommandsTest, LineSplitMakesTwoImagesOrStopsAtTheMissingSlot) {
  Slot(0).monochrome = 1;
  RunCommand(*app_, ui_, kCmdLineSplit);
  EXPECT_EQ(app_->slots.current, 2);
  EXPECT_EQ(Sample(Slot(1).r.get(), Slot(1), 3, 1), 3000);  // rows 0 0 2
  EXPECT_EQ(Sample(Slot(2).r.get(), Slot(2), 3, 2), 3001);  // rows 1 1 1
  EXPECT_EQ(Slot(2).monochrome, 1);
  EXPECT_EQ(Slot(0).undo_available, 0);
  EXPECT_EQ(Slot(1).changed + Slot(2).changed, 2);  // in no file: discarding them asks first
  // One slot left: the first image is made, then the message.
  FillSlotsFrom(4);
  app_->slots.current = 0;
  RunCommand(*app_, ui_, kCmdLineSplit);
  EXPECT_FALSE(Slot(3).Empty());
  EXPECT_EQ(app_->slots.current, 0);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kMsgNoSlotToMake);
}

}  // namespace
}  // namespace tavo
