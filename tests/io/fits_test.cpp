// SPDX-License-Identifier: MIT
// FITS files built card by card.
#include "io/fits.h"

#include "tests/io/reader_test.h"

namespace tavo {
namespace {

std::string Card(const std::string& text) { return text + std::string(80 - text.size(), ' '); }

// "KEY     = value" with the value right-aligned in columns 11 to 30.
std::string Value(const std::string& key, const std::string& value) {
  return Card(key + std::string(8 - key.size(), ' ') + "= " + std::string(20 - value.size(), ' ') + value);
}

// SIMPLE, BITPIX, the two axes, `extra`, END, spaces up to the 2880-byte block when `padded`, then `data`.
std::string Fits(int bitpix, int w, int h, const std::vector<std::string>& extra, const std::string& data,
                 bool padded = true) {
  std::string f = Value("SIMPLE", "T") + Value("BITPIX", std::to_string(bitpix)) + Value("NAXIS", "2") +
                  Value("NAXIS1", std::to_string(w)) + Value("NAXIS2", std::to_string(h));
  for (const std::string& c : extra) f += c;
  f += Card("END");
  if (padded) f += std::string((2880 - f.size() % 2880) % 2880, ' ');
  return f + data;
}

using FitsTest = ReaderTest;

TEST_F(FitsTest, SamplesScalingAndLayout) {
  const struct {
    const char* what;
    std::string file;
    std::vector<int> samples;  // memory row 0 first, the same in R, G and B
  } cases[] = {
      // Each BITPIX with and without the usual offsets comes from astropy (codec_interop_test); here the rest.
      {"BZERO -100: 1000 - 100", Fits(16, 1, 1, {Value("BZERO", "-100")}, Raw({0x03, 0xE8})), {900}},
      {"BSCALE 2, BZERO -1: 5 x 2 - 1", Fits(16, 1, 1, {Value("BSCALE", "2"), Value("BZERO", "-1")}, Raw({0, 5})), {9}},
      {"BSCALE -1: -3 mod 65536", Fits(16, 1, 1, {Value("BSCALE", "-1")}, Raw({0, 3})), {65533}},
      {"8 bits, BZERO -256: 512 - 256", Fits(8, 1, 1, {Value("BZERO", "-256")}, Raw({2})), {256}},
      {"2 x 0x8001 wraps to 2", Fits(16, 1, 1, {Value("BSCALE", "2")}, Raw({0x80, 0x01})), {2}},
      // Exponents, "D" exponents and trailing zeros behind the point.
      {"BZERO 3.2768E4, BSCALE 10.00D-1", Fits(16, 1, 1, {Value("BZERO", "3.2768E4"), Value("BSCALE", "10.00D-1")},
                                                Raw({0x80, 0x00})), {0}},
      // 10^10 = 2^10 x 5^10 and 5^10 mod 64 = 57: 1024 x 57 = 58368.
      {"two-digit exponent, BZERO 1.0E10", Fits(16, 1, 1, {Value("BZERO", "1.0E10")}, Raw({0, 0})), {58368}},
      // Data that look like blank cards (0x20 -> 8192) still start at 2880.
      {"padded header", Fits(8, 100, 1, {}, std::string(100, ' ')), std::vector<int>(100, 8192)},
      {"unpadded: data right after END", Fits(8, 1, 1, {}, Raw({7}), false), {1792}},
      {"unpadded: blank cards skipped", Fits(8, 1, 1, {}, std::string(160, ' ') + Raw({7}), false), {1792}},
      // Row 0 whole, row 1 cut inside its first value, row 2 missing.
      {"truncated data read as 0", Fits(16, 2, 3, {}, Raw({0, 1, 0, 2, 0})), {1, 2, 0, 0, 0, 0}}};
  for (const auto& c : cases) {
    ASSERT_EQ(Load(c.file, ".fts"), kReadOk) << c.what;
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(PlaneValues(image_.Channel(ch), image_), c.samples) << c.what;
  }
  EXPECT_EQ(image_.monochrome, 1);
  // "1.0" is 1; a value is read up to its comment.
  const std::string axes = Value("SIMPLE", "T") + Value("BITPIX", "8") +
                           Card("NAXIS1  =                  640 / width") + Value("NAXIS2", "1") +
                           Value("BSCALE", "1.0") + Card("END");
  ASSERT_EQ(Load(axes + std::string(2880 - axes.size(), ' ') + std::string(640, '\x02'), ".fts"), kReadOk);
  EXPECT_EQ(PlaneValues(image_.r.get(), image_), std::vector<int>(640, 512));
}

TEST_F(FitsTest, Refusals) {
  own_ = ReadFitsFrom;
  const std::string data(16, '\0');
  ExpectRefused(".fts", {{"float", Fits(-32, 1, 1, {}, data), kReadUnsupported},
                 {"double", Fits(-64, 1, 1, {}, data), kReadUnsupported},
                 {"64-bit", Fits(64, 1, 1, {}, data), kReadUnsupported},
                 {"BITPIX 12", Fits(12, 1, 1, {}, data), kReadBadFormat},
                 {"fractional BSCALE", Fits(16, 1, 1, {Value("BSCALE", "0.5")}, data), kReadUnsupported},
                 {"fractional BZERO", Fits(16, 1, 1, {Value("BZERO", "1.25E1")}, data), kReadUnsupported},
                 {"colour cube", Fits(16, 1, 1, {Value("NAXIS3", "3")}, data).replace(160 + 29, 1, "3"),
                  kReadUnsupported},
                 {"text BZERO", Fits(16, 1, 1, {Value("BZERO", "'abc'")}, data), kReadBadFormat},
                 {"no END", Fits(8, 1, 1, {}, "").substr(0, 5 * 80), kReadBadFormat},
                 {"no NAXIS2", Value("SIMPLE", "T") + Value("BITPIX", "8") + Value("NAXIS1", "1") + Card("END"),
                  kReadBadFormat},
                 {"no BITPIX", Value("SIMPLE", "T") + Value("NAXIS1", "1") + Value("NAXIS2", "1") + Card("END"),
                  kReadBadFormat}, {"NAXIS1 0", Fits(8, 0, 1, {}, data), kReadBadFormat},
                 {"negative NAXIS2", Fits(8, 1, -4, {}, data), kReadBadFormat},
                 {"short card", "SIMPLE  =", kReadBadFormat}}, Fits(16, 100000, 100000, {}, data));
}

// 1 x 1 at 0 (16-bit: 0 - 32768 = 0x8000) and at 65535 (float 1.0 = 0x3F800000).
TEST_F(FitsTest, WriterCardsAndData) {
  Image mono = MakeFlatImage(1, 1, 0);
  mono.monochrome = 1;
  ASSERT_TRUE(WriteFits(dir_ + "/m.fts", mono, kFits16));
  const std::string m = ReadBytes(dir_ + "/m.fts");
  ASSERT_EQ(m.size(), 2u * 2880);
  EXPECT_EQ(m.substr(0, 7 * 80), Value("SIMPLE", "T") + Value("BITPIX", "16") + Value("NAXIS", "2") +
                                     Value("NAXIS1", "1") + Value("NAXIS2", "1") + Value("BZERO", "32768") +
                                     Value("BSCALE", "1"));
  EXPECT_EQ(m.substr(7 * 80, 12), "DATE    = '2");
  EXPECT_EQ(m.substr(8 * 80, 160), Card("HISTORY Written by TAVO") + Card("END"));
  EXPECT_EQ(m.substr(2880, 3), Raw({0x80, 0x00, 0x00}));
  ASSERT_TRUE(WriteFits(dir_ + "/c.fts", MakeFlatImage(1, 1, 65535), kFitsFloat));
  const std::string c = ReadBytes(dir_ + "/c.fts");
  EXPECT_EQ(c.substr(80, 160), Value("BITPIX", "-32") + Value("NAXIS", "3"));
  EXPECT_EQ(c.substr(5 * 80, 80), Value("NAXIS3", "3"));
  EXPECT_EQ(c.substr(2880, 12), Raw({0x3F, 0x80, 0, 0, 0x3F, 0x80, 0, 0, 0x3F, 0x80, 0, 0}));
}

Image Mono(const Image& colour) {
  Image m = MakeImageFromRows(colour.width, colour.height, PlaneValues(colour.r.get(), colour));
  m.monochrome = 1;
  return m;
}

// Position-coded planes (row 0 is the bottom row, the first FITS row) and noise through every layout.
TEST_F(FitsTest, WriterRoundTrips) {
  const Image position = MakePositionImage(3, 2), noise = MakeNoiseImage(7, 5, 9);
  const Image mono_position = Mono(position), mono_noise = Mono(noise);
  for (int kind : {kFits16, kFitsFloat}) {
    for (const Image* original : {&position, &noise, &mono_position, &mono_noise}) {
      ASSERT_TRUE(WriteFits(dir_ + "/r.fits", *original, kind));
      Image back;
      ASSERT_EQ(ReadImageFile(dir_ + "/r.fits", back), kReadOk) << kind;
      EXPECT_TRUE(SamePlanes(back, *original)) << kind << " " << original->width << original->monochrome;
      EXPECT_EQ(back.monochrome, original->monochrome) << kind;
    }
  }
}

}  // namespace
}  // namespace tavo
