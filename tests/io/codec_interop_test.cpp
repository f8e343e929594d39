// SPDX-License-Identifier: MIT
// The codecs against tools written elsewhere: ImageMagick, libtiff's tools, Pillow and astropy make files from sources
// this test writes, our readers must find the source samples in them; and those tools must read the files our writers
// make. The fixtures are made at test time. A missing tool is a failure: the set-up command installs them all.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "io/bmp.h"
#include "io/fits.h"
#include "io/jpeg.h"
#include "io/tiff.h"
#include "tests/io/reader_test.h"

namespace tavo {
namespace {

// Colour patterns addressed by (x, row from the top), as the tools see pictures; 8-bit unless said otherwise.
struct Rgb { int r, g, b; };
using Pattern = Rgb (*)(int x, int y);

// 16 distinct colours fit a 4-bit palette; 7 x 5 = 35 need 8 bits.
Rgb Colours(int k) { return {k * 16 % 256, 255 - k * 16, k * 112 % 256}; }
Rgb Colours16(int x, int y) { return Colours((x + 2 * y) % 16); }
Rgb Colours35(int x, int y) { return {(x + 7 * y) * 6 % 256, 255 - (x + 7 * y) * 5, (x + 7 * y) * 37 % 256}; }
Rgb BlackWhite(int x, int y) { return (x * 3 + y) % 5 < 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; }
Rgb Gray(int x, int y) { return {(x * 30 + y * 17) % 256, (x * 30 + y * 17) % 256, (x * 30 + y * 17) % 256}; }
// Fields of 5, 6 and 5 bits. v becomes the smallest byte c with c x (2^bits - 1) / 255 >= v; the quotient then lies
// less than half a step above v, so encoders that truncate and encoders that round both get v back. Our reader puts a
// field's top bit on bit 15: in 8-bit units 5 bits v -> v x 8, 6 bits v -> v x 4.
int Widen(int v, int bits) { return (v * 255 + (1 << bits) - 2) / ((1 << bits) - 1); }
Rgb Fields565(int x, int y) {
  return {Widen((x * 5 + y) % 32, 5), Widen((x * 9 + y * 3) % 64, 6), Widen((x + y * 7) % 32, 5)};
}
Rgb Fields565Read(int x, int y) { return {(x * 5 + y) % 32 * 8, (x * 9 + y * 3) % 64 * 4, (x + y * 7) % 32 * 8}; }
// 16-bit samples that use every bit; a smooth picture for the lossy coder.
Rgb Deep(int x, int y) {
  const int r = x * 1000 + y * 100 + 1;
  return {r, 65535 - r * 9, (x * 7919 + y * 104729) % 65536};
}
Rgb Smooth(int x, int y) { return {40 + x * 6, 40 + y * 6, 220 - 3 * (x + y)}; }

constexpr int kW = 7, kH = 5;  // odd width: padding and half-filled bytes

// The pattern as our readers give it: values moved up by `shift` bits, the top of the picture in memory row h - 1.
Image PatternImage(int w, int h, Pattern p, int shift) {
  Image img;
  AllocateImagePlanes(img, w, h, true);
  for (int i = 0; i < w * h; ++i) {
    const Rgb c = p(i % w, h - 1 - i / w);
    img.r[i] = static_cast<uint16_t>(c.r << shift), img.g[i] = static_cast<uint16_t>(c.g << shift);
    img.b[i] = static_cast<uint16_t>(c.b << shift);
  }
  return img;
}

class InteropTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TempDir("interop"); }
  std::string P(const std::string& name) const { return dir_ + "/" + name; }
  // Runs a command in the temporary folder; on failure its output joins the test failure.
  bool Run(const std::string& command) {
    if (std::system(("cd '" + dir_ + "' && ( " + command + " ) > command.log 2>&1").c_str()) == 0) return true;
    ADD_FAILURE() << "command failed: " << command << "\n" << ReadBytes(P("command.log"));
    return false;
  }
  // The path of a tool found at configure time, quoted, or a failure.
  static std::string Tool(const char* path, const char* package) {
    if (access(path, X_OK) == 0) return std::string("'") + path + "'";
    ADD_FAILURE() << "tool " << path << " not found: install " << package;
    return "";
  }
  bool RunPython(const std::string& script) {
    const std::string python = Tool(TAVO_PYTHON3, "python3-pil python3-astropy python3-numpy");
    std::ofstream(P("script.py")) << script;
    return !python.empty() && Run(python + " script.py");
  }
  // A binary PPM of the pattern (16 bits with `deep`), or with `gray` a PGM of its red values.
  void WritePnm(const std::string& name, int w, int h, Pattern p, bool deep = false, bool gray = false) {
    std::string f = (gray ? "P5\n" : "P6\n") + std::to_string(w) + " " + std::to_string(h);
    f += deep ? "\n65535\n" : "\n255\n";
    for (int i = 0; i < w * h; ++i) {
      const Rgb c = p(i % w, i / w);
      for (int v : {c.r, c.g, c.b}) {
        f += deep ? Raw({v >> 8, v & 0xff}) : Raw({v});
        if (gray) break;
      }
    }
    WriteBytes(P(name), f);
  }
  void ExpectPattern(const std::string& file, int w, int h, Pattern p, int shift) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(file), image), kReadOk) << file;
    EXPECT_TRUE(SamePlanes(image, PatternImage(w, h, p, shift))) << file;
  }
  // Our image against 8-bit RGB bytes in the tools' row order, within `tolerance` steps of 8 bits.
  static void ExpectBytes(const Image& image, const std::string& rgb, int tolerance, const std::string& what) {
    const int w = image.width, h = image.height;
    ASSERT_EQ(rgb.size(), static_cast<size_t>(w) * h * 3) << what;
    int worst = 0;
    for (size_t at = 0; at < rgb.size(); ++at) {
      const size_t pixel = at / 3, i = static_cast<size_t>(h - 1 - static_cast<int>(pixel) / w) * w + pixel % w;
      const int ours = image.Channel(static_cast<int>(at % 3))[i] / 256;
      worst = std::max(worst, std::abs(ours - static_cast<unsigned char>(rgb[at])));
    }
    EXPECT_LE(worst, tolerance) << what;
  }

  std::string dir_;
};

TEST_F(InteropTest, BmpFromImageMagickAndPillow) {
  const std::string convert = Tool(TAVO_CONVERT, "imagemagick");
  ASSERT_FALSE(convert.empty());
  WritePnm("c16.ppm", kW, kH, Colours16);
  WritePnm("c35.ppm", kW, kH, Colours35);
  WritePnm("bw.ppm", kW, kH, BlackWhite);
  WritePnm("f565.ppm", kW, kH, Fields565);
  WritePnm("gray.pgm", kW, kH, Gray, false, true);
  // The palette image is built from the colours themselves so that no quantiser can change them.
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
rgb = Image.open('c16.ppm').convert('RGB')
rgb.save('pil24.bmp')
rgb.convert('RGBA').save('pil32.bmp')
src = Image.open('c35.ppm').convert('RGB')
colours = sorted(set(src.getdata()))
index = {c: i for i, c in enumerate(colours)}
pal = Image.new('P', src.size)
pal.putpalette([v for c in colours for v in c])
pal.putdata([index[c] for c in src.getdata()])
pal.save('pil8.bmp')
Image.open('gray.pgm').save('pilgray.bmp')
Image.open('bw.ppm').convert('L').convert('1', dither=Image.Dither.NONE).save('pil1.bmp')
)"));
  // ImageMagick: 24 bits behind the 40 and the 124-byte header, 4 and 8-bit palettes, 8 bits run-length, 1 bit, the
  // 12-byte OS/2 header with 24 bits and with a 3-byte palette, 32 bits with masks, 5-6-5 fields; then Pillow's files.
  const struct {
    const char* args;  // ImageMagick source, options and output; or a Pillow file
    Pattern pattern;
  } cases[] = {
      {"c16.ppm -type truecolor BMP3:rgb24.bmp", Colours16}, {"c16.ppm -type truecolor rgb24v5.bmp", Colours16},
      {"c16.ppm -type palette pal4.bmp", Colours16}, {"c35.ppm -type palette pal8.bmp", Colours35},
      {"c35.ppm -type palette -compress RLE rle8.bmp", Colours35}, {"bw.ppm -type bilevel bw1.bmp", BlackWhite},
      {"c16.ppm -type truecolor BMP2:os2rgb.bmp", Colours16}, {"c16.ppm -type palette BMP2:os2pal4.bmp", Colours16},
      {"c16.ppm -alpha set rgba32.bmp", Colours16}, {"f565.ppm -define bmp:subtype=RGB565 rgb565.bmp", Fields565Read},
      {"pil24.bmp", Colours16}, {"pil32.bmp", Colours16}, {"pil8.bmp", Colours35}, {"pilgray.bmp", Gray},
      {"pil1.bmp", BlackWhite}};
  for (const auto& c : cases) {
    const std::string args = c.args, out = args.substr(args.rfind(' ') + 1);
    if (args.find(' ') != std::string::npos && !Run(convert + " " + args)) continue;
    ExpectPattern(out.substr(out.find(':') + 1), kW, kH, c.pattern, 8);
  }
}

TEST_F(InteropTest, TiffFromImageMagickLibtiffAndPillow) {
  const std::string convert = Tool(TAVO_CONVERT, "imagemagick"), tiffcp = Tool(TAVO_TIFFCP, "libtiff-tools");
  ASSERT_FALSE(convert.empty() || tiffcp.empty());
  WritePnm("deep.ppm", kW, kH, Deep, true);
  WritePnm("c35.ppm", kW, kH, Colours35);
  const std::string im16 = convert + " deep.ppm -depth 16 -compress none ";
  const std::string im8 = convert + " c35.ppm -type truecolor -depth 8 -compress none ";
  ASSERT_TRUE(Run(im16 + "-endian LSB ii16.tif && " + im16 + "-endian MSB mm16.tif && " + im16 +
                  "-endian MSB -define tiff:rows-per-strip=2 strips16.tif && " + im8 + "ii8.tif && " + im8 +
                  "-endian MSB -define tiff:rows-per-strip=1 mm8.tif"));
  // libtiff rewrites: big-endian one row per strip, little-endian three rows per strip, an 8-bit copy.
  ASSERT_TRUE(Run(tiffcp + " -c none -B -r 1 ii16.tif cp_be_r1.tif && " + tiffcp +
                  " -c none -L -r 3 mm16.tif cp_le_r3.tif && " + tiffcp + " -c none -B -r 2 ii8.tif cp_be8.tif"));
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
im = Image.open('c35.ppm').convert('RGB')
im.save('pil8.tif')
im.convert('RGBA').save('pil_rgba.tif')
)"));
  for (const char* f : {"ii16.tif", "mm16.tif", "strips16.tif", "cp_be_r1.tif", "cp_le_r3.tif"}) {
    ExpectPattern(f, kW, kH, Deep, 0);
  }
  for (const char* f : {"ii8.tif", "mm8.tif", "cp_be8.tif", "pil8.tif", "pil_rgba.tif"}) {
    ExpectPattern(f, kW, kH, Colours35, 8);
  }
}

TEST_F(InteropTest, JpegFromImageMagickAndPillow) {
  const std::string convert = Tool(TAVO_CONVERT, "imagemagick");
  ASSERT_FALSE(convert.empty());
  WritePnm("smooth.ppm", 16, 16, Smooth);
  WritePnm("gray.pgm", 16, 16, Smooth, false, true);
  // Comment and EXIF segments as cameras and editors write them; big.jpg holds segments of nearly 64 KiB each (EXIF,
  // comment and a four-part colour profile), so that skipping them crosses the reader's 64 KiB buffer. They are filled
  // with end-of-image markers: a reader that loses its place inside one stops there.
  const std::string comment(60000, 'c');
  ASSERT_TRUE(Run(convert + " smooth.ppm -quality 90 im.jpg && " + convert + " gray.pgm -quality 90 im_gray.jpg && " +
                  convert + " smooth.ppm -quality 90 -set comment '" + comment + "' im_comment.jpg"));
  // Pillow writes its own files and decodes every file with its copy of the library: our samples must match.
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
im = Image.open('smooth.ppm').convert('RGB')
im.save('pil.jpg', quality=90)
im.save('pil_prog.jpg', quality=90, progressive=True)
Image.open('gray.pgm').save('pil_gray.jpg', quality=90)
exif = Image.Exif()
exif[0x010F] = 'maker'
im.save('pil_exif.jpg', quality=90, exif=exif.tobytes(), comment=b'comment')
eoi = b'\xff\xd9'
im.save('big.jpg', quality=90, exif=b'Exif\0\0' + eoi * 32500, comment=eoi * 32500, icc_profile=eoi * 125000)
for name in ['im', 'im_gray', 'im_comment', 'pil', 'pil_prog', 'pil_gray', 'pil_exif', 'big']:
    decoded = Image.open(name + '.jpg')
    open(name + '.rgb', 'wb').write(decoded.convert('RGB').tobytes())
    open(name + '.mode', 'w').write(decoded.mode)
)"));
  ASSERT_GT(ReadBytes(P("big.jpg")).size(), 5u * 65536);
  ASSERT_NE(ReadBytes(P("im_comment.jpg")).find(comment), std::string::npos);
  // Against the source too, within the coding loss.
  const std::string source = ReadBytes(P("smooth.ppm")).substr(13);
  std::string gray_source;
  for (char v : ReadBytes(P("gray.pgm")).substr(13)) gray_source += std::string(3, v);
  for (const char* name : {"im", "im_gray", "im_comment", "pil", "pil_prog", "pil_gray", "pil_exif", "big"}) {
    Image image;
    const bool gray = std::string(name).find("gray") != std::string::npos;
    ASSERT_EQ(ReadImageFile(P(name) + ".jpg", image), kReadOk) << name;
    EXPECT_EQ(ReadBytes(P(name) + ".mode"), gray ? "L" : "RGB") << name;
    ExpectBytes(image, ReadBytes(P(name) + ".rgb"), 0, name);
    ExpectBytes(image, gray ? gray_source : source, 8, std::string(name) + " against the source");
    for (int c = 1; c < 3 && gray; ++c) {
      EXPECT_EQ(PlaneValues(image.Channel(c), image), PlaneValues(image.r.get(), image)) << name;
    }
  }
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
)"));
  const struct {
    const char* file;
    std::vector<int> samples;  // memory row 0 left to right, then row 1
  } cases[] = {
      {"u16.fits", {0, 1, 65535, 32768, 40000, 12345}},
      {"i16.fits", {65535, 0, 300, 32768, 32767, 5}},  // signed data wrap modulo 65536
      {"u8.fits", {0, 256, 65280, 32768, 1792, 51200}},
      // The top 16 bits: 0x0102; -1 -> 0xFFFF; 0x7FFF; -2^31 -> 0x8000.
      {"i32.fits", {0x0102, 0xFFFF, 0x7FFF, 0x8000, 1, 0}}, {"u32.fits", {0, 0xFFFF, 0x8000, 0x1234, 1, 0}},
      // 2 v - 1000 modulo 65536: 1000, -1010 -> 64526, -986 -> 64550; -1000 -> 64536, -996 -> 64540, 64534.
      {"scaled.fits", {1000, 64526, 64550, 64536, 64540, 64534}}};
  for (const auto& c : cases) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(c.file), image), kReadOk) << c.file;
    ASSERT_EQ(image.width, 3) << c.file;
    EXPECT_EQ(PlaneValues(image.r.get(), image), c.samples) << c.file;
    EXPECT_EQ(PlaneValues(image.b.get(), image), c.samples) << c.file;
  }
}

// Layouts astro and photo software write that only the library readers take. Gray values: the top row of the
// picture is the last data row in FITS and the first row in TIFF; memory row 0 first below. Colour: our own TIFF of
// position-coded planes (17 wide: a second 16-wide tile) rewritten in separate planes and in tiles.
TEST_F(InteropTest, LibraryLayoutsFromAstropyPillowImageMagickAndLibtiff) {
  const std::string convert = Tool(TAVO_CONVERT, "imagemagick"), tiffcp = Tool(TAVO_TIFFCP, "libtiff-tools");
  ASSERT_FALSE(convert.empty() || tiffcp.empty());
  ASSERT_TRUE(RunPython(R"(
import numpy as np
from astropy.io import fits
from PIL import Image
v = np.array([[0, 1000, 2000], [3000, 4000, 65535]])
fits.PrimaryHDU((v / 65535).astype(np.float32)).writeto('f32.fits')
fits.HDUList([fits.PrimaryHDU(), fits.CompImageHDU(v.astype(np.uint16))]).writeto('tiles.fits')
Image.fromarray(v[::-1].astype(np.uint16)).save('gray16.tif')
Image.fromarray((v[::-1] / 65535).astype(np.float32)).save('float.tif')
open('gray16.pgm', 'wb').write(b'P5\n3 2\n65535\n' + v[::-1].astype('>u2').tobytes())
p = Image.new('P', (2, 1))
p.putpalette([0x12, 0x34, 0x56, 0xff, 0, 0])
p.putdata([0, 1])
p.save('palette.tif')
)"));
  const Image colour = MakePositionImage(17, 3), noise = MakeNoiseImage(64, 64, 4);
  ASSERT_TRUE(WriteTiff(P("colour.tif"), colour) && WriteTiff(P("noise.tif"), noise));
  ASSERT_TRUE(Run(convert + " gray16.pgm -depth 16 -compress lzw lzw.tif && " + convert +
                  " gray16.pgm -depth 16 -compress zip -define tiff:tile-geometry=16x16 tiled.tif && " + convert +
                  " colour.tif -depth 16 -interlace plane -compress lzw planes.tif && " + tiffcp +
                  " -t -w 16 -l 16 -c packbits colour.tif tiles.tif && " + tiffcp + " -c lzw noise.tif damaged.tif"));
  const Ints v = {0, 1000, 2000, 3000, 4000, 65535};
  for (const char* f : {"f32.fits", "tiles.fits", "gray16.tif", "float.tif", "lzw.tif", "tiled.tif"}) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(f), image), kReadOk) << f;
    EXPECT_EQ(PlaneValues(image.b.get(), image), v) << f;
    EXPECT_EQ(image.monochrome, 1) << f;
  }
  for (const char* f : {"planes.tif", "tiles.tif"}) {
    Image image;
    ASSERT_EQ(ReadImageFile(P(f), image), kReadOk) << f;
    EXPECT_TRUE(SamePlanes(image, colour)) << f;
    EXPECT_EQ(image.monochrome, 0) << f;
  }
  Image image;
  ASSERT_EQ(ReadImageFile(P("palette.tif"), image), kReadOk);  // colour map entries x 256
  EXPECT_EQ(PixelValues(image, 0, 0), (Ints{0x1200, 0x3400, 0x5600}));
  EXPECT_EQ(PixelValues(image, 1, 0), (Ints{0xff00, 0, 0}));
  // LZW strips spoiled behind the 8-byte header (libtiff puts its directory after them).
  std::string damaged = ReadBytes(P("damaged.tif"));
  damaged.replace(8, 4000, 4000, '\xff');
  WriteBytes(P("damaged.tif"), damaged);
  const Image before = MakePositionImage(2, 2);
  image = MakePositionImage(2, 2);
  EXPECT_EQ(ReadImageFile(P("damaged.tif"), image), kReadBadFormat);
  EXPECT_TRUE(SamePlanes(image, before));
}

TEST_F(InteropTest, OurFilesReadByTools) {
  const std::string convert = Tool(TAVO_CONVERT, "imagemagick"), tiffinfo = Tool(TAVO_TIFFINFO, "libtiff-tools");
  ASSERT_FALSE(convert.empty() || tiffinfo.empty());
  const Image noise = MakeNoiseImage(kW, kH, 21), smooth = PatternImage(16, 16, Smooth, 8);
  ASSERT_TRUE(WriteBmp(P("ours.bmp"), noise) && WriteTiff(P("ours.tif"), noise));
  ASSERT_TRUE(WriteJpeg(P("ours.jpg"), smooth, kJpegQuality));
  ASSERT_TRUE(Run(convert + " ours.bmp -depth 8 rgb:bmp_im.rgb && " + convert + " ours.jpg -depth 8 rgb:jpg_im.rgb" +
                  " && " + convert + " ours.tif -depth 16 -endian LSB rgb:tif_im.rgb16"));
  ASSERT_TRUE(RunPython(R"(
from PIL import Image
for name, size in [('bmp', (7, 5)), ('tif', (7, 5)), ('jpg', (16, 16))]:
    im = Image.open('ours.' + name)
    assert im.size == size and (name == 'tif' or im.mode == 'RGB'), (name, im.size, im.mode)
    open(name + '_pil.rgb', 'wb').write(im.convert('RGB').tobytes())
)"));
  // BMP: exactly the top 8 bits of every sample; Pillow keeps the high byte of 16-bit TIFF samples; JPEG at quality 75
  // with 2 x 2 chroma subsampling on a smooth picture: within 12 steps.
  ExpectBytes(noise, ReadBytes(P("bmp_im.rgb")), 0, "BMP, ImageMagick");
  ExpectBytes(noise, ReadBytes(P("bmp_pil.rgb")), 0, "BMP, Pillow");
  ExpectBytes(noise, ReadBytes(P("tif_pil.rgb")), 0, "TIFF, Pillow");
  ExpectBytes(smooth, ReadBytes(P("jpg_im.rgb")), 12, "JPEG, ImageMagick");
  ExpectBytes(smooth, ReadBytes(P("jpg_pil.rgb")), 12, "JPEG, Pillow");
  // TIFF at full precision: 16-bit samples, little-endian, rows from the top; libtiff reads the strip as written.
  std::string want;
  for (int i = 0; i < kW * kH; ++i) {
    for (int v : PixelValues(noise, i % kW, kH - 1 - i / kW)) want += Raw({v & 0xff, v >> 8});
  }
  EXPECT_TRUE(ReadBytes(P("tif_im.rgb16")) == want) << "ImageMagick";
  ASSERT_TRUE(Run(tiffinfo + " -d ours.tif > info.txt 2> warnings.txt"));
  EXPECT_EQ(ReadBytes(P("warnings.txt")), "");
  const std::string info = ReadBytes(P("info.txt"));
  std::istringstream dump(info.substr(info.find('\n', info.find("Strip 0:")) + 1));
  std::string strip, hex;
  while (dump >> hex) strip += static_cast<char>(std::stoi(hex, nullptr, 16));
  EXPECT_TRUE(strip == want) << "libtiff strip of " << strip.size() << " bytes";
}

// astropy gives the array bottom row first, planes first; fitsverify finds neither error nor warning.
TEST_F(InteropTest, OurFitsReadByAstropyAndFitsverify) {
  const std::string verify = Tool(TAVO_FITSVERIFY, "fitsverify");
  ASSERT_FALSE(verify.empty());
  Image colour = MakePositionImage(3, 2), mono = MakeImageFromRows(2, 1, {0, 65535});
  mono.monochrome = 1;
  ASSERT_TRUE(WriteFits(P("c16.fits"), colour, kFits16) && WriteFits(P("c32.fits"), colour, kFitsFloat));
  ASSERT_TRUE(WriteFits(P("m16.fits"), mono, kFits16) && WriteFits(P("m32.fits"), mono, kFitsFloat));
  // R = x * 1000 + row, G + 1, B + 2; floats are those / 65535.
  ASSERT_TRUE(RunPython(R"(
import numpy as np
from astropy.io import fits
want = np.array([[[x * 1000 + r + c for x in range(3)] for r in range(2)] for c in range(3)])
for name, scale in [('c16', 1), ('c32', 65535)]:
    d = fits.getdata(name + '.fits')
    assert d.shape == (3, 2, 3), d.shape
    assert np.allclose(d * scale, want, atol=1e-3), (name, d)
assert fits.getdata('m16.fits').tolist() == [[0, 65535]]
assert fits.getdata('m32.fits').tolist() == [[0.0, 1.0]]
assert 'TAVO' in str(fits.getheader('m16.fits')['HISTORY'])
)"));
  for (const char* f : {"c16.fits", "c32.fits", "m16.fits", "m32.fits"}) {
    ASSERT_TRUE(Run(verify + " " + f + " > verify.txt"));
    const std::string report = ReadBytes(P("verify.txt"));
    EXPECT_NE(report.find("found 0 warning(s) and 0 error(s)"), std::string::npos) << report;
  }
}

}  // namespace
}  // namespace tavo
