// SPDX-License-Identifier: MIT
#include "core/memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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
  void* p = zero ? std::calloc(count, 2) : std::malloc(count * 2);
  return Plane(static_cast<uint16_t*>(p));
}

namespace {

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

// Planes below this (all three together) fill fast enough alone.
constexpr uint64_t kPrefaultMin = uint64_t{8} << 20;
constexpr size_t kPrefaultStep = size_t{256} << 10;

}  // namespace

PlanePrefault::PlanePrefault(const Image& image, bool filled_from_end) {
  const size_t bytes = image.PixelCount() * 2;
  if (bytes * 3 < kPrefaultMin || !image.r || !image.g || !image.b) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  uintptr_t first[3], last[3];  // whole pages inside each plane
  for (int c = 0; c < 3; ++c) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(image.Channel(c));
    first[c] = (start + page - 1) / page * page;
    last[c] = (start + bytes) / page * page;
    if (last[c] <= first[c]) return;
  }
  try {
    thread_ = std::thread([this, first, last, filled_from_end] {
      const size_t span = last[0] - first[0];
      for (size_t done = 0; done < span && !stop_.load(std::memory_order_relaxed); done += kPrefaultStep) {
        for (int c = 0; c < 3; ++c) {
          const size_t length = last[c] - first[c];
          if (done >= length) continue;
          const size_t step = std::min(kPrefaultStep, length - done);
          const uintptr_t at = filled_from_end ? last[c] - done - step : first[c] + done;
          // Mapping pages in writes nothing; a kernel without it says so once.
          if (madvise(reinterpret_cast<void*>(at), step, MADV_POPULATE_WRITE) != 0) return;
        }
      }
    });
  } catch (...) {
    // No thread to be had: the caller's own writes fault the pages in.
  }
}

PlanePrefault::~PlanePrefault() {
  stop_.store(true, std::memory_order_relaxed);
  if (thread_.joinable()) thread_.join();
}

}  // namespace tavo
