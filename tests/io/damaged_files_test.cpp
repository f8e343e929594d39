// SPDX-License-Identifier: MIT
// Files a new user meets on a bad evening: headers that claim far more
// than the file holds, and files cut short.
#include <gtest/gtest.h>

#include <string>

#include "io/image_file.h"
#include "io/file_type.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// A 154-byte BMP whose header claims `w` x `h` at `bits` bits with
// `compression`; the rest of the file is zeros.
std::string TinyBmp(int w, int h, int bits, int compression) {
  std::string f = "BM" + Le32(154) + Le32(0) + Le32(54) + Le32(40) + Le32(w) + Le32(h);
  f += std::string{1, 0, static_cast<char>(bits), 0} + Le32(compression);
  f.resize(154, '\0');
  return f;
}

// FITS header of a `w` x `h` 16-bit image, padded to 2880 bytes.
std::string FitsHeader(int w, int h) {
  std::string f;
  for (const std::string& card : {std::string("SIMPLE  =                    T"), std::string("BITPIX  =                   16"),
                                  std::string("NAXIS   =                    2"), "NAXIS1  = " + std::to_string(w),
                                  "NAXIS2  = " + std::to_string(h), std::string("END")}) {
    f += card + std::string(80 - card.size(), ' ');
  }
  return f + std::string(2880 - f.size(), ' ');
}

TEST(DamagedFiles, HeadersClaimingMoreThanTheFileHoldsAreRefusedBeforeAllocating) {
  // Sizes that would fit the memory: only the file size can refuse them.
  // 60000 x 60000 at 24 bits is a 10.8 GB raster; 2000 x 2000 run-length
  // data need at least 4000000 / 255 x 2 = 31374 bytes, an eighth of that
  // is still more than 154; P2 text needs two characters a value.
  const std::string dir = TempDir("damaged_huge");
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"huge.bmp", TinyBmp(60000, 60000, 24, 0)},
      {"rle.bmp", TinyBmp(2000, 2000, 8, 1)},
      {"text.pgm", "P2 300 300 255 " + std::string(100, '7')},
  };
  for (const auto& c : cases) {
    WriteBytes(dir + "/" + c.name, c.bytes);
    Image image = MakePositionImage(2, 2);
    EXPECT_EQ(ReadImageFile(dir + "/" + c.name, image), kReadBadFormat) << c.name;
    EXPECT_TRUE(SamePlanes(image, MakePositionImage(2, 2))) << c.name;
  }
}

TEST(DamagedFiles, FilesCutShortReportTheRowsTheyLack) {
  // 3 x 4 pictures cut inside their second stored row: that row and the
  // two after it are missing. BMP rows take 12 bytes behind 54, TIFF and
  // 16-bit PPM rows 18 behind 128 and 13 ("P6\n3 4\n65535\n"), FITS rows 6
  // behind 2880.
  const std::string dir = TempDir("damaged_cut");
  const Image picture = MakePositionImage(3, 4);
  ASSERT_TRUE(WriteImageFile(dir + "/w.bmp", picture, kSaveFilterBmp));
  ASSERT_TRUE(WriteImageFile(dir + "/w.tif", picture, kSaveFilterTiff));
  ASSERT_TRUE(WriteImageFile(dir + "/w.ppm", picture, kSaveFilterPpmBinary));
  const struct {
    const char* name;
    std::string bytes;
    int missing;
  } cases[] = {
      {"cut.bmp", ReadBytes(dir + "/w.bmp").substr(0, 54 + 12 + 5), 3},
      {"cut.tif", ReadBytes(dir + "/w.tif").substr(0, 128 + 18 + 5), 3},
      {"cut.ppm", ReadBytes(dir + "/w.ppm").substr(0, 13 + 18 + 5), 3},
      {"cut.fits", FitsHeader(3, 4) + std::string(6 + 5, '\1'), 3},
      {"cut.pgm", "P2\n1 4\n255\n1\n2\n3\n", 1},  // the last value never came
      {"whole.tif", ReadBytes(dir + "/w.tif"), 0},
  };
  for (const auto& c : cases) {
    WriteBytes(dir + "/" + c.name, c.bytes);
    Image image;
    ReadReport report;
    ASSERT_EQ(ReadImageFile(dir + "/" + c.name, image, &report), kReadOk) << c.name;
    EXPECT_EQ(report.missing_rows, c.missing) << c.name;
  }
  // JPEG: rows are decoded in bands of 8 or 16; a file cut in half lacks
  // some of them, one without only its end marker none.
  ASSERT_TRUE(WriteImageFile(dir + "/w.jpg", MakeNoiseImage(32, 128, 3), kSaveFilterJpeg));
  const std::string jpeg = ReadBytes(dir + "/w.jpg");
  for (size_t keep : {jpeg.size() / 2, jpeg.size() - 2}) {
    WriteBytes(dir + "/cut.jpg", jpeg.substr(0, keep));
    Image image;
    ReadReport report;
    ASSERT_EQ(ReadImageFile(dir + "/cut.jpg", image, &report), kReadOk);
    if (keep == jpeg.size() - 2) {
      EXPECT_EQ(report.missing_rows, 0);
    } else {
      EXPECT_GT(report.missing_rows, 0);
      EXPECT_LT(report.missing_rows, 128);
      EXPECT_EQ(report.missing_rows % 8, 0);
    }
  }
}

}  // namespace
}  // namespace tavo
