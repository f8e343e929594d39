// SPDX-License-Identifier: MIT
#include "restore/wavelet_enlarge.h"

#include <omp.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/memory.h"
#include "restore/to_sample.h"
#include "restore/wavelet.h"

namespace tavo {
namespace {

// Daubechies scaling filters of orders 1..10, times sqrt(2), from a 80-digit
// spectral factorisation (minimum phase, the published order of taps:
// order 2 is (1 + sqrt 3, 3 + sqrt 3, 3 - sqrt 3, 1 - sqrt 3) / 4), rounded
// to the nearest double.
constexpr double kLowPass[10][20] = {
    {1, 1},
    {0.6830127018922193, 1.1830127018922194, 0.3169872981077807, -0.18301270189221933},
    {0.47046720778416368, 1.1411169158314436, 0.65036500052623258, -0.19093441556832735, -0.12083220831039621, 0.049817499736883736},
    {0.32580342805129836, 1.0109457150918288, 0.89220013824675959, -0.039575026235644642, -0.26450716736903973, 0.04361630047417725, 0.046503601070981768, -0.014986989330361472},
    {0.22641898258355836, 0.85394354270502837, 1.0243269442591971, 0.19576696134780935, -0.34265671538293491, -0.045601131883547301, 0.10970265864213365, -0.0088268001083582539, -0.017791870101954193, 0.0047174279390678718},
    {0.15774243200290142, 0.69950381407523565, 1.0622637598817379, 0.44583132293003552, -0.31998659889212278, -0.18351806406029514, 0.13788809297474461, 0.038923209708329326, -0.044663748330189067, 0.00078325115229715579, 0.0067560623629278754, -0.0015235338056025065},
    {0.1100994307456237, 0.56079128362552511, 1.0311484916361973, 0.66437248221107936, -0.20351382246269248, -0.31683501128066566, 0.10084646500938817, 0.11400344515974316, -0.053782452589690881, -0.023439941564206576, 0.017749792379361529, 0.00060751499540213872, -0.002547904718187373, 0.00050022685312249061},
    {0.076955622108152474, 0.44246724715224983, 0.95548615042774743, 0.82781653242239184, -0.022385735333760436, -0.40165863278097808, 0.00066819409244023753, 0.18207635684731549, -0.024563901045696817, -0.062350206650278857, 0.019772159296701518, 0.012368844819631845, -0.0068877192568836182, -0.00055400454895877869, 0.00095522971129925228, -0.00016613726137322538},
    {0.053850349589325601, 0.34483430381395591, 0.85534906435941516, 0.92954571436629463, 0.18836954950636756, -0.41475176180187701, -0.1369535490247662, 0.21006834227901239, 0.043452675461229086, -0.095647264120194059, 0.00035489281323303781, 0.031624165852511724, -0.0066796202262771548, -0.0060549605750901316, 0.0026129672804944912, 0.00032581467135218441, -0.00035632975902155536, 5.5645514034309713e-05},
    {0.037717157592241375, 0.26612218279384181, 0.74557507148646673, 0.97362811073363986, 0.39763774176901739, -0.35333620179411263, -0.27710987872096632, 0.18012744853339333, 0.13160298710107002, -0.10096657119677943, -0.041659248087601616, 0.046969814097397124, 0.0051004369678144777, -0.015179002335856499, 0.0019733253649632052, 0.0028176865901946764, -0.00096994783985641095, -0.00016470900609077795, 0.00013235436685110676, -1.8758415627500409e-05},
};

constexpr int kStrip = 16;  // columns filtered together, one row of them at a time
constexpr int64_t kParallelMin = 1 << 14;

struct Filter {
  int taps = 0;
  double h[20] = {}, g[20] = {};    // synthesis
  double ah[20] = {}, ag[20] = {};  // analysis: halves
};

Filter MakeFilter(int order) {
  Filter f;
  f.taps = 2 * order;
  const double* h = DaubechiesLowPass(order);
  for (int k = 0; k < f.taps; ++k) {
    f.h[k] = h[k];
    f.g[k] = (k % 2 == 0 ? 1.0 : -1.0) * h[f.taps - 1 - k];
    f.ah[k] = f.h[k] / 2;
    f.ag[k] = f.g[k] / 2;
  }
  return f;
}

// One analysis step of a line of n values (n even), periodic: lows into the
// first half, highs into the second.
void AnalyseLine(double* line, int n, const Filter& f, double* tmp) {
  std::memcpy(tmp, line, sizeof(double) * n);
  const int half = n / 2;
  for (int i = 0; i < half; ++i) {
    double lo = 0.0, hi = 0.0;
    for (int k = 0; k < f.taps; ++k) {
      const double v = tmp[(2 * i + k) % n];
      lo += f.ah[k] * v;
      hi += f.ag[k] * v;
    }
    line[i] = lo;
    line[half + i] = hi;
  }
}

// The same on columns x0..x0 + sw - 1 of n rows, one row of the strip at a
// time; every value is summed in the same order as by AnalyseLine.
void AnalyseStrip(double* buf, size_t stride, int x0, int sw, int n, const Filter& f, double* tmp) {
  for (int y = 0; y < n; ++y) std::memcpy(tmp + static_cast<size_t>(y) * kStrip, buf + y * stride + x0, sizeof(double) * sw);
  const int half = n / 2;
  for (int i = 0; i < half; ++i) {
    double lo[kStrip] = {}, hi[kStrip] = {};
    for (int k = 0; k < f.taps; ++k) {
      const double* src = tmp + static_cast<size_t>((2 * i + k) % n) * kStrip;
      for (int t = 0; t < sw; ++t) {
        lo[t] += f.ah[k] * src[t];
        hi[t] += f.ag[k] * src[t];
      }
    }
    std::memcpy(buf + i * stride + x0, lo, sizeof(double) * sw);
    std::memcpy(buf + (half + i) * stride + x0, hi, sizeof(double) * sw);
  }
}

// out[m] = sum over k of h[k] lowUp[(m - k) mod n] + g[k] highUp[(m - k) mod
// n], the up-sampled halves being zero at odd positions, so only taps of the
// parity of m count. Without details the high half is known to be zero.
// Only the first `count` outputs are formed.
void SynthesiseLine(double* line, int n, int count, bool details, const Filter& f, double* tmp) {
  std::memcpy(tmp, line, sizeof(double) * (details ? n : n / 2));
  const int half = n / 2;
  for (int m = 0; m < count; ++m) {
    double s = 0.0;
    for (int k = m % 2; k < f.taps; k += 2) {
      const int j = ((m - k) % n + n) % n / 2;
      s += details ? f.h[k] * tmp[j] + f.g[k] * tmp[half + j] : f.h[k] * tmp[j];
    }
    line[m] = s;
  }
}

void SynthesiseStrip(double* buf, size_t stride, int x0, int sw, int n, int count, bool details, const Filter& f,
                     double* tmp) {
  const int half = n / 2;
  for (int y = 0; y < (details ? n : half); ++y) {
    std::memcpy(tmp + static_cast<size_t>(y) * kStrip, buf + y * stride + x0, sizeof(double) * sw);
  }
  for (int m = 0; m < count; ++m) {
    double s[kStrip] = {};
    for (int k = m % 2; k < f.taps; k += 2) {
      const int j = ((m - k) % n + n) % n / 2;
      const double* lo = tmp + static_cast<size_t>(j) * kStrip;
      const double* hi = tmp + static_cast<size_t>(half + j) * kStrip;
      if (details) {
        for (int t = 0; t < sw; ++t) s[t] += f.h[k] * lo[t] + f.g[k] * hi[t];
      } else {
        for (int t = 0; t < sw; ++t) s[t] += f.h[k] * lo[t];
      }
    }
    std::memcpy(buf + m * stride + x0, s, sizeof(double) * sw);
  }
}

// Smallest b with v < 2^b x base.
int BandOf(int v, int base) {
  int b = 0;
  while (v >= (base << b)) ++b;
  return b;
}

int RoundUp(int v, int multiple) { return (v + multiple - 1) / multiple * multiple; }

size_t LineDoubles(int wp, int hp) { return std::max<size_t>(2 * static_cast<size_t>(wp), kStrip * 2 * static_cast<size_t>(hp)); }

struct Work {
  int levels, wp, hp, threads;
  size_t stride;  // 2Wp
  double* area;   // 2Wp x 2Hp
  double* lines;  // per thread
  size_t line_doubles;
};

// One plane through analysis, gains and synthesis into `out` (2W x 2H).
void EnlargePlane(const uint16_t* plane, int width, int height, const Filter& f, const double g[6], const Work& w,
                  uint16_t* out) {
  const size_t stride = w.stride;
  double* a = w.area;
  const bool parallel = static_cast<int64_t>(w.wp) * w.hp >= kParallelMin;
  // The area outside the top-left quarter holds the zero details of the
  // last synthesis step.
#pragma omp parallel for schedule(static) num_threads(w.threads) if (parallel)
  for (int y = 0; y < 2 * w.hp; ++y) {
    double* row = a + y * stride;
    if (y >= w.hp) {
      std::fill(row, row + stride, 0.0);
      continue;
    }
    const uint16_t* src = plane + static_cast<size_t>(std::min(y, height - 1)) * width;
    for (int x = 0; x < w.wp; ++x) row[x] = src[std::min(x, width - 1)] - 32768.0;
    std::fill(row + w.wp, row + stride, 0.0);
  }
  int aw = w.wp, ah = w.hp;
  for (int step = 0; step < w.levels; ++step, aw /= 2, ah /= 2) {
#pragma omp parallel for schedule(static) num_threads(w.threads) if (parallel)
    for (int y = 0; y < ah; ++y) AnalyseLine(a + y * stride, aw, f, w.lines + omp_get_thread_num() * w.line_doubles);
#pragma omp parallel for schedule(static) num_threads(w.threads) if (parallel)
    for (int x0 = 0; x0 < aw; x0 += kStrip) {
      AnalyseStrip(a, stride, x0, std::min(kStrip, aw - x0), ah, f, w.lines + omp_get_thread_num() * w.line_doubles);
    }
  }
  if (w.levels > 0) {
    // Band b of the Wp x Hp area (0 the coarse band) takes gain b + 5 - L.
#pragma omp parallel for schedule(static) num_threads(w.threads) if (parallel)
    for (int y = 0; y < w.hp; ++y) {
      const int by = BandOf(y, ah);
      double* row = a + y * stride;
      for (int x = 0; x < w.wp; ++x) row[x] *= g[std::max(by, BandOf(x, aw)) + 5 - w.levels];
    }
  }
  for (int step = 1; step <= w.levels + 1; ++step) {
    aw *= 2;
    ah *= 2;
    const bool details = step <= w.levels;
    const int columns = details ? aw : aw / 2;  // the rest is zero and stays zero
    const int rows = details ? ah : 2 * height;
#pragma omp parallel for schedule(static) num_threads(w.threads) if (parallel)
    for (int x0 = 0; x0 < columns; x0 += kStrip) {
      SynthesiseStrip(a, stride, x0, std::min(kStrip, columns - x0), ah, rows, details, f,
                      w.lines + omp_get_thread_num() * w.line_doubles);
    }
    const int count = details ? aw : 2 * width;
#pragma omp parallel for schedule(static) num_threads(w.threads) if (parallel)
    for (int y = 0; y < rows; ++y) {
      SynthesiseLine(a + y * stride, aw, count, details, f, w.lines + omp_get_thread_num() * w.line_doubles);
    }
  }
  const int ow = 2 * width;
#pragma omp parallel for schedule(static) num_threads(w.threads) if (parallel)
  for (int y = 0; y < 2 * height; ++y) {
    double* row = a + y * stride;
    for (int x = 0; x < ow; ++x) row[x] += 32768.0;
    StoreSamples(row, ow, out + static_cast<size_t>(y) * ow);
  }
}

}  // namespace

const double* DaubechiesLowPass(int order) { return kLowPass[std::clamp(order, 1, 10) - 1]; }

int WaveletEnlargeLevels(const double g[6]) {
  for (int k = 4; k >= 0; --k) {
    if (g[5 - k] != 1.0) return k + 1;
  }
  return 0;
}

uint64_t WaveletEnlargeBytes(int width, int height, int levels, int threads) {
  if (width <= 0 || height <= 0) return 0;
  const int wp = RoundUp(width, 1 << levels), hp = RoundUp(height, 1 << levels);
  const uint64_t doubles = 4ull * wp * hp + static_cast<uint64_t>(threads) * LineDoubles(wp, hp);
  return doubles * sizeof(double) + 3 * ImageBytes(2ll * width, 2ll * height, 2);
}

OpStatus WaveletEnlargeImage(Image& image, int order, const double g[6], Progress* progress) {
  const int width = image.width, height = image.height;
  Work w;
  w.levels = WaveletEnlargeLevels(g);
  w.wp = RoundUp(width, 1 << w.levels);
  w.hp = RoundUp(height, 1 << w.levels);
  w.threads = std::max(1, omp_get_max_threads());
  w.stride = 2 * static_cast<size_t>(w.wp);
  w.line_doubles = LineDoubles(w.wp, w.hp);
  if (!MemoryFits(WaveletEnlargeBytes(width, height, w.levels, w.threads))) return kOpNoMemory;
  const size_t area = 4 * static_cast<size_t>(w.wp) * w.hp;
  std::unique_ptr<double[]> buf(new (std::nothrow) double[area + w.threads * w.line_doubles]);
  if (!buf) return kOpNoMemory;
  w.area = buf.get();
  w.lines = buf.get() + area;
  const size_t count = 4 * static_cast<size_t>(width) * height;
  Plane out[3];
  for (Plane& p : out) {
    p = NewPlane(count, false);
    if (!p) return kOpNoMemory;
  }
  const Filter f = MakeFilter(order);
  const int planes = image.monochrome == 1 ? 1 : 3;
  for (int c = 0; c < planes; ++c) {
    if (!ReportProgress(progress, static_cast<double>(c) / planes, kProgressWavelet)) return kOpCancelled;
    EnlargePlane(image.Channel(c), width, height, f, g, w, out[c].get());
  }
  // G and B of a monochrome image are stale; they still need the new size.
  for (int c = planes; c < 3; ++c) std::memcpy(out[c].get(), out[0].get(), count * 2);
  image.r = std::move(out[0]);
  image.g = std::move(out[1]);
  image.b = std::move(out[2]);
  image.width = 2 * width;
  image.height = 2 * height;
  return kOpMade;
}

}  // namespace tavo
