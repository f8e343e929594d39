// SPDX-License-Identifier: MIT
// The codecs against tools written elsewhere: ImageMagick, libtiff's
// tools, Pillow and astropy make files from sources this test writes, our
// readers must find the source samples in them; and those tools must read
// the files our writers make. The fixtures are made at test time in a
// temporary folder. A missing tool is a failure: the set-up command
// installs them all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/memory.h"
#include "io/bmp.h"
#include "io/fits.h"
#include "io/jpeg.h"
#include "io/tiff.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// Colour patterns addressed by (x, row from the top), as the tools see
// pictures. Samples are 8-bit values unless the name says otherwise.
struct Rgb {
  int r, g, b;
};
using Pattern = Rgb (*)(int x, int y);

// 16 distinct colours: fits a 4-bit palette.
Rgb Colours16(int x, int y) {
  const int k = (x + 2 * y) % 16;
  return {k * 16 % 256, 255 - k * 16, k * 112 % 256};
}
// 7 x 5 = 35 distinct colours: needs an 8-bit palette.
Rgb Colours35(int x, int y) {
  const int k = x + 7 * y;
  return {k * 6 % 256, 255 - k * 5, k * 37 % 256};
}
Rgb BlackWhite(int x, int y) {
  const int v = (x * 3 + y) % 5 < 2 ? 255 : 0;
  return {v, v, v};
}
Rgb Gray(int x, int y) {
  const int v = (x * 30 + y * 17) % 256;
  return {v, v, v};
}
// Fields of 5, 6 and 5 bits. v becomes the smallest byte c with
// c x (2^bits - 1) / 255 >= v; the quotient then lies less than half a step
// above v, so encoders that truncate and encoders that round both get v
// back.
int Widen(int v, int bits) {
  const int top = (1 << bits) - 1;
  return (v * 255 + top - 1) / top;
}
Rgb Fields565(int x, int y) {
  return {Widen((x * 5 + y) % 32, 5), Widen((x * 9 + y * 3) % 64, 6), Widen((x + y * 7) % 32, 5)};
}
// 16-bit samples that use every bit.
Rgb Deep(int x, int y) {
  const int r = x * 1000 + y * 100 + 1;
  return {r, 65535 - r * 9, (x * 7919 + y * 104729) % 65536};
}
// A smooth picture for the lossy coder.
Rgb Smooth(int x, int y) { return {40 + x * 6, 40 + y * 6, 220 - 3 * (x + y)}; }

constexpr int kW = 7, kH = 5;  // odd width: padding and half-filled bytes

class InteropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempDir("interop_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }

  std::string P(const std::string& name) const { return dir_ + "/" + name; }

  // Runs a command in the temporary folder; on failure adds its output to
  // the test failure.
  bool Run(const std::string& command) {
    const std::string log = P("command.log");
    const std::string full = "cd '" + dir_ + "' && ( " + command + " ) > '" + log + "' 2>&1";
    if (std::system(full.c_str()) == 0) return true;
    ADD_FAILURE() << "command failed: " << command << "\n" << ReadBytes(log);
    return false;
  }

  // The absolute path of a tool found at configure time, or a failure.
  static std::string Tool(const char* path, const char* package) {
    if (access(path, X_OK) != 0) {
      ADD_FAILURE() << "tool " << path << " not found: install " << package;
      return "";
    }
    return std::string("'") + path + "'";
  }
  std::string Convert() const { return Tool(TAVO_CONVERT, "imagemagick"); }
  std::string Python() const { return Tool(TAVO_PYTHON3, "python3-pil python3-astropy python3-numpy"); }

  bool RunPython(const std::string& script) {
    const std::string python = Python();
    if (python.empty()) return false;
    std::ofstream(P("script.py")) << script;
    return Run(python + " script.py");
  }

  // A binary PPM of the pattern, 8 or 16 bits per sample.
  void WritePpm(const std::string& name, int w, int h, Pattern p, bool deep = false) {
    std::string f = "P6\n" + std::to_string(w) + " " + std::to_string(h) + (deep ? "\n65535\n" : "\n255\n");
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Rgb c = p(x, y);
        for (int v : {c.r, c.g, c.b}) {
          if (deep) f += static_cast<char>(v >> 8);
          f += static_cast<char>(v & 0xff);
        }
      }
    }
    WriteBytes(P(name), f);
  }
  void WritePgm(const std::string& name, int w, int h, Pattern p) {
    std::string f = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) f += static_cast<char>(p(x, y).r);
    }
    WriteBytes(P(name), f);
  }

  // Every pixel of `image` against the pattern, each value moved up by
  // `shift` bits; the top of the picture is memory row h - 1.
  static void ExpectPattern(const Image& image, int w, int h, Pattern p, int shift, const std::string& what) {
    ASSERT_EQ(image.width, w) << what;
    ASSERT_EQ(image.height, h) << what;
    int wrong = 0;
    for (int y = 0; y < h && wrong < 3; ++y) {
      for (int x = 0; x < w && wrong < 3; ++x) {
        const Rgb c = p(x, y);
        const size_t i = static_cast<size_t>(h - 1 - y) * w + x;
        const int got[3] = {image.r[i], image.g[i], image.b[i]};
        const int want[3] = {c.r << shift, c.g << shift, c.b << shift};
        for (int k = 0; k < 3; ++k) {
          if (got[k] != want[k]) {
            ADD_FAILURE() << what << ": pixel (" << x << ", top row " << y << ") channel " << k << " is "
                          << got[k] << ", expected " << want[k];
            ++wrong;
          }
        }
      }
    }
  }

  // Our image against 8-bit RGB bytes in the tools' row order, within
  // `tolerance` steps of 8 bits.
  static void ExpectBytes(const Image& image, const std::string& rgb, int tolerance, const std::string& what) {
    const int w = image.width, h = image.height;
    ASSERT_EQ(rgb.size(), static_cast<size_t>(w) * h * 3) << what;
    int worst = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(h - 1 - y) * w + x;
        const size_t at = (static_cast<size_t>(y) * w + x) * 3;
        const int ours[3] = {image.r[i] >> 8, image.g[i] >> 8, image.b[i] >> 8};
        for (int k = 0; k < 3; ++k) {
          worst = std::max(worst, std::abs(ours[k] - static_cast<unsigned char>(rgb[at + k])));
        }
      }
    }
    EXPECT_LE(worst, tolerance) << what;
  }

  std::string dir_;
};

Image PatternImage(int w, int h, Pattern p, int shift) {
  Image img;
  AllocateImagePlanes(img, w, h, true);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = p(x, y);
      const size_t i = static_cast<size_t>(h - 1 - y) * w + x;
      img.r[i] = static_cast<uint16_t>(c.r << shift);
      img.g[i] = static_cast<uint16_t>(c.g << shift);
      img.b[i] = static_cast<uint16_t>(c.b << shift);
    }
  }
  return img;
}

TEST_F(InteropTest, BmpFromImageMagick) {
  const std::string convert = Convert();
  ASSERT_FALSE(convert.empty());
  WritePpm("c16.ppm", kW, kH, Colours16);
  WritePpm("c35.ppm", kW, kH, Colours35);
  WritePpm("bw.ppm", kW, kH, BlackWhite);
  WritePpm("f565.ppm", kW, kH, Fields565);
  struct Case {
    const char* args;  // source, options and output
    Pattern pattern;
  };
  const Case cases[] = {
      {"c16.ppm -type truecolor BMP3:rgb24.bmp", Colours16},        // 24 bits, 40-byte header
      {"c16.ppm -type truecolor rgb24v5.bmp", Colours16},           // 24 bits, 124-byte header
      {"c16.ppm -type palette pal4.bmp", Colours16},                // 4 bits
      {"c35.ppm -type palette pal8.bmp", Colours35},                // 8 bits
      {"c35.ppm -type palette -compress RLE rle8.bmp", Colours35},  // 8 bits run-length
      {"bw.ppm -type bilevel bw1.bmp", BlackWhite},                 // 1 bit
      {"c16.ppm -type truecolor BMP2:os2rgb.bmp", Colours16},       // 12-byte header, 24 bits
      {"c16.ppm -type palette BMP2:os2pal4.bmp", Colours16},        // 12-byte header, 3-byte palette
      {"c16.ppm -alpha set rgba32.bmp", Colours16},                 // 32 bits with masks
      {"f565.ppm -define bmp:subtype=RGB565 rgb565.bmp", Fields565},
  };
  for (const Case& c : cases) {
    const std::string args = c.args;
    const std::string out = args.substr(args.rfind(' ') + 1);
    if (!Run(convert + " " + args)) continue;
    Image image;
    const std::string file = P(out.substr(out.find(':') + 1));
    ASSERT_EQ(ReadImageFile(file, image), kReadOk) << args;
    if (c.pattern == Fields565) {
      // 5 and 6-bit fields move to the top of 16 bits: v5 x 2048, v6 x 1024.
      const Image expected = [&] {
        Image img;
        AllocateImagePlanes(img, kW, kH, true);
        for (int y = 0; y < kH; ++y) {
          for (int x = 0; x < kW; ++x) {
            const size_t i = static_cast<size_t>(kH - 1 - y) * kW + x;
            img.r[i] = static_cast<uint16_t>(((x * 5 + y) % 32) << 11);
            img.g[i] = static_cast<uint16_t>(((x * 9 + y * 3) % 64) << 10);
            img.b[i] = static_cast<uint16_t>(((x + y * 7) % 32) << 11);
          }
        }
        return img;
      }();
      EXPECT_TRUE(SamePlanes(image, expected)) << args;
    } else {
      ExpectPattern(image, kW, kH, c.pattern, 8, args);
    }
  }
}

TEST_F(InteropTest, BmpFromPillow) {
  WritePpm("c16.ppm", kW, kH, Colours16);
  WritePpm("c35.ppm", kW, kH, Colours35);
  WritePpm("bw.ppm", kW, kH, BlackWhite);
  WritePgm("gray.pgm", kW, kH, Gray);
  // The palette image is built from the colours themselves so that no
  // quantiser can change them.
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
rgb = Image.open('c16.ppm').convert('RGB')
rgb.save('rgb24.bmp')
rgb.convert('RGBA').save('rgba32.bmp')
src = Image.open('c35.ppm').convert('RGB')
colours = sorted(set(src.getdata()))
index = {c: i for i, c in enumerate(colours)}
pal = Image.new('P', src.size)
pal.putpalette([v for c in colours for v in c])
pal.putdata([index[c] for c in src.getdata()])
pal.save('pal8.bmp')
Image.open('gray.pgm').save('gray8.bmp')
Image.open('bw.ppm').convert('L').convert('1', dither=Image.Dither.NONE).save('bw1.bmp')
)"));
  const struct {
    const char* file;
    Pattern pattern;
  } cases[] = {{"rgb24.bmp", Colours16}, {"rgba32.bmp", Colours16}, {"pal8.bmp", Colours35},
               {"gray8.bmp", Gray},      {"bw1.bmp", BlackWhite}};
  for (const auto& c : cases) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(c.file), image), kReadOk) << c.file;
    ExpectPattern(image, kW, kH, c.pattern, 8, c.file);
  }
}

TEST_F(InteropTest, TiffFromImageMagickAndLibtiff) {
  const std::string convert = Convert();
  const std::string tiffcp = Tool(TAVO_TIFFCP, "libtiff-tools");
  ASSERT_FALSE(convert.empty());
  ASSERT_FALSE(tiffcp.empty());
  WritePpm("deep.ppm", kW, kH, Deep, true);
  WritePpm("c35.ppm", kW, kH, Colours35);
  ASSERT_TRUE(Run(convert + " deep.ppm -depth 16 -endian LSB -compress none ii16.tif"));
  ASSERT_TRUE(Run(convert + " deep.ppm -depth 16 -endian MSB -compress none mm16.tif"));
  ASSERT_TRUE(Run(convert + " deep.ppm -depth 16 -endian MSB -compress none -define tiff:rows-per-strip=2 "
                  "strips16.tif"));
  ASSERT_TRUE(Run(convert + " c35.ppm -type truecolor -depth 8 -compress none ii8.tif"));
  ASSERT_TRUE(Run(convert + " c35.ppm -type truecolor -depth 8 -endian MSB -compress none "
                  "-define tiff:rows-per-strip=1 mm8.tif"));
  // libtiff rewrites: big-endian one row per strip, little-endian three
  // rows per strip, and an 8-bit copy.
  ASSERT_TRUE(Run(tiffcp + " -c none -B -r 1 ii16.tif cp_be_r1.tif"));
  ASSERT_TRUE(Run(tiffcp + " -c none -L -r 3 mm16.tif cp_le_r3.tif"));
  ASSERT_TRUE(Run(tiffcp + " -c none -B -r 2 ii8.tif cp_be8.tif"));
  // Variants we refuse: compressed, separate planes.
  ASSERT_TRUE(Run(tiffcp + " -c lzw ii16.tif lzw.tif"));
  ASSERT_TRUE(Run(tiffcp + " -c none -p separate ii8.tif planes.tif"));

  for (const char* f : {"ii16.tif", "mm16.tif", "strips16.tif", "cp_be_r1.tif", "cp_le_r3.tif"}) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(f), image), kReadOk) << f;
    ExpectPattern(image, kW, kH, Deep, 0, f);
  }
  for (const char* f : {"ii8.tif", "mm8.tif", "cp_be8.tif"}) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(f), image), kReadOk) << f;
    ExpectPattern(image, kW, kH, Colours35, 8, f);
  }
  Image untouched;
  EXPECT_EQ(ReadImageFile(P("lzw.tif"), untouched), kReadUnsupported);
  EXPECT_EQ(ReadImageFile(P("planes.tif"), untouched), kReadUnsupported);
  EXPECT_TRUE(untouched.Empty());
}

TEST_F(InteropTest, TiffFromPillow) {
  WritePpm("c35.ppm", kW, kH, Colours35);
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
im = Image.open('c35.ppm').convert('RGB')
im.save('pil8.tif')
im.convert('RGBA').save('pil_rgba.tif')
)"));
  for (const char* f : {"pil8.tif", "pil_rgba.tif"}) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(f), image), kReadOk) << f;
    ExpectPattern(image, kW, kH, Colours35, 8, f);
  }
}

TEST_F(InteropTest, JpegFromImageMagickAndPillow) {
  const std::string convert = Convert();
  ASSERT_FALSE(convert.empty());
  WritePpm("smooth.ppm", 16, 16, Smooth);
  WritePgm("gray.pgm", 16, 16, Smooth);
  ASSERT_TRUE(Run(convert + " smooth.ppm -quality 90 im.jpg"));
  ASSERT_TRUE(Run(convert + " gray.pgm -quality 90 im_gray.jpg"));
  ASSERT_TRUE(Run(convert + " smooth.ppm -colorspace CMYK im_cmyk.jpg"));
  // Pillow writes its own files and decodes every file with its copy of
  // the library: our samples must match those decodings.
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
im = Image.open('smooth.ppm').convert('RGB')
im.save('pil.jpg', quality=90)
im.save('pil_prog.jpg', quality=90, progressive=True)
Image.open('gray.pgm').save('pil_gray.jpg', quality=90)
for name in ['im', 'im_gray', 'pil', 'pil_prog', 'pil_gray']:
    decoded = Image.open(name + '.jpg')
    assert decoded.mode in ('L', 'RGB'), decoded.mode
    open(name + '.rgb', 'wb').write(decoded.convert('RGB').tobytes())
    open(name + '.mode', 'w').write(decoded.mode)
)"));
  for (const char* name : {"im", "im_gray", "pil", "pil_prog", "pil_gray"}) {
    Image image;
    const std::string base = P(name);
    const bool gray = std::string(name).find("gray") != std::string::npos;
    ASSERT_EQ(ReadImageFile(base + ".jpg", image), kReadOk) << name;
    EXPECT_EQ(ReadBytes(base + ".mode"), gray ? "L" : "RGB") << name;
    ExpectBytes(image, ReadBytes(base + ".rgb"), 0, name);
    // Against the source, within the coding loss.
    std::string source;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const Rgb c = Smooth(x, y);
        for (int v : {c.r, c.g, c.b}) source += static_cast<char>(gray ? c.r : v);
      }
    }
    ExpectBytes(image, source, 8, std::string(name) + " against the source");
    if (gray) {
      for (size_t i = 0; i < image.PixelCount(); ++i) {
        ASSERT_EQ(image.g[i], image.r[i]) << name;
        ASSERT_EQ(image.b[i], image.r[i]) << name;
      }
    }
  }
  Image untouched;
  EXPECT_EQ(ReadImageFile(P("im_cmyk.jpg"), untouched), kReadUnsupported);
}

TEST_F(InteropTest, FitsFromAstropy) {
  // Rows of the array are data rows: row 0 is the bottom of the picture.
  ASSERT_TRUE(RunPython(R"(
import numpy as np
from astropy.io import fits
def save(name, data, **keys):
    hdu = fits.PrimaryHDU(data, do_not_scale_image_data=bool(keys))
    for k, v in keys.items():
        hdu.header[k] = v
    hdu.writeto(name, overwrite=True)
save('u16.fits', np.array([[0, 1, 65535], [32768, 40000, 12345]], dtype=np.uint16))
save('i16.fits', np.array([[-1, 0, 300], [-32768, 32767, 5]], dtype=np.int16))
save('u8.fits', np.array([[0, 1, 255], [128, 7, 200]], dtype=np.uint8))
save('i32.fits', np.array([[0x01020304, -1, 0x7fffffff], [-0x80000000, 65536, 65535]], dtype=np.int32))
save('u32.fits', np.array([[0, 0xffffffff, 0x80000000], [0x12345678, 65536, 1]], dtype=np.uint32))
save('scaled.fits', np.array([[1000, -5, 7], [0, 2, 32767]], dtype=np.int16), BSCALE=2, BZERO=-1000)
save('f32.fits', np.zeros((2, 3), dtype=np.float32))
save('f64.fits', np.zeros((2, 3), dtype=np.float64))
save('i64.fits', np.zeros((2, 3), dtype=np.int64))
)"));
  const struct {
    const char* file;
    int samples[6];  // memory row 0 left to right, then row 1
  } cases[] = {
      {"u16.fits", {0, 1, 65535, 32768, 40000, 12345}},
      // Signed data without an offset wrap modulo 65536: -1 -> 65535.
      {"i16.fits", {65535, 0, 300, 32768, 32767, 5}},
      {"u8.fits", {0, 256, 65280, 32768, 1792, 51200}},
      // The top 16 bits: 0x0102; -1 -> 0xFFFF; 0x7FFF; -2^31 -> 0x8000.
      {"i32.fits", {0x0102, 0xFFFF, 0x7FFF, 0x8000, 1, 0}},
      {"u32.fits", {0, 0xFFFF, 0x8000, 0x1234, 1, 0}},
      // 2 v - 1000 modulo 65536: 1000, -1010 -> 64526, -986 -> 64550;
      // -1000 -> 64536, -996 -> 64540, 65534 - 1000 = 64534.
      {"scaled.fits", {1000, 64526, 64550, 64536, 64540, 64534}},
  };
  for (const auto& c : cases) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(c.file), image), kReadOk) << c.file;
    ASSERT_EQ(image.width, 3) << c.file;
    ASSERT_EQ(image.height, 2) << c.file;
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(image.r[static_cast<size_t>(i)], c.samples[i]) << c.file << " sample " << i;
      EXPECT_EQ(image.b[static_cast<size_t>(i)], c.samples[i]) << c.file << " sample " << i;
    }
  }
  for (const char* f : {"f32.fits", "f64.fits", "i64.fits"}) {
    Image untouched;
    EXPECT_EQ(ReadImageFile(P(f), untouched), kReadUnsupported) << f;
  }
}

TEST_F(InteropTest, OurBmpReadByTools) {
  const std::string convert = Convert();
  ASSERT_FALSE(convert.empty());
  const Image ours = MakeNoiseImage(kW, kH, 21);
  ASSERT_TRUE(WriteBmp(P("ours.bmp"), ours));
  ASSERT_TRUE(Run(convert + " ours.bmp -depth 8 rgb:im.rgb"));
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
im = Image.open('ours.bmp')
assert im.mode == 'RGB' and im.size == (7, 5), (im.mode, im.size)
open('pil.rgb', 'wb').write(im.tobytes())
)"));
  // Exactly the top 8 bits of every sample.
  ExpectBytes(ours, ReadBytes(P("im.rgb")), 0, "ImageMagick");
  ExpectBytes(ours, ReadBytes(P("pil.rgb")), 0, "Pillow");
}

TEST_F(InteropTest, OurTiffReadByToolsAtFullPrecision) {
  const std::string convert = Convert();
  const std::string tiffinfo = Tool(TAVO_TIFFINFO, "libtiff-tools");
  ASSERT_FALSE(convert.empty());
  ASSERT_FALSE(tiffinfo.empty());
  const Image ours = MakeNoiseImage(kW, kH, 33);
  ASSERT_TRUE(WriteTiff(P("ours.tif"), ours));
  // Expected 16-bit samples, little-endian, rows from the top.
  std::string want;
  for (int y = kH - 1; y >= 0; --y) {
    for (int x = 0; x < kW; ++x) {
      const size_t i = static_cast<size_t>(y) * kW + x;
      for (uint16_t v : {ours.r[i], ours.g[i], ours.b[i]}) {
        want += static_cast<char>(v & 0xff);
        want += static_cast<char>(v >> 8);
      }
    }
  }
  ASSERT_TRUE(Run(convert + " ours.tif -depth 16 -endian LSB rgb:im.rgb16"));
  EXPECT_TRUE(ReadBytes(P("im.rgb16")) == want) << "ImageMagick";

  // libtiff: no warnings about the directory, and the strip as written.
  ASSERT_TRUE(Run(tiffinfo + " -d ours.tif > info.txt 2> warnings.txt"));
  EXPECT_EQ(ReadBytes(P("warnings.txt")), "");
  std::istringstream info(ReadBytes(P("info.txt")));
  std::string line, strip;
  bool in_strip = false;
  while (std::getline(info, line)) {
    if (line.rfind("Strip 0:", 0) == 0 || line.rfind(" Strip 0:", 0) == 0) {
      in_strip = true;
      continue;
    }
    if (!in_strip) continue;
    std::istringstream tokens(line);
    std::string hex;
    while (tokens >> hex) strip += static_cast<char>(std::stoi(hex, nullptr, 16));
  }
  EXPECT_TRUE(strip == want) << "libtiff strip of " << strip.size() << " bytes";

  ASSERT_TRUE(RunPython(R"(
from PIL import Image
im = Image.open('ours.tif')
assert im.size == (7, 5), im.size
open('pil.rgb', 'wb').write(im.convert('RGB').tobytes())
)"));
  // Pillow keeps 8 bits of 16: the high byte.
  ExpectBytes(ours, ReadBytes(P("pil.rgb")), 0, "Pillow");
}

TEST_F(InteropTest, OurJpegReadByTools) {
  const std::string convert = Convert();
  ASSERT_FALSE(convert.empty());
  const Image ours = PatternImage(16, 16, Smooth, 8);
  ASSERT_TRUE(WriteJpeg(P("ours.jpg"), ours, kJpegQuality));
  ASSERT_TRUE(Run(convert + " ours.jpg -depth 8 rgb:im.rgb"));
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
im = Image.open('ours.jpg')
assert im.format == 'JPEG' and im.mode == 'RGB' and im.size == (16, 16)
open('pil.rgb', 'wb').write(im.tobytes())
)"));
  // Quality 75 with 2 x 2 chroma subsampling on a smooth picture: within
  // 12 steps of 8 bits.
  ExpectBytes(ours, ReadBytes(P("im.rgb")), 12, "ImageMagick");
  ExpectBytes(ours, ReadBytes(P("pil.rgb")), 12, "Pillow");
}

}  // namespace
}  // namespace tavo
