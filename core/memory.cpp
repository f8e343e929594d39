// SPDX-License-Identifier: MIT
#include "core/memory.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavo {
namespace {

int64_t g_override = -1;

// What the kernel estimates it can give without swapping.
uint64_t ReadMemAvailable() {
  FILE* f = std::fopen("/proc/meminfo", "r");
  if (f == nullptr) return UINT64_MAX;
  char line[256];
  uint64_t result = UINT64_MAX;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    unsigned long long kb = 0;
    if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
      result = static_cast<uint64_t>(kb) * 1024;
      break;
    }
  }
  std::fclose(f);
  return result;
}

// Large pages: one fault and one clearing pass per 2 MiB instead of 512
// faults. Asked for only when the kernel has enough free blocks of that
// size: otherwise the first touch would stall while the kernel compacts
// memory, which costs far more than the small pages do.
constexpr size_t kLargePage = size_t{2} << 20;
constexpr int kLargePageOrder = 9;  // 2 MiB in 4 KiB pages, as a power of two

// Free 2 MiB blocks over all zones (/proc/buddyinfo counts free blocks
// per order; a block of a higher order holds several).
uint64_t FreeLargePages() {
  FILE* f = std::fopen("/proc/buddyinfo", "r");
  if (f == nullptr) return 0;
  char line[512];
  uint64_t blocks = 0;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    const char* p = std::strstr(line, "zone");
    if (p == nullptr) continue;
    p += 4;
    while (*p == ' ') ++p;
    while (*p != ' ' && *p != '\0') ++p;  // the zone's name
    char* end = nullptr;
    for (int order = 0;; ++order) {
      const unsigned long long n = std::strtoull(p, &end, 10);
      if (end == p) break;
      if (order >= kLargePageOrder && order < 40) blocks += n << (order - kLargePageOrder);
      p = end;
    }
  }
  std::fclose(f);
  return blocks;
}

// Planes of a few large pages or more take them when the kernel has them
// to spare; the tail beyond the last whole large page stays small pages,
// so the resident size does not grow. Null when the allocation fails.
void* AllocateLarge(size_t bytes) {
  const size_t whole = bytes / kLargePage * kLargePage;
  if (whole < 2 * kLargePage || FreeLargePages() < 2 * (whole / kLargePage)) return std::malloc(bytes);
  void* p = std::aligned_alloc(kLargePage, (bytes + kLargePage - 1) / kLargePage * kLargePage);
  if (p != nullptr) madvise(p, whole, MADV_HUGEPAGE);  // advice only: failure changes nothing
  return p;
}

// Room left for the program itself, libraries and the display.
constexpr uint64_t kReserveBytes = 64ull << 20;

}  // namespace

uint64_t AvailableMemoryBytes() {
  if (g_override >= 0) return static_cast<uint64_t>(g_override);
  return ReadMemAvailable();
}

void SetAvailableMemoryForTest(int64_t bytes) { g_override = bytes; }

bool MemoryFits(uint64_t bytes) {
  uint64_t avail = AvailableMemoryBytes();
  if (g_override < 0) {
    if (avail < kReserveBytes) return false;
    avail -= kReserveBytes;
  }
  // One request never takes more than four fifths of what is left, so the
  // undo copy made before the next operation, the display and the rest of
  // the system keep room, and the kernel never has to kill the program.
  return bytes <= avail / 5 * 4;
}

uint64_t ImageBytes(int64_t width, int64_t height, int bytes_per_pixel) {
  if (width <= 0 || height <= 0 || bytes_per_pixel <= 0) return 0;
  const uint64_t w = static_cast<uint64_t>(width);
  const uint64_t h = static_cast<uint64_t>(height);
  if (w > UINT64_MAX / h) return 0;
  const uint64_t px = w * h;
  if (px > UINT64_MAX / static_cast<uint64_t>(bytes_per_pixel)) return 0;
  return px * static_cast<uint64_t>(bytes_per_pixel);
}

Plane NewPlane(size_t count, bool zero) {
  if (count == 0 || count > SIZE_MAX / 2) return nullptr;
  if (!MemoryFits(static_cast<uint64_t>(count) * 2)) return nullptr;
  void* p = zero ? std::calloc(count, 2) : AllocateLarge(count * 2);
  return Plane(static_cast<uint16_t*>(p));
}

}  // namespace tavo
