// SPDX-License-Identifier: MIT
#include "io/bmp.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/memory.h"
#include "core/files.h"
#include "io/row_convert.h"

namespace tavo {
namespace {

constexpr int kEof = ByteReader::kEof;

// Compression codes of the information header.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;


// One channel of a 16 or 32-bit pixel: the masked bits, moved so that
// their top bit lands on bit 15.
struct Field {
  uint32_t mask = 0;
  int shift = 0;  // position of the lowest mask bit
  int bits = 0;   // width from the lowest to the highest mask bit
};

Field MakeField(uint32_t mask) {
  Field f;
  f.mask = mask;
  if (mask != 0) {
    f.shift = std::countr_zero(mask);
    f.bits = std::bit_width(mask >> f.shift);
  }
  return f;
}

uint16_t FieldSample(const Field& f, uint32_t pixel) {
  if (f.bits == 0) return 0;
  const uint32_t v = (pixel & f.mask) >> f.shift;
  return static_cast<uint16_t>(f.bits >= 16 ? v >> (f.bits - 16) : v << (16 - f.bits));
}

struct Rgb16 {
  uint16_t r = 0, g = 0, b = 0;
};

struct BmpInfo {
  int64_t width = 0, height = 0;
  bool top_down = false;
  bool core = false;  // 12-byte OS/2 header
  int bits = 0;
  uint32_t compression = kBiRgb;
  uint32_t colors_used = 0;
  uint32_t masks[3] = {0, 0, 0};
  bool has_masks = false;
  uint32_t palette_count = 0;
  int palette_entry = 4;  // bytes per palette entry
  int64_t raster_start = 0;
};

// Where decoded pixels go: file row k is memory row k, or height - 1 - k
// for top-down files. Writes outside the picture are dropped.
struct Target {
  uint16_t* r;
  uint16_t* g;
  uint16_t* b;
  int width, height;
  bool top_down;

  size_t RowBase(int64_t file_row) const {
    const int64_t row = top_down ? height - 1 - file_row : file_row;
    return static_cast<size_t>(row) * static_cast<size_t>(width);
  }
  void Put(size_t i, const Rgb16& c) const {
    r[i] = c.r;
    g[i] = c.g;
    b[i] = c.b;
  }
};

ReadStatus ReadHeader(ByteReader& in, BmpInfo* info) {
  unsigned char fh[18];
  const size_t got = in.Read(fh, sizeof fh);
  if (got < 2 || fh[0] != 'B' || fh[1] != 'M') return kReadBadFormat;
  if (got < sizeof fh) return kReadBadFormat;
  const uint32_t data_offset = LoadLe32(fh + 10);
  const uint32_t header_size = LoadLe32(fh + 14);
  // ih[0..3] repeats the header size so offsets match the usual tables.
  unsigned char ih[124] = {};
  std::memcpy(ih, fh + 14, 4);
  if (header_size == 12) {
    if (in.Read(ih + 4, 8) < 8) return kReadBadFormat;
    info->core = true;
    info->width = LoadLe16(ih + 4);
    info->height = LoadLe16(ih + 6);
    info->bits = static_cast<int>(LoadLe16(ih + 10));
  } else {
    // Width, height, planes and bit count need at least 16 bytes.
    if (header_size < 16) return kReadBadFormat;
    const size_t want = header_size < sizeof ih ? header_size : sizeof ih;
    if (in.Read(ih + 4, want - 4) < want - 4) return kReadBadFormat;
    info->width = static_cast<int32_t>(LoadLe32(ih + 4));
    info->height = static_cast<int32_t>(LoadLe32(ih + 8));
    info->bits = static_cast<int>(LoadLe16(ih + 14));
    if (header_size >= 20) info->compression = LoadLe32(ih + 16);
    if (header_size >= 36) info->colors_used = LoadLe32(ih + 32);
    if (header_size >= 52) {
      for (int c = 0; c < 3; ++c) info->masks[c] = LoadLe32(ih + 40 + 4 * c);
      info->has_masks = true;
    }
  }
  if (info->height < 0) {
    info->top_down = true;
    info->height = -info->height;
  }
  if (info->width <= 0 || info->height <= 0 || info->width > INT32_MAX || info->height > INT32_MAX) {
    return kReadBadFormat;
  }

  int64_t after_header = 14 + static_cast<int64_t>(header_size);
  if (!in.Seek(after_header)) return kReadBadFormat;
  const bool bitfields = info->compression == kBiBitfields || info->compression == kBiAlphaBitfields;
  if (!info->core && bitfields && !info->has_masks) {
    // A 40-byte header keeps its masks just behind it.
    unsigned char m[12] = {};
    in.Read(m, sizeof m);
    for (int c = 0; c < 3; ++c) info->masks[c] = LoadLe32(m + 4 * c);
    info->has_masks = true;
    after_header += info->compression == kBiAlphaBitfields ? 16 : 12;
  }

  switch (info->bits) {
    case 1:
    case 2:
    case 4:
    case 8:
      if (info->compression == kBiRgb) break;
      if ((info->compression == kBiRle8 || info->compression == kBiRle4) && (info->bits == 4 || info->bits == 8)) {
        break;
      }
      return kReadUnsupported;
    case 16:
    case 32:
      if (info->compression != kBiRgb && !bitfields) return kReadUnsupported;
      if (!bitfields || (info->masks[0] | info->masks[1] | info->masks[2]) == 0) {
        // The defaults: 5-5-5 and 8-8-8.
        const bool wide = info->bits == 32;
        info->masks[0] = wide ? 0xff0000u : 0x7c00u;
        info->masks[1] = wide ? 0x00ff00u : 0x03e0u;
        info->masks[2] = wide ? 0x0000ffu : 0x001fu;
      }
      break;
    case 24:
      if (info->compression != kBiRgb && !bitfields) return kReadUnsupported;
      break;
    default:
      return kReadUnsupported;
  }
  if (info->bits <= 8) {
    info->palette_count = 1u << info->bits;
    if (!info->core && info->colors_used > 0 && info->colors_used < info->palette_count) {
      info->palette_count = info->colors_used;
    }
    info->palette_entry = info->core ? 3 : 4;
  }
  // An offset inside the headers cannot be right; take the data as
  // following the palette.
  info->raster_start = data_offset >= after_header
                           ? static_cast<int64_t>(data_offset)
                           : after_header + static_cast<int64_t>(info->palette_count) * info->palette_entry;
  return kReadOk;
}

// Fills `palette` (256 entries, zero beyond what the file holds) from the
// current position.
void ReadPalette(ByteReader& in, const BmpInfo& info, Rgb16* palette) {
  const uint32_t count = info.palette_count;
  const uint32_t entry = static_cast<uint32_t>(info.palette_entry);
  unsigned char buf[256 * 4];
  const size_t got = in.Read(buf, count * entry);
  for (uint32_t i = 0; i < count && (i + 1) * entry <= got; ++i) {
    const unsigned char* p = buf + i * entry;
    palette[i].b = static_cast<uint16_t>(p[0] << 8);
    palette[i].g = static_cast<uint16_t>(p[1] << 8);
    palette[i].r = static_cast<uint16_t>(p[2] << 8);
  }
}

// Bytes of one stored row: whole 32-bit words.
uint64_t RowStride(int64_t width, int bits) { return (static_cast<uint64_t>(width) * bits + 31) / 32 * 4; }

// One stored row into the three planes.
void DecodeRow(const unsigned char* p, const BmpInfo& info, const Rgb16* palette, const Field fields[3],
               bool plain32, int w, uint16_t* r, uint16_t* g, uint16_t* b) {
  if (info.bits == 24) {
    SplitRow8(p, w, b, g, r);  // stored blue first
  } else if (plain32) {
    const int step = info.bits / 8;
    for (int x = 0; x < w; ++x, p += step) {
      b[x] = static_cast<uint16_t>(p[0] << 8);
      g[x] = static_cast<uint16_t>(p[1] << 8);
      r[x] = static_cast<uint16_t>(p[2] << 8);
    }
  } else if (info.bits == 16 || info.bits == 32) {
    const int step = info.bits / 8;
    for (int x = 0; x < w; ++x, p += step) {
      const uint32_t v = step == 2 ? LoadLe16(p) : LoadLe32(p);
      r[x] = FieldSample(fields[0], v);
      g[x] = FieldSample(fields[1], v);
      b[x] = FieldSample(fields[2], v);
    }
  } else {
    const int bits = info.bits;
    const unsigned mask = (1u << bits) - 1;
    for (int x = 0; x < w; ++x) {
      // Leftmost pixel in the most significant bits.
      const uint64_t bit = static_cast<uint64_t>(x) * bits;
      const int shift = 8 - bits - static_cast<int>(bit % 8);
      const Rgb16& c = palette[(p[bit / 8] >> shift) & mask];
      r[x] = c.r;
      g[x] = c.g;
      b[x] = c.b;
    }
  }
}

// Writes every sample of every row: a row cut short reads zero bytes for
// the missing ones, and the rows after it are cleared. Returns the number
// of rows the file ended in or before.
int DecodeRows(ByteReader& in, const BmpInfo& info, const Rgb16* palette, const Target& t) {
  const int w = t.width;
  const uint64_t stride = RowStride(w, info.bits);
  const Field fields[3] = {MakeField(info.masks[0]), MakeField(info.masks[1]), MakeField(info.masks[2])};
  const bool plain32 = info.bits == 32 && info.masks[0] == 0xff0000u && info.masks[1] == 0xff00u &&
                       info.masks[2] == 0xffu;
  const int block_rows = BlockRows(stride, t.height);
  RowBlocks blocks(in);
  for (int first = 0; first < t.height; first += block_rows) {
    const int count = std::min(block_rows, t.height - first);
    const size_t size = static_cast<size_t>(stride) * count;
    size_t got = 0;
    const unsigned char* block = blocks.Next(size, size, &got);
    for (int k = 0; k < count; ++k) {
      const size_t base = t.RowBase(first + k);
      DecodeRow(block + k * stride, info, palette, fields, plain32, w, t.r + base, t.g + base, t.b + base);
    }
    if (got < size) {
      for (int rest = first + count; rest < t.height; ++rest) {
        const size_t at = t.RowBase(rest);
        std::memset(t.r + at, 0, static_cast<size_t>(w) * 2);
        std::memset(t.g + at, 0, static_cast<size_t>(w) * 2);
        std::memset(t.b + at, 0, static_cast<size_t>(w) * 2);
      }
      // The row the data ended in counts as missing.
      return t.height - (first + static_cast<int>(got / stride));
    }
  }
  return 0;
}

// Run-length data. The position is (x, file row); pixels that fall beyond
// the end of the row are dropped (encoders pad runs to even widths), an
// end-of-line escape moves to the start of the next row and a delta moves
// without writing. Decoding stops at the end of the data or of the picture.
// Returns the rows the data ran out in or before (0 after an end-of-bitmap
// escape: a picture may end early on purpose).
int DecodeRle(ByteReader& in, int bits, const Rgb16* palette, const Target& t) {
  const int64_t w = t.width, h = t.height;
  int64_t x = 0, y = 0;
  auto put = [&](int index) {
    if (x < w) t.Put(t.RowBase(y) + static_cast<size_t>(x), palette[index]);
    ++x;
  };
  // A row filled to its end counts as there even without its end-of-line.
  auto missing = [&] { return static_cast<int>(std::max<int64_t>(0, h - y - (x >= w ? 1 : 0))); };
  while (y < h) {
    const int count = in.Get();
    if (count == kEof) return missing();
    if (count > 0) {
      const int value = in.Get();
      if (value == kEof) return missing();
      for (int i = 0; i < count; ++i) {
        put(bits == 8 ? value : ((i & 1) == 0 ? value >> 4 : value & 15));
      }
      continue;
    }
    const int escape = in.Get();
    if (escape == 1) return 0;
    if (escape == kEof) return missing();
    if (escape == 0) {
      x = 0;
      ++y;
    } else if (escape == 2) {
      const int dx = in.Get();
      const int dy = in.Get();
      if (dx == kEof || dy == kEof) return missing();
      x += dx;
      y += dy;
    } else {
      // Absolute run of `escape` indices, padded to an even byte count.
      const int n = escape;
      const int bytes = bits == 8 ? n : (n + 1) / 2;
      unsigned char buf[256];
      const size_t got = in.Read(buf, static_cast<size_t>(bytes));
      for (int i = 0; i < n; ++i) {
        const size_t at = bits == 8 ? static_cast<size_t>(i) : static_cast<size_t>(i / 2);
        if (at >= got) return missing();
        put(bits == 8 ? buf[at] : ((i & 1) == 0 ? buf[at] >> 4 : buf[at] & 15));
      }
      if (got < static_cast<size_t>(bytes)) return missing();
      if (bytes % 2 == 1) in.Get();
    }
  }
  return 0;
}


}  // namespace

ReadStatus ReadBmpFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report) {
  BmpInfo info;
  const ReadStatus status = ReadHeader(in, &info);
  if (status != kReadOk) return status;
  // Run-length data cover at most 255 pixels with two bytes.
  const bool rle = info.compression == kBiRle8 || info.compression == kBiRle4;
  const uint64_t pixels = static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height);
  const uint64_t stride = RowStride(info.width, info.bits);
  const uint64_t rows = static_cast<uint64_t>(info.height);
  const uint64_t raster = rle ? (pixels + 254) / 255 * 2 : rows > UINT64_MAX / stride ? UINT64_MAX : stride * rows;
  if (!RasterFitsFile(in, raster)) return kReadBadFormat;
  const uint64_t bytes = ImageBytes(info.width, info.height, 6);
  if (bytes == 0 || !MemoryFits(bytes)) return kReadNoMemory;

  Rgb16 palette[256];
  if (info.bits <= 8) ReadPalette(in, info, palette);
  // Run-length data may leave pixels unwritten: those start at 0.
  Image fresh;
  if (!AllocateImagePlanes(fresh, static_cast<int>(info.width), static_cast<int>(info.height), rle)) {
    return kReadNoMemory;
  }
  in.Seek(info.raster_start);
  const Target target{fresh.r.get(), fresh.g.get(), fresh.b.get(), fresh.width, fresh.height, info.top_down};
  int missing;
  if (rle) {
    missing = DecodeRle(in, info.bits, palette, target);
  } else {
    const PlanePrefault prefault(fresh, info.top_down);
    missing = DecodeRows(in, info, palette, target);
  }
  if (report != nullptr) report->missing_rows = missing;
  AdoptPlanes(image, fresh);
  SetImageName(image, name);
  return kReadOk;
}

bool WriteBmp(const std::string& path, const Image& image) {
  if (image.Empty() || !image.r || !image.g || !image.b) return false;
  const int w = image.width, h = image.height;
  const uint64_t row_bytes = 3 * static_cast<uint64_t>(w);
  const uint64_t padding = (4 - row_bytes % 4) % 4;
  const uint64_t raster = (row_bytes + padding) * static_cast<uint64_t>(h);
  if (raster + 54 > UINT32_MAX) return false;

  unsigned char header[54] = {'B', 'M'};
  StoreLe32(header + 2, static_cast<uint32_t>(raster + 54));
  StoreLe32(header + 10, 54);
  StoreLe32(header + 14, 40);
  StoreLe32(header + 18, static_cast<uint32_t>(w));
  StoreLe32(header + 22, static_cast<uint32_t>(h));
  StoreLe16(header + 26, 1);
  StoreLe16(header + 28, 24);
  StoreLe32(header + 34, static_cast<uint32_t>(raster));
  StoreLe32(header + 38, 128);
  StoreLe32(header + 42, 128);

  SafeFile out;
  if (!out.Open(path)) return false;
  out.Write(header, sizeof header);
  // Rows go out a block at a time; the padding bytes stay 0.
  const size_t stride = static_cast<size_t>(row_bytes + padding);
  const int block_rows = BlockRows(stride, h);
  BlockWriter blocks(out, stride * block_rows, raster);
  for (int first = 0; first < h; first += block_rows) {
    const int count = std::min(block_rows, h - first);
    for (int k = 0; k < count; ++k) {
      const size_t base = static_cast<size_t>(first + k) * w;
      MergeRow8(image.b.get() + base, image.g.get() + base, image.r.get() + base, w, blocks.Block() + k * stride);
    }
    if (!blocks.Submit(stride * count)) return false;
  }
  return blocks.Finish() && out.Commit();
}

}  // namespace tavo
