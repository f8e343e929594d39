// SPDX-License-Identifier: MIT
#include "core/slots.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/memory.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(SlotTable, FreeSlotsHeadroomAndSlotKeys) {
  auto t = std::make_unique<SlotTable>();
  InitSlots(*t);
  EXPECT_EQ(t->current, -1);
  for (int i = 0; i < kSlotCount; ++i) {
    const Image& im = (*t)[i];
    ASSERT_TRUE(im.Empty() && im.zoom == 100 && im.point_a_x == -1 && im.point_b_y == -1 && im.hist_peak == 1) << i;
  }
  for (int i = 0; i < 3; ++i) (*t)[i] = MakeFlatImage(2, 2, 100);
  EXPECT_EQ(FindFreeSlot(*t), 3);
  ClearSlot(*t, 1);
  EXPECT_EQ(FindFreeSlot(*t), 1);
  EXPECT_TRUE((*t)[1].Empty());
  EXPECT_EQ((*t)[1].r, nullptr);
  // Slot keys wrap around; with one open slot they stay on it.
  ClearSlot(*t, 0), ClearSlot(*t, 2);
  (*t)[3] = MakeFlatImage(2, 2, 100), (*t)[7] = MakeFlatImage(2, 2, 100);
  EXPECT_EQ(Ints({NextOpenSlot(*t, 7), NextOpenSlot(*t, 3), NextOpenSlot(*t, 5)}), Ints({3, 7, 7}));
  EXPECT_EQ(Ints({PreviousOpenSlot(*t, 3), PreviousOpenSlot(*t, 7), PreviousOpenSlot(*t, 5)}), Ints({7, 3, 3}));
  ClearSlot(*t, 3);
  EXPECT_EQ(Ints({NextOpenSlot(*t, 7), PreviousOpenSlot(*t, 7)}), Ints({7, 7}));
  // 100 x 10 = 1000 pixels, the largest: the check asks for 4 x 6000 bytes.
  (*t)[5] = MakeFlatImage(100, 10, 1);
  SetAvailableMemoryForTest(24000);
  EXPECT_TRUE(HeadroomCheck(*t, -1));
  EXPECT_EQ(FindFreeSlot(*t), 0);
  SetAvailableMemoryForTest(23999);
  EXPECT_FALSE(HeadroomCheck(*t, -1));
  EXPECT_FALSE(HeadroomCheck(*t, 5));
  EXPECT_TRUE(HeadroomCheck(*t, 0));  // an empty slot always passes
  EXPECT_EQ(FindFreeSlot(*t), -1);
  SetAvailableMemoryForTest(-1);
  for (int i = 0; i < kSlotCount; ++i) (*t)[i] = MakeFlatImage(1, 1, 1);
  EXPECT_EQ(FindFreeSlot(*t), -1);
  InitSlots(*t);
  EXPECT_EQ(NextOpenSlot(*t, -1), -1);
}

TEST(UndoSnapshot, SwapsPlanesSizesAndFlags) {
  Image img = MakePositionImage(4, 3);
  img.monochrome = 1;
  ASSERT_TRUE(SnapshotUndo(img));
  EXPECT_EQ(img.undo_monochrome, 1);
  Image small = MakePositionImage(2, 2);
  small.r[0] = 9999;
  AdoptPlanes(img, small);
  img.monochrome = 0;
  SwapUndo(img);  // undo
  EXPECT_EQ(Ints({img.width, img.height, img.undo_width, img.monochrome}), Ints({4, 3, 2, 1}));
  EXPECT_EQ(Sample(img.r.get(), img, 3, 2), 3002);
  SwapUndo(img);  // redo
  EXPECT_EQ(Ints({img.r[0], img.monochrome}), Ints({9999, 0}));
  SwapUndo(img);  // undo again
  EXPECT_TRUE(SamePlanes(img, MakePositionImage(4, 3)));
  // Without memory the snapshot fails and the old undo planes stay.
  SetAvailableMemoryForTest(10);
  EXPECT_FALSE(SnapshotUndo(img));
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(img.undo_r[0], 9999);
}

TEST(DuplicateImage, CopiesPlanesSizeAndMonochromeOnly) {
  Image src = MakePositionImage(3, 2), dst;
  src.monochrome = 1;
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

// Sources with values x * 1000 + row: the first sample of a copy tells where its window sits.
TEST(Crop, AnchorsAndRectangles) {
  const Image src = MakePositionImage(5, 4);
  // 3 x 2 windows: x offsets 0, (5 - 3) / 2 = 1, 2; memory rows top 2, middle 1, bottom 0; anchors from the top left.
  const int expected[9] = {2, 1002, 2002, 1, 1001, 2001, 0, 1000, 2000};
  for (int anchor = 0; anchor < 9; ++anchor) {
    Image dst;
    ASSERT_TRUE(CropToSize(src, dst, anchor, 3, 2));
    EXPECT_EQ(Ints({dst.width, dst.height, dst.r[0], Sample(dst.r.get(), dst, 2, 1)}),
              Ints({3, 2, expected[anchor], expected[anchor] + 2001}))
        << "anchor " << anchor;
  }
  const Image square = MakePositionImage(5, 5);
  Image wide, whole, none;
  ASSERT_TRUE(CropToSize(square, wide, 4, 9, 3));  // wider than the source: full width
  EXPECT_EQ(Ints({wide.width, wide.height, wide.r[0]}), Ints({5, 3, 1}));
  ASSERT_TRUE(CropToSize(square, whole, 0, 50, 50));
  EXPECT_TRUE(SamePlanes(square, whole));
  EXPECT_FALSE(CropToSize(square, none, 4, 0, 3));
  EXPECT_FALSE(CropToSize(Image{}, none, 4, 2, 2));
  EXPECT_TRUE(none.Empty());
  // Rectangles from the smaller corner; negative starts shorten the side, the far side is cut at the image.
  const Image six = MakePositionImage(6, 5);
  const struct {
    int x1, y1, x2, y2, w, h, first;
  } rects[] = {{4, 3, 1, 1, 3, 2, 1001}, {-2, -1, 3, 2, 3, 2, 0}, {4, 3, 10, 10, 2, 2, 4003}};
  for (const auto& r : rects) {
    Image dst;
    ASSERT_TRUE(CropToRect(six, dst, r.x1, r.y1, r.x2, r.y2));
    EXPECT_EQ(Ints({dst.width, dst.height, dst.r[0]}), Ints({r.w, r.h, r.first}));
  }
  EXPECT_FALSE(CropToRect(six, none, 2, 2, 2, 4));  // zero width
}

TEST(ExpandMonochrome, CopiesRIntoGAndBOnlyWhenFlagged) {
  Image img = MakePositionImage(2, 2);
  ExpandMonochrome(img);
  EXPECT_EQ(img.g[0], 1);  // untouched: flag clear
  img.monochrome = 1;
  ExpandMonochrome(img);
  EXPECT_EQ(PixelValues(img, 1, 1), Ints({1001, 1001, 1001}));
  EXPECT_EQ(img.monochrome, 1);
}

// R of 3 x 2: rows 10 20 90 / 40 0 50. Row means 40 and 30, mean 35. Dark level: row 0 starts at 35: 10 < 35 -> 22; 20
// < 22 -> 21; 90 -> 21. Row 1: 40 no; 0 < 35 -> 17; 50 no -> 17. (21 + 17) / 2 = 19.
TEST(Statistics, DisplayStatsAndHistogram) {
  Image img = MakeFlatImage(3, 2, 7);
  const uint16_t r[6] = {10, 20, 90, 40, 0, 50};
  std::copy(r, r + 6, img.r.get());
  ComputeDisplayStats(img);
  EXPECT_EQ(Ints({img.mean_r, img.max_r, img.dark_r, img.mean_g, img.dark_g}), Ints({35, 90, 19, 7, 7}));
  Image empty;
  ComputeDisplayStats(empty);
  EXPECT_EQ(Ints({empty.max_b, empty.dark_b, empty.mean_b}), Ints({65535, 0, 32768}));
  ComputeHistogram(empty);
  EXPECT_EQ(Ints({empty.hist_peak, empty.hist_samples}), Ints({1, 0}));
  // Below 100 x 100 every sample; from there every second column and row.
  Image a = MakeFlatImage(99, 99, 0x1234), b = MakeFlatImage(100, 100, 0xff00), c = MakePositionImage(3, 1);
  ComputeHistogram(a);
  EXPECT_EQ(Ints({a.hist_samples, static_cast<int>(a.hist_r[0x12]), a.hist_peak}), Ints({99 * 99, 99 * 99, 99 * 99}));
  ComputeHistogram(b);
  EXPECT_EQ(Ints({b.hist_samples, static_cast<int>(b.hist_b[255])}), Ints({50 * 50, 2500}));
  ComputeHistogram(c);  // R 0, 1000, 2000 -> bins 0, 3, 7
  EXPECT_EQ(std::vector<int>(c.hist_r, c.hist_r + 8), Ints({1, 0, 0, 1, 0, 0, 0, 1}));
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
  EXPECT_EQ(Ints({img.changed, img.stats_refresh}), Ints({0, 1}));
  MarkInPlaceChange(img);
  // undo_changed keeps the previous changed.
  EXPECT_EQ(Ints({img.undo_changed, img.changed, img.undo_available, img.redo_available}), Ints({0, 1, 1, 0}));
  MarkInPlaceChange(img);
  EXPECT_EQ(img.undo_changed, 1);
  MarkNewCopy(img);
  EXPECT_EQ(Ints({img.stats_refresh, img.changed}), Ints({0, 0}));
  EXPECT_EQ(img.hist_samples, 4);  // histogram made at once
  img.monochrome = 1;
  MarkNewComposite(img);
  EXPECT_EQ(Ints({img.changed, img.undo_monochrome}), Ints({1, 1}));
}

}  // namespace
}  // namespace tavo
