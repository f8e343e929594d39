// SPDX-License-Identifier: MIT
// Routing of reads and writes by file name, down to the codecs, and a failed save through the command-line front end.
#include "io/image_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include <sys/stat.h>

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

// Rasters of many read blocks (1 MiB), with rows that do not divide a
// block; TIFF and PPM pass 8 MiB, where reading ahead and writing behind
// on a second thread start. Then a TIFF cut in its ninth block, and a PPM
// that comes through a pipe, which cannot be read at an offset.
TEST(ImageFile, LargeRastersCrossReadBlocks) {
  const std::string dir = TempDir("image_file_large");
  const int w = 1001, h = 1500;  // 6006 bytes a row in TIFF and PPM: 9 MB
  const Image original = MakeNoiseImage(w, h, 9);
  Image high = MakeNoiseImage(w, h, 9);  // what 8-bit BMP keeps
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < high.PixelCount(); ++i) high.Channel(c)[i] &= 0xFF00;
  }
  const struct {
    const char* name;
    int filter;
    const Image& expected;
  } cases[] = {{"a.tif", kSaveFilterTiff, original}, {"b.ppm", kSaveFilterPpmBinary, original},
               {"c.bmp", kSaveFilterBmp, high}};
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteImageFile(dir + "/" + c.name, original, c.filter)) << c.name;
    Image back;
    ASSERT_EQ(ReadImageFile(dir + "/" + c.name, back), kReadOk) << c.name;
    EXPECT_TRUE(SamePlanes(back, c.expected)) << c.name;
  }
  // The raster starts at byte 128; 1400 rows from the top stay, and 3
  // bytes of the next (memory row 1499 - 1400 = 99): red whole, green's
  // low byte.
  WriteBytes(dir + "/cut.tif", ReadBytes(dir + "/a.tif").substr(0, 128 + 1400 * 6006 + 3));
  Image cut;
  ASSERT_EQ(ReadImageFile(dir + "/cut.tif", cut), kReadOk);
  const size_t kept = 100 * static_cast<size_t>(w), partial = 99 * static_cast<size_t>(w);
  for (int c = 0; c < 3; ++c) {
    const uint16_t* got = cut.Channel(c);
    const uint16_t* want = original.Channel(c);
    EXPECT_TRUE(std::equal(got + kept, got + original.PixelCount(), want + kept)) << c;
    EXPECT_EQ(std::count(got, got + partial, 0), static_cast<long>(partial)) << c;
    EXPECT_EQ(std::count(got + partial + 1, got + kept, 0), w - 1) << c;
  }
  EXPECT_EQ(cut.r[partial], original.r[partial]);
  EXPECT_EQ(cut.g[partial], original.g[partial] & 0xFF);
  EXPECT_EQ(cut.b[partial], 0);

  const std::string pipe = dir + "/pipe.ppm";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::thread feed([&] { WriteBytes(pipe, ReadBytes(dir + "/b.ppm")); });
  Image piped;
  EXPECT_EQ(ReadImageFile(pipe, piped), kReadOk);
  feed.join();
  EXPECT_TRUE(SamePlanes(piped, original));
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

// Files cut short: every reader keeps what is there and counts the rows
// the file lacks.
TEST(ImageFile, CutFilesReportTheRowsTheyLack) {
  // 3 x 4 pictures cut inside their second stored row: it and the two after
  // it are missing. Rows: BMP 12 bytes behind 54; TIFF and 16-bit PPM 18
  // behind 128 and 13 ("P6\n3 4\n65535\n"); FITS 6 behind 2880.
  const std::string dir = TempDir("cut_files");
  for (const char* name : {"w.bmp", "w.tif", "w.ppm"}) {
    ASSERT_TRUE(WriteImageFile(dir + "/" + name, MakePositionImage(3, 4), kSaveFilterPpmBinary));
  }
  std::string fits;
  for (const char* card : {"SIMPLE  = T", "BITPIX  = 16", "NAXIS   = 2", "NAXIS1  = 3", "NAXIS2  = 4", "END"}) {
    fits += std::string(card) + std::string(80 - std::string(card).size(), ' ');
  }
  fits.resize(2880, ' ');
  const struct {
    const char* name;
    std::string bytes;
    int missing;
  } cases[] = {
      {"cut.bmp", ReadBytes(dir + "/w.bmp").substr(0, 54 + 12 + 5), 3},
      {"cut.tif", ReadBytes(dir + "/w.tif").substr(0, 128 + 18 + 5), 3},
      {"cut.ppm", ReadBytes(dir + "/w.ppm").substr(0, 13 + 18 + 5), 3},
      {"cut.fits", fits + std::string(6 + 5, '\1'), 3},
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
  // JPEG decodes rows in bands of 16 here (colour at 4:2:0): a file cut in
  // half lacks some bands, one without only its end marker none.
  ASSERT_TRUE(WriteImageFile(dir + "/w.jpg", MakeNoiseImage(32, 128, 3), kSaveFilterJpeg));
  const std::string jpeg = ReadBytes(dir + "/w.jpg");
  for (const size_t keep : {jpeg.size() / 2, jpeg.size() - 2}) {
    WriteBytes(dir + "/cut.jpg", jpeg.substr(0, keep));
    Image image;
    ReadReport report;
    ASSERT_EQ(ReadImageFile(dir + "/cut.jpg", image, &report), kReadOk);
    EXPECT_EQ(report.missing_rows > 0, keep < jpeg.size() - 2);
    EXPECT_EQ(report.missing_rows % 16, 0);
    EXPECT_LT(report.missing_rows, 128);
  }
}

}  // namespace
}  // namespace tavo
