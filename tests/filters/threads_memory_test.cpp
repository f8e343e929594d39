// SPDX-License-Identifier: MIT
// What every filter and geometry operation promises alike: the same
// samples for any number of threads, and an untouched image when the
// memory for its new planes is not there.
#include <gtest/gtest.h>
#include <omp.h>

#include <functional>

#include "core/memory.h"
#include "filters/distortion.h"
#include "filters/edge.h"
#include "filters/line_split.h"
#include "filters/resize.h"
#include "filters/rotate.h"
#include "filters/sharp.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

struct Op {
  const char* what;
  std::function<OpStatus(Image&)> run;
  bool makes_planes;  // needs memory for new planes
  int w = 301, h = 257;  // passes the size at which a thread team starts
};

OpStatus SplitInPlace(Image& img, int field) {
  Image out;
  const OpStatus status = ApplyLineSplit(img, out, {field});
  if (status == kOpMade) img = std::move(out);
  return status;
}

OpStatus CropInPlace(Image& img) {
  Image out;
  const OpStatus status = ApplyCropResize(img, out, {4, 250, 200, kCropByScale, 0, 0, 130});
  if (status == kOpMade) img = std::move(out);
  return status;
}

// The filters that work in place hand rows across the bands of the
// threads; bands shorter than the filter's reach (the strips) are the
// hardest case.
const Op kOps[] = {
    {"sharp r 1", [](Image& i) { return ApplySharpSmooth(i, {1, 3000, 10, 20, 7}); }, false},
    {"sharp r 3", [](Image& i) { return ApplySharpSmooth(i, {3, 3000, 10, 20, 5}); }, false},
    {"sharp r 10 strip", [](Image& i) { return ApplySharpSmooth(i, {10, 3000, 10, 20, 7}); }, false, 16500, 5},
    {"edge rgb", [](Image& i) { return ApplyEdge(i, {3000, 20, 50, 10, 7}); }, false},
    {"edge r", [](Image& i) { return ApplyEdge(i, {3000, 20, 50, 10, 4}); }, false},
    {"edge rgb strip", [](Image& i) { return ApplyEdge(i, {3000, 20, 50, 10, 7}); }, false, 22000, 3},
    {"nearest", [](Image& i) { return ResizeNearest(i, 7, 5, 3, 4); }, true},
    {"bilinear up", [](Image& i) { return ResizeBilinear(i, 7, 5, 3, 2); }, true},
    {"bilinear box", [](Image& i) { return ResizeBilinear(i, 1, 2, 1, 2); }, true},
    {"lanczos", [](Image& i) { return ResizeLanczos(i, 13, 6, 9, 5); }, true},
    {"lanczos whole factor", [](Image& i) { return ResizeLanczos(i, 2, 1, 3, 1); }, true},
    {"crop and resize", CropInPlace, true},
    {"quarter turn", [](Image& i) { return ApplyRotation(i, {kRotateByAngle, -9000}); }, true},
    {"rotation 12.5", [](Image& i) { return ApplyRotation(i, {kRotateByAngle, 1250}); }, true},
    {"distortion", [](Image& i) { return ApplyDistortion(i, {-40}); }, true},
    {"line split", [](Image& i) { return SplitInPlace(i, 1); }, true},
};

TEST(FilterOperations, SameResultForOneAndTwoThreads) {
  const int before = omp_get_max_threads();
  for (const Op& op : kOps) {
    Image one = MakeNoiseImage(op.w, op.h, 11), two = MakeNoiseImage(op.w, op.h, 11);
    omp_set_num_threads(1);
    ASSERT_EQ(op.run(one), kOpMade) << op.what;
    omp_set_num_threads(2);
    ASSERT_EQ(op.run(two), kOpMade) << op.what;
    EXPECT_TRUE(SamePlanes(one, two)) << op.what;
    EXPECT_FALSE(SamePlanes(one, MakeNoiseImage(op.w, op.h, 11))) << op.what;
  }
  omp_set_num_threads(before);
}

TEST(FilterOperations, NoMemoryLeavesTheImage) {
  for (const Op& op : kOps) {
    if (!op.makes_planes) continue;
    Image img = MakeNoiseImage(9, 7, 4);
    SetAvailableMemoryForTest(0);
    EXPECT_EQ(op.run(img), kOpNoMemory) << op.what;
    SetAvailableMemoryForTest(-1);
    EXPECT_TRUE(SamePlanes(img, MakeNoiseImage(9, 7, 4))) << op.what;
  }
}

}  // namespace
}  // namespace tavo
