// SPDX-License-Identifier: MIT
// filters/bands.h - splitting the rows of an output among the threads.
#pragma once
#include <omp.h>

#include <cstdint>

namespace tavo {

// Marks a row function to be built twice, for AVX2 and for the baseline
// x86-64, the better one being chosen when the program loads. Both builds
// give the same samples: the arithmetic is integer or correctly rounded
// double lane by lane, and fused multiply-adds are off project-wide.
#define TAVO_AVX2_CLONES __attribute__((target_clones("avx2", "default")))

// Below this many output samples a thread team costs more than it saves.
constexpr int64_t kFilterParallelMin = 1 << 16;

// Calls band(first, last) once per thread with one contiguous band of the
// rows 0..rows - 1, so a thread can keep state (running sums, converted
// source rows) from one row to the next. Every output row must depend on
// the source alone: the result is then the same for any number of threads.
template <typename Band>
void ForEachBand(int rows, int64_t samples, Band band) {
#pragma omp parallel if (samples >= kFilterParallelMin)
  {
    const int64_t threads = omp_get_num_threads(), id = omp_get_thread_num();
    const int first = static_cast<int>(rows * id / threads);
    const int last = static_cast<int>(rows * (id + 1) / threads);
    if (first < last) band(first, last);
  }
}

// For filters that overwrite their rows in place while a row's result
// depends on the rows around it: each thread calls prepare(first, last)
// (also for an empty band, first >= last), which copies or digests the
// rows it will need from its neighbours' bands and returns the work for
// its own band; once every thread has prepared, each runs its work.
template <typename Prepare>
void ForEachBandInPlace(int rows, int64_t samples, Prepare prepare) {
#pragma omp parallel if (samples >= kFilterParallelMin)
  {
    const int64_t threads = omp_get_num_threads(), id = omp_get_thread_num();
    const int first = static_cast<int>(rows * id / threads);
    const int last = static_cast<int>(rows * (id + 1) / threads);
    auto work = prepare(first, last);
#pragma omp barrier
    work();
  }
}

}  // namespace tavo
