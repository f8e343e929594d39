// SPDX-License-Identifier: MIT
// TIFF layouts the own reader refuses, written with libtiff itself and read through ReadImageFile.
#include "io/tiff_lib.h"

#include <tiffio.h>

#include <cmath>
#include <cstring>

#include "tests/io/reader_test.h"

namespace tavo {
namespace {

struct TiffCase {
  const char* what;
  uint32_t w, h;
  uint16_t samples, bits, format, photometric, planar, compression;
  uint32_t tile;             // 0: strips of one row
  std::vector<double> file;  // file order: top row first, samples of a pixel together (or plane after plane)
  Ints r, b;                 // memory row 0 (the bottom row) first; b empty: as r
  int monochrome;
};

bool WriteTiffCase(const std::string& path, const TiffCase& c) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (t == nullptr) return false;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, c.w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, c.h);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, c.samples);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, c.bits);
  TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, c.format);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, c.photometric);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, c.planar);
  TIFFSetField(t, TIFFTAG_COMPRESSION, c.compression);
  if (c.photometric == PHOTOMETRIC_PALETTE) {
    static uint16_t red[256] = {0x1200, 0xFF00}, green[256] = {0x3400}, blue[256] = {0x5600};
    TIFFSetField(t, TIFFTAG_COLORMAP, red, green, blue);
  }
  if (c.tile > 0) {
    TIFFSetField(t, TIFFTAG_TILEWIDTH, c.tile);
    TIFFSetField(t, TIFFTAG_TILELENGTH, c.tile);
  } else {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 1);
  }
  // The whole raster in file order, then cut into strips or tiles.
  const int bytes = c.bits / 8, planes = c.planar == PLANARCONFIG_SEPARATE ? c.samples : 1;
  const uint32_t per_pixel = c.samples / planes;
  std::vector<unsigned char> raster(c.file.size() * bytes);
  for (size_t i = 0; i < c.file.size(); ++i) {
    const uint8_t u8 = static_cast<uint8_t>(c.file[i]);
    const uint16_t u16 = static_cast<uint16_t>(c.file[i]);
    const float f = static_cast<float>(c.file[i]);
    std::memcpy(&raster[i * bytes], bytes == 1 ? static_cast<const void*>(&u8) : bytes == 2 ? static_cast<const void*>(&u16) : &f, bytes);
  }
  bool ok = true;
  for (int p = 0; p < planes; ++p) {
    const unsigned char* plane = raster.data() + static_cast<size_t>(p) * c.w * c.h * per_pixel * bytes;
    if (c.tile == 0) {
      // Rows the values do not reach are left out (their strips stay empty).
      for (uint32_t y = 0; y < c.h && (y + 1) * c.w * per_pixel <= c.file.size(); ++y) {
        ok &= TIFFWriteEncodedStrip(t, TIFFComputeStrip(t, y, static_cast<uint16_t>(p)),
                                    const_cast<unsigned char*>(plane + y * c.w * per_pixel * bytes),
                                    c.w * per_pixel * bytes) >= 0;
      }
      continue;
    }
    std::vector<unsigned char> tile(static_cast<size_t>(c.tile) * c.tile * per_pixel * bytes, 0);
    for (uint32_t ty = 0; ty < c.h; ty += c.tile) {
      for (uint32_t tx = 0; tx < c.w; tx += c.tile) {
        for (uint32_t y = ty; y < std::min(c.h, ty + c.tile); ++y) {
          const uint32_t n = std::min(c.w - tx, c.tile) * per_pixel * bytes;
          std::memcpy(&tile[(y - ty) * c.tile * per_pixel * bytes], plane + (y * c.w + tx) * per_pixel * bytes, n);
        }
        ok &= TIFFWriteEncodedTile(t, TIFFComputeTile(t, tx, ty, 0, static_cast<uint16_t>(p)), tile.data(),
                                   static_cast<tmsize_t>(tile.size())) >= 0;
      }
    }
  }
  TIFFClose(t);
  return ok;
}

using TiffLibTest = ReaderTest;

TEST_F(TiffLibTest, LayoutsAndSamples) {
  // 17 x 2 in 16 x 16 tiles: columns 16 lie in a second tile. R = x, G = 100 + x, B = 200 + x (top row) and
  // 1000 + x, ... (bottom row); memory row 0 is the bottom row.
  std::vector<double> tiled;
  Ints tiled_r, tiled_b;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 17; ++x) {
      for (int c = 0; c < 3; ++c) tiled.push_back((1 - y) * 1000 + c * 100 + x);
    }
  }
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 17; ++x) tiled_r.push_back(row * 1000 + x), tiled_b.push_back(row * 1000 + 200 + x);
  }
  const TiffCase cases[] = {
      {"16-bit gray, LZW", 3, 2, 1, 16, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG,
       COMPRESSION_LZW, 0, {10, 20, 30, 40, 50, 60}, {40, 50, 60, 10, 20, 30}, {}, 1},
      // White is zero: 255 x 256 = 65280 -> 255.
      {"8-bit white-is-zero, Deflate", 2, 1, 1, 8, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG,
       COMPRESSION_ADOBE_DEFLATE, 0, {0, 255}, {65535, 255}, {}, 1},
      {"16-bit RGB tiles, PackBits", 17, 2, 3, 16, SAMPLEFORMAT_UINT, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG,
       COMPRESSION_PACKBITS, 16, tiled, tiled_r, tiled_b, 0},
      // Planes R, G, B plus alpha, each 2 x 1: x 256.
      {"8-bit RGBA in separate planes", 2, 1, 4, 8, SAMPLEFORMAT_UINT, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE,
       COMPRESSION_LZW, 0, {1, 2, 3, 4, 5, 6, 7, 8}, {256, 512}, {1280, 1536}, 0},
      // 0.5 x 65535 + 0.5 = 32768; 2 and -1 clamp; NaN is 0.
      {"32-bit float gray", 4, 1, 1, 32, SAMPLEFORMAT_IEEEFP, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG,
       COMPRESSION_NONE, 0, {0.5, 2, -1, NAN}, {32768, 65535, 0, 0}, {}, 1},
      // Through 8-bit RGBA: colour map entries keep their high byte.
      {"palette", 2, 1, 1, 8, SAMPLEFORMAT_UINT, PHOTOMETRIC_PALETTE, PLANARCONFIG_CONTIG, COMPRESSION_NONE, 0,
       {0, 1}, {0x1200, 0xFF00}, {0x5600, 0}, 0}};
  for (const TiffCase& c : cases) {
    ASSERT_TRUE(WriteTiffCase(dir_ + "/t.tif", c)) << c.what;
    image_.monochrome = 1 - c.monochrome;
    ASSERT_EQ(ReadImageFile(dir_ + "/t.tif", image_), kReadOk) << c.what;
    EXPECT_EQ(PlaneValues(image_.r.get(), image_), c.r) << c.what;
    EXPECT_EQ(PlaneValues(image_.b.get(), image_), c.b.empty() ? c.r : c.b) << c.what;
    EXPECT_EQ(image_.monochrome, c.monochrome) << c.what;
  }
}

TEST_F(TiffLibTest, Refusals) {
  const TiffCase lzw = {"", 64, 64, 1, 16, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG,
                        COMPRESSION_LZW, 0, std::vector<double>(4096, 0), {}, {}, 1};
  ASSERT_TRUE(WriteTiffCase(dir_ + "/lzw.tif", lzw));
  std::string cut = ReadBytes(dir_ + "/lzw.tif");
  // Strip data lie between the header and the directory at the end: spoil the strips.
  std::memset(cut.data() + 8, 0xFF, 200);
  TiffCase huge = lzw;
  huge.w = huge.h = 10000;
  huge.file.resize(10000);
  ASSERT_TRUE(WriteTiffCase(dir_ + "/huge.tif", huge));
  ExpectRefused(".tif", {{"damaged LZW strips", cut, kReadBadFormat}}, ReadBytes(dir_ + "/huge.tif"));
}

}  // namespace
}  // namespace tavo
