// SPDX-License-Identifier: MIT
#include "io/pnm.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "core/memory.h"
#include "io/byte_reader.h"
#include "io/row_convert.h"
#include "core/files.h"

namespace tavo {
namespace {

constexpr int kEof = ByteReader::kEof;
// Header numbers above this are refused rather than overflowing.
constexpr int64_t kNumberLimit = int64_t{1} << 40;

// One header number; `current` is the character that ended the previous
// item and receives the character that ends this one.
int64_t ReadHeaderNumber(ByteReader& in, int* current) {
  for (;;) {
    if (*current == '#') {
      int c;
      do {
        c = in.Get();
      } while (c != '\n' && c != kEof);
    }
    int c = in.Get();
    if (c == kEof) {
      *current = kEof;
      return 0;
    }
    if (c < '0' || c > '9') {
      *current = c;
      continue;
    }
    int64_t value = c - '0';
    for (;;) {
      c = in.Get();
      if (c < '0' || c > '9') break;
      if (value < kNumberLimit) value = value * 10 + (c - '0');
    }
    *current = c;
    return value;
  }
}

// scanf("%d")-like reading of the ASCII raster. After the first failure
// every further value is missing, as with a stuck stream.
class AsciiNumbers {
 public:
  explicit AsciiNumbers(ByteReader& in) : in_(in) {}
  // True once a value could not be read.
  bool Stuck() const { return stuck_; }
  // False when no number could be read.
  bool Next(int64_t* value) {
    if (stuck_) return false;
    int c = peek_ != kNone ? peek_ : in_.Get();
    peek_ = kNone;
    while (c != kEof && std::isspace(c)) c = in_.Get();
    bool negative = false;
    if (c == '-' || c == '+') {
      negative = c == '-';
      c = in_.Get();
    }
    if (c < '0' || c > '9') {
      stuck_ = true;
      return false;
    }
    int64_t v = 0;
    while (c >= '0' && c <= '9') {
      if (v < kNumberLimit) v = v * 10 + (c - '0');
      c = in_.Get();
    }
    peek_ = c;
    *value = negative ? -v : v;
    return true;
  }

 private:
  static constexpr int kNone = -2;
  ByteReader& in_;
  int peek_ = kNone;
  bool stuck_ = false;
};

// The fewest bytes a raster of this kind and size can take: text needs a
// digit and a separator per value ("P1" digits may touch), bit rasters one
// bit a pixel in whole bytes per row. Sides are below 2^31, so only the
// factor per pixel can carry the product past 64 bits; it saturates.
uint64_t LeastRasterBytes(int kind, int64_t width, int64_t height, int64_t maximum) {
  const uint64_t w = static_cast<uint64_t>(width), h = static_cast<uint64_t>(height);
  if (kind == 4) return (w + 7) / 8 * h;
  const uint64_t per_pixel = kind == 1 ? 1 : kind == 2 ? 2 : kind == 3 ? 6 : (kind == 6 ? 3 : 1) * (maximum < 256 ? 1 : 2);
  return w * h > UINT64_MAX / per_pixel ? UINT64_MAX : w * h * per_pixel;
}

uint16_t ScaleAscii(int64_t n, int64_t maximum) {
  const int64_t s = n * 65536 / (maximum + 1);
  return static_cast<uint16_t>(std::clamp<int64_t>(s, 0, 65535));
}

void ConvertPnmRow(const unsigned char* p, int channels, int bytes_per_sample, int w, uint16_t* r, uint16_t* g,
                   uint16_t* b) {
  if (channels == 3 && bytes_per_sample == 2) {
    SplitRowBe16(p, w, r, g, b);
  } else if (channels == 3) {
    SplitRow8(p, w, r, g, b);
  } else {
    for (int x = 0; x < w; ++x, p += bytes_per_sample) {
      const uint16_t v = static_cast<uint16_t>(bytes_per_sample == 1 ? p[0] << 8 : (p[0] << 8) | p[1]);
      r[x] = g[x] = b[x] = v;
    }
  }
}

}  // namespace

ReadStatus ReadPnmFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report) {
  if (in.Get() != 'P') return kReadBadFormat;
  const int kind_char = in.Get();
  if (kind_char < '1' || kind_char > '6') return kReadBadFormat;
  const int kind = kind_char - '0';

  int current = kind_char;
  const int64_t width = ReadHeaderNumber(in, &current);
  const int64_t height = ReadHeaderNumber(in, &current);
  const int64_t maximum = ReadHeaderNumber(in, &current);
  if (current != '\n') {
    int c = current;
    while (c != '\n' && c != kEof) c = in.Get();
  }
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return kReadBadFormat;
  if (!RasterFitsFile(in, LeastRasterBytes(kind, width, height, maximum))) return kReadBadFormat;
  const uint64_t bytes = ImageBytes(width, height, 6);
  if (bytes == 0 || !MemoryFits(bytes)) return kReadNoMemory;

  // Text and binary rasters write every sample (0 where the file ends);
  // only the undecoded bit rasters rely on cleared planes.
  int missing = 0;
  Image fresh;
  if (!AllocateImagePlanes(fresh, static_cast<int>(width), static_cast<int>(height), kind == 1 || kind == 4)) {
    return kReadNoMemory;
  }
  const int w = fresh.width, h = fresh.height;
  uint16_t* r = fresh.r.get();
  uint16_t* g = fresh.g.get();
  uint16_t* b = fresh.b.get();

  // Rows are filled from the planes' last row (the file's top) down.
  const PlanePrefault prefault(fresh, kind != 1 && kind != 4);
  if (kind == 2 || kind == 3) {
    AsciiNumbers numbers(in);
    for (int row = 0; row < h; ++row) {
      const size_t base = static_cast<size_t>(h - 1 - row) * w;
      for (int x = 0; x < w; ++x) {
        int64_t n = 0;
        if (kind == 2) {
          const uint16_t s = numbers.Next(&n) ? ScaleAscii(n, maximum) : 0;
          r[base + x] = g[base + x] = b[base + x] = s;
        } else {
          r[base + x] = numbers.Next(&n) ? ScaleAscii(n, maximum) : 0;
          g[base + x] = numbers.Next(&n) ? ScaleAscii(n, maximum) : 0;
          b[base + x] = numbers.Next(&n) ? ScaleAscii(n, maximum) : 0;
        }
      }
      if (missing == 0 && numbers.Stuck()) missing = h - row;
    }
  } else if (kind == 5 || kind == 6) {
    const int bytes_per_sample = maximum < 256 ? 1 : 2;
    const int channels = kind == 6 ? 3 : 1;
    const size_t row_bytes = static_cast<size_t>(w) * channels * bytes_per_sample;
    const int block_rows = BlockRows(row_bytes, h);
    RowBlocks blocks(in);
    for (int top = 0; top < h; top += block_rows) {
      const int count = std::min(block_rows, h - top);
      const size_t size = row_bytes * count;
      size_t got = 0;
      const unsigned char* block = blocks.Next(size, size, &got);
      for (int k = 0; k < count; ++k) {
        const size_t base = static_cast<size_t>(h - 1 - (top + k)) * w;
        ConvertPnmRow(block + k * row_bytes, channels, bytes_per_sample, w, r + base, g + base, b + base);
      }
      if (got < size) {
        // The file ended: the rows below the block (memory rows 0 ..
        // h - top - count - 1) are 0.
        const size_t below = static_cast<size_t>(h - top - count) * w;
        for (int c = 0; c < 3; ++c) std::memset(fresh.Channel(c), 0, below * 2);
        missing = h - (top + static_cast<int>(got / row_bytes));  // the row it ended in counts
        break;
      }
    }
  }
  // "P1" and "P4": bit rasters are not decoded; the planes stay 0.

  if (report != nullptr) report->missing_rows = missing;
  AdoptPlanes(image, fresh);
  SetImageName(image, name);
  return kReadOk;
}

namespace {

char* AppendInt(char* p, unsigned v) {
  char tmp[12];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0) *p++ = tmp[--n];
  return p;
}

}  // namespace

bool WritePnm(const std::string& path, const Image& image, bool ascii) {
  if (image.Empty() || !image.r || !image.g || !image.b) return false;
  SafeFile out;
  if (!out.Open(path)) return false;
  const int w = image.width, h = image.height;
  char header[64];
  std::snprintf(header, sizeof header, "%s\n%d %d\n65535\n", ascii ? "P3" : "P6", w, h);
  out.Print(header);
  // Each pixel takes at most 3 x 6 characters in ASCII, 6 bytes binary. A
  // block of rows goes out in one write.
  const size_t row_most = static_cast<size_t>(w) * (ascii ? 18 : 6);
  const int block_rows = BlockRows(row_most, h);
  BlockWriter blocks(out, row_most * block_rows, static_cast<uint64_t>(row_most) * h);
  for (int top = 0; top < h; top += block_rows) {
    const int count = std::min(block_rows, h - top);
    char* const start = reinterpret_cast<char*>(blocks.Block());
    char* p = start;
    for (int k = 0; k < count; ++k) {
      const size_t base = static_cast<size_t>(h - 1 - (top + k)) * w;
      const uint16_t* r = image.r.get() + base;
      const uint16_t* g = image.g.get() + base;
      const uint16_t* b = image.b.get() + base;
      if (ascii) {
        for (int x = 0; x < w; ++x) {
          for (uint16_t v : {r[x], g[x], b[x]}) {
            p = AppendInt(p, v);
            *p++ = ' ';
          }
        }
      } else {
        MergeRowBe16(r, g, b, w, reinterpret_cast<unsigned char*>(p));
        p += static_cast<size_t>(w) * 6;
      }
    }
    if (!blocks.Submit(static_cast<size_t>(p - start))) return false;
  }
  return blocks.Finish() && out.Commit();
}

}  // namespace tavo
