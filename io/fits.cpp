// SPDX-License-Identifier: MIT
#include "io/fits.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/files.h"
#include "core/memory.h"

namespace tavo {
namespace {

constexpr int kCard = 80;
constexpr int kBlock = 2880;

// A header value as a whole number.
struct Number {
  bool valid = false;     // a number was there
  bool integral = false;  // ... and it is whole and fits in 63 bits
  int64_t value = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses a FITS number ("-12", "1.0", "3.2768E4", "1.5D-1") from `p` on,
// without locale-dependent library calls.
Number ParseNumber(const char* p, const char* end) {
  Number n;
  while (p < end && *p == ' ') ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // Significant digits, leading zeros dropped; `exponent` counts the
  // decimal places they must be shifted by.
  char digits[kCard];
  int count = 0;
  int64_t exponent = 0;
  bool any = false, point = false;
  for (; p < end; ++p) {
    if (IsDigit(*p)) {
      any = true;
      if (count > 0 || *p != '0') digits[count++] = *p;
      if (point) --exponent;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return n;
  n.valid = true;
  if (p < end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')) {
    ++p;
    bool exp_negative = false;
    if (p < end && (*p == '+' || *p == '-')) exp_negative = *p++ == '-';
    int64_t e = 0;
    bool exp_any = false;
    for (; p < end && IsDigit(*p); ++p) {
      exp_any = true;
      if (e < 1000) e = e * 10 + (*p - '0');
    }
    if (!exp_any) return n;  // "1E" is not a number we can trust
    exponent += exp_negative ? -e : e;
  }
  // Trailing zeros behind the point do not make a fraction.
  while (count > 0 && exponent < 0 && digits[count - 1] == '0') {
    --count;
    ++exponent;
  }
  if (count == 0) {
    n.integral = true;
    return n;
  }
  if (exponent < 0 || count + exponent > 18) return n;
  int64_t v = 0;
  for (int i = 0; i < count; ++i) v = v * 10 + (digits[i] - '0');
  for (int64_t i = 0; i < exponent; ++i) v *= 10;
  n.integral = true;
  n.value = negative ? -v : v;
  return n;
}

struct FitsHeader {
  Number bitpix, naxis, naxis1, naxis2;
  Number bzero, bscale;
  bool ended = false;
};

void ParseCard(const char* card, FitsHeader* h) {
  int key_len = 0;
  while (key_len < kCard && card[key_len] != ' ' && card[key_len] != '=') ++key_len;
  const std::string key(card, static_cast<size_t>(key_len));
  if (key == "END") {
    h->ended = true;
    return;
  }
  Number* target = key == "BITPIX"   ? &h->bitpix
                   : key == "NAXIS"  ? &h->naxis
                   : key == "NAXIS1" ? &h->naxis1
                   : key == "NAXIS2" ? &h->naxis2
                   : key == "BZERO"  ? &h->bzero
                   : key == "BSCALE" ? &h->bscale
                                     : nullptr;
  if (target == nullptr) return;
  const char* eq = static_cast<const char*>(std::memchr(card, '=', kCard));
  *target = eq == nullptr ? Number{} : ParseNumber(eq + 1, card + kCard);
}

bool AllSpaces(const unsigned char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (p[i] != ' ') return false;
  }
  return true;
}

// Positions `in` at the first data byte; `header_end` is the offset just
// after the "END" card.
void SeekData(ByteReader& in, int64_t header_end) {
  const int64_t pad = (kBlock - header_end % kBlock) % kBlock;
  std::vector<unsigned char> buf(static_cast<size_t>(pad));
  const size_t got = in.Read(buf.data(), buf.size());
  if (AllSpaces(buf.data(), got)) {
    in.Seek(header_end + pad);
    return;
  }
  // An unpadded header: data begin at the first card that is not blank.
  size_t at = 0;
  while (at + kCard <= got && AllSpaces(buf.data() + at, kCard)) at += kCard;
  in.Seek(header_end + static_cast<int64_t>(at));
}

}  // namespace

ReadStatus ReadFitsFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report) {
  FitsHeader h;
  h.bzero.valid = h.bzero.integral = true;
  h.bscale.valid = h.bscale.integral = true;
  h.bscale.value = 1;
  char card[kCard];
  while (!h.ended) {
    if (in.Read(card, kCard) < static_cast<size_t>(kCard)) return kReadBadFormat;
    ParseCard(card, &h);
  }
  if (!h.bitpix.integral || !h.naxis1.integral || !h.naxis2.integral) return kReadBadFormat;
  const int64_t bitpix = h.bitpix.value;
  // Cubes are for the library reader, which knows colour planes.
  if (h.naxis.integral && h.naxis.value != 2) return kReadUnsupported;
  if (bitpix == -32 || bitpix == -64 || bitpix == 64) return kReadUnsupported;
  if (bitpix != 8 && bitpix != 16 && bitpix != 32) return kReadBadFormat;
  if (!h.bzero.valid || !h.bscale.valid) return kReadBadFormat;
  if (!h.bzero.integral || !h.bscale.integral) return kReadUnsupported;
  const int64_t width = h.naxis1.value, height = h.naxis2.value;
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return kReadBadFormat;
  const uint64_t data_bytes = ImageBytes(width, height, static_cast<int>(bitpix / 8));  // 0: beyond 64 bits
  if (data_bytes == 0 || !RasterFitsFile(in, data_bytes)) return kReadBadFormat;
  const uint64_t bytes = ImageBytes(width, height, 6);
  if (bytes == 0 || !MemoryFits(bytes)) return kReadNoMemory;

  SeekData(in, in.Position());
  Image fresh;
  // Every row is written; those past the end of the file are cleared.
  if (!AllocateImagePlanes(fresh, static_cast<int>(width), static_cast<int>(height), false)) {
    return kReadNoMemory;
  }
  const int w = fresh.width;
  const int bytes_per_value = static_cast<int>(bitpix / 8);
  const uint64_t scale = static_cast<uint64_t>(h.bscale.value);
  const uint64_t zero = static_cast<uint64_t>(h.bzero.value);
  const size_t row_bytes = static_cast<size_t>(w) * bytes_per_value;
  std::vector<unsigned char> row(row_bytes);
  int missing = 0;
  for (int k = 0; k < fresh.height; ++k) {
    const size_t got = in.Read(row.data(), row_bytes);
    if (got < row_bytes) std::memset(row.data() + got, 0, row_bytes - got);
    const size_t base = static_cast<size_t>(k) * w;
    uint16_t* r = fresh.r.get() + base;
    const unsigned char* p = row.data();
    for (int x = 0; x < w; ++x, p += bytes_per_value) {
      uint64_t s;
      if (bytes_per_value == 1) {
        s = static_cast<uint64_t>(p[0]) * 256 * scale + zero;
      } else if (bytes_per_value == 2) {
        s = static_cast<uint64_t>((p[0] << 8) | p[1]) * scale + zero;
      } else {
        const uint32_t u = (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
                           (static_cast<uint32_t>(p[2]) << 8) | p[3];
        const int64_t v = static_cast<int32_t>(u);
        s = (static_cast<uint64_t>(v) * scale + zero) >> 16;
      }
      r[x] = static_cast<uint16_t>(s);
    }
    std::memcpy(fresh.g.get() + base, r, static_cast<size_t>(w) * 2);
    std::memcpy(fresh.b.get() + base, r, static_cast<size_t>(w) * 2);
    if (got < row_bytes) {
      // The file ended: the rows above are 0.
      const size_t done = base + static_cast<size_t>(w);
      const size_t rest = (fresh.PixelCount() - done) * 2;
      for (int c = 0; c < 3; ++c) std::memset(fresh.Channel(c) + done, 0, rest);
      missing = fresh.height - k;
      break;
    }
  }
  if (report != nullptr) report->missing_rows = missing;
  AdoptPlanes(image, fresh);
  SetImageName(image, name);
  return kReadOk;
}

namespace {

// "KEY     = " and the value right-aligned to column 30, as fixed-format
// readers want it.
std::string ValueCard(const char* key, const std::string& value) {
  char card[kCard + 1];
  std::snprintf(card, sizeof card, "%-8s= %20s", key, value.c_str());
  std::string text(card);
  text.resize(kCard, ' ');
  return text;
}

std::string TextCard(const std::string& text) {
  std::string card = text;
  card.resize(kCard, ' ');
  return card;
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "'%Y-%m-%dT%H:%M:%S'", &utc);
  return text;
}

}  // namespace

bool WriteFits(const std::string& path, const Image& image, int kind) {
  if (image.Empty() || !image.r || !image.g || !image.b) return false;
  const bool colour = image.monochrome != 1;
  const bool real = kind == kFitsFloat;
  std::string header = ValueCard("SIMPLE", "T") + ValueCard("BITPIX", real ? "-32" : "16") +
                       ValueCard("NAXIS", colour ? "3" : "2") + ValueCard("NAXIS1", std::to_string(image.width)) +
                       ValueCard("NAXIS2", std::to_string(image.height));
  if (colour) header += ValueCard("NAXIS3", "3");
  if (!real) header += ValueCard("BZERO", "32768") + ValueCard("BSCALE", "1");
  header += ValueCard("DATE", UtcNow()) + TextCard("HISTORY Written by TAVO") + TextCard("END");
  header.resize((header.size() + kBlock - 1) / kBlock * kBlock, ' ');

  SafeFile out;
  if (!out.Open(path) || !out.Write(header.data(), header.size())) return false;
  const int planes = colour ? 3 : 1;
  const size_t w = static_cast<size_t>(image.width), bytes = real ? 4 : 2;
  std::vector<unsigned char> row(w * bytes);
  for (int c = 0; c < planes; ++c) {
    const uint16_t* plane = image.Channel(c);
    for (int y = 0; y < image.height; ++y) {
      const uint16_t* in = plane + y * w;
      unsigned char* p = row.data();
      for (size_t x = 0; x < w; ++x) {
        if (real) {
          const float f = static_cast<float>(in[x]) / 65535.0f;
          uint32_t u;
          std::memcpy(&u, &f, 4);
          *p++ = static_cast<unsigned char>(u >> 24);
          *p++ = static_cast<unsigned char>(u >> 16);
          *p++ = static_cast<unsigned char>(u >> 8);
          *p++ = static_cast<unsigned char>(u);
        } else {
          // Less 32768 in 16 bits: the top bit flips.
          const uint32_t v = in[x] ^ 0x8000u;
          *p++ = static_cast<unsigned char>(v >> 8);
          *p++ = static_cast<unsigned char>(v);
        }
      }
      if (!out.Write(row.data(), row.size())) return false;
    }
  }
  const uint64_t data = static_cast<uint64_t>(planes) * image.PixelCount() * bytes;
  const std::vector<unsigned char> pad((kBlock - data % kBlock) % kBlock, 0);
  if (!pad.empty() && !out.Write(pad.data(), pad.size())) return false;
  return out.Commit();
}

}  // namespace tavo
