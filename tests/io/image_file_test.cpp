// SPDX-License-Identifier: MIT
// Routing of reads and writes by file name, down to the codecs, and a failed save through the command-line front end.
#include "io/image_file.h"

#include <gtest/gtest.h>

#include <memory>

#include "cli/cli_run.h"
#include "io/file_type.h"
#include "shell/commands.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

TEST(ImageFile, EveryWriterRoundTripsThroughTheDispatch) {
  for (int type : {kFileBmp, kFileTiff, kFilePnm, kFileJpeg, kFileFits}) EXPECT_TRUE(HasWriter(type)) << type;
  for (int type : {kFileRaw, kFileUnsupported}) EXPECT_FALSE(HasWriter(type)) << type;
  const std::string dir = TempDir("image_file");
  // High bytes only, flat 8 x 8 blocks: exact in every format, JPEG too.
  const Image original = MakeFlatImage(8, 8, 0x6000);
  const struct {
    const char* name;
    int filter;
    const char* magic;
  } cases[] = {{"a.bmp", kSaveFilterBmp, "BM"},      {"b.TIF", kSaveFilterTiff, "II"},
               {"c.tiff", kSaveFilterTiff, "II"},    {"d.ppm", kSaveFilterPpmBinary, "P6"},
               {"e.PPM", kSaveFilterPpmAscii, "P3"}, {"f.jpg", kSaveFilterJpeg, "\xFF\xD8"},
               {"g.bmp", kSaveFilterJpeg, "BM"},  // the name decides, not the filter
               {"h.fts", kSaveFilterFits32, "SI"}, {"i.fit", kSaveFilterBmp, "SI"}};
  for (const auto& c : cases) {
    const std::string path = dir + "/" + c.name;
    ASSERT_TRUE(WriteImageFile(path, original, c.filter)) << c.name;
    EXPECT_EQ(ReadBytes(path).substr(0, 2), c.magic) << c.name;
    Image back;
    ASSERT_EQ(ReadImageFile(path, back), kReadOk) << c.name;
    EXPECT_TRUE(SamePlanes(back, original)) << c.name;
    EXPECT_EQ(back.name, path) << c.name;
  }
  EXPECT_FALSE(WriteImageFile(dir + "/i.png", original, kSaveFilterBmp));
  EXPECT_FALSE(WriteImageFile(dir + "/j.bmp", Image{}, kSaveFilterBmp));
  Image image;
  EXPECT_EQ(ReadImageFile(dir + "/z.png", image), kReadUnsupported);
}

TEST(ImageFile, CommandLineSavesAndFailedSaves) {
  const std::string dir = TempDir("image_file_cli");
  const Image original = MakeNoiseImage(6, 4, 5);
  ASSERT_TRUE(WriteImageFile(dir + "/in.tif", original, kSaveFilterTiff));
  auto app = std::make_unique<AppState>();
  CliPort port;
  StartUp(*app, port, {});
  ASSERT_EQ(RunCliSteps(*app, port, {"--open", dir + "/in.tif", "--save", dir + "/out.bmp"}), 0);
  Image bmp;
  ASSERT_EQ(ReadImageFile(dir + "/out.bmp", bmp), kReadOk);
  for (size_t i = 0; i < 24; ++i) EXPECT_EQ(bmp.g[i], original.g[i] & 0xFF00);
  // A JPEG the library refuses (wider than 65500 pixels) fails: an error, no file, and the image keeps its name.
  ASSERT_TRUE(WriteImageFile(dir + "/wide.tif", MakeFlatImage(70000, 1, 0x4000), kSaveFilterTiff));
  EXPECT_EQ(RunCliSteps(*app, port, {"--open", dir + "/wide.tif", "--save", dir + "/wide.jpg"}), 1);
  EXPECT_FALSE(PathExists(dir + "/wide.jpg"));
  ASSERT_GE(app->slots.current, 0);
  EXPECT_EQ(app->slots[app->slots.current].name, dir + "/wide.tif");
  WriteBytes(dir + "/bad.jpg", "\xFF\xD8garbage");
  EXPECT_EQ(RunCliSteps(*app, port, {"--open", dir + "/bad.jpg"}), 1);
}

}  // namespace
}  // namespace tavo
