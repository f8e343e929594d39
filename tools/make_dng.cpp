// SPDX-License-Identifier: MIT
// Writes a synthetic uncompressed DNG with known sample values.
//   make_dng OUT.dng [--pattern RGGB|BGGR|GRBG|GBRG|6x6|rgb|mono] [--size W H]
//                    [--black N] [--white N] [--matrix]
//                    [--fill flat V | --fill position | --fill noise SEED BASE SPREAD]
//                    [--hot X Y V]...
// "position" stores 1000 + 16 * x + 256 * y (clamped), so a sample shows
// where it came from; --hot plants one sample (x from the left, y from the
// top) after the fill.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/dng_writer.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: make_dng OUT.dng [--pattern RGGB|BGGR|GRBG|GBRG|6x6|rgb|mono] [--size W H]\n"
               "                [--black N] [--white N] [--matrix]\n"
               "                [--fill flat V | --fill position | --fill noise SEED BASE SPREAD]\n"
               "                [--hot X Y V]...\n");
  return 2;
}

uint16_t Clamp16(long v) { return static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  tavo::DngImage dng;
  dng.width = 64;
  dng.height = 48;
  std::string fill = "position";
  long flat = 1000, seed = 1, base = 2000, spread = 500;
  struct Hot {
    int x, y;
    long v;
  };
  Hot hots[64];
  int hot_count = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    auto more = [&](int n) { return i + n < argc; };
    if (a == "--pattern" && more(1)) {
      const std::string p = argv[++i];
      if (p == "6x6") {
        tavo::SetSixBySixPattern(dng);
      } else if (p == "rgb") {
        dng.kind = tavo::kDngLinearRgb;
      } else if (p == "mono") {
        dng.kind = tavo::kDngMonochrome;
      } else if (!tavo::SetBayerPattern(dng, p)) {
        return Usage();
      }
    } else if (a == "--size" && more(2)) {
      dng.width = std::atoi(argv[++i]);
      dng.height = std::atoi(argv[++i]);
    } else if (a == "--black" && more(1)) {
      dng.black = std::atoi(argv[++i]);
    } else if (a == "--white" && more(1)) {
      dng.white = std::atoi(argv[++i]);
    } else if (a == "--matrix") {
      dng.color_matrix = true;
    } else if (a == "--fill" && more(1)) {
      fill = argv[++i];
      if (fill == "flat" && more(1)) {
        flat = std::atol(argv[++i]);
      } else if (fill == "noise" && more(3)) {
        seed = std::atol(argv[++i]);
        base = std::atol(argv[++i]);
        spread = std::atol(argv[++i]);
      } else if (fill != "position") {
        return Usage();
      }
    } else if (a == "--hot" && more(3) && hot_count < 64) {
      hots[hot_count].x = std::atoi(argv[++i]);
      hots[hot_count].y = std::atoi(argv[++i]);
      hots[hot_count].v = std::atol(argv[++i]);
      ++hot_count;
    } else {
      return Usage();
    }
  }
  if (dng.width <= 0 || dng.height <= 0 || dng.width > 20000 || dng.height > 20000) return Usage();
  const int spp = dng.kind == tavo::kDngLinearRgb ? 3 : 1;
  dng.samples.resize(static_cast<size_t>(dng.width) * dng.height * spp);
  uint32_t state = static_cast<uint32_t>(seed) * 2654435761u + 1;
  for (int y = 0; y < dng.height; ++y) {
    for (int x = 0; x < dng.width; ++x) {
      for (int s = 0; s < spp; ++s) {
        long v = flat;
        if (fill == "position") {
          v = 1000 + 16L * x + 256L * y;
        } else if (fill == "noise") {
          state = state * 1664525u + 1013904223u;
          v = base + static_cast<long>((state >> 8) % static_cast<uint32_t>(spread > 0 ? spread : 1));
        }
        dng.samples[(static_cast<size_t>(y) * dng.width + x) * spp + s] = Clamp16(v);
      }
    }
  }
  for (int k = 0; k < hot_count; ++k) {
    const Hot& h = hots[k];
    if (h.x < 0 || h.y < 0 || h.x >= dng.width || h.y >= dng.height) return Usage();
    for (int s = 0; s < spp; ++s) {
      dng.samples[(static_cast<size_t>(h.y) * dng.width + h.x) * spp + s] = Clamp16(h.v);
    }
  }
  if (!tavo::WriteDng(argv[1], dng)) {
    std::fprintf(stderr, "make_dng: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
