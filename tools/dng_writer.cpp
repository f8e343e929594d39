// SPDX-License-Identifier: MIT
#include "tools/dng_writer.h"

#include <cmath>
#include <cstdio>

namespace tavo {
namespace {

enum TiffType { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kSRational = 10 };

struct Entry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  std::vector<uint8_t> data;  // little-endian value bytes
};

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

Entry Shorts(uint16_t tag, std::vector<uint32_t> values) {
  Entry e{tag, kShort, static_cast<uint32_t>(values.size()), {}};
  for (uint32_t v : values) Put16(e.data, v);
  return e;
}

Entry Longs(uint16_t tag, std::vector<uint32_t> values) {
  Entry e{tag, kLong, static_cast<uint32_t>(values.size()), {}};
  for (uint32_t v : values) Put32(e.data, v);
  return e;
}

Entry Bytes(uint16_t tag, std::vector<uint8_t> values) {
  return Entry{tag, kByte, static_cast<uint32_t>(values.size()), values};
}

Entry Ascii(uint16_t tag, const std::string& text) {
  Entry e{tag, kAscii, static_cast<uint32_t>(text.size() + 1), {}};
  e.data.assign(text.begin(), text.end());
  e.data.push_back(0);
  return e;
}

Entry SRationals(uint16_t tag, const double* values, int n) {
  Entry e{tag, kSRational, static_cast<uint32_t>(n), {}};
  for (int i = 0; i < n; ++i) {
    Put32(e.data, static_cast<uint32_t>(static_cast<int32_t>(std::lround(values[i] * 10000))));
    Put32(e.data, 10000);
  }
  return e;
}

int SamplesPerPixel(int kind) { return kind == kDngLinearRgb ? 3 : 1; }
int PatternSize(int kind) { return kind == kDngMosaic6x6 ? 6 : kind == kDngMosaic2x2 ? 2 : 0; }

}  // namespace

bool SetBayerPattern(DngImage& dng, const std::string& name) {
  if (name.size() != 4) return false;
  for (int i = 0; i < 4; ++i) {
    switch (name[i]) {
      case 'R': dng.cfa[i] = 0; break;
      case 'G': dng.cfa[i] = 1; break;
      case 'B': dng.cfa[i] = 2; break;
      default: return false;
    }
  }
  dng.kind = kDngMosaic2x2;
  return true;
}

void SetSixBySixPattern(DngImage& dng) {
  static const char kRows[6][7] = {"GBGGRG", "RGRBGB", "GBGGRG", "GRGGBG", "BGBRGR", "GRGGBG"};
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const char c = kRows[y][x];
      dng.cfa[y * 6 + x] = c == 'R' ? 0 : c == 'G' ? 1 : 2;
    }
  }
  dng.kind = kDngMosaic6x6;
}

int DngColorAt(const DngImage& dng, int x, int y) {
  const int n = PatternSize(dng.kind);
  if (n == 0) return -1;
  return dng.cfa[(y % n) * n + (x % n)];
}

std::vector<uint8_t> EncodeDng(const DngImage& dng) {
  const int spp = SamplesPerPixel(dng.kind);
  const size_t count = static_cast<size_t>(dng.width) * dng.height * spp;
  if (dng.width <= 0 || dng.height <= 0 || dng.samples.size() != count) return {};
  const uint32_t strip_bytes = static_cast<uint32_t>(count * 2);
  const int n = PatternSize(dng.kind);
  const bool mosaic = n > 0;

  std::vector<Entry> entries;
  entries.push_back(Longs(254, {0}));
  entries.push_back(Longs(256, {static_cast<uint32_t>(dng.width)}));
  entries.push_back(Longs(257, {static_cast<uint32_t>(dng.height)}));
  entries.push_back(Shorts(258, std::vector<uint32_t>(spp, 16)));
  entries.push_back(Shorts(259, {1}));
  entries.push_back(Shorts(262, {mosaic ? 32803u : 34892u}));
  entries.push_back(Ascii(271, dng.make));
  entries.push_back(Ascii(272, dng.model));
  entries.push_back(Longs(273, {0}));  // strip offset, patched below
  entries.push_back(Shorts(274, {1}));
  entries.push_back(Shorts(277, {static_cast<uint32_t>(spp)}));
  entries.push_back(Longs(278, {static_cast<uint32_t>(dng.height)}));
  entries.push_back(Longs(279, {strip_bytes}));
  entries.push_back(Shorts(284, {1}));
  if (mosaic) {
    entries.push_back(Shorts(33421, {static_cast<uint32_t>(n), static_cast<uint32_t>(n)}));
    entries.push_back(Bytes(33422, std::vector<uint8_t>(dng.cfa, dng.cfa + n * n)));
  }
  entries.push_back(Bytes(50706, {1, 4, 0, 0}));
  entries.push_back(Bytes(50707, {1, 1, 0, 0}));
  entries.push_back(Ascii(50708, dng.make + " " + dng.model));
  if (mosaic) {
    entries.push_back(Bytes(50710, {0, 1, 2}));
    entries.push_back(Shorts(50711, {1}));
  }
  entries.push_back(Longs(50714, std::vector<uint32_t>(spp, static_cast<uint32_t>(dng.black))));
  entries.push_back(Longs(50717, std::vector<uint32_t>(spp, static_cast<uint32_t>(dng.white))));
  if (dng.color_matrix) {
    // XYZ to linear sRGB (D65): the camera then sees sRGB primaries.
    static const double kXyzToSrgb[9] = {3.2404542,  -1.5371385, -0.4985314, -0.9692660, 1.8760108,
                                         0.0415560,  0.0556434,  -0.2040259, 1.0572252};
    entries.push_back(SRationals(50721, kXyzToSrgb, 9));
    entries.push_back(Shorts(50778, {21}));
  }

  // Header, IFD, then the values that do not fit in an entry, then the strip.
  const uint32_t ifd_offset = 8;
  const uint32_t ifd_size = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  uint32_t extra_offset = ifd_offset + ifd_size;
  std::vector<uint8_t> extra;
  std::vector<uint8_t> out = {'I', 'I', 42, 0};
  Put32(out, ifd_offset);
  Put16(out, static_cast<uint32_t>(entries.size()));
  size_t strip_field = 0;
  for (const Entry& e : entries) {
    Put16(out, e.tag);
    Put16(out, e.type);
    Put32(out, e.count);
    if (e.data.size() <= 4) {
      if (e.tag == 273) strip_field = out.size();
      std::vector<uint8_t> value = e.data;
      value.resize(4, 0);
      out.insert(out.end(), value.begin(), value.end());
    } else {
      Put32(out, extra_offset + static_cast<uint32_t>(extra.size()));
      extra.insert(extra.end(), e.data.begin(), e.data.end());
      if (extra.size() % 2 != 0) extra.push_back(0);  // word alignment
    }
  }
  Put32(out, 0);
  out.insert(out.end(), extra.begin(), extra.end());
  while (out.size() % 4 != 0) out.push_back(0);
  const uint32_t strip_offset = static_cast<uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[strip_field + i] = static_cast<uint8_t>(strip_offset >> (8 * i));
  for (uint16_t v : dng.samples) Put16(out, v);
  return out;
}

bool WriteDng(const std::string& path, const DngImage& dng) {
  const std::vector<uint8_t> bytes = EncodeDng(dng);
  if (bytes.empty()) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace tavo
