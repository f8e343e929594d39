// SPDX-License-Identifier: MIT
#include "shell/file_filters.h"

#include <gtest/gtest.h>

#include "shell/messages.h"

namespace tavo {
namespace {

using Strings = std::vector<std::string>;

TEST(ParseFilterList, ShippedLists) {
  const std::vector<FileFilter> save = ParseFilterList(kSaveImageFilters);
  ASSERT_EQ(save.size(), 5u);
  EXPECT_EQ(save[0].description, "BMP(24bit)");
  EXPECT_EQ(save[0].patterns, Strings{"*.BMP"});
  EXPECT_EQ(save[4].description, "PPM(48bit,ASCII)");
  EXPECT_EQ(save[4].patterns, Strings{"*.PPM"});
  const std::vector<FileFilter> f = ParseFilterList(kOpenImageFilters);
  ASSERT_EQ(f.size(), 9u);
  EXPECT_EQ(f[0].description, "全ての画像データ");
  EXPECT_EQ(f[0].patterns.size(), 27u);  // 8 image extensions and 19 RAW ones
  EXPECT_EQ(f[0].patterns.front(), "*.BMP");
  EXPECT_EQ(f[0].patterns.back(), "*.SRW");
  EXPECT_EQ(f[2].patterns, (Strings{"*.TIF", "*.TIFF"}));
  EXPECT_EQ(f[3].description, "*.PPM");
  EXPECT_EQ(f[8].description, "All");
  EXPECT_EQ(f[8].patterns, Strings{"*.*"});
}

TEST(ParseFilterList, OddListsDoNotBreakIt) {
  EXPECT_TRUE(ParseFilterList("").empty());
  EXPECT_TRUE(ParseFilterList("A|").empty());
  EXPECT_TRUE(ParseFilterList("||A|*.a||").empty());  // ends at the first empty description
  const std::vector<FileFilter> f = ParseFilterList("A|*.a;;*.b");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].patterns, (Strings{"*.a", "*.b"}));
  EXPECT_EQ(ParseFilterList(kSettingsFilters).size(), 2u);
}

TEST(DialogPatterns, LowerCaseTwinsAndEverything) {
  EXPECT_EQ(DialogPatterns({"x", {"*.BMP", "*.TIFF"}}), (Strings{"*.BMP", "*.bmp", "*.TIFF", "*.tiff"}));
  EXPECT_EQ(DialogPatterns({"x", {"*.tvp"}}), Strings{"*.tvp"});
  EXPECT_EQ(DialogPatterns({"All", {"*.*"}}), Strings{"*"});
}

}  // namespace
}  // namespace tavo
