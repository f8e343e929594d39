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

const Op kOps[] = {
    {"sharp r 1", [](Image& i) { return ApplySharpSmooth(i, {1, 3000, 10, 20, 7}); }},
    {"sharp r 3", [](Image& i) { return ApplySharpSmooth(i, {3, 3000, 10, 20, 5}); }},
    {"edge rgb", [](Image& i) { return ApplyEdge(i, {3000, 20, 50, 10, 7}); }},
    {"edge r", [](Image& i) { return ApplyEdge(i, {3000, 20, 50, 10, 4}); }},
    {"nearest", [](Image& i) { return ResizeNearest(i, 7, 5, 3, 4); }},
    {"bilinear up", [](Image& i) { return ResizeBilinear(i, 7, 5, 3, 2); }},
    {"bilinear box", [](Image& i) { return ResizeBilinear(i, 1, 2, 1, 2); }},
    {"lanczos", [](Image& i) { return ResizeLanczos(i, 13, 6, 9, 5); }},
    {"crop and resize", CropInPlace},
    {"quarter turn", [](Image& i) { return ApplyRotation(i, {kRotateByAngle, -9000}); }},
    {"rotation 12.5", [](Image& i) { return ApplyRotation(i, {kRotateByAngle, 1250}); }},
    {"distortion", [](Image& i) { return ApplyDistortion(i, {-40}); }},
    {"line split", [](Image& i) { return SplitInPlace(i, 1); }},
};

// 301 x 257 passes the size at which the filters start a thread team.
constexpr int kW = 301, kH = 257;

TEST(FilterOperations, SameResultForOneAndTwoThreads) {
  const int before = omp_get_max_threads();
  for (const Op& op : kOps) {
    Image one = MakeNoiseImage(kW, kH, 11), two = MakeNoiseImage(kW, kH, 11);
    omp_set_num_threads(1);
    ASSERT_EQ(op.run(one), kOpMade) << op.what;
    omp_set_num_threads(2);
    ASSERT_EQ(op.run(two), kOpMade) << op.what;
    EXPECT_TRUE(SamePlanes(one, two)) << op.what;
    EXPECT_FALSE(SamePlanes(one, MakeNoiseImage(kW, kH, 11))) << op.what;
  }
  omp_set_num_threads(before);
}

TEST(FilterOperations, NoMemoryLeavesTheImage) {
  for (const Op& op : kOps) {
    Image img = MakeNoiseImage(9, 7, 4);
    SetAvailableMemoryForTest(0);
    EXPECT_EQ(op.run(img), kOpNoMemory) << op.what;
    SetAvailableMemoryForTest(-1);
    EXPECT_TRUE(SamePlanes(img, MakeNoiseImage(9, 7, 4))) << op.what;
  }
}

}  // namespace
}  // namespace tavo
