// SPDX-License-Identifier: MIT
#include "io/shared_library.h"

#include <gtest/gtest.h>

namespace tavo {
namespace {

// libm is there wherever the programs run (they link it); cos(0) is 1.
TEST(SharedLibrary, BindsPresentEntriesAndRefusesMissingOnes) {
  EXPECT_EQ(OpenSharedLibrary("libtavo-absent.so.0"), nullptr);
  void* module = OpenSharedLibrary("libm.so.6");
  ASSERT_NE(module, nullptr);
  double (*cosine)(double) = nullptr;
  ASSERT_TRUE(BindEntry(module, "cos", &cosine));
  EXPECT_EQ(cosine(0.0), 1.0);
  EXPECT_FALSE(BindEntry(module, "tavo_absent", &cosine));
  EXPECT_EQ(cosine, nullptr);
  EXPECT_FALSE(BindEntry(nullptr, "cos", &cosine));
}

}  // namespace
}  // namespace tavo
