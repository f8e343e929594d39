// SPDX-License-Identifier: MIT
#include "raw/develop_raw.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/memory.h"
#include "io/image_file.h"
#include "tests/raw/dng_fixtures.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

const std::string kSamples = std::string(TAVO_SAMPLES_DIR) + "/raw/";

// The camera files live beside the project, not in it; a checkout without
// them skips these cases instead of failing.
#define SKIP_WITHOUT_SAMPLES()                                                              \
  if (!std::filesystem::exists(kSamples + "RAW_CANON_G2.CRW")) {                            \
    GTEST_SKIP() << "camera samples not found in " << kSamples << " (../shared/samples)"; \
  }

// Fast path with a transparent finish: gamma 1, black 0, white 255, no
// sharpening, no false-colour reduction, no saturation or hue. Stage 3 then
// gives T2 = T1 and stage 4 c * T2 / T1 = c, so the output is the
// demosaiced toned mosaic, and below 1024 the tone curve is v^2 / 1024:
// 512 -> 256, 640 -> 400, 768 -> 576, 896 -> 784, 960 -> 900.
Image DevelopPlain(const std::string& path, RawDevelopOutcome* outcome, int path_code = 0) {
  Image img;
  DevelopRaw(path, img, path_code, 2, 1.0, 1.0, 1.0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, nullptr, outcome);
  return img;
}

std::vector<int> Pixel(const Image& img, int x, int mosaic_row) {
  const int row = img.height - 1 - mosaic_row;  // stored bottom row first
  return {Sample(img.r.get(), img, x, row), Sample(img.g.get(), img, x, row), Sample(img.b.get(), img, x, row)};
}

std::vector<int> Rgb(int r, int g, int b) { return {r, g, b}; }

TEST(DevelopRawFast, EveryBayerPhaseThroughTheLibrary) {
  const std::string dir = TempDir("develop_phases");
  for (const char* phase : {"RGGB", "BGGR", "GRBG", "GBRG"}) {
    SCOPED_TRACE(phase);
    DngImage probe;
    ASSERT_TRUE(SetBayerPattern(probe, phase));
    // The red of the 2 x 2 cell at (10, 8), made hot; a green of the cell
    // at (4, 14) and the red of the cell at (16, 4) set to 0.
    int xr = 0, yr = 0, xg = 0, yg = 0, xz = 0, yz = 0;
    for (int k = 3; k >= 0; --k) {
      const int dx = k % 2, dy = k / 2;
      if (DngColorAt(probe, 10 + dx, 8 + dy) == 0) xr = 10 + dx, yr = 8 + dy;
      if (DngColorAt(probe, 4 + dx, 14 + dy) == 1) xg = 4 + dx, yg = 14 + dy;
      if (DngColorAt(probe, 16 + dx, 4 + dy) == 0) xz = 16 + dx, yz = 4 + dy;
    }
    const DngImage dng = FlatDng(kDngMosaic2x2, phase, 24, 22, 512, 640, 768,
                                     {{xr, yr, 896}, {xg, yg, 0}, {xz, yz, 0}});
    RawDevelopOutcome outcome;
    const Image img = DevelopPlain(WriteDngFile(dir, std::string(phase) + ".dng", dng), &outcome);
    ASSERT_EQ(outcome.status, kRawOk);
    ASSERT_EQ(img.width, 24);
    ASSERT_EQ(img.height, 22);
    EXPECT_EQ(img.name, dir + "/" + phase + ".dng");
    // The hot red itself; its edge neighbours see two reds,
    // 2*(784+256)/4 = 520; its diagonal neighbours four, (784+3*256)/4 = 388.
    EXPECT_EQ(Pixel(img, xr, yr), Rgb(784, 400, 576));
    EXPECT_EQ(Pixel(img, xr + 1, yr)[0], 520);
    EXPECT_EQ(Pixel(img, xr - 1, yr)[0], 520);
    EXPECT_EQ(Pixel(img, xr, yr + 1)[0], 520);
    EXPECT_EQ(Pixel(img, xr, yr - 1)[0], 520);
    EXPECT_EQ(Pixel(img, xr + 1, yr + 1)[0], 388);
    EXPECT_EQ(Pixel(img, xr - 1, yr - 1)[0], 388);
    EXPECT_EQ(Pixel(img, xr + 2, yr)[0], 256);
    // The zero green is filled from its diagonal greens; the zero red has
    // no red in its window and stays 0, while its neighbours ignore it.
    EXPECT_EQ(Pixel(img, xg, yg), Rgb(256, 400, 576));
    EXPECT_EQ(Pixel(img, xz, yz), Rgb(0, 400, 576));
    EXPECT_EQ(Pixel(img, xz + 1, yz)[0], 256);
    EXPECT_EQ(Pixel(img, 20, 18), Rgb(256, 400, 576));
    EXPECT_EQ(Pixel(img, 0, 0), Rgb(256, 400, 576));
    EXPECT_EQ(Pixel(img, 23, 21), Rgb(256, 400, 576));
  }
}

TEST(DevelopRawFast, SixBySixPatternBlendsTheCentre) {
  const std::string dir = TempDir("develop_6x6");
  // The pattern's row 0 is GBGGRG, so (4, 6) is red; no other red lies in
  // its window, so it stays 784. At (5, 6) the window holds that red on an
  // edge and the flat red (6, 7) on a corner: (2*784 + 256)/3 = 608.
  const DngImage dng = FlatDng(kDngMosaic6x6, "", 24, 24, 512, 640, 768, {{4, 6, 896}});
  RawDevelopOutcome outcome;
  const Image img = DevelopPlain(WriteDngFile(dir, "xt.dng", dng), &outcome);
  ASSERT_EQ(outcome.status, kRawOk);
  ASSERT_EQ(img.width, 24);
  EXPECT_EQ(Pixel(img, 4, 6), Rgb(784, 400, 576));
  EXPECT_EQ(Pixel(img, 5, 6), Rgb(608, 400, 576));
  for (size_t i = 0; i < img.PixelCount(); ++i) ASSERT_EQ(img.g[i], 400) << i;
}

TEST(DevelopRawFast, FullColourAndMonochromeFiles) {
  const std::string dir = TempDir("develop_linear");
  const DngImage rgb = FlatDng(kDngLinearRgb, "", 24, 22, 512, 640, 768, {{7, 3, 960}});
  RawDevelopOutcome outcome;
  const Image full = DevelopPlain(WriteDngFile(dir, "rgb.dng", rgb), &outcome);
  ASSERT_EQ(outcome.status, kRawOk);
  EXPECT_EQ(Pixel(full, 7, 3), Rgb(900, 900, 900));
  EXPECT_EQ(Pixel(full, 8, 3), Rgb(256, 400, 576));
  EXPECT_EQ(Pixel(full, 0, 21), Rgb(256, 400, 576));

  // One channel per pixel: grey, not red.
  const DngImage mono = FlatDng(kDngMonochrome, "", 24, 22, 640, 640, 640);
  const Image grey = DevelopPlain(WriteDngFile(dir, "mono.dng", mono), &outcome);
  ASSERT_EQ(outcome.status, kRawOk);
  EXPECT_EQ(Pixel(grey, 3, 4), Rgb(400, 400, 400));
}

TEST(DevelopRawLibrary, DisplayGammaEndpoints) {
  const std::string dir = TempDir("develop_library_gamma");
  RawDevelopOutcome outcome;
  // Flat files keep their value through demosaicing and the colour
  // conversion; 1 becomes trunc(65535 / 65535^0.45) = 445.
  const struct {
    uint16_t in, out;
  } cases[] = {{0, 0}, {1, 445}, {65535, 65535}};
  for (const auto& c : cases) {
    const DngImage dng = FlatDng(kDngMosaic2x2, "RGGB", 24, 22, c.in, c.in, c.in);
    const Image img = DevelopPlain(WriteDngFile(dir, "f.dng", dng), &outcome, 1);
    ASSERT_EQ(outcome.status, kRawOk);
    EXPECT_EQ(Pixel(img, 12, 11), Rgb(c.out, c.out, c.out)) << c.in;
    EXPECT_EQ(Pixel(img, 0, 0), Rgb(c.out, c.out, c.out)) << c.in;
  }
  const uint16_t* table = LibraryGammaTable();
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[1], 445);
  EXPECT_EQ(table[65535], 65535);
}

TEST(DevelopRawLibrary, PathCodesChooseTheDemosaic) {
  const std::string dir = TempDir("develop_codes");
  DngImage dng = FlatDng(kDngMosaic2x2, "RGGB", 40, 30, 0, 0, 0);
  uint32_t s = 5;
  for (uint16_t& v : dng.samples) {
    s = s * 1664525u + 1013904223u;
    v = static_cast<uint16_t>(1000 + (s >> 12) % 30000);
  }
  const std::string path = WriteDngFile(dir, "noise.dng", dng);
  RawDevelopOutcome outcome;
  const Image bilinear = DevelopPlain(path, &outcome, 1);
  EXPECT_TRUE(SamePlanes(DevelopPlain(path, &outcome, 5), bilinear));   // above 4 acts as 1
  EXPECT_TRUE(SamePlanes(DevelopPlain(path, &outcome, 99), bilinear));
  EXPECT_FALSE(SamePlanes(DevelopPlain(path, &outcome, 2), bilinear));  // VNG
  EXPECT_FALSE(SamePlanes(DevelopPlain(path, &outcome, 4), bilinear));  // AHD
  const Image fast = DevelopPlain(path, &outcome, 0);
  EXPECT_TRUE(SamePlanes(DevelopPlain(path, &outcome, -3), fast));      // negative: fast
  EXPECT_FALSE(SamePlanes(fast, bilinear));
}

// dcraw_emu's linear 16-bit output without rotation, read back as PPM.
Image LibraryReference(const std::string& file, int quality, const std::string& dir) {
  const std::string out = dir + "/ref_q" + std::to_string(quality) + ".ppm";
  const std::string cmd = std::string(TAVO_DCRAW_EMU) + " -4 -t 0 -q " + std::to_string(quality) + " -Z '" +
                          out + "' '" + file + "' > /dev/null 2>&1";
  Image ref;
  if (std::system(cmd.c_str()) != 0) return ref;
  ReadImageFile(out, ref);
  return ref;
}

void ExpectMatchesReference(const std::string& name, int quality, int width, int height) {
  SCOPED_TRACE(name + " quality " + std::to_string(quality));
  const std::string dir = TempDir("develop_ref_" + std::to_string(quality));
  const Image ref = LibraryReference(kSamples + name, quality, dir);
  ASSERT_EQ(ref.width, width);
  ASSERT_EQ(ref.height, height);
  RawDevelopOutcome outcome;
  Image img;
  RawDevelopSettings s;
  s.path = 1;
  s.quality = quality;
  DevelopRawWithSettings(kSamples + name, img, s, nullptr, &outcome);
  ASSERT_EQ(outcome.status, kRawOk);
  ASSERT_EQ(img.width, width);
  ASSERT_EQ(img.height, height);
  // Our samples are the reference's linear ones through the 0.45 gamma.
  const uint16_t* gamma = LibraryGammaTable();
  size_t differing = 0;
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < img.PixelCount(); ++i) differing += img.Channel(c)[i] != gamma[ref.Channel(c)[i]];
  }
  EXPECT_EQ(differing, 0u);
}

TEST(DevelopRawLibrary, MatchesTheLibrarysOwnToolOnRealFiles) {
  SKIP_WITHOUT_SAMPLES();
  ExpectMatchesReference("RAW_CANON_G2.CRW", 0, 2312, 1720);
  ExpectMatchesReference("colorchart_Canon_EOS_Kiss_X4.dng", 2, 1734, 1156);
  ExpectMatchesReference("colorchart_Canon_EOS_Kiss_X4.dng", 3, 1734, 1156);
  ExpectMatchesReference("RAW_KODAK_C330_FORMAT_NONE_YRGB.raw", 1, 1216, 912);
}

std::vector<double> Means(const Image& img) {
  std::vector<double> m(3, 0.0);
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < img.PixelCount(); ++i) m[c] += img.Channel(c)[i];
    m[c] /= static_cast<double>(img.PixelCount());
  }
  return m;
}

TEST(DevelopRawFast, RealFilesGiveTheLibrarysSizeAndPlausibleColour) {
  SKIP_WITHOUT_SAMPLES();
  const struct {
    const char* name;
    int w, h;
  } files[] = {{"RAW_CANON_G2.CRW", 2312, 1720},
               {"colorchart_Canon_EOS_Kiss_X4.dng", 1734, 1156},
               {"RAW_KODAK_C330_FORMAT_NONE_YRGB.raw", 1216, 912}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    RawDevelopSettings s;  // defaults: the fast path
    RawDevelopOutcome outcome;
    Image fast, library;
    DevelopRawWithSettings(kSamples + f.name, fast, s, nullptr, &outcome);
    ASSERT_EQ(outcome.status, kRawOk);
    EXPECT_EQ(fast.width, f.w);
    EXPECT_EQ(fast.height, f.h);
    s.path = 1;
    DevelopRawWithSettings(kSamples + f.name, library, s, nullptr, &outcome);
    ASSERT_EQ(outcome.status, kRawOk);
    // Neither washed out nor black, and each channel near the library's
    // rendering of the same file (no colour matrix on the fast path).
    const std::vector<double> a = Means(fast), b = Means(library);
    for (int c = 0; c < 3; ++c) {
      EXPECT_GT(a[c], 10000);
      EXPECT_LT(a[c], 55000);
      EXPECT_GT(a[c] / b[c], 0.6);
      EXPECT_LT(a[c] / b[c], 1.6);
    }
  }
}

TEST(DevelopRawFailure, UnreadableFilesLeaveMinusOneAndTheOldPlanes) {
  const std::string dir = TempDir("develop_fail");
  WriteBytes(dir + "/junk.CR2", std::string(5000, 'x'));
  const std::vector<uint8_t> good = EncodeDng(FlatDng(kDngMosaic2x2, "RGGB", 64, 64, 900, 900, 900));
  WriteBytes(dir + "/cut.DNG", std::string(good.begin(), good.begin() + 3000));
  WriteBytes(dir + "/header.DNG", std::string(good.begin(), good.begin() + 200));
  const struct {
    std::string path;
    int status;
  } cases[] = {{dir + "/none.NEF", kRawCannotOpen},
               {dir + "/junk.CR2", kRawUnsupported},
               {dir + "/cut.DNG", kRawDecodeError},
               {dir + "/header.DNG", kRawDecodeError},
               {dir, kRawCannotOpen}};  // a folder
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Image img = MakeFlatImage(2, 2, 9);
    const uint16_t* old = img.r.get();
    RawDevelopOutcome outcome;
    DevelopRaw(c.path, img, 0, 2, 2.2, 2.2, 2.2, 5, 180, 3, 160, 0, 130, 6, 0, 2, 3, 0, nullptr, &outcome);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(img.width, -1);
    EXPECT_EQ(img.height, -1);
    EXPECT_EQ(img.r.get(), old);
    EXPECT_EQ(img.r[3], 9);
  }
}

TEST(DevelopRawFailure, MemoryIsCheckedBeforeTheWork) {
  const std::string dir = TempDir("develop_memory");
  const std::string path = WriteDngFile(dir, "m.dng", FlatDng(kDngMosaic2x2, "RGGB", 24, 22, 9, 9, 9));
  SetAvailableMemoryForTest(1000);
  Image img = MakeFlatImage(2, 2, 9);
  RawDevelopOutcome outcome;
  DevelopRaw(path, img, 0, 2, 2.2, 2.2, 2.2, 5, 180, 3, 160, 0, 130, 6, 0, 2, 3, 0, nullptr, &outcome);
  SetAvailableMemoryForTest(-1);
  EXPECT_EQ(outcome.status, kRawNoMemory);
  EXPECT_EQ(img.width, -1);
  EXPECT_EQ(img.r[0], 9);
}

TEST(RawDevelopSettingsPacking, CodesAndHueShift) {
  RawDevelopSettings s;
  s.path = 0;
  s.quality = 3;
  EXPECT_EQ(RawPathCode(s), 0);
  s.path = 1;
  s.quality = 0;
  EXPECT_EQ(RawPathCode(s), 1);
  s.quality = 3;
  EXPECT_EQ(RawPathCode(s), 4);
  s.quality = 9;  // out of range: the highest quality
  EXPECT_EQ(RawPathCode(s), 4);
  s.dark_mode = 2;
  s.defect_threshold = 1024;
  EXPECT_EQ(RawDarkCode(s), 1024 * 256 + 2);
  s.dark_mode = 0;
  s.defect_threshold = 16;
  EXPECT_EQ(RawDarkCode(s), 4096);
  EXPECT_EQ(RawHueShift(18), 0);
  EXPECT_EQ(RawHueShift(0), -36);
  EXPECT_EQ(RawHueShift(36), 36);
  EXPECT_EQ(RawHueShift(19), 2);
  EXPECT_EQ(RawHueShift(50), 36);
}

TEST(ResetRawDevelopSettings, KeepsPathAndDarkFields) {
  RawDevelopSettings s;
  s.path = 1;
  s.quality = 3;
  s.dark_mode = 0;
  s.defect_threshold = 512;
  s.gamma[1] = 3.5;
  s.black_r = 32;
  s.white_b = 255;
  s.sharpness = 0;
  s.radius = 1;
  s.false_colour = 4;
  s.saturation = 0;
  s.hue = 2;
  ResetRawDevelopSettings(s);
  EXPECT_EQ(s.path, 1);
  EXPECT_EQ(s.dark_mode, 0);
  EXPECT_EQ(s.defect_threshold, 512);
  EXPECT_EQ(s.quality, 0);
  EXPECT_EQ(s.gamma[1], 2.2);
  EXPECT_EQ(s.black_r, 5);
  EXPECT_EQ(s.white_b, 130);
  EXPECT_EQ(s.sharpness, 6);
  EXPECT_EQ(s.radius, 0);
  EXPECT_EQ(s.false_colour, 2);
  EXPECT_EQ(s.saturation, 3);
  EXPECT_EQ(s.hue, 18);
}

}  // namespace
}  // namespace tavo
