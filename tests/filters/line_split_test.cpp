// SPDX-License-Identifier: MIT
#include "filters/line_split.h"

#include <gtest/gtest.h>

#include "tests/test_images.h"

namespace tavo {
namespace {

// One column whose samples are the row numbers, so each output row shows
// which source row it copied.
TEST(LineSplit, RowsDoubledPerField) {
  struct Case {
    int height, field;
    std::vector<int> want;
  } const cases[] = {
      {4, kFieldRowsFromZero, {0, 0, 2, 2}},
      {4, kFieldRowsFromOne, {1, 1, 3, 3}},
      {5, kFieldRowsFromZero, {0, 0, 2, 2, 4}},  // the last row is its own field's
      {5, kFieldRowsFromOne, {1, 1, 3, 3, 3}},   // the field's last row again
      {1, kFieldRowsFromZero, {0}},
      {1, kFieldRowsFromOne, {0}},  // no odd row: the only row
  };
  for (const Case& c : cases) {
    Image source = MakePositionImage(1, c.height);
    source.monochrome = 1;
    Image out;
    EXPECT_EQ(ApplyLineSplit(source, out, {c.field}), kOpMade);
    EXPECT_EQ(PlaneValues(out.r.get(), out), c.want) << c.height << " " << c.field;
    EXPECT_EQ(out.monochrome, 1);
    EXPECT_TRUE(SamePlanes(source, MakePositionImage(1, c.height)));
  }
}

}  // namespace
}  // namespace tavo
