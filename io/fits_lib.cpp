// SPDX-License-Identifier: MIT
#include "io/fits_lib.h"

#include <fitsio.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/memory.h"
#include "core/sample.h"
#include "io/shared_library.h"

namespace tavo {
namespace {

constexpr double kTwo16 = 65536.0;
constexpr double kTwo48 = 281474976710656.0;

// The whole input in memory: cfitsio reads a memory block but not our
// reader. False when it does not fit.
bool SlurpInput(ByteReader& in, std::vector<unsigned char>* bytes) {
  const int64_t size = in.FileSize();
  if (size > 0 && !MemoryFits(static_cast<uint64_t>(size))) return false;
  constexpr size_t kChunk = 1 << 20;
  size_t used = 0;
  for (;;) {
    if (!MemoryFits(used + kChunk)) return false;
    bytes->resize(used + kChunk);
    const size_t got = in.Read(bytes->data() + used, kChunk);
    used += got;
    if (got < kChunk) break;
  }
  bytes->resize(used);
  return true;
}

// cfitsio divides by the tile sizes and axis lengths of a tile-compressed
// image without checking them (a ZTILE1 of 0 ends the program), so every
// card of those keys must hold a positive whole number before it sees the
// file. Cards start at multiples of 80 bytes.
bool TileCardsPlausible(const std::vector<unsigned char>& bytes) {
  // The library also divides by the RICE parameters BLOCKSIZE and BYTEPIX
  // (ZNAMEn names them, ZVALn holds them); their values must be positive.
  bool divisor[10] = {};
  long value_of[10] = {};
  bool has_value[10] = {};
  bool rice = false;
  long zbitpix = 0;
  for (size_t at = 0; at + 80 <= bytes.size(); at += 80) {
    const char* card = reinterpret_cast<const char*>(bytes.data() + at);
    const bool tile = std::memcmp(card, "ZTILE", 5) == 0 || std::memcmp(card, "ZNAXIS", 6) == 0;
    const bool name = std::memcmp(card, "ZNAME", 5) == 0 && card[5] >= '1' && card[5] <= '9' && card[6] == ' ';
    const bool val = std::memcmp(card, "ZVAL", 4) == 0 && card[4] >= '1' && card[4] <= '9' && card[5] == ' ';
    if (std::memcmp(card, "ZCMPTYPE", 8) == 0 && std::string(card, 80).find("RICE") != std::string::npos) {
      // RICE takes ZVAL1 and ZVAL2 as block size and bytes per pixel,
      // whatever ZNAMEn says.
      divisor[1] = divisor[2] = true;
      rice = true;
    }
    if (std::memcmp(card, "ZBITPIX ", 8) == 0) zbitpix = std::strtol(card + 10, nullptr, 10);
    if (!tile && !name && !val) continue;
    const char* eq = static_cast<const char*>(std::memchr(card, '=', 80));
    if (eq == nullptr) return false;
    char value[81] = {};
    std::memcpy(value, eq + 1, static_cast<size_t>(card + 80 - (eq + 1)));
    if (name) {
      divisor[card[5] - '0'] = divisor[card[5] - '0'] || std::strstr(value, "'BLOCKSIZE") != nullptr ||
                               std::strstr(value, "'BYTEPIX") != nullptr;
      continue;
    }
    char* end = nullptr;
    const long v = std::strtol(value, &end, 10);
    if (val) {
      value_of[card[4] - '0'] = end == value ? 0 : v;
      has_value[card[4] - '0'] = true;
      continue;
    }
    if (end == value || v <= 0) return false;
  }
  for (int n = 1; n < 10; ++n) {
    if (divisor[n] && has_value[n] && value_of[n] <= 0) return false;
  }
  // RICE samples take 1, 2 or 4 bytes, no more than the image's integers
  // (quantised floats take 4); the library decodes wider ones past its
  // buffers.
  if (rice && has_value[2]) {
    const long most = zbitpix > 0 ? std::min(zbitpix / 8, 4L) : 4;
    const long b = value_of[2];
    if ((b != 1 && b != 2 && b != 4) || b > most) return false;
  }
  return true;
}

// cfitsio copies header values into fixed buffers and trusts them to be
// what FITS allows (a value running into column 10 overran one), so every
// header card must be printable ASCII and a value after "=" in column 9
// must be well formed (ValuePlausible). Headers are found by walking the
// units: cards up to END, then the data they announce, each in whole
// blocks of 2880 bytes. What lies past the file's end is not looked at.
// The value of a card with "=" in column 9: a space in column 10, then a
// string closed within the card (a doubled quote stands for one) or a
// token without quotes, then at most spaces and a comment after "/".
bool ValuePlausible(const char* card) {
  constexpr int kEnd = 80;
  if (card[9] != ' ') return false;
  int k = 10;
  while (k < kEnd && card[k] == ' ') ++k;
  if (k < kEnd && card[k] == '\'') {
    for (++k;; ++k) {
      if (k >= kEnd) return false;  // never closed
      if (card[k] != '\'') continue;
      if (k + 1 < kEnd && card[k + 1] == '\'') {
        ++k;
        continue;
      }
      ++k;
      break;
    }
  } else {
    while (k < kEnd && card[k] != ' ' && card[k] != '/') {
      if (card[k] == '\'') return false;
      ++k;
    }
  }
  while (k < kEnd && card[k] == ' ') ++k;
  return k == kEnd || card[k] == '/';
}

bool HeaderCardsPlausible(const std::vector<unsigned char>& bytes) {
  constexpr size_t kCard = 80, kBlock = 2880;
  size_t at = 0;
  while (at + kCard <= bytes.size()) {
    const size_t start = at;
    uint64_t bits = 0, elements = 0, pcount = 0, gcount = 1;
    bool ended = false;
    for (; at + kCard <= bytes.size() && !ended; at += kCard) {
      const char* card = reinterpret_cast<const char*>(bytes.data() + at);
      for (size_t k = 0; k < kCard; ++k) {
        if (card[k] < 0x20 || card[k] > 0x7e) return false;
      }
      if (card[8] == '=' && !ValuePlausible(card)) return false;
      ended = std::memcmp(card, "END     ", 8) == 0;
      if (card[8] != '=') continue;
      const long long v = std::strtoll(card + 10, nullptr, 10);
      const uint64_t u = v > 0 ? static_cast<uint64_t>(v) : 0;
      if (std::memcmp(card, "BITPIX  ", 8) == 0) {
        bits = static_cast<uint64_t>(v < 0 ? -v : v);
      } else if (std::memcmp(card, "NAXIS   ", 8) == 0) {
        elements = u > 0 ? 1 : 0;
      } else if (std::memcmp(card, "NAXIS", 5) == 0) {
        elements = u != 0 && elements > UINT64_MAX / u ? UINT64_MAX : elements * u;
      } else if (std::memcmp(card, "PCOUNT  ", 8) == 0) {
        pcount = u;
      } else if (std::memcmp(card, "GCOUNT  ", 8) == 0) {
        gcount = u;
      }
    }
    if (!ended) return true;
    at = start + (at - start + kBlock - 1) / kBlock * kBlock;
    // Data beyond what the file holds ends the walk (the library stops there too).
    const uint64_t left = bytes.size() - std::min(at, bytes.size());
    if (elements > UINT64_MAX - pcount || bits > 64 || gcount > left) return true;
    const uint64_t per_group = elements + pcount;
    if (gcount != 0 && per_group > left / gcount) return true;
    const uint64_t data = bits / 8 * gcount * per_group;
    if (data > left) return true;
    at += static_cast<size_t>((data + kBlock - 1) / kBlock * kBlock);
  }
  return true;
}

// cfitsio is loaded when the first file needs it rather than linked: it
// brings some thirty libraries of its own (network, TLS and Kerberos for
// its URL support), and loading those was most of every start-up of the
// programs, FITS files or not. The entries keep the header's types.
struct Cfitsio {
  decltype(&ffclos) close_file;
  decltype(&ffcmsg) clear_errmsg;
  decltype(&ffthdu) get_num_hdus;
  decltype(&ffmahd) movabs_hdu;
  decltype(&ffgidm) get_img_dim;
  decltype(&ffgky) read_key;
  decltype(&ffgpxv) read_pix;
  decltype(&ffgncl) get_num_cols;
  decltype(&ffgnrwll) get_num_rowsll;
  decltype(&ffgkyjj) read_key_lnglng;
  decltype(&ffgtclll) get_coltypell;
  decltype(&ffgdesll) read_descriptll;
  decltype(&ffomem) open_memfile;
  decltype(&ffgipr) get_img_param;
  decltype(&fits_is_compressed_image) is_compressed_image;
};

// nullptr when the library (of the soname the header belongs to) cannot be
// loaded; tried once, kept loaded.
const Cfitsio* LoadCfitsio() {
  static Cfitsio lib;
  static const bool loaded = [] {
    const std::string soname = "libcfitsio.so." + std::to_string(CFITSIO_SONAME);
    void* module = OpenSharedLibrary(soname.c_str());
    if (module == nullptr) return false;
    return BindEntry(module, "ffclos", &lib.close_file) &&
           BindEntry(module, "ffcmsg", &lib.clear_errmsg) &&
           BindEntry(module, "ffthdu", &lib.get_num_hdus) &&
           BindEntry(module, "ffmahd", &lib.movabs_hdu) &&
           BindEntry(module, "ffgidm", &lib.get_img_dim) &&
           BindEntry(module, "ffgky", &lib.read_key) &&
           BindEntry(module, "ffgpxv", &lib.read_pix) &&
           BindEntry(module, "ffgncl", &lib.get_num_cols) &&
           BindEntry(module, "ffgnrwll", &lib.get_num_rowsll) &&
           BindEntry(module, "ffgkyjj", &lib.read_key_lnglng) &&
           BindEntry(module, "ffgtclll", &lib.get_coltypell) &&
           BindEntry(module, "ffgdesll", &lib.read_descriptll) &&
           BindEntry(module, "ffomem", &lib.open_memfile) &&
           BindEntry(module, "ffgipr", &lib.get_img_param) &&
           BindEntry(module, "fits_is_compressed_image", &lib.is_compressed_image);
  }();
  return loaded ? &lib : nullptr;
}

// Only reached once LoadCfitsio succeeded.
const Cfitsio& Lib() { return *LoadCfitsio(); }

// Closes the file and drops cfitsio's message stack (it is process-wide).
struct FitsHandle {
  fitsfile* f = nullptr;
  ~FitsHandle() {
    int status = 0;
    if (f != nullptr) Lib().close_file(f, &status);
    Lib().clear_errmsg();
  }
};

// Moves to the first HDU with image data; false when there is none.
bool FindImage(fitsfile* f) {
  int status = 0, hdus = 0;
  if (Lib().get_num_hdus(f, &hdus, &status) != 0) return false;
  for (int k = 1; k <= hdus; ++k) {
    int type = 0, naxis = 0;
    if (Lib().movabs_hdu(f, k, &type, &status) != 0) return false;
    if (type != IMAGE_HDU) continue;
    if (Lib().get_img_dim(f, &naxis, &status) != 0) return false;
    if (naxis > 0) return true;
  }
  return false;
}

double KeyOr(fitsfile* f, const char* key, double fallback, bool* found) {
  int status = 0;
  double v = 0;
  if (Lib().read_key(f, TDOUBLE, key, &v, nullptr, &status) != 0 || !std::isfinite(v)) {
    *found = false;
    return fallback;
  }
  *found = true;
  return v;
}

// How physical values become samples: s = floor((v - offset) x gain +
// round), limited to 0..65535.
struct Mapping {
  double offset = 0, gain = 1, round = 0;
};

// Reads row `row` of plane `plane` as doubles.
bool ReadRow(fitsfile* f, int row, int plane, std::vector<double>* values) {
  int status = 0, any_null = 0;
  long first[3] = {1, row + 1L, plane + 1L};
  Lib().read_pix(f, TDOUBLE, first, static_cast<LONGLONG>(values->size()), nullptr, values->data(), &any_null,
                &status);
  return status == 0;
}

// Tile-compressed data: the library sizes each tile's buffer from the
// tile's descriptor in the table, unchecked. Every variable-length cell must
// lie inside the heap the table declares, or the file is damaged.
bool TileDescriptorsInsideHeap(fitsfile* f) {
  int status = 0, columns = 0;
  LONGLONG rows = 0, heap = 0;
  if (Lib().get_num_cols(f, &columns, &status) != 0 || Lib().get_num_rowsll(f, &rows, &status) != 0) return false;
  if (Lib().read_key_lnglng(f, "PCOUNT", &heap, nullptr, &status) != 0 || heap < 0) return false;
  for (int c = 1; c <= columns; ++c) {
    int type = 0;
    LONGLONG repeat = 0, width = 0;
    if (Lib().get_coltypell(f, c, &type, &repeat, &width, &status) != 0) return false;
    if (type >= 0) continue;  // a fixed-size column
    for (LONGLONG r = 1; r <= rows; ++r) {
      LONGLONG count = 0, offset = 0;
      if (Lib().read_descriptll(f, c, r, &count, &offset, &status) != 0) return false;
      if (count < 0 || offset < 0 || offset > heap || width <= 0 || count > (heap - offset) / width) return false;
    }
  }
  return true;
}

}  // namespace

ReadStatus ReadFitsLibraryFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report) {
  if (report != nullptr) *report = ReadReport{};  // the library reports a cut file as an error
  std::vector<unsigned char> bytes;
  if (!SlurpInput(in, &bytes)) return kReadNoMemory;
  if (bytes.empty() || !HeaderCardsPlausible(bytes) || !TileCardsPlausible(bytes)) return kReadBadFormat;
  if (LoadCfitsio() == nullptr) return kReadUnsupported;
  FitsHandle h;
  int status = 0;
  void* block = bytes.data();
  size_t block_size = bytes.size();
  if (Lib().open_memfile(&h.f, "memory", READONLY, &block, &block_size, 0, nullptr, &status) != 0) {
    h.f = nullptr;
    return kReadBadFormat;
  }
  if (!FindImage(h.f)) return kReadBadFormat;
  int bitpix = 0, naxis = 0;
  long axes[3] = {0, 0, 0};
  if (Lib().get_img_param(h.f, 3, &bitpix, &naxis, axes, &status) != 0) return kReadBadFormat;
  int planes = 1;
  if (naxis == 3 && (axes[2] == 1 || axes[2] == 3)) {
    planes = static_cast<int>(axes[2]);
  } else if (naxis != 2) {
    return kReadUnsupported;
  }
  if (axes[0] <= 0 || axes[1] <= 0 || axes[0] > INT_MAX || axes[1] > INT_MAX) return kReadBadFormat;
  const int w = static_cast<int>(axes[0]), hgt = static_cast<int>(axes[1]);
  // Plain data that the file could never hold is a damaged header, not a
  // reason to plan planes (tile-compressed data can be far smaller).
  const int compressed = Lib().is_compressed_image(h.f, &status);
  if (compressed != 0 && !TileDescriptorsInsideHeap(h.f)) return kReadBadFormat;
  const uint64_t raster = static_cast<uint64_t>(w) * static_cast<uint64_t>(hgt) * static_cast<uint64_t>(planes) *
                          static_cast<uint64_t>(std::abs(bitpix) / 8);
  if (compressed == 0 && raster / kRasterToFileRatio > bytes.size()) return kReadBadFormat;

  Image fresh;
  if (!AllocateImagePlanes(fresh, w, hgt, false)) return kReadNoMemory;
  bool found = false;
  const double zero = KeyOr(h.f, "BZERO", 0, &found), scale = KeyOr(h.f, "BSCALE", 1, &found);
  const bool whole = std::floor(zero) == zero && std::floor(scale) == scale;
  Mapping m;
  std::vector<double> values(static_cast<size_t>(w));
  if (bitpix > 0 && whole) {
    m.gain = bitpix == 8 ? 256.0 : bitpix == 16 ? 1.0 : bitpix == 32 ? 1 / kTwo16 : 1 / kTwo48;
  } else {
    bool have_min = false, have_max = false;
    double lo = KeyOr(h.f, "DATAMIN", 0, &have_min), hi = KeyOr(h.f, "DATAMAX", 1, &have_max);
    if (!have_min || !have_max || !(hi > lo)) {
      // The data's own range; one more pass over the file.
      lo = HUGE_VAL, hi = -HUGE_VAL;
      for (int p = 0; p < planes; ++p) {
        for (int row = 0; row < hgt; ++row) {
          if (!ReadRow(h.f, row, p, &values)) return kReadBadFormat;
          for (double v : values) {
            if (!std::isfinite(v)) continue;
            if (v < lo) lo = v;
            if (v > hi) hi = v;
          }
        }
      }
      if (!(hi > lo) || (lo >= 0 && hi <= 1)) lo = 0, hi = 1;
    }
    m.offset = lo;
    m.gain = 65535.0 / (hi - lo);
    m.round = 0.5;
  }

  for (int p = 0; p < planes; ++p) {
    uint16_t* plane = fresh.Channel(p);
    for (int row = 0; row < hgt; ++row) {
      if (!ReadRow(h.f, row, p, &values)) return kReadBadFormat;
      uint16_t* out = plane + static_cast<size_t>(row) * w;
      for (int x = 0; x < w; ++x) {
        out[x] = ClampSampleDouble(std::floor((values[x] - m.offset) * m.gain + m.round));
      }
    }
  }
  if (planes == 1) {
    std::memcpy(fresh.g.get(), fresh.r.get(), fresh.PixelCount() * 2);
    std::memcpy(fresh.b.get(), fresh.r.get(), fresh.PixelCount() * 2);
  }
  AdoptPlanes(image, fresh);
  SetImageName(image, name);
  image.monochrome = planes == 1 ? 1 : 0;
  return kReadOk;
}

}  // namespace tavo
