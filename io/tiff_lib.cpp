// SPDX-License-Identifier: MIT
#include "io/tiff_lib.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/memory.h"

namespace tavo {
namespace {

// libtiff reads through these from our ByteReader, so files and memory
// blocks (fuzzing) take the same path.
tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t size) {
  return size <= 0 ? 0 : static_cast<tmsize_t>(static_cast<ByteReader*>(h)->Read(buf, static_cast<size_t>(size)));
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
  ByteReader* in = static_cast<ByteReader*>(h);
  int64_t base = 0;
  if (whence == SEEK_CUR) base = in->Position();
  if (whence == SEEK_END) base = in->FileSize();
  const int64_t target = base + static_cast<int64_t>(offset);
  if (target < 0) return static_cast<toff_t>(-1);
  in->Seek(target);  // past the end: reads give nothing and the strip fails
  return static_cast<toff_t>(target);
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) {
  const int64_t size = static_cast<ByteReader*>(h)->FileSize();
  return size < 0 ? 0 : static_cast<toff_t>(size);
}
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// The shell reports the failure; libtiff's own texts stay quiet.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffHandle {
  TIFF* t = nullptr;
  ~TiffHandle() {
    if (t != nullptr) TIFFClose(t);
  }
};

// What the sample-by-sample path needs to know of the directory.
struct Layout {
  uint32_t width = 0, height = 0;
  int samples = 1;    // per pixel
  int colours = 1;    // 1 gray, 3 RGB
  int bytes = 1;      // per sample: 1, 2 or 4 (float)
  bool separate = false;
  bool invert = false;
};

uint16_t ToSample(const unsigned char* p, int bytes) {
  if (bytes == 1) return static_cast<uint16_t>(p[0] << 8);
  if (bytes == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  float f;
  std::memcpy(&f, p, 4);
  const double v = std::floor(static_cast<double>(f) * 65535.0 + 0.5);
  return static_cast<uint16_t>(v > 0 ? (v < 65535 ? v : 65535) : 0);  // NaN fails v > 0
}

// Copies a decoded block of `bw` x `bh` pixels (rows `stride` bytes apart)
// whose top-left pixel is file pixel (x0, y0) into the planes; `plane` is
// the colour of a separate-plane block, -1 for contiguous samples.
void StoreBlock(const Layout& l, const unsigned char* block, size_t stride, uint32_t x0, uint32_t y0, uint32_t bw,
                uint32_t bh, int plane, Image& fresh) {
  const uint32_t cols = std::min(bw, l.width - x0), rows = std::min(bh, l.height - y0);
  const size_t step = static_cast<size_t>(plane < 0 ? l.samples : 1) * l.bytes;
  for (uint32_t r = 0; r < rows; ++r) {
    const size_t base = static_cast<size_t>(l.height - 1 - (y0 + r)) * l.width + x0;
    const unsigned char* p = block + r * stride;
    for (int c = 0; c < l.colours; ++c) {
      if (plane >= 0 && c != plane) continue;
      uint16_t* out = fresh.Channel(c) + base;
      const unsigned char* q = p + (plane < 0 ? static_cast<size_t>(c) * l.bytes : 0);
      for (uint32_t x = 0; x < cols; ++x, q += step) out[x] = l.invert ? 65535 - ToSample(q, l.bytes) : ToSample(q, l.bytes);
    }
  }
}

ReadStatus ReadSamples(TIFF* t, const Layout& l, Image& fresh) {
  const int planes = l.separate ? l.colours : 1;
  const size_t pixel_bytes = static_cast<size_t>(l.separate ? 1 : l.samples) * l.bytes;
  if (TIFFIsTiled(t)) {
    uint32_t tw = 0, th = 0;
    TIFFGetField(t, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(t, TIFFTAG_TILELENGTH, &th);
    const tmsize_t size = TIFFTileSize(t);
    if (tw == 0 || th == 0 || size <= 0 || static_cast<uint64_t>(size) < uint64_t{tw} * th * pixel_bytes) {
      return kReadBadFormat;
    }
    if (!MemoryFits(static_cast<uint64_t>(size))) return kReadNoMemory;
    std::vector<unsigned char> buf(static_cast<size_t>(size));
    for (int p = 0; p < planes; ++p) {
      for (uint32_t y = 0; y < l.height; y += th) {
        for (uint32_t x = 0; x < l.width; x += tw) {
          const uint32_t tile = TIFFComputeTile(t, x, y, 0, static_cast<uint16_t>(p));
          if (TIFFReadEncodedTile(t, tile, buf.data(), size) < 0) return kReadBadFormat;
          StoreBlock(l, buf.data(), tw * pixel_bytes, x, y, tw, th, l.separate ? p : -1, fresh);
        }
      }
    }
    return kReadOk;
  }
  uint32_t rows_per_strip = l.height;
  TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
  rows_per_strip = std::min(std::max(rows_per_strip, 1u), l.height);
  const tmsize_t size = TIFFStripSize(t);
  const size_t stride = l.width * pixel_bytes;
  if (size <= 0 || static_cast<uint64_t>(size) < uint64_t{rows_per_strip} * stride) return kReadBadFormat;
  if (!MemoryFits(static_cast<uint64_t>(size))) return kReadNoMemory;
  std::vector<unsigned char> buf(static_cast<size_t>(size));
  for (int p = 0; p < planes; ++p) {
    for (uint32_t y = 0; y < l.height; y += rows_per_strip) {
      const uint32_t strip = TIFFComputeStrip(t, y, static_cast<uint16_t>(p));
      const uint32_t rows = std::min(rows_per_strip, l.height - y);
      if (TIFFReadEncodedStrip(t, strip, buf.data(), static_cast<tmsize_t>(rows * stride)) < 0) return kReadBadFormat;
      StoreBlock(l, buf.data(), stride, 0, y, l.width, rows, l.separate ? p : -1, fresh);
    }
  }
  return kReadOk;
}

// Any other layout as 8-bit RGBA; rows come bottom first, as memory has them.
ReadStatus ReadRgba(TIFF* t, uint32_t w, uint32_t h, Image& fresh) {
  char why[1024];
  if (!TIFFRGBAImageOK(t, why)) return kReadUnsupported;
  const uint64_t bytes = ImageBytes(w, h, 4);
  if (bytes == 0 || !MemoryFits(bytes)) return kReadNoMemory;
  std::vector<uint32_t> raster(static_cast<size_t>(w) * h);
  if (!TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_BOTLEFT, 0)) return kReadBadFormat;
  for (size_t i = 0; i < raster.size(); ++i) {
    fresh.r[i] = static_cast<uint16_t>(TIFFGetR(raster[i]) << 8);
    fresh.g[i] = static_cast<uint16_t>(TIFFGetG(raster[i]) << 8);
    fresh.b[i] = static_cast<uint16_t>(TIFFGetB(raster[i]) << 8);
  }
  return kReadOk;
}

}  // namespace

ReadStatus ReadTiffLibraryFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report) {
  if (report != nullptr) *report = ReadReport{};  // the library reports a cut file as an error
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return kReadNoMemory;
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  // One allocation may not take more than there is to hand out.
  const uint64_t spare = AvailableMemoryBytes();
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(std::min<uint64_t>(spare, INT64_MAX)));
  TiffHandle h;
  h.t = TIFFClientOpenExt("tiff", "rm", &in, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc, UnmapProc,
                          options);
  TIFFOpenOptionsFree(options);
  if (h.t == nullptr) return kReadBadFormat;

  Layout l;
  uint16_t samples = 1, bits = 1, format = SAMPLEFORMAT_UINT, photometric = 0, planar = PLANARCONFIG_CONTIG;
  if (!TIFFGetField(h.t, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(h.t, TIFFTAG_IMAGELENGTH, &l.height) ||
      !TIFFGetField(h.t, TIFFTAG_PHOTOMETRIC, &photometric)) {
    return kReadBadFormat;
  }
  TIFFGetFieldDefaulted(h.t, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(h.t, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(h.t, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(h.t, TIFFTAG_PLANARCONFIG, &planar);
  if (l.width == 0 || l.height == 0 || l.width > INT32_MAX || l.height > INT32_MAX) return kReadBadFormat;
  const bool gray = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
  l.samples = samples;
  l.colours = gray ? 1 : 3;
  l.separate = planar == PLANARCONFIG_SEPARATE;
  l.invert = photometric == PHOTOMETRIC_MINISWHITE;
  const bool whole = format == SAMPLEFORMAT_UINT && (bits == 8 || bits == 16);
  const bool real = format == SAMPLEFORMAT_IEEEFP && bits == 32;
  l.bytes = bits / 8;
  const bool direct = (gray || photometric == PHOTOMETRIC_RGB) && (whole || real) && samples >= l.colours;

  Image fresh;
  if (!AllocateImagePlanes(fresh, static_cast<int>(l.width), static_cast<int>(l.height), false)) {
    return kReadNoMemory;
  }
  const ReadStatus status = direct ? ReadSamples(h.t, l, fresh) : ReadRgba(h.t, l.width, l.height, fresh);
  if (status != kReadOk) return status;
  if (gray) {
    std::memcpy(fresh.g.get(), fresh.r.get(), fresh.PixelCount() * 2);
    std::memcpy(fresh.b.get(), fresh.r.get(), fresh.PixelCount() * 2);
  }
  AdoptPlanes(image, fresh);
  SetImageName(image, name);
  image.monochrome = gray ? 1 : 0;
  return kReadOk;
}

}  // namespace tavo
