// SPDX-License-Identifier: MIT
// FITS layouts the own reader refuses, written with cfitsio itself and read through ReadImageFile.
#include "io/fits_lib.h"

#include <fitsio.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "tests/io/reader_test.h"

namespace tavo {
namespace {

struct Key {
  const char* name;
  double value;
};

// Values first axis fastest; with `keys` they go on disk as given (the keys not applied), else cfitsio scales them
// for the type (20: unsigned 16-bit through BZERO 32768).
void WriteFits(const std::string& path, int bitpix, std::vector<long> axes, const std::vector<double>& stored,
               const std::vector<Key>& keys = {}, bool compressed = false) {
  fitsfile* f = nullptr;
  int status = 0;
  fits_create_file(&f, ("!" + path).c_str(), &status);
  if (compressed) fits_set_compression_type(f, RICE_1, &status);
  fits_create_img(f, bitpix, static_cast<int>(axes.size()), axes.data(), &status);
  for (const Key& k : keys) {
    double v = k.value;
    fits_update_key(f, TDOUBLE, k.name, &v, nullptr, &status);
  }
  if (!keys.empty()) fits_set_bscale(f, 1.0, 0.0, &status);
  if (compressed) {  // compressed images take their own data type only
    std::vector<unsigned short> u16(stored.begin(), stored.end());
    fits_write_img(f, TUSHORT, 1, static_cast<LONGLONG>(u16.size()), u16.data(), &status);
  } else {
    fits_write_img(f, TDOUBLE, 1, static_cast<LONGLONG>(stored.size()), const_cast<double*>(stored.data()), &status);
  }
  fits_close_file(f, &status);
  ASSERT_EQ(status, 0) << path;
}

using FitsLibTest = ReaderTest;

TEST_F(FitsLibTest, LayoutsAndScaling) {
  const double k2e48 = std::ldexp(1.0, 48);
  const struct {
    const char* what;
    int bitpix;
    std::vector<long> axes;
    std::vector<double> stored;
    std::vector<Key> keys;
    bool compressed;
    Ints r, b;  // memory row 0 first; b empty: as r
    int monochrome;
  } cases[] = {
      // In 0..1: 0.25 x 65535 + 0.5 = 16384.25; 1 -> 65535.
      {"float in 0..1", -32, {2, 1}, {0.25, 1.0}, {}, false, {16384, 65535}, {}, 1},
      // DATAMIN 0, DATAMAX 1000: 500 -> 32767.5 + 0.5 = 32768; -3 clamps to 0; 2000 to 65535.
      {"float by DATAMIN/DATAMAX", -32, {3, 1}, {500, -3, 2000}, {{"DATAMIN", 0}, {"DATAMAX", 1000}}, false,
       {32768, 0, 65535}, {}, 1},
      // Own range 100..300: 200 -> 32767.5 + 0.5; row 1 is the second data row.
      {"double by its own range", -64, {2, 2}, {100, 300, 200, 100}, {}, false, {0, 65535, 32768, 0}, {}, 1},
      // Everything 5: no range to scale by, 5 clamps to 65535.
      {"flat float outside 0..1", -32, {1, 1}, {5}, {}, false, {65535}, {}, 1},
      {"64-bit: the top 16 bits", 64, {2, 1}, {3 * k2e48 + 5, -k2e48}, {}, false, {3, 0}, {}, 1},
      // BSCALE 0.5 makes 10, 20 physical 5, 10: scaled as floats by that range.
      {"fractional BSCALE", 16, {2, 1}, {10, 20}, {{"BSCALE", 0.5}}, false, {0, 65535}, {}, 1},
      // Planes R, G, B of a 2 x 1 cube: plane x 1000 + x.
      {"colour cube", 16, {2, 1, 3}, {0, 1, 1000, 1001, 2000, 2001}, {}, false, {0, 1}, {2000, 2001}, 0},
      {"one-plane cube", 8, {1, 1, 1}, {3}, {}, false, {768}, {}, 1},
      {"tile-compressed unsigned 16-bit", USHORT_IMG, {3, 2}, {40000, 0, 32768, 1, 2, 3}, {}, true,
       {40000, 0, 32768, 1, 2, 3}, {}, 1}};
  for (const auto& c : cases) {
    WriteFits(dir_ + "/t.fits", c.bitpix, c.axes, c.stored, c.keys, c.compressed);
    image_.monochrome = 1 - c.monochrome;
    ASSERT_EQ(ReadImageFile(dir_ + "/t.fits", image_), kReadOk) << c.what;
    EXPECT_EQ(PlaneValues(image_.r.get(), image_), c.r) << c.what;
    EXPECT_EQ(PlaneValues(image_.b.get(), image_), c.b.empty() ? c.r : c.b) << c.what;
    EXPECT_EQ(image_.monochrome, c.monochrome) << c.what;
  }
}

TEST_F(FitsLibTest, Refusals) {
  WriteFits(dir_ + "/two.fits", 16, {1, 1, 2}, {1, 2});
  WriteFits(dir_ + "/packed.fits", USHORT_IMG, {64, 64}, std::vector<double>(4096, 7), {}, true);
  const std::string packed = ReadBytes(dir_ + "/packed.fits");
  // A header alone for a 10000 x 10000 x 3 cube: its planes take 600 MB.
  std::string huge;
  for (const char* card : {"SIMPLE=T", "BITPIX=8", "NAXIS=3", "NAXIS1=10000", "NAXIS2=10000", "NAXIS3=3"}) {
    char text[81];
    const char* eq = std::strchr(card, '=');
    std::snprintf(text, sizeof text, "%-8.*s= %20s%50s", static_cast<int>(eq - card), card, eq + 1, "");
    huge += text;
  }
  huge += "END";
  huge.resize(2880, ' ');
  ExpectRefused(".fits", {{"two planes", ReadBytes(dir_ + "/two.fits"), kReadUnsupported},
                          {"tiles cut short", packed.substr(0, packed.size() - 2880), kReadBadFormat},
                          {"not FITS", "SIMPLE  = F", kReadBadFormat}},
                huge);
}

}  // namespace
}  // namespace tavo
