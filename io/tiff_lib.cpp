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
#include "io/shared_library.h"

namespace tavo {
namespace {

// libtiff is loaded when the first file needs it rather than linked: it
// brings the codecs of every compression it knows (WebP, Zstandard, LZMA,
// LERC, JBIG, deflate), and loading those took a good part of every
// start-up of the programs, TIFF files or not. The entries keep the
// header's types (get_field stays variadic).
struct Libtiff {
  decltype(&TIFFOpenOptionsAlloc) options_alloc;
  decltype(&TIFFOpenOptionsFree) options_free;
  decltype(&TIFFOpenOptionsSetErrorHandlerExtR) options_set_error_handler;
  decltype(&TIFFOpenOptionsSetWarningHandlerExtR) options_set_warning_handler;
  decltype(&TIFFOpenOptionsSetMaxSingleMemAlloc) options_set_max_single_mem_alloc;
  decltype(&TIFFClientOpenExt) client_open;
  decltype(&TIFFClose) close;
  decltype(&TIFFGetField) get_field;
  decltype(&TIFFGetFieldDefaulted) get_field_defaulted;
  decltype(&TIFFIsTiled) is_tiled;
  decltype(&TIFFTileSize) tile_size;
  decltype(&TIFFComputeTile) compute_tile;
  decltype(&TIFFReadEncodedTile) read_encoded_tile;
  decltype(&TIFFStripSize) strip_size;
  decltype(&TIFFComputeStrip) compute_strip;
  decltype(&TIFFReadEncodedStrip) read_encoded_strip;
  decltype(&TIFFRGBAImageOK) rgba_image_ok;
  decltype(&TIFFReadRGBAImageOriented) read_rgba_image_oriented;
};

// The open options arrived in libtiff 4.5, which also began the library's
// soname 6 (still that of every later 4.x).
#if !defined(TIFFLIB_MAJOR_VERSION) || TIFFLIB_MAJOR_VERSION != 4
#error "libtiff 4.5 or a later 4.x is needed"
#endif
constexpr char kLibtiffSoname[] = "libtiff.so.6";

// nullptr when the library cannot be loaded; tried once, kept loaded.
const Libtiff* LoadLibtiff() {
  static Libtiff lib;
  static const bool loaded = [] {
    void* module = OpenSharedLibrary(kLibtiffSoname);
    if (module == nullptr) return false;
    return BindEntry(module, "TIFFOpenOptionsAlloc", &lib.options_alloc) &&
           BindEntry(module, "TIFFOpenOptionsFree", &lib.options_free) &&
           BindEntry(module, "TIFFOpenOptionsSetErrorHandlerExtR", &lib.options_set_error_handler) &&
           BindEntry(module, "TIFFOpenOptionsSetWarningHandlerExtR", &lib.options_set_warning_handler) &&
           BindEntry(module, "TIFFOpenOptionsSetMaxSingleMemAlloc", &lib.options_set_max_single_mem_alloc) &&
           BindEntry(module, "TIFFClientOpenExt", &lib.client_open) &&
           BindEntry(module, "TIFFClose", &lib.close) &&
           BindEntry(module, "TIFFGetField", &lib.get_field) &&
           BindEntry(module, "TIFFGetFieldDefaulted", &lib.get_field_defaulted) &&
           BindEntry(module, "TIFFIsTiled", &lib.is_tiled) &&
           BindEntry(module, "TIFFTileSize", &lib.tile_size) &&
           BindEntry(module, "TIFFComputeTile", &lib.compute_tile) &&
           BindEntry(module, "TIFFReadEncodedTile", &lib.read_encoded_tile) &&
           BindEntry(module, "TIFFStripSize", &lib.strip_size) &&
           BindEntry(module, "TIFFComputeStrip", &lib.compute_strip) &&
           BindEntry(module, "TIFFReadEncodedStrip", &lib.read_encoded_strip) &&
           BindEntry(module, "TIFFRGBAImageOK", &lib.rgba_image_ok) &&
           BindEntry(module, "TIFFReadRGBAImageOriented", &lib.read_rgba_image_oriented);
  }();
  return loaded ? &lib : nullptr;
}

// Only reached once LoadLibtiff succeeded.
const Libtiff& Lib() { return *LoadLibtiff(); }

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
    if (t != nullptr) Lib().close(t);
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
  if (Lib().is_tiled(t)) {
    uint32_t tw = 0, th = 0;
    Lib().get_field(t, TIFFTAG_TILEWIDTH, &tw);
    Lib().get_field(t, TIFFTAG_TILELENGTH, &th);
    const tmsize_t size = Lib().tile_size(t);
    if (tw == 0 || th == 0 || size <= 0 || static_cast<uint64_t>(size) < uint64_t{tw} * th * pixel_bytes) {
      return kReadBadFormat;
    }
    if (!MemoryFits(static_cast<uint64_t>(size))) return kReadNoMemory;
    std::vector<unsigned char> buf(static_cast<size_t>(size));
    for (int p = 0; p < planes; ++p) {
      for (uint32_t y = 0; y < l.height; y += th) {
        for (uint32_t x = 0; x < l.width; x += tw) {
          const uint32_t tile = Lib().compute_tile(t, x, y, 0, static_cast<uint16_t>(p));
          if (Lib().read_encoded_tile(t, tile, buf.data(), size) < 0) return kReadBadFormat;
          StoreBlock(l, buf.data(), tw * pixel_bytes, x, y, tw, th, l.separate ? p : -1, fresh);
        }
      }
    }
    return kReadOk;
  }
  uint32_t rows_per_strip = l.height;
  Lib().get_field_defaulted(t, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
  rows_per_strip = std::min(std::max(rows_per_strip, 1u), l.height);
  const tmsize_t size = Lib().strip_size(t);
  const size_t stride = l.width * pixel_bytes;
  if (size <= 0 || static_cast<uint64_t>(size) < uint64_t{rows_per_strip} * stride) return kReadBadFormat;
  if (!MemoryFits(static_cast<uint64_t>(size))) return kReadNoMemory;
  std::vector<unsigned char> buf(static_cast<size_t>(size));
  for (int p = 0; p < planes; ++p) {
    for (uint32_t y = 0; y < l.height; y += rows_per_strip) {
      const uint32_t strip = Lib().compute_strip(t, y, static_cast<uint16_t>(p));
      const uint32_t rows = std::min(rows_per_strip, l.height - y);
      if (Lib().read_encoded_strip(t, strip, buf.data(), static_cast<tmsize_t>(rows * stride)) < 0) {
        return kReadBadFormat;
      }
      StoreBlock(l, buf.data(), stride, 0, y, l.width, rows, l.separate ? p : -1, fresh);
    }
  }
  return kReadOk;
}

// Any other layout as 8-bit RGBA; rows come bottom first, as memory has them.
ReadStatus ReadRgba(TIFF* t, uint32_t w, uint32_t h, Image& fresh) {
  char why[1024];
  if (!Lib().rgba_image_ok(t, why)) return kReadUnsupported;
  const uint64_t bytes = ImageBytes(w, h, 4);
  if (bytes == 0 || !MemoryFits(bytes)) return kReadNoMemory;
  std::vector<uint32_t> raster(static_cast<size_t>(w) * h);
  if (!Lib().read_rgba_image_oriented(t, w, h, raster.data(), ORIENTATION_BOTLEFT, 0)) return kReadBadFormat;
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
  if (LoadLibtiff() == nullptr) return kReadUnsupported;
  TIFFOpenOptions* options = Lib().options_alloc();
  if (options == nullptr) return kReadNoMemory;
  Lib().options_set_error_handler(options, Quiet, nullptr);
  Lib().options_set_warning_handler(options, Quiet, nullptr);
  // One allocation may not take more than there is to hand out.
  const uint64_t spare = AvailableMemoryBytes();
  Lib().options_set_max_single_mem_alloc(options, static_cast<tmsize_t>(std::min<uint64_t>(spare, INT64_MAX)));
  TiffHandle h;
  h.t = Lib().client_open("tiff", "rm", &in, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc, UnmapProc,
                          options);
  Lib().options_free(options);
  if (h.t == nullptr) return kReadBadFormat;

  Layout l;
  uint16_t samples = 1, bits = 1, format = SAMPLEFORMAT_UINT, photometric = 0, planar = PLANARCONFIG_CONTIG;
  if (!Lib().get_field(h.t, TIFFTAG_IMAGEWIDTH, &l.width) || !Lib().get_field(h.t, TIFFTAG_IMAGELENGTH, &l.height) ||
      !Lib().get_field(h.t, TIFFTAG_PHOTOMETRIC, &photometric)) {
    return kReadBadFormat;
  }
  Lib().get_field_defaulted(h.t, TIFFTAG_SAMPLESPERPIXEL, &samples);
  Lib().get_field_defaulted(h.t, TIFFTAG_BITSPERSAMPLE, &bits);
  Lib().get_field_defaulted(h.t, TIFFTAG_SAMPLEFORMAT, &format);
  Lib().get_field_defaulted(h.t, TIFFTAG_PLANARCONFIG, &planar);
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
