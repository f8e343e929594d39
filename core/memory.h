// SPDX-License-Identifier: MIT
// core/memory.h - checked plane allocation and the memory headroom check.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include "core/image.h"

namespace tavo {

// Bytes the system can still hand out (MemAvailable on Linux). Linux
// overcommits, so a plain allocation seldom fails up front; every plane
// allocation compares its size with this figure first.
uint64_t AvailableMemoryBytes();

// Tests pin the figure; a negative value returns to the real reading.
void SetAvailableMemoryForTest(int64_t bytes);

// True when `bytes` more can be taken: at most 80 % of what is available
// after a small reserve for the program itself (with a pinned test figure,
// 80 % of that figure).
bool MemoryFits(uint64_t bytes);

// width x height x `bytes_per_pixel`, or 0 when either side is not positive
// or the product overflows 64 bits.
uint64_t ImageBytes(int64_t width, int64_t height, int bytes_per_pixel);

// A plane of `count` samples, or null when the memory is not there.
// `zero` fills it with 0; otherwise the contents are undefined.
Plane NewPlane(size_t count, bool zero);

// Faults in the pages of large new planes on a second thread while the
// caller fills them, so the kernel's mapping and clearing of fresh pages
// (most of the time of reading a large file) runs on both cores. The
// caller fills from the planes' last row down when `filled_from_end`;
// the faulting starts at the same end and keeps ahead of the caller, the
// three planes in step (measured: a quarter faster than meeting the
// caller from the other end). Contents are never touched. Small
// planes and kernels without the facility get no thread.
class PlanePrefault {
 public:
  PlanePrefault(const Image& image, bool filled_from_end);
  PlanePrefault(const PlanePrefault&) = delete;
  PlanePrefault& operator=(const PlanePrefault&) = delete;
  ~PlanePrefault();  // stops and waits

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tavo
