// SPDX-License-Identifier: MIT
#include "stack/composite_combine.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "core/sample.h"
#include "core/slots.h"

namespace tavo {
namespace {

constexpr int64_t kOffsetLimit = int64_t{1} << 30;
// Below this many canvas pixels a thread team costs more than it saves.
constexpr int64_t kParallelMin = 1 << 16;

// An input's planes as the combine rules read them.
struct Source {
  const uint16_t* plane[3] = {};
  int width = 0, height = 0;
  int ox = 0, oy = 0;
  int64_t weight = 0;
};

Source MakeSource(const StackInput& in) {
  Source s;
  const Image& im = *in.image;
  const bool mono = im.monochrome == 1;
  s.plane[0] = im.r.get();
  s.plane[1] = mono ? im.r.get() : im.g.get();
  s.plane[2] = mono ? im.r.get() : im.b.get();
  s.width = im.width;
  s.height = im.height;
  s.ox = in.offset_x;
  s.oy = in.offset_y;
  s.weight = in.weight;
  return s;
}

// One canvas row of one input: which canvas columns it covers and where
// its samples are.
struct RowView {
  const uint16_t* p[3] = {};
  int ox = 0;
  int lo = 0, hi = 0;  // covered canvas columns [lo, hi)

  bool Covers(int x) const { return x >= lo && x < hi; }
  int At(int c, int x) const { return p[c][x - ox]; }
};

RowView ViewRow(const Source& s, int y, int canvas_width) {
  RowView v;
  const int64_t iy = static_cast<int64_t>(y) - s.oy;
  if (iy < 0 || iy >= s.height) return v;
  v.ox = s.ox;
  v.lo = static_cast<int>(std::max<int64_t>(0, s.ox));
  v.hi = static_cast<int>(std::min<int64_t>(canvas_width, static_cast<int64_t>(s.ox) + s.width));
  for (int c = 0; c < 3; ++c) v.p[c] = s.plane[c] + static_cast<size_t>(iy) * s.width;
  return v;
}

// At least one pixel from every edge of the input, so that all four (and
// all eight) neighbours exist.
bool StrictlyInside(const Source& s, int x, int y) {
  const int64_t ix = static_cast<int64_t>(x) - s.ox, iy = static_cast<int64_t>(y) - s.oy;
  return ix >= 1 && ix < s.width - 1 && iy >= 1 && iy < s.height - 1;
}

// raw <= 65535 and factor <= 16384, so the product fits 32 bits unsigned
// and the shift is the truncating division by 16384.
int Scaled(int raw, int factor) {
  return static_cast<int>((static_cast<uint32_t>(raw) * static_cast<uint32_t>(factor)) >> 14);
}

// Sum over the channels of |sample - mean of the four scaled neighbours|.
int Roughness(const Source& s, const int factor[3], int x, int y, const int sample[3]) {
  const size_t ix = static_cast<size_t>(x - s.ox), iy = static_cast<size_t>(y - s.oy);
  const size_t w = static_cast<size_t>(s.width);
  const size_t i = iy * w + ix;
  int rough = 0;
  for (int c = 0; c < 3; ++c) {
    const uint16_t* p = s.plane[c];
    const int f = factor[c];
    const int sum = Scaled(p[i - 1], f) + Scaled(p[i + 1], f) + Scaled(p[i - w], f) + Scaled(p[i + w], f);
    rough += std::abs(sample[c] - sum / 4);
  }
  return rough;
}

// Which of m covering inputs (by position among them) is the outlier.
int RejectedPosition(const int* s, int m) {
  if (m == 4) {
    if (s[0] > s[1] && s[0] > s[2] && s[0] > s[3]) return 0;
    if (s[1] > s[0] && s[1] > s[2] && s[1] > s[3]) return 1;
    if (s[2] > s[1] && s[2] > s[3]) return 2;
    return 3;
  }
  if (s[0] > s[1] && s[0] > s[2]) return 0;
  if (s[1] > s[0] && s[1] > s[2]) return 1;
  return 2;
}


// Exact num / den for the few denominators a pixel can have: the sums of
// the weights of each subset of inputs. A double estimate (num < 2^53) is
// off by at most one and corrected, so the result equals integer division.
struct SubsetDivider {
  int64_t den[1 << kStackMax] = {};
  double inverse[1 << kStackMax] = {};

  explicit SubsetDivider(const Source* src, int n) {
    for (int mask = 1; mask < (1 << n); ++mask) {
      for (int k = 0; k < n; ++k) {
        if (mask & (1 << k)) den[mask] += src[k].weight;
      }
      inverse[mask] = 1.0 / static_cast<double>(den[mask]);
    }
  }

  uint16_t Quotient(int64_t num, int mask) const {
    if (mask == 0) return 0;
    const int64_t d = den[mask];
    int64_t q = static_cast<int64_t>(static_cast<double>(num) * inverse[mask]);
    if (q * d > num) --q;
    if ((q + 1) * d <= num) ++q;
    return ClampSample(q);
  }
};

void AverageRow(const Source* src, int n, const int f[kStackMax][3], const NoiseControl& nc,
                const SubsetDivider& divide, int y, int cw, uint16_t* out[3]) {
  RowView rv[kStackMax];
  for (int k = 0; k < n; ++k) rv[k] = ViewRow(src[k], y, cw);
  for (int x = 0; x < cw; ++x) {
    int s[kStackMax][3] = {};
    bool cov[kStackMax] = {};
    for (int k = 0; k < n; ++k) {
      cov[k] = rv[k].Covers(x);
      if (!cov[k]) continue;
      for (int c = 0; c < 3; ++c) s[k][c] = Scaled(rv[k].At(c, x), f[k][c]);
    }
    int64_t num[3] = {};
    int mask[3] = {};
    if (n == 2) {
      if (nc.active && cov[0] && cov[1] && StrictlyInside(src[0], x, y) && StrictlyInside(src[1], x, y)) {
        bool differ = false;
        for (int c = 0; c < 3; ++c) differ |= std::abs(s[0][c] - s[1][c]) > nc.threshold;
        if (differ) {
          const int r0 = Roughness(src[0], f[0], x, y, s[0]);
          const int r1 = Roughness(src[1], f[1], x, y, s[1]);
          if (nc.move || r0 <= r1) {
            std::copy(s[0], s[0] + 3, s[1]);
          } else {
            std::copy(s[1], s[1] + 3, s[0]);
          }
        }
      }
      for (int k = 0; k < 2; ++k) {
        if (s[k][0] <= 0 && s[k][1] <= 0 && s[k][2] <= 0) continue;
        for (int c = 0; c < 3; ++c) {
          num[c] += s[k][c] * src[k].weight;
          mask[c] |= 1 << k;
        }
      }
    } else {
      bool left_out[kStackMax][3] = {};
      if (nc.active) {
        // Only inputs that hold the pixel are compared; a missing input is
        // not evidence against the ones that are there.
        int idx[kStackMax], m = 0;
        for (int k = 0; k < n; ++k) {
          if (cov[k]) idx[m++] = k;
        }
        if (m >= 3) {
          int total[3] = {};
          for (int a = 0; a < m; ++a) {
            for (int c = 0; c < 3; ++c) total[c] += s[idx[a]][c];
          }
          int d[kStackMax][3];
          bool over = false;
          for (int a = 0; a < m; ++a) {
            for (int c = 0; c < 3; ++c) {
              const int mine = s[idx[a]][c];
              const unsigned others = static_cast<unsigned>(total[c] - mine);  // never negative
              const int mean = static_cast<int>(m == 4 ? others / 3u : others / 2u);
              d[a][c] = std::abs(mine - mean);
              over |= d[a][c] > nc.threshold;
            }
          }
          if (over && nc.move) {
            for (int a = 1; a < m; ++a) left_out[idx[a]][0] = left_out[idx[a]][1] = left_out[idx[a]][2] = true;
          } else if (over) {
            int sum[kStackMax];
            for (int a = 0; a < m; ++a) sum[a] = d[a][0] + d[a][1] + d[a][2];
            const int r = RejectedPosition(sum, m);
            for (int c = 0; c < 3; ++c) left_out[idx[r]][c] = d[r][c] != 0;
          }
        }
      }
      for (int k = 0; k < n; ++k) {
        for (int c = 0; c < 3; ++c) {
          if (left_out[k][c] || s[k][c] < 1) continue;
          num[c] += s[k][c] * src[k].weight;
          mask[c] |= 1 << k;
        }
      }
    }
    for (int c = 0; c < 3; ++c) out[c][x] = divide.Quotient(num[c], mask[c]);
  }
}

// Runs `row(y, out)` for every canvas row; rows are independent.
template <typename RowFn>
void ForEachRow(Image& canvas, RowFn row) {
  const int h = canvas.height;
  const size_t w = static_cast<size_t>(canvas.width);
#pragma omp parallel for schedule(static) if (static_cast<int64_t>(w) * h >= kParallelMin)
  for (int y = 0; y < h; ++y) {
    uint16_t* out[3] = {canvas.r.get() + y * w, canvas.g.get() + y * w, canvas.b.get() + y * w};
    row(y, out);
  }
}

int LoadSources(const StackInput* inputs, int n, Source* src) {
  n = std::clamp(n, 0, kStackMax);
  for (int k = 0; k < n; ++k) src[k] = MakeSource(inputs[k]);
  return n;
}

// Largest minus smallest R + G + B over the 3 x 3 block around (x, y);
// the caller makes sure the block lies inside the input.
int LocalContrast(const Source& s, int x, int y) {
  const ptrdiff_t w = s.width;
  const ptrdiff_t centre = static_cast<ptrdiff_t>(y - s.oy) * w + (x - s.ox);
  int lo = 1 << 30, hi = -1;
  for (int j = -1; j <= 1; ++j) {
    for (int i = -1; i <= 1; ++i) {
      const ptrdiff_t at = centre + j * w + i;
      const int v = s.plane[0][at] + s.plane[1][at] + s.plane[2][at];
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  return hi - lo;
}

}  // namespace

void ComputeCanvas(StackInput* inputs, int n, int* width, int* height) {
  int64_t mx = 0, my = 0;
  for (int k = 0; k < n; ++k) {
    mx = std::min<int64_t>(mx, inputs[k].offset_x);
    my = std::min<int64_t>(my, inputs[k].offset_y);
  }
  int64_t w = 0, h = 0;
  for (int k = 0; k < n; ++k) {
    const int64_t ox = std::min<int64_t>(inputs[k].offset_x - mx, kOffsetLimit);
    const int64_t oy = std::min<int64_t>(inputs[k].offset_y - my, kOffsetLimit);
    inputs[k].offset_x = static_cast<int>(ox);
    inputs[k].offset_y = static_cast<int>(oy);
    w = std::max<int64_t>(w, ox + inputs[k].image->width);
    h = std::max<int64_t>(h, oy + inputs[k].image->height);
  }
  *width = static_cast<int>(std::min<int64_t>(w, kCanvasMax));
  *height = static_cast<int>(std::min<int64_t>(h, kCanvasMax));
}

void ApplyStackShift(StackInput* inputs, int n, int shift_x, int shift_y) {
  for (int k = 0; k < n; ++k) {
    const int64_t x = inputs[k].offset_x + static_cast<int64_t>(k) * shift_x;
    const int64_t y = inputs[k].offset_y + static_cast<int64_t>(k) * shift_y;
    inputs[k].offset_x = static_cast<int>(std::clamp(x, -kOffsetLimit, kOffsetLimit));
    inputs[k].offset_y = static_cast<int>(std::clamp(y, -kOffsetLimit, kOffsetLimit));
  }
}

NoiseControl DecodeNoiseControl(int noise) {
  NoiseControl nc;
  if (noise < 0) return nc;
  nc.active = true;
  nc.move = noise >= 256;
  nc.threshold = 256 * std::clamp(nc.move ? noise - 256 : noise, 0, 255);
  return nc;
}

void NormalisationFactors(const StackInput* inputs, int n, bool normalise, int factors[kStackMax][3]) {
  for (int k = 0; k < kStackMax; ++k) factors[k][0] = factors[k][1] = factors[k][2] = kUnityFactor;
  Source src[kStackMax];
  n = LoadSources(inputs, n, src);
  if (!normalise || n < 1) return;
  int64_t left = INT64_MIN, top = INT64_MIN, right = INT64_MAX, bottom = INT64_MAX;
  for (int k = 0; k < n; ++k) {
    left = std::max<int64_t>(left, src[k].ox);
    top = std::max<int64_t>(top, src[k].oy);
    right = std::min<int64_t>(right, static_cast<int64_t>(src[k].ox) + src[k].width);
    bottom = std::min<int64_t>(bottom, static_cast<int64_t>(src[k].oy) + src[k].height);
  }
  if (left >= right || top >= bottom) return;
  const int64_t step_x = std::max<int64_t>(1, right / 128 + 1);
  const int64_t step_y = std::max<int64_t>(1, bottom / 128 + 1);
  int64_t sums[kStackMax][3] = {};
  int64_t count = 0;
  for (int64_t y = top; y < bottom; y += step_y) {
    for (int64_t x = left; x < right; x += step_x) {
      ++count;
      for (int k = 0; k < n; ++k) {
        const size_t i = static_cast<size_t>(y - src[k].oy) * src[k].width + static_cast<size_t>(x - src[k].ox);
        for (int c = 0; c < 3; ++c) sums[k][c] += src[k].plane[c][i];
      }
    }
  }
  int64_t mean[kStackMax][3], low[3] = {INT64_MAX, INT64_MAX, INT64_MAX};
  for (int k = 0; k < n; ++k) {
    for (int c = 0; c < 3; ++c) {
      mean[k][c] = sums[k][c] / count;
      low[c] = std::min(low[c], mean[k][c]);
    }
  }
  if (low[0] == 0 || low[1] == 0 || low[2] == 0) return;
  for (int k = 0; k < n; ++k) {
    for (int c = 0; c < 3; ++c) factors[k][c] = static_cast<int>(low[c] * kUnityFactor / mean[k][c]);
  }
}

void CombineAverage(const StackInput* inputs, int n, int noise, bool normalise, Image& canvas) {
  Source src[kStackMax];
  n = LoadSources(inputs, n, src);
  int f[kStackMax][3];
  NormalisationFactors(inputs, n, normalise, f);
  const NoiseControl nc = DecodeNoiseControl(noise);
  const int cw = canvas.width;
  const SubsetDivider divide(src, n);
  ForEachRow(canvas, [&](int y, uint16_t* out[3]) { AverageRow(src, n, f, nc, divide, y, cw, out); });
}

void CombineAdd(const StackInput* inputs, int n, Image& canvas) {
  Source src[kStackMax];
  n = LoadSources(inputs, n, src);
  const int cw = canvas.width;
  ForEachRow(canvas, [&](int y, uint16_t* out[3]) {
    RowView rv[kStackMax];
    for (int k = 0; k < n; ++k) rv[k] = ViewRow(src[k], y, cw);
    for (int x = 0; x < cw; ++x) {
      int64_t sum[3] = {};
      for (int k = 0; k < n; ++k) {
        if (!rv[k].Covers(x)) continue;
        for (int c = 0; c < 3; ++c) sum[c] += rv[k].At(c, x) * src[k].weight;
      }
      for (int c = 0; c < 3; ++c) out[c][x] = ClampSample(sum[c] / 100);
    }
  });
}

void CombineMax(const StackInput* inputs, int n, Image& canvas) {
  Source src[kStackMax];
  n = LoadSources(inputs, n, src);
  const int cw = canvas.width;
  ForEachRow(canvas, [&](int y, uint16_t* out[3]) {
    RowView rv[kStackMax];
    for (int k = 0; k < n; ++k) rv[k] = ViewRow(src[k], y, cw);
    for (int x = 0; x < cw; ++x) {
      int best[3] = {};
      for (int k = 0; k < n; ++k) {
        if (!rv[k].Covers(x)) continue;
        for (int c = 0; c < 3; ++c) best[c] = std::max(best[c], rv[k].At(c, x));
      }
      for (int c = 0; c < 3; ++c) out[c][x] = static_cast<uint16_t>(best[c]);
    }
  });
}

void CombineMin(const StackInput* inputs, int n, Image& canvas) {
  Source src[kStackMax];
  n = LoadSources(inputs, n, src);
  const int cw = canvas.width;
  ForEachRow(canvas, [&](int y, uint16_t* out[3]) {
    RowView rv[kStackMax];
    for (int k = 0; k < n; ++k) rv[k] = ViewRow(src[k], y, cw);
    for (int x = 0; x < cw; ++x) {
      int least[3] = {0, 0, 0};
      for (int k = 0; k < n; ++k) {
        if (!rv[k].Covers(x)) continue;
        for (int c = 0; c < 3; ++c) {
          const int v = rv[k].At(c, x);
          if (v != 0 && (least[c] == 0 || v < least[c])) least[c] = v;
        }
      }
      for (int c = 0; c < 3; ++c) out[c][x] = static_cast<uint16_t>(least[c]);
    }
  });
}

void CombineContrastMax(const StackInput* inputs, int n, Image& canvas) {
  Source src[kStackMax];
  n = LoadSources(inputs, n, src);
  constexpr int kOut = -513;  // contrast of an input that does not take part
  int weight[kStackMax] = {1, 1, 1, 1};
  const int cw = canvas.width, ch = canvas.height;
  for (int y = 0; y < ch; ++y) {
    const size_t row = static_cast<size_t>(y) * cw;
    for (int x = 0; x < cw; ++x) {
      int contrast[kStackMax];
      for (int k = 0; k < n; ++k) contrast[k] = StrictlyInside(src[k], x, y) ? LocalContrast(src[k], x, y) : kOut;
      for (int k = 0; k < n; ++k) {
        if (contrast[k] < 0) continue;
        bool wins = true;
        for (int j = 0; j < n; ++j) {
          if (j != k && contrast[k] < contrast[j] + 513) wins = false;
        }
        if (!wins) continue;
        for (int j = 0; j < n; ++j) weight[j] += j == k ? 1 : -1;
        break;
      }
      for (int j = 0; j < kStackMax; ++j) weight[j] = std::clamp(weight[j], 2, 10);
      int64_t num[3] = {}, den = 0;
      for (int k = 0; k < n; ++k) {
        if (contrast[k] < 0) continue;
        const size_t i = static_cast<size_t>(y - src[k].oy) * src[k].width + static_cast<size_t>(x - src[k].ox);
        for (int c = 0; c < 3; ++c) num[c] += static_cast<int64_t>(weight[k]) * src[k].plane[c][i];
        den += weight[k];
      }
      canvas.r[row + x] = den > 0 ? ClampSample(num[0] / den) : 0;
      canvas.g[row + x] = den > 0 ? ClampSample(num[1] / den) : 0;
      canvas.b[row + x] = den > 0 ? ClampSample(num[2] / den) : 0;
    }
  }
}

bool CombineStack(const StackInput* inputs, int n, int width, int height, int mode, int noise,
                  bool normalise, Image& out) {
  if (n < 2 || n > kStackMax || width <= 0 || height <= 0) return false;
  if (mode < kCombineAverage || mode > kCombineContrastMax) return false;
  for (int k = 0; k < n; ++k) {
    const Image* im = inputs[k].image;
    if (im == nullptr || im->Empty() || !im->r || (im->monochrome != 1 && (!im->g || !im->b))) return false;
  }
  Image canvas;
  if (!AllocateImagePlanes(canvas, width, height, false)) return false;
  switch (mode) {
    case kCombineAverage: CombineAverage(inputs, n, noise, normalise, canvas); break;
    case kCombineAdd: CombineAdd(inputs, n, canvas); break;
    case kCombineMax: CombineMax(inputs, n, canvas); break;
    case kCombineMin: CombineMin(inputs, n, canvas); break;
    default: CombineContrastMax(inputs, n, canvas); break;
  }
  AdoptPlanes(out, canvas);
  out.monochrome = 0;
  return true;
}

}  // namespace tavo
