// SPDX-License-Identifier: MIT
// TIFF files built byte by byte, and the writer's exact layout.
#include "io/tiff.h"

#include "tests/io/reader_test.h"

namespace tavo {
namespace {

struct Tag { int tag, type; uint32_t count, value; };

// Header, one directory at offset 8 holding `tags`, no next directory, then `tail` at DataStart(tags.size()).
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

// The tags of a one-strip RGB file, raster at `raster_at`, plus `extra`.
std::vector<Tag> RgbTags(uint32_t w, uint32_t h, uint32_t bits, uint32_t raster_at, std::vector<Tag> extra = {}) {
  std::vector<Tag> t = {{256, 3, 1, w}, {257, 3, 1, h}, {258, 3, 1, bits}, {259, 3, 1, 1},
                        {262, 3, 1, 2}, {273, 4, 1, raster_at}, {277, 3, 1, 3}};
  t.insert(t.end(), extra.begin(), extra.end());
  return t;
}

using TiffTest = ReaderTest;

TEST_F(TiffTest, WriterLayoutAndRoundTrip) {
  // 1 x 2: memory row 1 is the top and comes first.
  Image img;
  AllocateImagePlanes(img, 1, 2, true);
  img.r[0] = 0x0102, img.g[0] = 0x0304, img.b[0] = 0x0506;
  img.r[1] = 0xA1A2, img.g[1] = 0xB1B2, img.b[1] = 0xC1C2;
  const std::string path = dir_ + "/w.tif";
  ASSERT_TRUE(WriteTiff(path, img));
  // Nine entries in tag order, bits per sample at 122, raster at 128.
  std::string want = "II" + Le16(42) + Le32(8) + Le16(9);
  const uint32_t entries[9][4] = {{256, 3, 1, 1}, {257, 3, 1, 2}, {258, 3, 3, 122}, {259, 3, 1, 1}, {262, 3, 1, 2},
                                  {273, 4, 1, 128}, {274, 3, 1, 1}, {277, 3, 1, 3}, {279, 4, 1, 12}};
  for (const auto& e : entries) want += Le16(e[0]) + Le16(e[1]) + Le32(e[2]) + Le32(e[3]);
  want += Le32(0) + Le16(16) + Le16(16) + Le16(16);
  want += Raw({0xA2, 0xA1, 0xB2, 0xB1, 0xC2, 0xC1, 0x02, 0x01, 0x04, 0x03, 0x06, 0x05});
  EXPECT_EQ(ReadBytes(path), want);
  // 400000 does not fit a short: the width entry becomes a long. Each row of 2.4 MB is read past the reader's buffer;
  // cut after the top row, the bottom row reads as 0.
  Image wide = MakeFlatImage(400000, 2, 0x1234);
  wide.r[0] = 0xBEEF;
  wide.b[799999] = 0xCAFE;
  ASSERT_TRUE(WriteTiff(path, wide));
  const std::string wide_file = ReadBytes(path);
  EXPECT_EQ(wide_file.substr(10, 12), Le16(256) + Le16(4) + Le32(1) + Le32(400000));
  ASSERT_EQ(ReadImageFile(path, image_), kReadOk);
  EXPECT_TRUE(SamePlanes(image_, wide));
  WriteBytes(path, wide_file.substr(0, 128 + 2400000));
  ASSERT_EQ(ReadImageFile(path, image_), kReadOk);
  EXPECT_EQ(Ints({image_.b[799999], image_.r[0]}), Ints({0xCAFE, 0}));
  EXPECT_FALSE(WriteTiff(dir_ + "/e.tif", Image{}));
  EXPECT_FALSE(PathExists(dir_ + "/e.tif"));
  EXPECT_FALSE(WriteTiff(dir_ + "/no/such/folder/x.tif", img));
}

TEST_F(TiffTest, Layouts) {
  // Plain 8 and 16-bit files of either byte order, with one or more strips and an alpha sample, come from other tools
  // (codec_interop_test); here the layouts they do not write.
  // Bits per sample as the array 8, 8, 8 (6 bytes, so stored apart).
  const uint32_t at7 = DataStart(7);
  std::vector<Tag> bits_array = RgbTags(2, 1, 0, at7 + 6);
  bits_array[2] = {258, 3, 3, at7};
  // 1 x 3, one row per strip, bottom strip first, a gap between: the offsets decide. Offsets, counts, strips 2, junk,
  // 1, 0.
  const uint32_t at9 = DataStart(9), data_at = at9 + 24;
  const std::string strip_tables =
      Le32(data_at + 11) + Le32(data_at + 8) + Le32(data_at) + Le32(3) + Le32(3) + Le32(3) +
      Raw({30, 31, 32, 9, 9, 9, 9, 9, 20, 21, 22, 10, 11, 12});
  std::vector<Tag> strips = RgbTags(1, 3, 8, at9, {{278, 3, 1, 1}, {279, 4, 3, at9 + 12}});
  strips[5] = {273, 4, 3, at9};
  // The layout older versions wrote: directory at 18, strip offsets with count 2048 at offset 14 (the table runs past
  // the end of the file), no rows per strip, no byte counts; raster at 128.
  std::string old = "II" + Le16(42) + Le32(18) + Le16(16) + Le16(16) + Le16(16) + Le32(128) + Le16(8);
  const uint32_t entries[8][4] = {{256, 3, 1, 2}, {257, 3, 1, 1}, {258, 3, 3, 8}, {259, 3, 1, 1}, {262, 3, 1, 2},
                                  {273, 4, 2048, 14}, {274, 3, 1, 1}, {277, 3, 1, 3}};
  for (const auto& e : entries) old += Le16(e[0]) + Le16(e[1]) + Le32(e[2]) + Le32(e[3]);
  old += Le32(0) + std::string(8, '\0');
  old += Le16(0x1111) + Le16(0x2222) + Le16(0x3333) + Le16(0x4444) + Le16(0x5555) + Le16(0x6666);
  // Two strips far apart: file row 0 (10 11 12) at 2000000, past the reader's 1 MiB buffer, row 1 (20 21 22) back at
  // 138; each is read from its own offset.
  std::vector<Tag> far = RgbTags(1, 2, 8, 122, {{278, 3, 1, 1}, {279, 4, 2, 130}});
  far[5].count = 2;
  std::string far_data = Le32(2000000) + Le32(138) + Le32(3) + Le32(3) + Raw({20, 21, 22});
  far_data += std::string(2000000 - 122 - far_data.size(), '\0') + Raw({10, 11, 12}) + std::string(1 << 20, '\0');
  ExpectPlanes(".tif", {
      {"strips far apart", TiffFile(false, far, far_data), 1, 256, {20, 10}, {21, 11}, {22, 12}},
      {"bits as an array", TiffFile(false, bits_array, Le16(8) + Le16(8) + Le16(8) + Raw({1, 2, 3, 250, 251, 252})),
       2, 256, {1, 250}, {2, 251}, {3, 252}},
      // R bits 10-14, G 5-9, B 0-4, x 2048: 0x7C00 is red 31, 0x03E1 green 31 and blue 1. Big-endian words.
      {"5-bit fields", TiffFile(true, RgbTags(2, 1, 5, at7), Be16(0x7C00) + Be16(0x03E1)), 2, 2048, {31, 0}, {0, 31},
       {0, 1}},
      {"strips at their own offsets", TiffFile(false, strips, strip_tables), 1, 256, {30, 20, 10}, {31, 21, 11},
       {32, 22, 12}}, {"old single-strip layout", old, 2, 1, {0x1111, 0x4444}, {0x2222, 0x5555}, {0x3333, 0x6666}},
      // The file ends after the top row and one byte.
      {"truncated", TiffFile(false, RgbTags(2, 2, 8, at7), Raw({1, 2, 3, 4, 5, 6, 7})), 2, 256, {7, 0, 1, 4},
       {0, 0, 2, 5}, {0, 0, 3, 6}}, {"byte count 4 cuts the second pixel",
       TiffFile(false, RgbTags(2, 1, 8, DataStart(8), {{279, 4, 1, 4}}), Raw({1, 2, 3, 4, 5, 6})), 2, 256, {1, 4},
       {2, 0}, {3, 0}},
      // A count of 3 ends a two-row strip after its first row: the second (memory row 0) reads as 0.
      {"byte count 3 in a two-row strip", TiffFile(false, RgbTags(1, 2, 8, DataStart(8), {{279, 4, 1, 3}}),
       Raw({1, 2, 3, 4, 5, 6})), 1, 256, {0, 1}, {0, 2}, {0, 3}},
      {"strip past the end", TiffFile(false, RgbTags(1, 1, 8, 100000), Raw({1, 2, 3})), 1, 1, {0}, {0}, {0}},
  });
}

TEST_F(TiffTest, Refusals) {
  own_ = ReadTiffFrom;
  const std::string px = Raw({1, 2, 3});
  const uint32_t at7 = DataStart(7), at8 = DataStart(8);
  auto with = [&](int index, Tag t) {
    std::vector<Tag> tags = RgbTags(1, 1, 8, at7);
    tags[static_cast<size_t>(index)] = t;
    return TiffFile(false, tags, px);
  };
  auto plus = [&](Tag t) { return TiffFile(false, RgbTags(1, 1, 8, at8, {t}), px); };
  const std::string good = TiffFile(false, RgbTags(1, 1, 8, at7), px);
  std::string bad_mark = good, big_tiff = good, magic41 = good, far_directory = good;
  bad_mark[1] = 'M';
  big_tiff[2] = 43;
  magic41[2] = 41;
  far_directory[4] = '\x7f';
  ExpectRefused(".tif", {{"gray", with(4, {262, 3, 1, 1}), kReadUnsupported},
                 {"LZW", with(3, {259, 3, 1, 5}), kReadUnsupported},
                 {"12 bits", with(2, {258, 3, 1, 12}), kReadUnsupported},
                 {"one sample", with(6, {277, 3, 1, 1}), kReadUnsupported},
                 {"no width", with(0, {300, 3, 1, 1}), kReadBadFormat},
                 {"no strips", with(5, {300, 3, 1, 1}), kReadBadFormat},
                 {"separate planes", plus({284, 3, 1, 2}), kReadUnsupported},
                 {"tiles", plus({322, 3, 1, 16}), kReadUnsupported},
                 {"float samples", plus({339, 3, 1, 3}), kReadUnsupported},
                 {"mixed byte-order mark", bad_mark, kReadBadFormat}, {"BigTIFF", big_tiff, kReadUnsupported},
                 {"magic 41", magic41, kReadBadFormat}, {"directory past the end", far_directory, kReadBadFormat},
                 {"cut in the header", "II*", kReadBadFormat}, {"not a TIFF", "P6\n1 1\n255\nabc", kReadBadFormat}},
                TiffFile(false, RgbTags(60000, 60000, 8, at7), px));  // a 10.8 GB raster in a tiny file
}

}  // namespace
}  // namespace tavo
