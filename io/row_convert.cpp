// SPDX-License-Identifier: MIT
#include "io/row_convert.h"

#include <bit>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TAVO_ROW_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TAVO_ROW_CLONES
#endif

namespace tavo {
namespace {

// A 16-bit sample anywhere in a byte buffer.
typedef uint16_t Loose16 __attribute__((may_alias, aligned(1)));

// `v` as stored by this processor so that its bytes land in the file's
// order (low byte first or not).
inline uint16_t InOrder(uint16_t v, bool low_first) {
  return low_first == (std::endian::native == std::endian::little) ? v : __builtin_bswap16(v);
}

// Whole 16-bit stores (in the file's byte order) let the compiler
// interleave the planes with vector shuffles; byte by byte it does not.
template <bool kLowFirst>
inline void MergeRow16(const uint16_t* a, const uint16_t* b, const uint16_t* c, int w, unsigned char* p) {
  Loose16* q = reinterpret_cast<Loose16*>(p);
  for (int x = 0; x < w; ++x) {
    q[3 * x] = InOrder(a[x], kLowFirst);
    q[3 * x + 1] = InOrder(b[x], kLowFirst);
    q[3 * x + 2] = InOrder(c[x], kLowFirst);
  }
}

}  // namespace

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

TAVO_ROW_CLONES void MergeRowBe16(const uint16_t* a, const uint16_t* b, const uint16_t* c, int w,
                                  unsigned char* p) {
  MergeRow16<false>(a, b, c, w, p);
}

TAVO_ROW_CLONES void MergeRowLe16(const uint16_t* a, const uint16_t* b, const uint16_t* c, int w,
                                  unsigned char* p) {
  MergeRow16<true>(a, b, c, w, p);
}

TAVO_ROW_CLONES void MergeRow8(const uint16_t* a, const uint16_t* b, const uint16_t* c, int w, unsigned char* p) {
  for (int x = 0; x < w; ++x, p += 3) {
    p[0] = static_cast<unsigned char>(a[x] >> 8);
    p[1] = static_cast<unsigned char>(b[x] >> 8);
    p[2] = static_cast<unsigned char>(c[x] >> 8);
  }
}

}  // namespace tavo
