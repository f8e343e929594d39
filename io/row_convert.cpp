// SPDX-License-Identifier: MIT
#include "io/row_convert.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TAVO_ROW_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TAVO_ROW_CLONES
#endif

namespace tavo {

TAVO_ROW_CLONES void SplitRowBe16(const unsigned char* p, int w, uint16_t* a, uint16_t* b, uint16_t* c) {
  for (int x = 0; x < w; ++x, p += 6) {
    a[x] = static_cast<uint16_t>((p[0] << 8) | p[1]);
    b[x] = static_cast<uint16_t>((p[2] << 8) | p[3]);
    c[x] = static_cast<uint16_t>((p[4] << 8) | p[5]);
  }
}

TAVO_ROW_CLONES void SplitRowLe16(const unsigned char* p, int w, uint16_t* a, uint16_t* b, uint16_t* c) {
  for (int x = 0; x < w; ++x, p += 6) {
    a[x] = static_cast<uint16_t>(p[0] | (p[1] << 8));
    b[x] = static_cast<uint16_t>(p[2] | (p[3] << 8));
    c[x] = static_cast<uint16_t>(p[4] | (p[5] << 8));
  }
}

TAVO_ROW_CLONES void SplitRow8(const unsigned char* p, int w, uint16_t* a, uint16_t* b, uint16_t* c) {
  for (int x = 0; x < w; ++x, p += 3) {
    a[x] = static_cast<uint16_t>(p[0] << 8);
    b[x] = static_cast<uint16_t>(p[1] << 8);
    c[x] = static_cast<uint16_t>(p[2] << 8);
  }
}

}  // namespace tavo
