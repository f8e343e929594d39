// SPDX-License-Identifier: MIT
// JPEG reading and writing. The committed samples in tests/io/data are gray_8x16.jpg (8 x 16 gray, top 8 rows 200,
// bottom 8 rows 50) and cmyk_8x8.jpg (four components).
#include "io/jpeg.h"

#include "tests/io/reader_test.h"

namespace tavo {
namespace {

const std::string kData = std::string(TAVO_SOURCE_DIR) + "/tests/io/data/";

using JpegTest = ReaderTest;

// Samples, orientation, gray and progressive files are checked against other decoders (codec_interop_test).
TEST_F(JpegTest, TruncatedScanKeepsTheSize) {
  // Dropping the end-of-image marker and some coded bytes.
  const std::string good = ReadBytes(kData + "gray_8x16.jpg");
  ASSERT_EQ(Load(good.substr(0, good.size() - 6), ".jpg"), kReadOk);
  EXPECT_EQ(Ints({image_.width, image_.height}), Ints({8, 16}));
}

TEST_F(JpegTest, DamagedFilesGiveAnErrorNotAnExit) {
  std::string good = ReadBytes(kData + "gray_8x16.jpg"), huge = good;
  // The frame header claims 60000 x 60000 (21.6 GB of planes).
  const size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = huge[sof + 7] = static_cast<char>(0xEA);
  huge[sof + 6] = huge[sof + 8] = 0x60;
  ExpectRefused(".jpg", {{"empty", "", kReadBadFormat}, {"not a JPEG", "not a jpeg at all", kReadBadFormat},
                 {"cut before the frame header", good.substr(0, 30), kReadBadFormat},
                 {"four components", ReadBytes(kData + "cmyk_8x8.jpg"), kReadUnsupported}}, huge);
  // Every byte overwritten in turn: an error or an image, never a crash, and on error the image is left alone.
  const Image before = MakePositionImage(2, 2);
  for (size_t at = 0; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    Image img = MakePositionImage(2, 2);
    ByteReader in;
    in.OpenMemory(bad.data(), bad.size());
    const bool ok = ReadJpegFrom(in, "flip", img) == kReadOk;
    EXPECT_TRUE(ok ? img.width > 0 : SamePlanes(img, before)) << "byte " << at;
  }
}

// What the writer puts in the file is checked by reading it with other tools (codec_interop_test).
TEST_F(JpegTest, FailedWritesReturnAndKeepTheOldFile) {
  const std::string path = dir_ + "/keep.jpg";
  WriteBytes(path, "old contents");
  // Wider than the 65500 pixels the format allows: the library refuses.
  EXPECT_FALSE(WriteJpeg(path, MakeFlatImage(70000, 1, 0x8000), kJpegQuality));
  EXPECT_EQ(ReadBytes(path), "old contents");
  EXPECT_FALSE(WriteJpeg(dir_ + "/no/such/folder/x.jpg", MakeFlatImage(8, 8, 0), kJpegQuality));
  EXPECT_FALSE(WriteJpeg(dir_ + "/e.jpg", Image{}, kJpegQuality));
  EXPECT_FALSE(PathExists(dir_ + "/e.jpg"));
}

}  // namespace
}  // namespace tavo
