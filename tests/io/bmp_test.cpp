// SPDX-License-Identifier: MIT
// BMP files built byte by byte. Palette entries and pixel bytes are chosen so that every expected sample reads as byte
// x unit; planes are listed memory row 0 (the bottom) first.
#include "io/bmp.h"

#include <climits>

#include "tests/io/reader_test.h"

namespace tavo {
namespace {

// File header and 40-byte information header; the raster starts at `data_offset`.
std::string Header(int32_t width, int32_t height, int bits, uint32_t compression, uint32_t data_offset,
                   uint32_t colors_used = 0) {
  return "BM" + Le32(0) + Le32(0) + Le32(data_offset) + Le32(40) + Le32(static_cast<uint32_t>(width)) +
         Le32(static_cast<uint32_t>(height)) + Le16(1) + Le16(static_cast<uint32_t>(bits)) + Le32(compression) +
         Le32(0) + Le32(0) + Le32(0) + Le32(colors_used) + Le32(0);
}

// An indexed file whose palette entry i has red i * red_step (mod 256), green and blue 0; the raster follows.
std::string Indexed(int w, int h, int bits, uint32_t compression, int red_step, const std::string& raster) {
  std::string palette;
  for (int i = 0; i < (1 << bits); ++i) palette += Raw({0, 0, (i * red_step) & 255, 0});
  return Header(w, h, bits, compression, 54 + static_cast<uint32_t>(palette.size())) + palette + raster;
}
std::string Rle8(int w, int h, const std::string& data) { return Indexed(w, h, 8, 1, 1, data); }
std::string Rle4(int w, int h, const std::string& data) { return Indexed(w, h, 4, 2, 16, data); }

using BmpTest = ReaderTest;

TEST_F(BmpTest, Layouts) {
  // Pixels b g r = 1 2 3, 4 5 6, ...: 3 x 3 bytes + 3 padding per row.
  const std::string rows24 = Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0});
  std::string rows32;
  for (int i = 0; i < 6; ++i) rows32 += Raw({3 * i + 1, 3 * i + 2, 3 * i + 3, 99});
  const std::vector<int> r6 = {3, 6, 9, 12, 15, 18}, g6 = {2, 5, 8, 11, 14, 17}, b6 = {1, 4, 7, 10, 13, 16};
  const std::string masks565 = Le32(0xF800) + Le32(0x07E0) + Le32(0x001F);
  const std::string red_low = Le32(0x0000FF) + Le32(0x00FF00) + Le32(0xFF0000);
  ExpectPlanes(".bmp", {
      {"24 bits, rows padded, file row 0 at the bottom", Header(3, 2, 24, 0, 54) + rows24, 3, 256, r6, g6, b6},
      {"negative height: top-down", Header(3, -2, 24, 0, 54) + rows24, 3, 256, {12, 15, 18, 3, 6, 9}, {}, {}},
      {"32 bits: no padding, fourth byte skipped", Header(3, 2, 32, 0, 54) + rows32, 3, 256, r6, g6, b6},
      {"three colours used: index 5 is black",
       Header(2, 1, 8, 0, 54 + 12, 3) + Raw({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 2, 5, 0, 0}), 2, 256, {9, 0}, {8, 0},
       {7, 0}},
      // 0x7C00 is red 31, 0x03E1 green 31 and blue 1; 5 bits v -> v x 2048.
      {"16 bits 5-5-5", Header(2, 1, 16, 0, 54) + Le16(0x7C00) + Le16(0x03E1), 2, 2048, {31, 0}, {0, 31}, {0, 1}},
      // Green 63 -> 63 x 1024; red and blue 31 -> 62 x 1024.
      {"16-bit fields 5-6-5", Header(2, 1, 16, 3, 66) + masks565 + Le16(0x07E0) + Le16(0xF81F), 2, 1024, {0, 62},
       {63, 0}, {0, 62}},
      {"32-bit fields, red in the low byte", Header(1, 1, 32, 3, 66) + red_low + Raw({0x11, 0x22, 0x33, 0}), 1, 256,
       {0x11}, {0x22}, {0x33}},
      {"data offset past 4 junk bytes", Header(1, 1, 24, 0, 58) + Raw({9, 9, 9, 9, 1, 2, 3, 0}), 1, 256, {3}, {}, {}},
      {"offset inside the header: raster follows it", Header(1, 1, 24, 0, 0) + Raw({1, 2, 3, 0}), 1, 256, {3}, {}, {}},
      // Row 0 whole, row 1 only b 7 g 8, row 2 missing.
      {"truncated raster reads as 0", Header(2, 3, 24, 0, 54) + Raw({1, 2, 3, 4, 5, 6, 0, 0, 7, 8}), 2, 256,
       {3, 6, 0, 0, 0, 0}, {2, 5, 8, 0, 0, 0}, {1, 4, 7, 0, 0, 0}},
      // Run-length 8 (entry i is red i): runs, end of line (0 0), end (0 1).
      {"RLE8 rows closed by end of line", Rle8(3, 2, Raw({3, 5, 0, 0, 2, 7, 1, 8, 0, 0, 0, 1})), 3, 256,
       {5, 5, 5, 7, 7, 8}, {}, {}},
      {"RLE8 absolute 3, padded", Rle8(4, 1, Raw({0, 3, 1, 2, 3, 0, 1, 9, 0, 1})), 4, 256, {1, 2, 3, 9}, {}, {}},
      {"RLE8 delta (2, 1) writes nothing", Rle8(4, 3, Raw({1, 4, 0, 2, 2, 1, 1, 6, 0, 1})), 4, 256,
       {4, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0}, {}, {}},
      {"RLE8 early end of line", Rle8(3, 2, Raw({1, 4, 0, 0, 1, 6, 0, 1})), 3, 256, {4, 0, 0, 6, 0, 0}, {}, {}},
      {"RLE8 empty row, full row then end of line", Rle8(2, 3, Raw({0, 0, 2, 3, 0, 0, 2, 5, 0, 1})), 2, 256,
       {0, 0, 3, 3, 5, 5}, {}, {}},
      {"RLE8 run past the row end", Rle8(3, 2, Raw({4, 9, 0, 0, 1, 5, 0, 1})), 3, 256, {9, 9, 9, 5, 0, 0}, {}, {}},
      // Delta to x = 1, then five absolute threes of which two fit.
      {"RLE8 absolute run past the row end", Rle8(3, 2, Raw({0, 2, 1, 0, 0, 5, 3, 3, 3, 3, 3, 0, 0, 1})), 3, 256,
       {0, 3, 3, 0, 0, 0}, {}, {}},
      {"RLE8 delta far right drops the run", Rle8(2, 2, Raw({0, 2, 200, 0, 255, 7, 0, 0, 255, 7})), 2, 256,
       {0, 0, 7, 7}, {}, {}},
      {"RLE8 delta past the last row ends", Rle8(2, 2, Raw({0, 2, 0, 9, 2, 7, 0, 1})), 2, 256, {0, 0, 0, 0}, {}, {}},
      {"RLE8 one run of 255", Rle8(2, 1, Raw({255, 1})), 2, 256, {1, 1}, {}, {}},
      // Run-length 4 (entry i is red 16 i): runs alternate the two nibbles.
      {"RLE4 run of 5", Rle4(5, 1, Raw({5, 0x12, 0, 1})), 5, 4096, {1, 2, 1, 2, 1}, {}, {}},
      {"RLE4 absolute 5 padded, absolute 4 not", Rle4(9, 1, Raw({0, 5, 0x12, 0x34, 0x50, 0, 0, 4, 0x67, 0x89, 0, 1})),
       9, 4096, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, {}},
  });
  EXPECT_EQ(image_.name, dir_ + "/t.bmp");
}

TEST_F(BmpTest, Refusals) {
  const std::string ok = Raw({1, 2, 3, 0});
  std::string bad_sig = Header(1, 1, 24, 0, 54) + ok, small_header = bad_sig;
  bad_sig[1] = 'X';
  small_header[14] = 8;
  ExpectRefused(".bmp", {{"signature", bad_sig, kReadBadFormat},
                 {"cut in the header", Header(1, 1, 24, 0, 54).substr(0, 24), kReadBadFormat},
                 {"header size 8", small_header, kReadBadFormat},
                 {"width 0", Header(0, 1, 24, 0, 54) + ok, kReadBadFormat},
                 {"height 0", Header(1, 0, 24, 0, 54) + ok, kReadBadFormat},
                 {"negative width", Header(-3, 1, 24, 0, 54) + ok, kReadBadFormat},
                 {"lowest height", Header(1, INT32_MIN, 24, 0, 54) + ok, kReadBadFormat},
                 {"7 bits", Header(1, 1, 7, 0, 54) + ok, kReadUnsupported},
                 {"no bits", Header(1, 1, 0, 5, 54) + ok, kReadUnsupported},
                 {"embedded JPEG", Header(1, 1, 24, 4, 54) + ok, kReadUnsupported},
                 {"8 bits with masks", Header(1, 1, 8, 3, 54) + ok, kReadUnsupported},
                 {"1 bit run-length", Header(1, 1, 1, 1, 54) + ok, kReadUnsupported}, {"empty", "", kReadBadFormat}},
                Header(100000, 100000, 24, 0, 54) + ok);  // 60 GB of planes
}

TEST_F(BmpTest, WriterLayoutAndRoundTrip) {
  // High bytes 10 x + row + 1 (+100 green, +200 blue); the low bytes must go.
  Image img;
  AllocateImagePlanes(img, 3, 2, true);
  for (int i = 0; i < 6; ++i) {
    const int v = 10 * (i % 3) + i / 3 + 1;
    img.r[i] = static_cast<uint16_t>((v << 8) | 0x7F);
    img.g[i] = static_cast<uint16_t>(((v + 100) << 8) | 0xFF);
    img.b[i] = static_cast<uint16_t>((v + 200) << 8);
  }
  ASSERT_TRUE(WriteBmp(dir_ + "/w.bmp", img));
  // 54-byte header, rows of 9 bytes + 3 padding, bottom row first, b g r.
  const std::string header = "BM" + Le32(78) + Le32(0) + Le32(54) + Le32(40) + Le32(3) + Le32(2) + Le16(1) +
                             Le16(24) + Le32(0) + Le32(24) + Le32(128) + Le32(128) + Le32(0) + Le32(0);
  EXPECT_EQ(ReadBytes(dir_ + "/w.bmp"), header + Raw({201, 101, 1, 211, 111, 11, 221, 121, 21, 0, 0, 0, 202, 102, 2,
                                                      212, 112, 12, 222, 122, 22, 0, 0, 0}));
  EXPECT_FALSE(WriteBmp(dir_ + "/e.bmp", Image{}));
  EXPECT_FALSE(PathExists(dir_ + "/e.bmp"));
  EXPECT_FALSE(WriteBmp(dir_ + "/no/such/folder/x.bmp", img));
}

}  // namespace
}  // namespace tavo
