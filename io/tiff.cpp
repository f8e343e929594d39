// SPDX-License-Identifier: MIT
#include "io/tiff.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/memory.h"
#include "core/files.h"
#include "io/row_convert.h"

namespace tavo {
namespace {

// Field types.
constexpr int kTypeByte = 1;
constexpr int kTypeShort = 3;
constexpr int kTypeLong = 4;

// Tags.
constexpr int kTagWidth = 256;
constexpr int kTagHeight = 257;
constexpr int kTagBitsPerSample = 258;
constexpr int kTagCompression = 259;
constexpr int kTagPhotometric = 262;
constexpr int kTagStripOffsets = 273;
constexpr int kTagOrientation = 274;
constexpr int kTagSamplesPerPixel = 277;
constexpr int kTagRowsPerStrip = 278;
constexpr int kTagStripByteCounts = 279;
constexpr int kTagPlanarConfig = 284;
constexpr int kTagTileWidth = 322;
constexpr int kTagSampleFormat = 339;

// How the pixels of a row are laid out.
constexpr int kLayout48 = 0;   // 16 bits per sample
constexpr int kLayout24 = 1;   // 8 bits per sample
constexpr int kLayout555 = 2;  // one 16-bit word per pixel

struct Entry {
  bool present = false;
  int type = 0;
  uint32_t count = 0;
  unsigned char value[4] = {};
};

class Order {
 public:
  explicit Order(bool big) : big_(big) {}
  bool big() const { return big_; }
  uint32_t U16(const unsigned char* p) const {
    return big_ ? (p[0] << 8) | p[1] : LoadLe16(p);
  }
  uint32_t U32(const unsigned char* p) const {
    const uint32_t a = U16(p), b = U16(p + 2);
    return big_ ? (a << 16) | b : a | (b << 16);
  }

 private:
  bool big_;
};

int TypeSize(int type) {
  switch (type) {
    case kTypeByte: return 1;
    case kTypeShort: return 2;
    case kTypeLong: return 4;
    default: return 0;
  }
}

// Up to `n` values of an entry into `out` (resized to n); values the file
// does not hold are 0. False when the type is not an unsigned integer.
bool ReadValues(ByteReader& in, const Order& order, const Entry& e, uint32_t n, std::vector<uint64_t>* out) {
  out->assign(n, 0);
  const int size = TypeSize(e.type);
  if (size == 0) return false;
  const uint32_t have = std::min(n, e.count);
  std::vector<unsigned char> bytes(static_cast<size_t>(have) * size, 0);
  if (bytes.empty()) return true;
  if (static_cast<uint64_t>(e.count) * size <= 4) {
    std::memcpy(bytes.data(), e.value, bytes.size());
  } else if (in.Seek(order.U32(e.value))) {
    in.Read(bytes.data(), bytes.size());
  }
  for (uint32_t i = 0; i < have; ++i) {
    const unsigned char* p = bytes.data() + static_cast<size_t>(i) * size;
    (*out)[i] = size == 1 ? p[0] : size == 2 ? order.U16(p) : order.U32(p);
  }
  return true;
}

// The first value of an entry, or `fallback` when it is absent or unusable.
uint64_t FirstValue(ByteReader& in, const Order& order, const Entry& e, uint64_t fallback) {
  std::vector<uint64_t> v;
  if (!e.present || e.count == 0 || !ReadValues(in, order, e, 1, &v)) return fallback;
  return v[0];
}

void ConvertRow(const unsigned char* p, int layout, int step, const Order& order, int w, uint16_t* r,
                uint16_t* g, uint16_t* b) {
  switch (layout) {
    case kLayout48:
      if (step == 6) {
        (order.big() ? SplitRowBe16 : SplitRowLe16)(p, w, r, g, b);
      } else if (order.big()) {
        for (int x = 0; x < w; ++x, p += step) {
          r[x] = static_cast<uint16_t>((p[0] << 8) | p[1]);
          g[x] = static_cast<uint16_t>((p[2] << 8) | p[3]);
          b[x] = static_cast<uint16_t>((p[4] << 8) | p[5]);
        }
      } else {
        for (int x = 0; x < w; ++x, p += step) {
          r[x] = static_cast<uint16_t>(p[0] | (p[1] << 8));
          g[x] = static_cast<uint16_t>(p[2] | (p[3] << 8));
          b[x] = static_cast<uint16_t>(p[4] | (p[5] << 8));
        }
      }
      break;
    case kLayout24:
      if (step == 3) {
        SplitRow8(p, w, r, g, b);
        break;
      }
      for (int x = 0; x < w; ++x, p += step) {
        r[x] = static_cast<uint16_t>(p[0] << 8);
        g[x] = static_cast<uint16_t>(p[1] << 8);
        b[x] = static_cast<uint16_t>(p[2] << 8);
      }
      break;
    default:
      for (int x = 0; x < w; ++x, p += 2) {
        const uint32_t v = order.U16(p);
        r[x] = static_cast<uint16_t>(((v >> 10) & 31) << 11);
        g[x] = static_cast<uint16_t>(((v >> 5) & 31) << 11);
        b[x] = static_cast<uint16_t>((v & 31) << 11);
      }
      break;
  }
}

void PutEntry(unsigned char* p, int tag, int type, uint32_t count, uint32_t value) {
  StoreLe16(p, static_cast<uint32_t>(tag));
  StoreLe16(p + 2, static_cast<uint32_t>(type));
  StoreLe32(p + 4, count);
  StoreLe32(p + 8, value);  // a short sits in the first two bytes
}

}  // namespace

ReadStatus ReadTiffFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report) {
  unsigned char head[8];
  const size_t got = in.Read(head, sizeof head);
  if (got < 2 || head[0] != head[1] || (head[0] != 'I' && head[0] != 'M')) return kReadBadFormat;
  if (got < sizeof head) return kReadBadFormat;
  const Order order(head[0] == 'M');
  const uint32_t magic = order.U16(head + 2);
  if (magic == 43) return kReadUnsupported;  // BigTIFF
  if (magic != 42) return kReadBadFormat;
  if (!in.Seek(order.U32(head + 4))) return kReadBadFormat;
  unsigned char count_bytes[2];
  if (in.Read(count_bytes, 2) < 2) return kReadBadFormat;
  const uint32_t entry_count = order.U16(count_bytes);
  std::vector<unsigned char> dir(static_cast<size_t>(entry_count) * 12);
  const size_t dir_got = in.Read(dir.data(), dir.size());

  Entry width_e, height_e, bps_e, compression_e, photometric_e, offsets_e, spp_e, rps_e, counts_e, planar_e,
      format_e;
  bool tiled = false;
  for (size_t i = 0; i + 12 <= dir_got; i += 12) {
    const unsigned char* p = dir.data() + i;
    Entry e;
    e.present = true;
    e.type = static_cast<int>(order.U16(p + 2));
    e.count = order.U32(p + 4);
    std::memcpy(e.value, p + 8, 4);
    switch (order.U16(p)) {
      case kTagWidth: width_e = e; break;
      case kTagHeight: height_e = e; break;
      case kTagBitsPerSample: bps_e = e; break;
      case kTagCompression: compression_e = e; break;
      case kTagPhotometric: photometric_e = e; break;
      case kTagStripOffsets: offsets_e = e; break;
      case kTagSamplesPerPixel: spp_e = e; break;
      case kTagRowsPerStrip: rps_e = e; break;
      case kTagStripByteCounts: counts_e = e; break;
      case kTagPlanarConfig: planar_e = e; break;
      case kTagTileWidth: tiled = true; break;
      case kTagSampleFormat: format_e = e; break;
      default: break;
    }
  }

  const uint64_t width = FirstValue(in, order, width_e, 0);
  const uint64_t height = FirstValue(in, order, height_e, 0);
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return kReadBadFormat;
  if (FirstValue(in, order, compression_e, 1) != 1) return kReadUnsupported;
  if (FirstValue(in, order, photometric_e, 2) != 2) return kReadUnsupported;
  if (FirstValue(in, order, planar_e, 1) != 1 || tiled) return kReadUnsupported;
  if (FirstValue(in, order, format_e, 1) != 1) return kReadUnsupported;
  if (!offsets_e.present) return kReadBadFormat;
  const uint64_t bps = FirstValue(in, order, bps_e, 1);
  const uint64_t spp = FirstValue(in, order, spp_e, 1);
  int layout;
  if (bps == 16 && spp >= 3) {
    layout = kLayout48;
  } else if (bps == 8 && spp >= 3) {
    layout = kLayout24;
  } else if (bps == 5 && spp == 3) {
    layout = kLayout555;
  } else {
    return kReadUnsupported;
  }
  if (spp > 64) return kReadUnsupported;
  const int step = layout == kLayout555 ? 2 : static_cast<int>(spp * (layout == kLayout48 ? 2 : 1));

  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const uint64_t raster = ImageBytes(w, h, step);  // 0: beyond 64 bits
  if (raster == 0 || !RasterFitsFile(in, raster)) return kReadBadFormat;
  uint64_t rows_per_strip = FirstValue(in, order, rps_e, height);
  if (rows_per_strip == 0 || rows_per_strip > height) rows_per_strip = height;
  const uint32_t strips = static_cast<uint32_t>((height + rows_per_strip - 1) / rows_per_strip);
  // The planes plus the offset and byte-count tables (8 bytes a value, and
  // up to 4 more while they are read).
  const uint64_t bytes = ImageBytes(w, h, 6);
  if (bytes == 0 || !MemoryFits(bytes + static_cast<uint64_t>(strips) * 24)) return kReadNoMemory;
  std::vector<uint64_t> offsets, counts;
  if (!ReadValues(in, order, offsets_e, strips, &offsets)) return kReadBadFormat;
  const bool have_counts = counts_e.present && ReadValues(in, order, counts_e, strips, &counts);

  // Every row is converted, from zero bytes where the file has no data,
  // so the planes need no clearing.
  Image fresh;
  if (!AllocateImagePlanes(fresh, w, h, false)) return kReadNoMemory;
  const PlanePrefault prefault(fresh, true);  // the file's top row is the planes' last
  // Strips are taken a block of rows at a time, straight from the reader's
  // buffer where they can be.
  const uint64_t row_bytes = static_cast<uint64_t>(w) * step;
  const int block_rows = BlockRows(row_bytes, static_cast<int>(rows_per_strip));
  RowBlocks blocks(in);
  int missing = 0;
  for (uint32_t s = 0; s < strips; ++s) {
    const uint64_t first = s * rows_per_strip;
    const uint64_t rows = std::min<uint64_t>(rows_per_strip, height - first);
    uint64_t left = rows * row_bytes;
    if (have_counts && counts[s] > 0) left = std::min(left, counts[s]);
    // Offset 0 is the file header: a strip the writer never stored.
    if (offsets[s] == 0 || !in.Seek(static_cast<int64_t>(offsets[s]))) left = 0;
    for (uint64_t k = 0; k < rows; k += block_rows) {
      const int count = static_cast<int>(std::min<uint64_t>(block_rows, rows - k));
      const size_t size = static_cast<size_t>(row_bytes) * count;
      const size_t want = static_cast<size_t>(std::min<uint64_t>(size, left));
      size_t n = 0;
      const unsigned char* block = blocks.Next(want, size, &n);
      left = n < want ? 0 : left - n;
      missing += count - static_cast<int>(n / row_bytes);  // rows the strip cut short or lacked
      const int top = static_cast<int>(first + k);  // file rows run from the top
      for (int j = 0; j < count; ++j) {
        const size_t base = static_cast<size_t>(h - 1 - (top + j)) * w;
        ConvertRow(block + j * row_bytes, layout, step, order, w, fresh.r.get() + base, fresh.g.get() + base,
                   fresh.b.get() + base);
      }
    }
  }
  if (report != nullptr) report->missing_rows = missing;
  AdoptPlanes(image, fresh);
  SetImageName(image, name);
  return kReadOk;
}

bool WriteTiff(const std::string& path, const Image& image) {
  if (image.Empty() || !image.r || !image.g || !image.b) return false;
  const int w = image.width, h = image.height;
  const uint64_t raster = 6 * static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
  if (raster + 128 > UINT32_MAX) return false;

  // 0 "II" 42 8 | 8 entry count | 10 nine entries | 118 next directory 0 |
  // 122 bits per sample 16,16,16 | 128 raster
  unsigned char header[128] = {'I', 'I'};
  StoreLe16(header + 2, 42);
  StoreLe32(header + 4, 8);
  StoreLe16(header + 8, 9);
  unsigned char* e = header + 10;
  const int size_type_w = w > 65535 ? kTypeLong : kTypeShort;
  const int size_type_h = h > 65535 ? kTypeLong : kTypeShort;
  PutEntry(e, kTagWidth, size_type_w, 1, static_cast<uint32_t>(w));
  PutEntry(e + 12, kTagHeight, size_type_h, 1, static_cast<uint32_t>(h));
  PutEntry(e + 24, kTagBitsPerSample, kTypeShort, 3, 122);
  PutEntry(e + 36, kTagCompression, kTypeShort, 1, 1);
  PutEntry(e + 48, kTagPhotometric, kTypeShort, 1, 2);
  PutEntry(e + 60, kTagStripOffsets, kTypeLong, 1, 128);
  PutEntry(e + 72, kTagOrientation, kTypeShort, 1, 1);
  PutEntry(e + 84, kTagSamplesPerPixel, kTypeShort, 1, 3);
  PutEntry(e + 96, kTagStripByteCounts, kTypeLong, 1, static_cast<uint32_t>(raster));
  for (int c = 0; c < 3; ++c) StoreLe16(header + 122 + 2 * c, 16);

  SafeFile out;
  if (!out.Open(path)) return false;
  out.Write(header, sizeof header);
  // File rows run from the top (memory row h - 1) down; a block of them is
  // converted while the one before is being written.
  const size_t row_bytes = static_cast<size_t>(w) * 6;
  const int block_rows = BlockRows(row_bytes, h);
  BlockWriter blocks(out, row_bytes * block_rows, raster);
  for (int top = 0; top < h; top += block_rows) {
    const int count = std::min(block_rows, h - top);
    for (int j = 0; j < count; ++j) {
      const size_t base = static_cast<size_t>(h - 1 - (top + j)) * w;
      MergeRowLe16(image.r.get() + base, image.g.get() + base, image.b.get() + base, w,
                   blocks.Block() + j * row_bytes);
    }
    if (!blocks.Submit(row_bytes * count)) return false;
  }
  return blocks.Finish() && out.Commit();
}

}  // namespace tavo
