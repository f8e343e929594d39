// SPDX-License-Identifier: MIT
// FITS files built card by card.
#include "io/fits.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/memory.h"
#include "tests/io/bytes.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

std::string Card(const std::string& text) { return text + std::string(80 - text.size(), ' '); }

// "KEY     = value" with the value right-aligned in columns 11 to 30.
std::string Value(const std::string& key, const std::string& value) {
  std::string k = key + std::string(8 - key.size(), ' ');
  return Card(k + "= " + std::string(20 - value.size(), ' ') + value);
}

// The cards, "END", spaces up to the 2880-byte block when `padded`, then
// `data`.
std::string FitsFile(const std::vector<std::string>& cards, const std::string& data, bool padded = true) {
  std::string f = Value("SIMPLE", "T");
  for (const std::string& c : cards) f += c;
  f += Card("END");
  if (padded) f += std::string((2880 - f.size() % 2880) % 2880, ' ');
  return f + data;
}

std::vector<std::string> Axes(int bitpix, int w, int h) {
  return {Value("BITPIX", std::to_string(bitpix)), Value("NAXIS", "2"), Value("NAXIS1", std::to_string(w)),
          Value("NAXIS2", std::to_string(h))};
}

std::vector<std::string> With(std::vector<std::string> cards, const std::string& extra) {
  cards.push_back(extra);
  return cards;
}

class FitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempDir("fits_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }
  ReadStatus Load(const std::string& bytes) {
    const std::string path = dir_ + "/t.fts";
    WriteBytes(path, bytes);
    return ReadImageFile(path, image_);
  }
  uint16_t R(int x, int row) const { return Sample(image_.r.get(), image_, x, row); }

  std::string dir_;
  Image image_;
};

TEST_F(FitsTest, SixteenBitWithUnsignedOffset) {
  // BZERO 32768: raw -32768 (80 00) -> 0, raw 32767 (7F FF) -> 65535,
  // raw 0 -> 32768.
  auto cards = With(With(Axes(16, 3, 1), Value("BZERO", "32768")), Value("BSCALE", "1"));
  ASSERT_EQ(Load(FitsFile(cards, Raw({0x80, 0x00, 0x7F, 0xFF, 0x00, 0x00}))), kReadOk);
  ASSERT_EQ(image_.width, 3);
  ASSERT_EQ(image_.height, 1);
  EXPECT_EQ(R(0, 0), 0);
  EXPECT_EQ(R(1, 0), 65535);
  EXPECT_EQ(R(2, 0), 32768);
  // Gray: the same value in all three planes.
  EXPECT_EQ(image_.g[1], 65535);
  EXPECT_EQ(image_.b[1], 65535);
  EXPECT_EQ(image_.monochrome, 0);
}

TEST_F(FitsTest, EightAndThirtyTwoBit) {
  // 8 bits: v x 256.
  ASSERT_EQ(Load(FitsFile(Axes(8, 3, 1), Raw({255, 0, 1}))), kReadOk);
  EXPECT_EQ(R(0, 0), 65280);
  EXPECT_EQ(R(1, 0), 0);
  EXPECT_EQ(R(2, 0), 256);
  // 32 bits: the top 16 bits, 0x0102 = 258.
  ASSERT_EQ(Load(FitsFile(Axes(32, 1, 1), Raw({1, 2, 3, 4}))), kReadOk);
  EXPECT_EQ(R(0, 0), 258);
  // Unsigned 32-bit data (BZERO 2^31): raw -2^31 is 0, raw 2^31 - 1 is
  // 0xFFFFFFFF -> 65535, raw 0 is 2^31 -> 0x8000.
  auto cards = With(Axes(32, 3, 1), Value("BZERO", "2147483648"));
  ASSERT_EQ(Load(FitsFile(cards, Raw({0x80, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}))), kReadOk);
  EXPECT_EQ(R(0, 0), 0);
  EXPECT_EQ(R(1, 0), 65535);
  EXPECT_EQ(R(2, 0), 32768);
}

TEST_F(FitsTest, FirstDataRowIsTheBottomRow) {
  ASSERT_EQ(Load(FitsFile(Axes(8, 1, 2), Raw({10, 20}))), kReadOk);
  EXPECT_EQ(R(0, 0), 10 * 256);
  EXPECT_EQ(R(0, 1), 20 * 256);
}

TEST_F(FitsTest, ValueSyntax) {
  {
    // "1.0" is 1; a value followed by a comment is read up to the comment.
    std::vector<std::string> cards = {Value("BITPIX", "8"), Card("NAXIS1  =                  640 / width"),
                                      Value("NAXIS2", "1"), Value("BSCALE", "1.0")};
    ASSERT_EQ(Load(FitsFile(cards, std::string(640, '\x02'))), kReadOk);
    EXPECT_EQ(image_.width, 640);
    EXPECT_EQ(R(639, 0), 512);
  }
  {
    // Exponents, "D" exponents and trailing zeros after the point.
    auto cards = With(With(Axes(16, 1, 1), Value("BZERO", "3.2768E4")), Value("BSCALE", "10.00D-1"));
    ASSERT_EQ(Load(FitsFile(cards, Raw({0x80, 0x00}))), kReadOk);
    EXPECT_EQ(R(0, 0), 0);
  }
}

TEST_F(FitsTest, SignsAreKept) {
  {
    // BZERO -100: 1000 - 100 = 900.
    ASSERT_EQ(Load(FitsFile(With(Axes(16, 1, 1), Value("BZERO", "-100")), Raw({0x03, 0xE8}))), kReadOk);
    EXPECT_EQ(R(0, 0), 900);
  }
  {
    // BSCALE 2, BZERO -1: 5 x 2 - 1 = 9.
    auto cards = With(With(Axes(16, 1, 1), Value("BSCALE", "2")), Value("BZERO", "-1"));
    ASSERT_EQ(Load(FitsFile(cards, Raw({0, 5}))), kReadOk);
    EXPECT_EQ(R(0, 0), 9);
  }
  {
    // BSCALE -1: 0 - 3 = -3, which is 65533 modulo 65536.
    ASSERT_EQ(Load(FitsFile(With(Axes(16, 1, 1), Value("BSCALE", "-1")), Raw({0, 3}))), kReadOk);
    EXPECT_EQ(R(0, 0), 65533);
  }
  {
    // BITPIX 8, BZERO -256: 2 x 256 - 256 = 256.
    ASSERT_EQ(Load(FitsFile(With(Axes(8, 1, 1), Value("BZERO", "-256")), Raw({2}))), kReadOk);
    EXPECT_EQ(R(0, 0), 256);
  }
  {
    // Results wrap modulo 65536: 2 x 0x8001 = 0x10002 -> 2.
    ASSERT_EQ(Load(FitsFile(With(Axes(16, 1, 1), Value("BSCALE", "2")), Raw({0x80, 0x01}))), kReadOk);
    EXPECT_EQ(R(0, 0), 2);
  }
}

TEST_F(FitsTest, WhereTheDataStart) {
  {
    // A padded header: data start at byte 2880 even when they begin with
    // bytes that look like blank cards (0x20 = 32 -> 8192).
    ASSERT_EQ(Load(FitsFile(Axes(8, 100, 1), std::string(100, ' '))), kReadOk);
    EXPECT_EQ(R(0, 0), 8192);
    EXPECT_EQ(R(99, 0), 8192);
  }
  {
    // No padding: the data follow "END" directly.
    ASSERT_EQ(Load(FitsFile(Axes(8, 1, 1), Raw({7}), false)), kReadOk);
    EXPECT_EQ(R(0, 0), 7 * 256);
  }
  {
    // No padding but two blank cards: they are skipped.
    ASSERT_EQ(Load(FitsFile(Axes(8, 1, 1), std::string(160, ' ') + Raw({7}), false)), kReadOk);
    EXPECT_EQ(R(0, 0), 7 * 256);
  }
}

TEST_F(FitsTest, TruncatedDataReadAsZero) {
  // Row 0 whole, row 1 cut inside its first value, row 2 missing.
  ASSERT_EQ(Load(FitsFile(Axes(16, 2, 3), Raw({0, 1, 0, 2, 0}))), kReadOk);
  EXPECT_EQ(R(0, 0), 1);
  EXPECT_EQ(R(1, 0), 2);
  EXPECT_EQ(R(0, 1), 0);
  EXPECT_EQ(R(1, 1), 0);
  EXPECT_EQ(R(0, 2), 0);
  EXPECT_EQ(image_.b[5], 0);
}

TEST_F(FitsTest, RefusedFilesLeaveTheImageUntouched) {
  image_ = MakePositionImage(2, 2);
  image_.name = "keep";
  const Image before = MakePositionImage(2, 2);
  const std::string data(16, '\0');
  std::string no_end = FitsFile(Axes(8, 1, 1), "");
  no_end = no_end.substr(0, 5 * 80);
  struct Case {
    const char* what;
    std::string bytes;
    ReadStatus expected;
  };
  const Case cases[] = {
      {"float", FitsFile(Axes(-32, 1, 1), data), kReadUnsupported},
      {"double", FitsFile(Axes(-64, 1, 1), data), kReadUnsupported},
      {"64-bit", FitsFile(Axes(64, 1, 1), data), kReadUnsupported},
      {"BITPIX 12", FitsFile(Axes(12, 1, 1), data), kReadBadFormat},
      {"fractional BSCALE", FitsFile(With(Axes(16, 1, 1), Value("BSCALE", "0.5")), data), kReadUnsupported},
      {"fractional BZERO", FitsFile(With(Axes(16, 1, 1), Value("BZERO", "1.25E1")), data), kReadUnsupported},
      {"text BZERO", FitsFile(With(Axes(16, 1, 1), Value("BZERO", "'abc'")), data), kReadBadFormat},
      {"no END", no_end, kReadBadFormat},
      {"no NAXIS2", FitsFile({Value("BITPIX", "8"), Value("NAXIS1", "1")}, data), kReadBadFormat},
      {"no BITPIX", FitsFile({Value("NAXIS1", "1"), Value("NAXIS2", "1")}, data), kReadBadFormat},
      {"NAXIS1 0", FitsFile(Axes(8, 0, 1), data), kReadBadFormat},
      {"negative NAXIS2", FitsFile(Axes(8, 1, -4), data), kReadBadFormat},
      {"short card", "SIMPLE  =", kReadBadFormat},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.bytes), c.expected) << c.what;
    EXPECT_TRUE(SamePlanes(image_, before)) << c.what;
    EXPECT_EQ(image_.name, "keep") << c.what;
  }
  EXPECT_EQ(ReadImageFile(dir_ + "/missing.fts", image_), kReadCannotOpen);
  SetAvailableMemoryForTest(64 << 20);
  EXPECT_EQ(Load(FitsFile(Axes(16, 100000, 100000), data)), kReadBadFormat);  // data the file cannot hold
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(SamePlanes(image_, before));
}

}  // namespace
}  // namespace tavo
