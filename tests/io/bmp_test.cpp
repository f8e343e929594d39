// SPDX-License-Identifier: MIT
// BMP files built byte by byte. Palette entries and pixel bytes are chosen
// so that every expected sample can be read off as byte x 256.
#include "io/bmp.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/memory.h"
#include "tests/io/bytes.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// File header and 40-byte information header; the raster starts at
// `data_offset`.
std::string Header(int32_t width, int32_t height, int bits, uint32_t compression, uint32_t data_offset,
                   uint32_t colors_used = 0) {
  return "BM" + Le32(0) + Le32(0) + Le32(data_offset) + Le32(40) + Le32(static_cast<uint32_t>(width)) +
         Le32(static_cast<uint32_t>(height)) + Le16(1) + Le16(static_cast<uint32_t>(bits)) + Le32(compression) +
         Le32(0) + Le32(0) + Le32(0) + Le32(colors_used) + Le32(0);
}

// `count` 4-byte entries; entry i has red i * red_step (mod 256), green and
// blue 0.
std::string RedPalette(int count, int red_step) {
  std::string p;
  for (int i = 0; i < count; ++i) p += Raw({0, 0, (i * red_step) & 255, 0});
  return p;
}

// An indexed file with the red palette above; the raster follows it.
std::string IndexedFile(int w, int h, int bits, uint32_t compression, int red_step, const std::string& raster) {
  const int entries = 1 << bits;
  return Header(w, h, bits, compression, 54 + 4 * entries) + RedPalette(entries, red_step) + raster;
}

class BmpTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TempDir("bmp_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())); }
  // Writes `bytes` and reads them back into image_.
  ReadStatus Load(const std::string& bytes) {
    const std::string path = dir_ + "/t.bmp";
    WriteBytes(path, bytes);
    return ReadImageFile(path, image_);
  }
  uint16_t R(int x, int row) const { return Sample(image_.r.get(), image_, x, row); }
  uint16_t G(int x, int row) const { return Sample(image_.g.get(), image_, x, row); }
  uint16_t B(int x, int row) const { return Sample(image_.b.get(), image_, x, row); }

  std::string dir_;
  Image image_;
};

TEST_F(BmpTest, TwentyFourBitRowsArePaddedAndBottomUp) {
  // 3 pixels = 9 bytes + 3 padding per row; file row 0 is memory row 0.
  const std::string raster = Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0});
  ASSERT_EQ(Load(Header(3, 2, 24, 0, 54) + raster), kReadOk);
  ASSERT_EQ(image_.width, 3);
  ASSERT_EQ(image_.height, 2);
  EXPECT_EQ(R(0, 0), 3 * 256);
  EXPECT_EQ(G(0, 0), 2 * 256);
  EXPECT_EQ(B(0, 0), 1 * 256);
  EXPECT_EQ(R(2, 0), 9 * 256);
  EXPECT_EQ(R(1, 1), 15 * 256);
  EXPECT_EQ(G(1, 1), 14 * 256);
  EXPECT_EQ(B(1, 1), 13 * 256);
  EXPECT_EQ(B(2, 1), 16 * 256);
  EXPECT_NE(image_.name.find("t.bmp"), std::string::npos);
}

TEST_F(BmpTest, NegativeHeightIsTopDown) {
  const std::string raster = Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0});
  ASSERT_EQ(Load(Header(3, -2, 24, 0, 54) + raster), kReadOk);
  ASSERT_EQ(image_.height, 2);
  // The first file row is the top of the picture: memory row 1.
  EXPECT_EQ(R(0, 1), 3 * 256);
  EXPECT_EQ(R(2, 1), 9 * 256);
  EXPECT_EQ(R(1, 0), 15 * 256);
}

TEST_F(BmpTest, ThirtyTwoBitHasNoPaddingAndSkipsTheFourthByte) {
  // 3 x 4 = 12 bytes per row, already a multiple of 4.
  const std::string raster =
      Raw({1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99, 10, 11, 12, 99, 13, 14, 15, 99, 16, 17, 18, 99});
  ASSERT_EQ(Load(Header(3, 2, 32, 0, 54) + raster), kReadOk);
  EXPECT_EQ(R(2, 0), 9 * 256);
  EXPECT_EQ(G(2, 0), 8 * 256);
  EXPECT_EQ(B(2, 0), 7 * 256);
  EXPECT_EQ(R(0, 1), 12 * 256);
  EXPECT_EQ(B(2, 1), 16 * 256);
}

TEST_F(BmpTest, IndexedDepths) {
  {
    // 8 bits, entry i = blue i, green 255 - i, red i / 2; 2 bytes padding.
    std::string palette;
    for (int i = 0; i < 256; ++i) palette += Raw({i, 255 - i, i / 2, 0});
    ASSERT_EQ(Load(Header(2, 2, 8, 0, 54 + 1024) + palette + Raw({0, 200, 0, 0, 255, 7, 0, 0})), kReadOk);
    EXPECT_EQ(R(1, 0), 100 * 256);  // entry 200
    EXPECT_EQ(G(1, 0), 55 * 256);
    EXPECT_EQ(B(1, 0), 200 * 256);
    EXPECT_EQ(R(0, 1), 127 * 256);  // entry 255
    EXPECT_EQ(G(0, 1), 0);
    EXPECT_EQ(B(0, 1), 255 * 256);
    EXPECT_EQ(G(1, 1), 248 * 256);  // entry 7
  }
  {
    // 4 bits, width 5: 3 bytes + 1 padding; the low nibble of 0x5F is not
    // a pixel. Entry i has red 16 i, so sample = i x 4096.
    ASSERT_EQ(Load(IndexedFile(5, 2, 4, 0, 16, Raw({0x12, 0x34, 0x5F, 0, 0xAB, 0xCD, 0xE0, 0}))), kReadOk);
    EXPECT_EQ(R(0, 0), 1 * 4096);
    EXPECT_EQ(R(1, 0), 2 * 4096);
    EXPECT_EQ(R(3, 0), 4 * 4096);
    EXPECT_EQ(R(4, 0), 5 * 4096);
    EXPECT_EQ(R(0, 1), 10 * 4096);
    EXPECT_EQ(R(4, 1), 14 * 4096);
  }
  {
    // 1 bit, width 10: 0xB0 0x40 = 1011 0000 01, then 2 padding bytes.
    const std::string file = Header(10, 1, 1, 0, 62) + Raw({0, 0, 0, 0, 10, 20, 30, 0}) + Raw({0xB0, 0x40, 0, 0});
    ASSERT_EQ(Load(file), kReadOk);
    const int expected[10] = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(R(x, 0), expected[x] * 30 * 256) << "x=" << x;
      EXPECT_EQ(B(x, 0), expected[x] * 10 * 256) << "x=" << x;
    }
  }
  {
    // Three colours used: index 5 lies beyond the palette and is black;
    // the raster follows the short palette.
    const std::string file =
        Header(2, 1, 8, 0, 54 + 12, 3) + Raw({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}) + Raw({2, 5, 0, 0});
    ASSERT_EQ(Load(file), kReadOk);
    EXPECT_EQ(R(0, 0), 9 * 256);
    EXPECT_EQ(B(0, 0), 7 * 256);
    EXPECT_EQ(R(1, 0), 0);
    EXPECT_EQ(G(1, 0), 0);
  }
}

TEST_F(BmpTest, RunLengthEightBit) {
  // Palette entry i has red i: sample = i x 256.
  {
    // Each row complete and closed by an end-of-line escape, then the
    // end-of-bitmap escape.
    ASSERT_EQ(Load(IndexedFile(3, 2, 8, 1, 1, Raw({3, 5, 0, 0, 2, 7, 1, 8, 0, 0, 0, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 5 * 256);
    EXPECT_EQ(R(2, 0), 5 * 256);
    EXPECT_EQ(R(0, 1), 7 * 256);
    EXPECT_EQ(R(1, 1), 7 * 256);
    EXPECT_EQ(R(2, 1), 8 * 256);
  }
  {
    // Absolute run of 3 padded to 4 bytes, then an encoded run: the pad
    // byte must be skipped or the 9 would be lost.
    ASSERT_EQ(Load(IndexedFile(4, 1, 8, 1, 1, Raw({0, 3, 1, 2, 3, 0, 1, 9, 0, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 1 * 256);
    EXPECT_EQ(R(2, 0), 3 * 256);
    EXPECT_EQ(R(3, 0), 9 * 256);
  }
  {
    // Delta (2, 1) from (1, 0) to (3, 1): the pixels passed stay 0.
    ASSERT_EQ(Load(IndexedFile(4, 3, 8, 1, 1, Raw({1, 4, 0, 2, 2, 1, 1, 6, 0, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 4 * 256);
    EXPECT_EQ(R(1, 0), 0);
    EXPECT_EQ(R(0, 1), 0);
    EXPECT_EQ(R(2, 1), 0);
    EXPECT_EQ(R(3, 1), 6 * 256);
  }
  {
    // End of line before the row is complete moves on to the next row.
    ASSERT_EQ(Load(IndexedFile(3, 2, 8, 1, 1, Raw({1, 4, 0, 0, 1, 6, 0, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 4 * 256);
    EXPECT_EQ(R(1, 0), 0);
    EXPECT_EQ(R(0, 1), 6 * 256);
  }
  {
    // A row given only as end-of-line is empty; a complete row followed by
    // end-of-line moves just one row.
    ASSERT_EQ(Load(IndexedFile(2, 3, 8, 1, 1, Raw({0, 0, 2, 3, 0, 0, 2, 5, 0, 1}))), kReadOk);
    EXPECT_EQ(R(1, 0), 0);
    EXPECT_EQ(R(0, 1), 3 * 256);
    EXPECT_EQ(R(1, 1), 3 * 256);
    EXPECT_EQ(R(0, 2), 5 * 256);
    EXPECT_EQ(R(1, 2), 5 * 256);
  }
  {
    // A run longer than the row is cut at the row's end, as encoders that
    // pad rows to an even width rely on.
    ASSERT_EQ(Load(IndexedFile(3, 2, 8, 1, 1, Raw({4, 9, 0, 0, 1, 5, 0, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 9 * 256);
    EXPECT_EQ(R(2, 0), 9 * 256);
    EXPECT_EQ(R(0, 1), 5 * 256);
    EXPECT_EQ(R(1, 1), 0);
  }
  {
    // Runs, deltas and absolute runs beyond the picture write nothing
    // outside it (the sanitizer build checks the planes' bounds).
    // 3 x 2: delta to x = 1, then an absolute run of 5 threes of which two
    // fit; the rest is dropped, not carried into the next row.
    ASSERT_EQ(Load(IndexedFile(3, 2, 8, 1, 1, Raw({0, 2, 1, 0, 0, 5, 3, 3, 3, 3, 3, 0, 0, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 0);
    EXPECT_EQ(R(1, 0), 3 * 256);
    EXPECT_EQ(R(2, 0), 3 * 256);
    EXPECT_EQ(R(0, 1), 0);
    // 2 x 2: a delta far past the end of row 0 drops the run that follows;
    // after the end of line a run of 255 fills row 1 and stops there.
    ASSERT_EQ(Load(IndexedFile(2, 2, 8, 1, 1, Raw({0, 2, 200, 0, 255, 7, 0, 0, 255, 7}))), kReadOk);
    EXPECT_EQ(R(0, 0), 0);
    EXPECT_EQ(R(1, 0), 0);
    EXPECT_EQ(R(0, 1), 7 * 256);
    EXPECT_EQ(R(1, 1), 7 * 256);
    // A delta beyond the last row ends decoding.
    ASSERT_EQ(Load(IndexedFile(2, 2, 8, 1, 1, Raw({0, 2, 0, 9, 2, 7, 0, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 0);
    EXPECT_EQ(R(1, 1), 0);
    // 2 x 1: one run of 255.
    ASSERT_EQ(Load(IndexedFile(2, 1, 8, 1, 1, Raw({255, 1}))), kReadOk);
    EXPECT_EQ(R(0, 0), 256);
    EXPECT_EQ(R(1, 0), 256);
  }
}

TEST_F(BmpTest, RunLengthFourBit) {
  // Entry i has red 16 i: sample = i x 4096.
  {
    // An encoded run of 5 with 0x12 alternates 1, 2, 1, 2, 1.
    ASSERT_EQ(Load(IndexedFile(5, 1, 4, 2, 16, Raw({5, 0x12, 0, 1}))), kReadOk);
    const int expected[5] = {1, 2, 1, 2, 1};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(R(x, 0), expected[x] * 4096) << "x=" << x;
  }
  {
    // Absolute run of 5 in 3 bytes, padded to 4; then a run of 4 in 2 bytes
    // needs no padding.
    ASSERT_EQ(Load(IndexedFile(9, 1, 4, 2, 16, Raw({0, 5, 0x12, 0x34, 0x50, 0, 0, 4, 0x67, 0x89, 0, 1}))),
              kReadOk);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(R(x, 0), (x + 1) * 4096) << "x=" << x;
  }
}

TEST_F(BmpTest, CoreHeaderWithThreeBytePalette) {
  // 12-byte header: 16-bit width and height. Palette entries are blue,
  // green, red: entry i = (i, i, 255 - i).
  std::string file = "BM" + Le32(0) + Le32(0) + Le32(14 + 12 + 768) + Le32(12) + Le16(2) + Le16(1) + Le16(1) + Le16(8);
  for (int i = 0; i < 256; ++i) file += Raw({i, i, 255 - i});
  file += Raw({1, 2, 0, 0});
  ASSERT_EQ(Load(file), kReadOk);
  EXPECT_EQ(R(0, 0), 254 * 256);
  EXPECT_EQ(G(0, 0), 1 * 256);
  EXPECT_EQ(B(0, 0), 1 * 256);
  EXPECT_EQ(R(1, 0), 253 * 256);
}

TEST_F(BmpTest, SixteenAndThirtyTwoBitMasks) {
  {
    // No compression: 5-5-5. 0x7C00 is red 31, 0x03E1 green 31 + blue 1;
    // a 5-bit field v becomes v x 2048.
    ASSERT_EQ(Load(Header(2, 1, 16, 0, 54) + Le16(0x7C00) + Le16(0x03E1)), kReadOk);
    EXPECT_EQ(R(0, 0), 31 * 2048);
    EXPECT_EQ(G(0, 0), 0);
    EXPECT_EQ(G(1, 0), 31 * 2048);
    EXPECT_EQ(B(1, 0), 1 * 2048);
  }
  {
    // Bit fields 5-6-5 behind a 40-byte header: green 63 -> 63 x 1024.
    const std::string masks = Le32(0xF800) + Le32(0x07E0) + Le32(0x001F);
    ASSERT_EQ(Load(Header(2, 1, 16, 3, 66) + masks + Le16(0x07E0) + Le16(0xF81F)), kReadOk);
    EXPECT_EQ(G(0, 0), 63 * 1024);
    EXPECT_EQ(R(0, 0), 0);
    EXPECT_EQ(R(1, 0), 31 * 2048);
    EXPECT_EQ(B(1, 0), 31 * 2048);
  }
  {
    // 32 bits with red in the lowest byte: bytes 11 22 33 00 (hex).
    const std::string masks = Le32(0x0000FF) + Le32(0x00FF00) + Le32(0xFF0000);
    ASSERT_EQ(Load(Header(1, 1, 32, 3, 66) + masks + Raw({0x11, 0x22, 0x33, 0})), kReadOk);
    EXPECT_EQ(R(0, 0), 0x1100);
    EXPECT_EQ(G(0, 0), 0x2200);
    EXPECT_EQ(B(0, 0), 0x3300);
  }
}

TEST_F(BmpTest, DataOffsetIsFollowed) {
  // Four junk bytes between the header and the raster.
  ASSERT_EQ(Load(Header(1, 1, 24, 0, 58) + Raw({9, 9, 9, 9, 1, 2, 3, 0})), kReadOk);
  EXPECT_EQ(R(0, 0), 3 * 256);
  // An offset pointing into the header is impossible: the raster is taken
  // as following the header.
  ASSERT_EQ(Load(Header(1, 1, 24, 0, 0) + Raw({1, 2, 3, 0})), kReadOk);
  EXPECT_EQ(R(0, 0), 3 * 256);
}

TEST_F(BmpTest, TruncatedRasterReadsAsZero) {
  // 2 x 3, 24 bits: row 0 complete, row 1 only its first two bytes.
  ASSERT_EQ(Load(Header(2, 3, 24, 0, 54) + Raw({1, 2, 3, 4, 5, 6, 0, 0, 7, 8})), kReadOk);
  EXPECT_EQ(R(1, 0), 6 * 256);
  EXPECT_EQ(B(0, 1), 7 * 256);
  EXPECT_EQ(G(0, 1), 8 * 256);
  EXPECT_EQ(R(0, 1), 0);
  EXPECT_EQ(B(1, 1), 0);
  EXPECT_EQ(R(1, 2), 0);
}

TEST_F(BmpTest, RefusedFilesLeaveTheImageUntouched) {
  image_ = MakePositionImage(2, 2);
  image_.name = "keep";
  const Image before = MakePositionImage(2, 2);
  const std::string ok_raster = Raw({1, 2, 3, 0});
  struct Case {
    const char* what;
    std::string bytes;
    ReadStatus expected;
  };
  std::string bad_sig = Header(1, 1, 24, 0, 54) + ok_raster;
  bad_sig[1] = 'X';
  std::string small_header = Header(1, 1, 24, 0, 54) + ok_raster;
  small_header[14] = 8;
  const Case cases[] = {
      {"signature", bad_sig, kReadBadFormat},
      {"cut in the header", Header(1, 1, 24, 0, 54).substr(0, 24), kReadBadFormat},
      {"header size 8", small_header, kReadBadFormat},
      {"width 0", Header(0, 1, 24, 0, 54) + ok_raster, kReadBadFormat},
      {"height 0", Header(1, 0, 24, 0, 54) + ok_raster, kReadBadFormat},
      {"negative width", Header(-3, 1, 24, 0, 54) + ok_raster, kReadBadFormat},
      {"lowest height", Header(1, INT32_MIN, 24, 0, 54) + ok_raster, kReadBadFormat},
      {"7 bits", Header(1, 1, 7, 0, 54) + ok_raster, kReadUnsupported},
      {"no bits", Header(1, 1, 0, 5, 54) + ok_raster, kReadUnsupported},
      {"embedded JPEG", Header(1, 1, 24, 4, 54) + ok_raster, kReadUnsupported},
      {"8 bits with masks", Header(1, 1, 8, 3, 54) + ok_raster, kReadUnsupported},
      {"1 bit run-length", Header(1, 1, 1, 1, 54) + ok_raster, kReadUnsupported},
      // Runs cover at most 255 pixels a 2 bytes: 4000000 pixels need 31374.
      {"run-length beyond the file", Header(2000, 2000, 8, 1, 54) + std::string(1024, '\0'), kReadBadFormat},
      {"empty", "", kReadBadFormat},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.bytes), c.expected) << c.what;
    EXPECT_TRUE(SamePlanes(image_, before)) << c.what;
    EXPECT_EQ(image_.name, "keep") << c.what;
  }
  EXPECT_EQ(ReadImageFile(dir_ + "/missing.bmp", image_), kReadCannotOpen);
  // 100000 x 100000 would need 60 GB of planes; a 58-byte file cannot hold
  // its 30 GB raster, so it is damaged and nothing is planned for it.
  SetAvailableMemoryForTest(64 << 20);
  EXPECT_EQ(Load(Header(100000, 100000, 24, 0, 54) + ok_raster), kReadBadFormat);
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(SamePlanes(image_, before));
}

// Samples with distinct high bytes and a low byte the writer must drop.
Image DistinctImage() {
  Image img;
  AllocateImagePlanes(img, 3, 2, true);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const int v = 10 * x + y + 1;  // 1..22
      const size_t i = static_cast<size_t>(y) * 3 + x;
      img.r[i] = static_cast<uint16_t>((v << 8) | 0x7F);
      img.g[i] = static_cast<uint16_t>(((v + 100) << 8) | 0xFF);
      img.b[i] = static_cast<uint16_t>((v + 200) << 8);
    }
  }
  return img;
}

TEST_F(BmpTest, WriterHeaderAndPaddedRows) {
  const std::string path = dir_ + "/w.bmp";
  ASSERT_TRUE(WriteBmp(path, DistinctImage()));
  const std::string f = ReadBytes(path);
  // 3 x 3 bytes + 3 padding = 12 per row, 2 rows, 54-byte header.
  ASSERT_EQ(f.size(), 78u);
  EXPECT_EQ(f.substr(0, 2), "BM");
  EXPECT_EQ(ReadLe32(f, 2), 78u);
  EXPECT_EQ(ReadLe32(f, 6), 0u);
  EXPECT_EQ(ReadLe32(f, 10), 54u);
  EXPECT_EQ(ReadLe32(f, 14), 40u);
  EXPECT_EQ(ReadLe32(f, 18), 3u);
  EXPECT_EQ(ReadLe32(f, 22), 2u);
  EXPECT_EQ(ReadLe16(f, 26), 1u);
  EXPECT_EQ(ReadLe16(f, 28), 24u);
  EXPECT_EQ(ReadLe32(f, 30), 0u);
  EXPECT_EQ(ReadLe32(f, 34), 24u);
  EXPECT_EQ(ReadLe32(f, 38), 128u);
  EXPECT_EQ(ReadLe32(f, 42), 128u);
  EXPECT_EQ(ReadLe32(f, 46), 0u);
  EXPECT_EQ(ReadLe32(f, 50), 0u);
  // Row 0 (bottom first): pixels v = 1, 11, 21 as blue v+200, green v+100,
  // red v; then 3 zero bytes. Row 1: v = 2, 12, 22.
  const std::string expected_raster = Raw({201, 101, 1, 211, 111, 11, 221, 121, 21, 0, 0, 0,
                                           202, 102, 2, 212, 112, 12, 222, 122, 22, 0, 0, 0});
  EXPECT_EQ(f.substr(54), expected_raster);
}

TEST_F(BmpTest, RoundTripKeepsTheTopEightBits) {
  const std::string path = dir_ + "/rt.bmp";
  const Image original = MakeNoiseImage(5, 3, 7);
  ASSERT_TRUE(WriteBmp(path, original));
  ASSERT_EQ(ReadImageFile(path, image_), kReadOk);
  ASSERT_EQ(image_.width, 5);
  ASSERT_EQ(image_.height, 3);
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < 15; ++i) EXPECT_EQ(image_.Channel(c)[i], original.Channel(c)[i] & 0xFF00);
  }
}

TEST_F(BmpTest, WriterRefusals) {
  Image empty;
  EXPECT_FALSE(WriteBmp(dir_ + "/e.bmp", empty));
  EXPECT_FALSE(PathExists(dir_ + "/e.bmp"));
  EXPECT_FALSE(WriteBmp(dir_ + "/no/such/folder/x.bmp", DistinctImage()));
}

TEST(BmpMemory, ReadsFromAMemoryBlock) {
  const std::string file = Header(1, 1, 24, 0, 54) + Raw({1, 2, 3, 0});
  ByteReader in;
  in.OpenMemory(file.data(), file.size());
  Image image;
  ASSERT_EQ(ReadBmpFrom(in, "mem", image), kReadOk);
  EXPECT_EQ(image.r[0], 3 * 256);
  EXPECT_EQ(image.name, "mem");
}

}  // namespace
}  // namespace tavo
