// SPDX-License-Identifier: MIT
#include "core/slots.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/memory.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

std::unique_ptr<SlotTable> NewTable() {
  auto t = std::make_unique<SlotTable>();
  InitSlots(*t);
  return t;
}

void Occupy(SlotTable& t, int i, int w = 2, int h = 2) { t[i] = MakeFlatImage(w, h, 100); }

TEST(SlotTable, InitLeavesEverySlotEmptyWithResetView) {
  auto t = NewTable();
  EXPECT_EQ(t->current, -1);
  for (int i = 0; i < kSlotCount; ++i) {
    const Image& im = (*t)[i];
    EXPECT_TRUE(im.Empty());
    EXPECT_EQ(im.zoom, 100);
    EXPECT_EQ(im.point_a_x, -1);
    EXPECT_EQ(im.point_b_y, -1);
    EXPECT_EQ(im.hist_peak, 1);
  }
}

TEST(SlotTable, FreeSlotIsTheLowestEmptyOne) {
  auto t = NewTable();
  Occupy(*t, 0);
  Occupy(*t, 1);
  Occupy(*t, 2);
  EXPECT_EQ(FindFreeSlot(*t), 3);
  ClearSlot(*t, 1);
  EXPECT_EQ(FindFreeSlot(*t), 1);
  EXPECT_TRUE((*t)[1].Empty());
  EXPECT_EQ((*t)[1].r, nullptr);
}

TEST(SlotTable, NoFreeSlotWhenAllHundredAreTaken) {
  auto t = NewTable();
  for (int i = 0; i < kSlotCount; ++i) Occupy(*t, i, 1, 1);
  EXPECT_EQ(FindFreeSlot(*t), -1);
}

TEST(SlotTable, HeadroomCheckUsesTheLargestImage) {
  auto t = NewTable();
  // 1000 pixels: the check asks for 4 x 6000 bytes, at most 80 % of what
  // is available: 24000 / 0.8 = 30000.
  Occupy(*t, 5, 100, 10);
  SetAvailableMemoryForTest(30000);
  EXPECT_TRUE(HeadroomCheck(*t, -1));
  EXPECT_EQ(FindFreeSlot(*t), 0);
  SetAvailableMemoryForTest(29999);
  EXPECT_FALSE(HeadroomCheck(*t, -1));
  EXPECT_FALSE(HeadroomCheck(*t, 5));
  EXPECT_TRUE(HeadroomCheck(*t, 0));  // an empty slot always passes
  EXPECT_EQ(FindFreeSlot(*t), -1);
  SetAvailableMemoryForTest(-1);
}

TEST(SlotTable, NextAndPreviousWrapAround) {
  auto t = NewTable();
  Occupy(*t, 3);
  Occupy(*t, 7);
  EXPECT_EQ(NextOpenSlot(*t, 7), 3);   // wraps to the lowest
  EXPECT_EQ(NextOpenSlot(*t, 3), 7);
  EXPECT_EQ(PreviousOpenSlot(*t, 3), 7);  // wraps to the highest
  EXPECT_EQ(PreviousOpenSlot(*t, 7), 3);
  EXPECT_EQ(NextOpenSlot(*t, 5), 7);
  EXPECT_EQ(PreviousOpenSlot(*t, 5), 3);
  ClearSlot(*t, 3);
  EXPECT_EQ(NextOpenSlot(*t, 7), 7);   // only the current slot is open
  EXPECT_EQ(PreviousOpenSlot(*t, 7), 7);
  ClearSlot(*t, 7);
  EXPECT_EQ(NextOpenSlot(*t, -1), -1);
}

TEST(UndoSnapshot, UndoRedoUndoEqualsOneUndo) {
  Image img = MakePositionImage(3, 2);
  img.monochrome = 1;
  ASSERT_TRUE(SnapshotUndo(img));
  EXPECT_EQ(img.undo_monochrome, 1);
  img.r[0] = 9999;
  img.monochrome = 0;
  SwapUndo(img);  // undo
  EXPECT_EQ(img.r[0], 0);
  EXPECT_EQ(img.monochrome, 1);
  SwapUndo(img);  // redo
  EXPECT_EQ(img.r[0], 9999);
  EXPECT_EQ(img.monochrome, 0);
  SwapUndo(img);  // undo again
  EXPECT_EQ(img.r[0], 0);
  EXPECT_EQ(img.r[5], 2001);  // (2, 1) untouched
}

TEST(UndoSnapshot, SwapMovesSizesToo) {
  Image img = MakePositionImage(4, 3);
  ASSERT_TRUE(SnapshotUndo(img));
  Image small = MakePositionImage(2, 2);
  img.r = std::move(small.r);
  img.g = std::move(small.g);
  img.b = std::move(small.b);
  img.width = img.height = 2;
  SwapUndo(img);
  EXPECT_EQ(img.width, 4);
  EXPECT_EQ(img.height, 3);
  EXPECT_EQ(img.undo_width, 2);
  EXPECT_EQ(Sample(img.r.get(), img, 3, 2), 3002);
}

TEST(UndoSnapshot, FailsWithoutMemoryAndKeepsTheOldUndo) {
  Image img = MakePositionImage(4, 3);
  ASSERT_TRUE(SnapshotUndo(img));
  img.r[0] = 7;
  SetAvailableMemoryForTest(10);
  EXPECT_FALSE(SnapshotUndo(img));
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(img.undo_r[0], 0);
}

TEST(DuplicateImage, CopiesPlanesSizeAndMonochromeOnly) {
  Image src = MakePositionImage(3, 2);
  src.monochrome = 1;
  Image dst;
  dst.name = "keep";
  dst.changed = 1;
  ASSERT_TRUE(DuplicateImage(src, dst));
  EXPECT_TRUE(SamePlanes(src, dst));
  EXPECT_EQ(dst.monochrome, 1);
  EXPECT_EQ(dst.name, "keep");
  EXPECT_EQ(dst.changed, 1);
  src.r[0] = 5;
  EXPECT_EQ(dst.r[0], 0);  // a real copy, not shared
}

// Source 5 x 4 with values x * 1000 + row; a 3 x 2 window. The first sample
// of the copy tells where the window sits: (x0, y0) -> x0 * 1000 + y0.
TEST(CropToSize, AnchorsPlaceTheWindowOnAThreeByThreeGrid) {
  const Image src = MakePositionImage(5, 4);
  // x offsets 0, (5-3)/2 = 1, 2; y offsets (memory rows) top 2, middle 1, bottom 0.
  const int expected[9] = {2, 1002, 2002, 1, 1001, 2001, 0, 1000, 2000};
  for (int anchor = 0; anchor < 9; ++anchor) {
    Image dst;
    ASSERT_TRUE(CropToSize(src, dst, anchor, 3, 2));
    EXPECT_EQ(dst.width, 3);
    EXPECT_EQ(dst.height, 2);
    EXPECT_EQ(dst.r[0], expected[anchor]) << "anchor " << anchor;
    EXPECT_EQ(Sample(dst.r.get(), dst, 2, 1), expected[anchor] + 2001) << "anchor " << anchor;
  }
}

TEST(CropToSize, WiderThanSourceTakesFullWidthAndCentresVertically) {
  const Image src = MakePositionImage(5, 5);
  Image dst;
  ASSERT_TRUE(CropToSize(src, dst, 4, 9, 3));
  EXPECT_EQ(dst.width, 5);
  EXPECT_EQ(dst.height, 3);
  EXPECT_EQ(dst.r[0], 1);  // x 0, row (5 - 3) / 2 = 1
  Image whole;
  ASSERT_TRUE(CropToSize(src, whole, 0, 50, 50));
  EXPECT_TRUE(SamePlanes(src, whole));
}

TEST(CropToSize, RefusesEmptyRequests) {
  const Image src = MakePositionImage(5, 5);
  Image dst;
  EXPECT_FALSE(CropToSize(src, dst, 4, 0, 3));
  EXPECT_FALSE(CropToSize(Image{}, dst, 4, 2, 2));
  EXPECT_TRUE(dst.Empty());
}

TEST(CropToRect, UsesTheSmallerCornerAndClipsNegativeStarts) {
  const Image src = MakePositionImage(6, 5);
  Image a;
  ASSERT_TRUE(CropToRect(src, a, 4, 3, 1, 1));  // swapped corners
  EXPECT_EQ(a.width, 3);
  EXPECT_EQ(a.height, 2);
  EXPECT_EQ(a.r[0], 1001);
  Image b;
  ASSERT_TRUE(CropToRect(src, b, -2, -1, 3, 2));  // 5 x 3 from (-2, -1)
  EXPECT_EQ(b.width, 3);                          // shortened by 2
  EXPECT_EQ(b.height, 2);                         // shortened by 1
  EXPECT_EQ(b.r[0], 0);
  Image c;
  ASSERT_TRUE(CropToRect(src, c, 4, 3, 10, 10));  // far side past the image
  EXPECT_EQ(c.width, 2);
  EXPECT_EQ(c.height, 2);
  EXPECT_EQ(Sample(c.r.get(), c, 1, 1), 5004);
  Image d;
  EXPECT_FALSE(CropToRect(src, d, 2, 2, 2, 4));  // zero width
}

TEST(ExpandMonochrome, CopiesRIntoGAndBOnlyWhenFlagged) {
  Image img = MakePositionImage(2, 2);
  ExpandMonochrome(img);
  EXPECT_EQ(img.g[0], 1);  // untouched: flag clear
  img.monochrome = 1;
  ExpandMonochrome(img);
  EXPECT_EQ(img.g[3], img.r[3]);
  EXPECT_EQ(img.b[3], 1001);
  EXPECT_EQ(img.monochrome, 1);
}

// Plane R of 3 x 2: bottom row 10 20 90, top row 40 0 50.
// Row means: 120 / 3 = 40 and 90 / 3 = 30, mean (40 + 30) / 2 = 35.
// Dark level: row 0 starts at 35: 10 < 35 -> 22; 20 < 22 -> 21; 90 -> 21.
// Row 1: 40 no; 0 < 35 -> 17; 50 no -> 17. (21 + 17) / 2 = 19.
TEST(DisplayStats, MeanMaximumAndDarkLevelByHand) {
  Image img = MakeFlatImage(3, 2, 7);
  const uint16_t r[6] = {10, 20, 90, 40, 0, 50};
  for (int i = 0; i < 6; ++i) img.r[i] = r[i];
  ComputeDisplayStats(img);
  EXPECT_EQ(img.mean_r, 35);
  EXPECT_EQ(img.max_r, 90);
  EXPECT_EQ(img.dark_r, 19);
  EXPECT_EQ(img.mean_g, 7);
  EXPECT_EQ(img.dark_g, 7);
  Image empty;
  ComputeDisplayStats(empty);
  EXPECT_EQ(empty.max_b, 65535);
  EXPECT_EQ(empty.dark_b, 0);
  EXPECT_EQ(empty.mean_b, 32768);
}

TEST(Histogram, SamplingStepDependsOnSize) {
  Image a = MakeFlatImage(99, 99, 0x1234);
  ComputeHistogram(a);
  EXPECT_EQ(a.hist_samples, 99 * 99);  // step 1
  EXPECT_EQ(a.hist_r[0x12], 99u * 99u);
  EXPECT_EQ(a.hist_peak, 99 * 99);
  Image b = MakeFlatImage(100, 100, 0xff00);
  ComputeHistogram(b);
  EXPECT_EQ(b.hist_samples, 50 * 50);  // every second column and row
  EXPECT_EQ(b.hist_b[255], 2500u);
  Image c = MakePositionImage(3, 1);  // R 0, 1000, 2000 -> bins 0, 3, 7
  ComputeHistogram(c);
  EXPECT_EQ(c.hist_r[0], 1u);
  EXPECT_EQ(c.hist_r[3], 1u);
  EXPECT_EQ(c.hist_r[7], 1u);
  Image empty;
  ComputeHistogram(empty);
  EXPECT_EQ(empty.hist_peak, 1);
  EXPECT_EQ(empty.hist_samples, 0);
}

TEST(Memory, AbsurdSizesAreRefusedBeforeAllocation) {
  Image img;
  EXPECT_FALSE(AllocateImagePlanes(img, 0, 5, true));
  EXPECT_FALSE(AllocateImagePlanes(img, -3, 5, true));
  EXPECT_FALSE(AllocateImagePlanes(img, 2000000000, 2000000000, true));
  EXPECT_EQ(ImageBytes(int64_t{1} << 40, int64_t{1} << 40, 6), 0u);  // overflow
  EXPECT_EQ(ImageBytes(3, 2, 6), 36u);
  SetAvailableMemoryForTest(1000);
  EXPECT_FALSE(AllocateImagePlanes(img, 20, 10, true));  // needs 1200 bytes
  EXPECT_TRUE(AllocateImagePlanes(img, 10, 10, true));   // 600 bytes
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(img.width, 10);
}

TEST(LifecycleFlags, EventsSetTheFlagTable) {
  Image img = MakeFlatImage(2, 2, 1);
  img.changed = 1;
  MarkLoaded(img);
  EXPECT_EQ(img.changed, 0);
  EXPECT_EQ(img.stats_refresh, 1);
  MarkInPlaceChange(img);
  EXPECT_EQ(img.undo_changed, 0);  // previous changed
  EXPECT_EQ(img.changed, 1);
  EXPECT_EQ(img.undo_available, 1);
  EXPECT_EQ(img.redo_available, 0);
  MarkInPlaceChange(img);
  EXPECT_EQ(img.undo_changed, 1);
  MarkNewCopy(img);
  EXPECT_EQ(img.stats_refresh, 0);
  EXPECT_EQ(img.changed, 0);
  EXPECT_EQ(img.hist_samples, 4);  // histogram made at once
  img.monochrome = 1;
  MarkNewComposite(img);
  EXPECT_EQ(img.changed, 1);
  EXPECT_EQ(img.undo_monochrome, 1);
}

}  // namespace
}  // namespace tavo
