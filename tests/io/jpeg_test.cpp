// SPDX-License-Identifier: MIT
// JPEG reading and writing. The committed samples in tests/io/data are:
// gray_8x16.jpg (8 x 16 gray, top 8 rows 200, bottom 8 rows 50, quality
// 100, so every flat block decodes exactly), progressive_16x16.jpg (colour,
// progressive, quadrants red | green over blue | white, quality 100) and
// cmyk_8x8.jpg (four components).
#include "io/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/memory.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

const std::string kData = std::string(TAVO_SOURCE_DIR) + "/tests/io/data/";

class JpegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempDir("jpeg_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }
  ReadStatus Load(const std::string& bytes) {
    const std::string path = dir_ + "/t.jpg";
    WriteBytes(path, bytes);
    return ReadImageFile(path, image_);
  }
  uint16_t R(int x, int row) const { return Sample(image_.r.get(), image_, x, row); }
  uint16_t G(int x, int row) const { return Sample(image_.g.get(), image_, x, row); }
  uint16_t B(int x, int row) const { return Sample(image_.b.get(), image_, x, row); }

  std::string dir_;
  Image image_;
};

TEST_F(JpegTest, GrayFileFillsThreeEqualPlanesTopRowFirst) {
  ASSERT_EQ(ReadImageFile(kData + "gray_8x16.jpg", image_), kReadOk);
  ASSERT_EQ(image_.width, 8);
  ASSERT_EQ(image_.height, 16);
  // The first scanline (200) is the top: memory rows 8..15.
  EXPECT_EQ(R(0, 15), 200 * 256);
  EXPECT_EQ(R(7, 8), 200 * 256);
  EXPECT_EQ(R(0, 7), 50 * 256);
  EXPECT_EQ(R(3, 0), 50 * 256);
  for (size_t i = 0; i < image_.PixelCount(); ++i) {
    EXPECT_EQ(image_.g[i], image_.r[i]);
    EXPECT_EQ(image_.b[i], image_.r[i]);
    EXPECT_EQ(image_.r[i] % 256, 0);
  }
  EXPECT_EQ(image_.monochrome, 0);
}

TEST_F(JpegTest, ProgressiveColourFile) {
  ASSERT_EQ(ReadImageFile(kData + "progressive_16x16.jpg", image_), kReadOk);
  ASSERT_EQ(image_.width, 16);
  ASSERT_EQ(image_.height, 16);
  // Quadrant centres, in 8-bit units with 2 steps of coding error.
  auto near = [](int sample, int byte) { return std::abs(sample / 256 - byte) <= 2; };
  EXPECT_TRUE(near(R(3, 12), 255) && near(G(3, 12), 0) && near(B(3, 12), 0));      // top left red
  EXPECT_TRUE(near(R(12, 12), 0) && near(G(12, 12), 255) && near(B(12, 12), 0));   // top right green
  EXPECT_TRUE(near(R(3, 3), 0) && near(G(3, 3), 0) && near(B(3, 3), 255));         // bottom left blue
  EXPECT_TRUE(near(R(12, 3), 255) && near(G(12, 3), 255) && near(B(12, 3), 255));  // bottom right white
}

TEST_F(JpegTest, DamagedFilesGiveAnErrorNotAnExit) {
  image_ = MakePositionImage(2, 2);
  image_.name = "keep";
  const Image before = MakePositionImage(2, 2);
  const std::string good = ReadBytes(kData + "gray_8x16.jpg");
  ASSERT_GT(good.size(), 200u);
  EXPECT_EQ(Load(""), kReadBadFormat);
  EXPECT_EQ(Load("not a jpeg at all"), kReadBadFormat);
  // Cut before the frame header: no image in the stream.
  EXPECT_EQ(Load(good.substr(0, 30)), kReadBadFormat);
  EXPECT_TRUE(SamePlanes(image_, before));
  EXPECT_EQ(image_.name, "keep");
  EXPECT_EQ(ReadImageFile(dir_ + "/missing.jpg", image_), kReadCannotOpen);
  // Four components: refused, not misread as RGB.
  EXPECT_EQ(ReadImageFile(kData + "cmyk_8x8.jpg", image_), kReadUnsupported);
  EXPECT_TRUE(SamePlanes(image_, before));
  // Every byte of the file overwritten in turn: an error or an image,
  // never a crash, and on error the image is left alone.
  for (size_t at = 0; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    Image img = MakePositionImage(2, 2);
    ByteReader in;
    in.OpenMemory(bad.data(), bad.size());
    const ReadStatus status = ReadJpegFrom(in, "flip", img);
    if (status != kReadOk) {
      EXPECT_TRUE(SamePlanes(img, before)) << "byte " << at;
    } else {
      EXPECT_GT(img.width, 0) << "byte " << at;
    }
  }
}

TEST_F(JpegTest, TruncatedScanKeepsTheSize) {
  const std::string good = ReadBytes(kData + "gray_8x16.jpg");
  // Dropping the end-of-image marker and some entropy-coded bytes.
  ASSERT_EQ(Load(good.substr(0, good.size() - 6)), kReadOk);
  EXPECT_EQ(image_.width, 8);
  EXPECT_EQ(image_.height, 16);
}

TEST_F(JpegTest, RoundTripKeepsSizeOrientationAndColours) {
  // 16 x 16 quadrants: top left (memory rows 8..15) red, top right green,
  // bottom left blue, bottom right gray 0x80.
  Image img;
  AllocateImagePlanes(img, 16, 16, true);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const size_t i = static_cast<size_t>(y) * 16 + x;
      const bool top = y >= 8, left = x < 8;
      img.r[i] = top && left ? 0xFF00 : (!top && !left ? 0x8000 : 0);
      img.g[i] = top && !left ? 0xFF00 : (!top && !left ? 0x8000 : 0);
      img.b[i] = !top && left ? 0xFF00 : (!top && !left ? 0x8000 : 0);
    }
  }
  const std::string path = dir_ + "/rt.jpg";
  ASSERT_TRUE(WriteJpeg(path, img, kJpegQuality));
  const std::string f = ReadBytes(path);
  ASSERT_GE(f.size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>(f[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(f[1]), 0xD8);
  EXPECT_EQ(f.substr(6, 4), "JFIF");
  ASSERT_EQ(ReadImageFile(path, image_), kReadOk);
  ASSERT_EQ(image_.width, 16);
  ASSERT_EQ(image_.height, 16);
  // Quality 75 with 2 x 2 chroma subsampling: block centres within 12
  // steps of 8-bit.
  auto near = [](int sample, int byte) { return std::abs(sample / 256 - byte) <= 12; };
  EXPECT_TRUE(near(R(3, 12), 255) && near(G(3, 12), 0) && near(B(3, 12), 0));
  EXPECT_TRUE(near(R(12, 12), 0) && near(G(12, 12), 255) && near(B(12, 12), 0));
  EXPECT_TRUE(near(R(3, 3), 0) && near(G(3, 3), 0) && near(B(3, 3), 255));
  EXPECT_TRUE(near(R(12, 3), 128) && near(G(12, 3), 128) && near(B(12, 3), 128));
}

TEST_F(JpegTest, LowEightBitsAreNotWritten) {
  // High byte 0x40 everywhere, low bytes varying: written flat.
  Image img;
  AllocateImagePlanes(img, 16, 8, true);
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < img.PixelCount(); ++i) img.Channel(c)[i] = static_cast<uint16_t>(0x4000 + (i * 37 + c) % 256);
  }
  const std::string path = dir_ + "/flat.jpg";
  ASSERT_TRUE(WriteJpeg(path, img, kJpegQuality));
  ASSERT_EQ(ReadImageFile(path, image_), kReadOk);
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 1; i < image_.PixelCount(); ++i) EXPECT_EQ(image_.Channel(c)[i], image_.Channel(c)[0]);
  }
  EXPECT_LE(std::abs(image_.r[0] / 256 - 0x40), 1);
}

TEST_F(JpegTest, FailedWritesReturnAndKeepTheOldFile) {
  const std::string path = dir_ + "/keep.jpg";
  WriteBytes(path, "old contents");
  // Wider than the 65500 pixels the format allows: the library refuses,
  // and the program goes on.
  EXPECT_FALSE(WriteJpeg(path, MakeFlatImage(70000, 1, 0x8000), kJpegQuality));
  EXPECT_EQ(ReadBytes(path), "old contents");
  EXPECT_FALSE(WriteJpeg(dir_ + "/no/such/folder/x.jpg", MakeFlatImage(8, 8, 0), kJpegQuality));
  Image empty;
  EXPECT_FALSE(WriteJpeg(dir_ + "/e.jpg", empty, kJpegQuality));
  EXPECT_FALSE(PathExists(dir_ + "/e.jpg"));
}

TEST_F(JpegTest, HugeDimensionsAreRefusedBeforeDecoding) {
  // The frame header of the gray sample claims 16 rows; make it 60000 x
  // 60000 (21.6 GB of planes).
  std::string f = ReadBytes(kData + "gray_8x16.jpg");
  const size_t sof = f.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  f[sof + 5] = static_cast<char>(0xEA), f[sof + 6] = 0x60;  // height
  f[sof + 7] = static_cast<char>(0xEA), f[sof + 8] = 0x60;  // width
  SetAvailableMemoryForTest(64 << 20);
  EXPECT_EQ(Load(f), kReadNoMemory);
  SetAvailableMemoryForTest(-1);
}

}  // namespace
}  // namespace tavo
