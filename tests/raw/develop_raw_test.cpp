// SPDX-License-Identifier: MIT
#include "raw/develop_raw.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <cstdlib>
#include <filesystem>

#include "core/memory.h"
#include "io/image_file.h"
#include "tests/raw/dng_fixtures.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

const std::string kSamples = std::string(TAVO_SAMPLES_DIR) + "/raw/";

// The camera files live beside the project, not in it; a checkout without them skips these cases instead of failing.
#define SKIP_WITHOUT_SAMPLES()                                                              \
  if (!std::filesystem::exists(kSamples + "RAW_CANON_G2.CRW")) {                            \
    GTEST_SKIP() << "camera samples not found in " << kSamples << " (../shared/samples)"; \
  }

// Path code `path_code`, gamma 1, black 0, white 255, no sharpening, false-colour reduction, saturation or hue.
Image DevelopPlain(const std::string& path, RawDevelopOutcome* outcome, int path_code = 0) {
  Image img;
  DevelopRaw(path, img, path_code, 2, 1.0, 1.0, 1.0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, nullptr, outcome);
  EXPECT_EQ(outcome->status, kRawOk) << path;
  return img;
}

TEST(DevelopRawLibrary, DisplayGammaAndPathCodes) {
  const std::string dir = TempDir("develop");
  RawDevelopOutcome outcome;
  // Flat files keep their value through demosaicing and colour conversion; 1 becomes 65535 / 65535^0.45 = 445.
  for (const auto& [in, out] : {std::pair{0, 0}, {1, 445}, {65535, 65535}}) {
    const uint16_t v = static_cast<uint16_t>(in);
    const Image img = DevelopPlain(WriteDngFile(dir, "f.dng", FlatDng("RGGB", 24, 22, v, v, v)), &outcome, 1);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(PlaneValues(img.Channel(c), img), std::vector<int>(24 * 22, out)) << in;
  }
  DngImage dng = FlatDng("RGGB", 40, 30, 0, 0, 0);
  uint32_t s = 5;
  for (uint16_t& v : dng.samples) v = static_cast<uint16_t>(1000 + ((s = s * 1664525u + 1013904223u) >> 12) % 30000);
  const std::string path = WriteDngFile(dir, "noise.dng", dng);
  // Above 4 acts as 1 (bilinear), 2 is VNG, 4 AHD; negative is the fast path.
  const Image bilinear = DevelopPlain(path, &outcome, 1), fast = DevelopPlain(path, &outcome, 0);
  EXPECT_TRUE(SamePlanes(DevelopPlain(path, &outcome, 5), bilinear));
  EXPECT_TRUE(SamePlanes(DevelopPlain(path, &outcome, 99), bilinear));
  EXPECT_FALSE(SamePlanes(DevelopPlain(path, &outcome, 2), bilinear));
  EXPECT_FALSE(SamePlanes(DevelopPlain(path, &outcome, 4), bilinear));
  EXPECT_TRUE(SamePlanes(DevelopPlain(path, &outcome, -3), fast));
  EXPECT_FALSE(SamePlanes(fast, bilinear));
}

// dcraw_emu's linear 16-bit output without rotation, read back as PPM.
Image LibraryReference(const std::string& file, int quality, const std::string& dir) {
  const std::string out = dir + "/ref_q" + std::to_string(quality) + ".ppm";
  const std::string cmd = std::string(TAVO_DCRAW_EMU) + " -4 -t 0 -q " + std::to_string(quality) + " -Z '" + out +
                          "' '" + file + "' > /dev/null 2>&1";
  Image ref;
  if (std::system(cmd.c_str()) == 0) ReadImageFile(out, ref);
  return ref;
}

std::vector<double> Means(const Image& img) {
  std::vector<double> m(3, 0.0);
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < img.PixelCount(); ++i) m[c] += img.Channel(c)[i];
    m[c] /= static_cast<double>(img.PixelCount());
  }
  return m;
}

TEST(DevelopRawLibrary, RealFilesMatchTheLibrarysOwnToolAndTheFastPathIsPlausible) {
  SKIP_WITHOUT_SAMPLES();
  const std::string dir = TempDir("develop");
  const struct {
    const char* name;
    int quality, w, h;
  } files[] = {{"RAW_CANON_G2.CRW", 0, 2312, 1720}, {"colorchart_Canon_EOS_Kiss_X4.dng", 2, 1734, 1156},
               {"colorchart_Canon_EOS_Kiss_X4.dng", 3, 1734, 1156},
               {"RAW_KODAK_C330_FORMAT_NONE_YRGB.raw", 1, 1216, 912}};
  for (const auto& f : files) {
    SCOPED_TRACE(std::string(f.name) + " quality " + std::to_string(f.quality));
    const Image ref = LibraryReference(kSamples + f.name, f.quality, dir);
    ASSERT_EQ(ref.width, f.w);
    ASSERT_EQ(ref.height, f.h);
    RawDevelopSettings s;  // defaults: the fast path
    RawDevelopOutcome outcome;
    Image fast, library;
    DevelopRawWithSettings(kSamples + f.name, fast, s, nullptr, &outcome);
    ASSERT_EQ(outcome.status, kRawOk);
    s.path = 1;
    s.quality = f.quality;
    DevelopRawWithSettings(kSamples + f.name, library, s, nullptr, &outcome);
    ASSERT_EQ(outcome.status, kRawOk);
    ASSERT_EQ(library.width, f.w);
    ASSERT_EQ(library.height, f.h);
    // Our samples are the reference's linear ones through the 0.45 gamma.
    const uint16_t* gamma = LibraryGammaTable();
    size_t differing = 0;
    for (int c = 0; c < 3; ++c) {
      for (size_t i = 0; i < library.PixelCount(); ++i) differing += library.Channel(c)[i] != gamma[ref.Channel(c)[i]];
    }
    EXPECT_EQ(differing, 0u);
    // The fast path: the library's size, neither washed out nor black, near the library's colours.
    EXPECT_EQ(Ints({fast.width, fast.height}), Ints({f.w, f.h}));
    const std::vector<double> a = Means(fast), b = Means(library);
    for (int c = 0; c < 3; ++c) {
      EXPECT_TRUE(a[c] > 10000 && a[c] < 55000 && a[c] / b[c] > 0.6 && a[c] / b[c] < 1.6) << c << ": " << a[c] << b[c];
    }
  }
}

// Large enough for the library's stages and the fast path to share their rows among threads.
TEST(DevelopRaw, SameResultOnOneOrTwoThreads) {
  const std::string dir = TempDir("develop");
  DngImage dng = FlatDng("GRBG", 640, 420, 0, 0, 0);
  uint32_t s = 9;
  for (uint16_t& v : dng.samples) v = static_cast<uint16_t>(((s = s * 1664525u + 1013904223u) >> 12) % 4096);
  const std::string path = WriteDngFile(dir, "threads.dng", dng);
  const int before = omp_get_max_threads();
  for (const int path_code : {0, 1}) {  // fast path, library bilinear
    Image one, two;
    RawDevelopOutcome outcome;
    omp_set_num_threads(1);
    DevelopRaw(path, one, path_code, 2, 2.2, 2.0, 1.8, 5, 180, 3, 160, 0, 130, 6, 0, 2, 3, 8, nullptr, &outcome);
    omp_set_num_threads(2);
    DevelopRaw(path, two, path_code, 2, 2.2, 2.0, 1.8, 5, 180, 3, 160, 0, 130, 6, 0, 2, 3, 8, nullptr, &outcome);
    EXPECT_EQ(outcome.status, kRawOk);
    EXPECT_TRUE(SamePlanes(one, two)) << path_code;
  }
  omp_set_num_threads(before);
}

TEST(DevelopRawFailure, UnreadableFilesAndShortMemoryLeaveMinusOneAndTheOldPlanes) {
  const std::string dir = TempDir("develop");
  WriteBytes(dir + "/junk.CR2", std::string(5000, 'x'));
  const std::vector<uint8_t> good = EncodeDng(FlatDng("RGGB", 64, 64, 900, 900, 900));
  WriteBytes(dir + "/cut.DNG", std::string(good.begin(), good.begin() + 3000));
  WriteBytes(dir + "/header.DNG", std::string(good.begin(), good.begin() + 200));
  WriteBytes(dir + "/whole.DNG", std::string(good.begin(), good.end()));
  const struct {
    std::string path;
    int status;
    int64_t memory;
  } cases[] = {{dir + "/none.NEF", kRawCannotOpen, -1},   {dir + "/junk.CR2", kRawUnsupported, -1},
               {dir + "/cut.DNG", kRawDecodeError, -1},   {dir + "/header.DNG", kRawDecodeError, -1},
               {dir, kRawCannotOpen, -1},  // a folder
               {dir + "/whole.DNG", kRawNoMemory, 1000}};  // checked before the work
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Image img = MakeFlatImage(2, 2, 9);
    const uint16_t* old = img.r.get();
    RawDevelopOutcome outcome;
    SetAvailableMemoryForTest(c.memory);
    DevelopRaw(c.path, img, 0, 2, 2.2, 2.2, 2.2, 5, 180, 3, 160, 0, 130, 6, 0, 2, 3, 0, nullptr, &outcome);
    SetAvailableMemoryForTest(-1);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(Ints({img.width, img.height, img.r[3]}), Ints({-1, -1, 9}));
    EXPECT_EQ(img.r.get(), old);
  }
}

}  // namespace
}  // namespace tavo
