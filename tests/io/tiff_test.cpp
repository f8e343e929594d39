// SPDX-License-Identifier: MIT
// TIFF files built byte by byte, and the writer's exact layout.
#include "io/tiff.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/memory.h"
#include "tests/io/bytes.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

struct Tag {
  int tag, type;
  uint32_t count, value;
};

// Header, one directory at offset 8 holding `tags`, no next directory, then
// `tail`, which starts at DataStart(tags.size()).
uint32_t DataStart(size_t tag_count) { return static_cast<uint32_t>(8 + 2 + 12 * tag_count + 4); }

std::string TiffFile(bool big, const std::vector<Tag>& tags, const std::string& tail) {
  auto u16 = [big](uint32_t v) { return big ? Be16(v) : Le16(v); };
  auto u32 = [big](uint32_t v) { return big ? Be32(v) : Le32(v); };
  std::string f = std::string(big ? "MM" : "II") + u16(42) + u32(8) + u16(static_cast<uint32_t>(tags.size()));
  for (const Tag& t : tags) {
    f += u16(static_cast<uint32_t>(t.tag)) + u16(static_cast<uint32_t>(t.type)) + u32(t.count);
    // A single short sits in the first two bytes of the value field.
    f += t.type == 3 && t.count == 1 ? u16(t.value) + u16(0) : u32(t.value);
  }
  return f + u32(0) + tail;
}

// The usual tags of a one-strip RGB file, raster at `raster_at`.
std::vector<Tag> RgbTags(uint32_t w, uint32_t h, uint32_t bits, uint32_t raster_at) {
  return {{256, 3, 1, w}, {257, 3, 1, h}, {258, 3, 1, bits}, {259, 3, 1, 1}, {262, 3, 1, 2}, {273, 4, 1, raster_at},
          {277, 3, 1, 3}};
}

class TiffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempDir("tiff_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }
  ReadStatus Load(const std::string& bytes) {
    const std::string path = dir_ + "/t.tif";
    WriteBytes(path, bytes);
    return ReadImageFile(path, image_);
  }
  uint16_t R(int x, int row) const { return Sample(image_.r.get(), image_, x, row); }
  uint16_t G(int x, int row) const { return Sample(image_.g.get(), image_, x, row); }
  uint16_t B(int x, int row) const { return Sample(image_.b.get(), image_, x, row); }

  std::string dir_;
  Image image_;
};

TEST_F(TiffTest, WriterLayout) {
  const std::string path = dir_ + "/w.tif";
  // 1 x 2: memory row 1 is the top and comes first.
  Image img;
  AllocateImagePlanes(img, 1, 2, true);
  img.r[0] = 0x0102, img.g[0] = 0x0304, img.b[0] = 0x0506;
  img.r[1] = 0xA1A2, img.g[1] = 0xB1B2, img.b[1] = 0xC1C2;
  ASSERT_TRUE(WriteTiff(path, img));
  const std::string f = ReadBytes(path);
  ASSERT_EQ(f.size(), 128u + 12u);
  EXPECT_EQ(f.substr(0, 2), "II");
  EXPECT_EQ(ReadLe16(f, 2), 42u);
  EXPECT_EQ(ReadLe32(f, 4), 8u);
  ASSERT_EQ(ReadLe16(f, 8), 9u);
  // tag, type, count, value of each entry, in ascending tag order.
  const uint32_t expected[9][4] = {{256, 3, 1, 1},   {257, 3, 1, 2},   {258, 3, 3, 122},
                                   {259, 3, 1, 1},   {262, 3, 1, 2},   {273, 4, 1, 128},
                                   {274, 3, 1, 1},   {277, 3, 1, 3},   {279, 4, 1, 12}};
  for (int i = 0; i < 9; ++i) {
    const size_t at = 10 + 12 * static_cast<size_t>(i);
    EXPECT_EQ(ReadLe16(f, at), expected[i][0]) << "entry " << i;
    EXPECT_EQ(ReadLe16(f, at + 2), expected[i][1]) << "entry " << i;
    EXPECT_EQ(ReadLe32(f, at + 4), expected[i][2]) << "entry " << i;
    EXPECT_EQ(ReadLe32(f, at + 8), expected[i][3]) << "entry " << i;
  }
  EXPECT_EQ(ReadLe32(f, 118), 0u);
  EXPECT_EQ(ReadLe16(f, 122), 16u);
  EXPECT_EQ(ReadLe16(f, 124), 16u);
  EXPECT_EQ(ReadLe16(f, 126), 16u);
  EXPECT_EQ(f.substr(128), Raw({0xA2, 0xA1, 0xB2, 0xB1, 0xC2, 0xC1, 0x02, 0x01, 0x04, 0x03, 0x06, 0x05}));

  // 2 x 1 gives 128 + 2 x 6 = 140 bytes as well.
  ASSERT_TRUE(WriteTiff(path, MakePositionImage(2, 1)));
  EXPECT_EQ(ReadBytes(path).size(), 140u);
}

TEST_F(TiffTest, RoundTripIsExact) {
  const std::string path = dir_ + "/rt.tif";
  const Image original = MakeNoiseImage(7, 5, 11);
  ASSERT_TRUE(WriteTiff(path, original));
  ASSERT_EQ(ReadImageFile(path, image_), kReadOk);
  EXPECT_TRUE(SamePlanes(image_, original));
  EXPECT_EQ(image_.name, path);
}

TEST_F(TiffTest, WideImagesGetLongSizes) {
  // 70000 does not fit a short: the width entry becomes a long.
  const std::string path = dir_ + "/wide.tif";
  Image wide = MakeFlatImage(70000, 1, 0x1234);
  wide.r[69999] = 0xBEEF;
  ASSERT_TRUE(WriteTiff(path, wide));
  const std::string f = ReadBytes(path);
  EXPECT_EQ(ReadLe16(f, 10 + 2), 4u);
  EXPECT_EQ(ReadLe32(f, 10 + 8), 70000u);
  ASSERT_EQ(ReadImageFile(path, image_), kReadOk);
  EXPECT_EQ(image_.width, 70000);
  EXPECT_EQ(R(69999, 0), 0xBEEF);
}

TEST_F(TiffTest, BigEndianReadsLikeItsLittleEndianTwin) {
  // 2 x 2, 48 bits. Pixel (x, file row r) has R = 0x1000 + 16 r + x,
  // G = R + 0x100, B = R + 0x200.
  std::string le_raster, be_raster;
  for (int r = 0; r < 2; ++r) {
    for (int x = 0; x < 2; ++x) {
      const uint32_t v = 0x1000 + 16 * r + x;
      le_raster += Le16(v) + Le16(v + 0x100) + Le16(v + 0x200);
      be_raster += Be16(v) + Be16(v + 0x100) + Be16(v + 0x200);
    }
  }
  const uint32_t at = DataStart(7);
  Image le;
  ASSERT_EQ(Load(TiffFile(false, RgbTags(2, 2, 16, at), le_raster)), kReadOk);
  le = std::move(image_);
  image_ = Image();
  ASSERT_EQ(Load(TiffFile(true, RgbTags(2, 2, 16, at), be_raster)), kReadOk);
  EXPECT_TRUE(SamePlanes(le, image_));
  // File row 0 is the top: memory row 1.
  EXPECT_EQ(R(1, 1), 0x1001);
  EXPECT_EQ(G(0, 0), 0x1110);
  EXPECT_EQ(B(1, 0), 0x1211);
}

TEST_F(TiffTest, EightBitSamplesWithBitsArray) {
  // Bits per sample as an array 8, 8, 8 (6 bytes, so stored apart).
  std::vector<Tag> tags = RgbTags(2, 1, 0, 0);
  const uint32_t at = DataStart(tags.size());
  tags[2] = {258, 3, 3, at};
  tags[5].value = at + 6;
  ASSERT_EQ(Load(TiffFile(false, tags, Le16(8) + Le16(8) + Le16(8) + Raw({1, 2, 3, 250, 251, 252}))), kReadOk);
  EXPECT_EQ(R(0, 0), 1 * 256);
  EXPECT_EQ(B(0, 0), 3 * 256);
  EXPECT_EQ(R(1, 0), 250 * 256);
  EXPECT_EQ(G(1, 0), 251 * 256);
}

TEST_F(TiffTest, ExtraSamplesAndFiveBitFields) {
  {
    // RGBA, 8 bits: the fourth sample is skipped.
    std::vector<Tag> tags = RgbTags(2, 1, 8, DataStart(7));
    tags[6].value = 4;
    ASSERT_EQ(Load(TiffFile(false, tags, Raw({1, 2, 3, 255, 4, 5, 6, 255}))), kReadOk);
    EXPECT_EQ(R(1, 0), 4 * 256);
    EXPECT_EQ(B(1, 0), 6 * 256);
  }
  {
    // 5 bits x 3 in one 16-bit word: R bits 10-14, G 5-9, B 0-4, x 2048.
    // 0x7C00 is red 31; 0x03E1 green 31 and blue 1. Big-endian words.
    ASSERT_EQ(Load(TiffFile(true, RgbTags(2, 1, 5, DataStart(7)), Be16(0x7C00) + Be16(0x03E1))), kReadOk);
    EXPECT_EQ(R(0, 0), 31 * 2048);
    EXPECT_EQ(G(0, 0), 0);
    EXPECT_EQ(G(1, 0), 31 * 2048);
    EXPECT_EQ(B(1, 0), 1 * 2048);
  }
}

TEST_F(TiffTest, StripsAreReadFromTheirOwnOffsets) {
  // 1 x 3, one row per strip, stored bottom strip first with a gap: the
  // offsets, not the file order, decide. Rows: R = 10, 20, 30 x 256.
  std::vector<Tag> tags = RgbTags(1, 3, 8, 0);
  tags.push_back({278, 3, 1, 1});
  tags.push_back({279, 4, 3, 0});
  const uint32_t at = DataStart(tags.size());
  const uint32_t offsets_at = at, counts_at = at + 12, data_at = at + 24;
  tags[5] = {273, 4, 3, offsets_at};
  tags[8].value = counts_at;
  // Data: strip 2, 5 junk bytes, strip 1, strip 0.
  const std::string data = Raw({30, 31, 32}) + Raw({9, 9, 9, 9, 9}) + Raw({20, 21, 22}) + Raw({10, 11, 12});
  const std::string tables =
      Le32(data_at + 11) + Le32(data_at + 8) + Le32(data_at) + Le32(3) + Le32(3) + Le32(3);
  ASSERT_EQ(Load(TiffFile(false, tags, tables + data)), kReadOk);
  EXPECT_EQ(R(0, 2), 10 * 256);
  EXPECT_EQ(R(0, 1), 20 * 256);
  EXPECT_EQ(R(0, 0), 30 * 256);
  EXPECT_EQ(B(0, 0), 32 * 256);
}

TEST_F(TiffTest, OldSingleStripLayoutWithIndirectOffset) {
  // The layout older versions wrote: directory at 18, strip offsets with
  // count 2048 pointing at offset 14 (the table runs past the end of this
  // small file), no rows-per-strip and no byte counts.
  std::string f = "II" + Le16(42) + Le32(18) + Le16(16) + Le16(16) + Le16(16) + Le32(128) + Le16(8);
  const uint32_t entries[8][4] = {{256, 3, 1, 2}, {257, 3, 1, 1}, {258, 3, 3, 8},       {259, 3, 1, 1},
                                  {262, 3, 1, 2}, {273, 4, 2048, 14}, {274, 3, 1, 1}, {277, 3, 1, 3}};
  for (const auto& e : entries) f += Le16(e[0]) + Le16(e[1]) + Le32(e[2]) + Le32(e[3]);
  f += Le32(0) + std::string(8, '\0');
  ASSERT_EQ(f.size(), 128u);
  f += Le16(0x1111) + Le16(0x2222) + Le16(0x3333) + Le16(0x4444) + Le16(0x5555) + Le16(0x6666);
  ASSERT_EQ(Load(f), kReadOk);
  EXPECT_EQ(R(0, 0), 0x1111);
  EXPECT_EQ(B(0, 0), 0x3333);
  EXPECT_EQ(R(1, 0), 0x4444);
  EXPECT_EQ(B(1, 0), 0x6666);
}

TEST_F(TiffTest, MissingDataReadsAsZero) {
  {
    // 2 x 2, 8 bits: the file ends after the first row and one byte.
    ASSERT_EQ(Load(TiffFile(false, RgbTags(2, 2, 8, DataStart(7)), Raw({1, 2, 3, 4, 5, 6, 7}))), kReadOk);
    EXPECT_EQ(R(1, 1), 4 * 256);
    EXPECT_EQ(R(0, 0), 7 * 256);
    EXPECT_EQ(G(0, 0), 0);
    EXPECT_EQ(R(1, 0), 0);
  }
  {
    // A byte count of 4 cuts the strip inside the second pixel.
    std::vector<Tag> tags = RgbTags(2, 1, 8, DataStart(8));
    tags.push_back({279, 4, 1, 4});
    ASSERT_EQ(Load(TiffFile(false, tags, Raw({1, 2, 3, 4, 5, 6}))), kReadOk);
    EXPECT_EQ(R(1, 0), 4 * 256);
    EXPECT_EQ(G(1, 0), 0);
  }
  {
    // The strip offset lies past the end of the file.
    ASSERT_EQ(Load(TiffFile(false, RgbTags(1, 1, 8, 100000), Raw({1, 2, 3}))), kReadOk);
    EXPECT_EQ(R(0, 0), 0);
  }
}

TEST_F(TiffTest, RefusedFilesLeaveTheImageUntouched) {
  image_ = MakePositionImage(2, 2);
  image_.name = "keep";
  const Image before = MakePositionImage(2, 2);
  const std::string px = Raw({1, 2, 3});
  const uint32_t at7 = DataStart(7), at8 = DataStart(8);
  auto with = [&](int index, Tag t) {
    std::vector<Tag> tags = RgbTags(1, 1, 8, at7);
    tags[static_cast<size_t>(index)] = t;
    return TiffFile(false, tags, px);
  };
  auto plus = [&](Tag t) {
    std::vector<Tag> tags = RgbTags(1, 1, 8, at8);
    tags.push_back(t);
    return TiffFile(false, tags, px);
  };
  std::string bad_mark = TiffFile(false, RgbTags(1, 1, 8, at7), px);
  bad_mark[1] = 'M';
  std::string big_tiff = TiffFile(false, RgbTags(1, 1, 8, at7), px);
  big_tiff[2] = 43;
  std::string magic41 = big_tiff;
  magic41[2] = 41;
  std::string far_directory = TiffFile(false, RgbTags(1, 1, 8, at7), px);
  far_directory[4] = '\x7f';
  struct Case {
    const char* what;
    std::string bytes;
    ReadStatus expected;
  };
  const Case cases[] = {
      {"gray", with(4, {262, 3, 1, 1}), kReadUnsupported},
      {"LZW", with(3, {259, 3, 1, 5}), kReadUnsupported},
      {"12 bits", with(2, {258, 3, 1, 12}), kReadUnsupported},
      {"one sample", with(6, {277, 3, 1, 1}), kReadUnsupported},
      {"no width", with(0, {300, 3, 1, 1}), kReadBadFormat},
      {"no strips", with(5, {300, 3, 1, 1}), kReadBadFormat},
      {"separate planes", plus({284, 3, 1, 2}), kReadUnsupported},
      {"tiles", plus({322, 3, 1, 16}), kReadUnsupported},
      {"float samples", plus({339, 3, 1, 3}), kReadUnsupported},
      {"mixed byte-order mark", bad_mark, kReadBadFormat},
      {"BigTIFF", big_tiff, kReadUnsupported},
      {"magic 41", magic41, kReadBadFormat},
      {"directory past the end", far_directory, kReadBadFormat},
      {"cut in the header", "II*", kReadBadFormat},
      {"not a TIFF", "P6\n1 1\n255\nabc", kReadBadFormat},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.bytes), c.expected) << c.what;
    EXPECT_TRUE(SamePlanes(image_, before)) << c.what;
    EXPECT_EQ(image_.name, "keep") << c.what;
  }
  EXPECT_EQ(ReadImageFile(dir_ + "/missing.tif", image_), kReadCannotOpen);
  // 60000 x 60000 would need 21.6 GB of planes; the file cannot hold its
  // raster, so it is damaged.
  SetAvailableMemoryForTest(64 << 20);
  EXPECT_EQ(Load(TiffFile(false, RgbTags(60000, 60000, 8, at7), px)), kReadBadFormat);
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(SamePlanes(image_, before));
}

TEST_F(TiffTest, WriterRefusals) {
  Image empty;
  EXPECT_FALSE(WriteTiff(dir_ + "/e.tif", empty));
  EXPECT_FALSE(PathExists(dir_ + "/e.tif"));
  EXPECT_FALSE(WriteTiff(dir_ + "/no/such/folder/x.tif", MakePositionImage(2, 2)));
}

}  // namespace
}  // namespace tavo
