// SPDX-License-Identifier: MIT
#include "stack/deep/stars.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "stack/deep/float_frame.h"

namespace tavo {
namespace {

constexpr int kCell = 64;
constexpr int kBorder = 8;     // peaks this close to an edge are not used
constexpr int kRowChunk = 64;  // rows per detection chunk; fixed, so the merge order is too
constexpr double kSigmaToFwhm = 2.3548200450309493;  // 2 sqrt(2 ln 2)

// The background as cell medians, interpolated between cell centres.
struct BackgroundMap {
  int cells_x = 0, cells_y = 0;
  std::vector<float> cells;
  std::vector<int> x0;        // per column: left cell and weight of the right one
  std::vector<float> fx;

  float Cell(int i, int j) const { return cells[static_cast<size_t>(j) * cells_x + i]; }
};

// Cell centre positions are 32, 96, ... (the last cell may be narrower).
double CellCentre(int i, int size) { return std::min(i * kCell + kCell / 2.0, (i * kCell + size) / 2.0) - 0.5; }

void Locate(double p, int cells, int size, int* i0, float* f) {
  const double first = CellCentre(0, size), last = CellCentre(cells - 1, size);
  if (cells == 1 || p <= first) {
    *i0 = 0;
    *f = 0;
    return;
  }
  if (p >= last) {
    *i0 = cells - 2;
    *f = 1;
    return;
  }
  int i = static_cast<int>((p + 0.5 - kCell / 2.0) / kCell);
  i = std::clamp(i, 0, cells - 2);
  while (i < cells - 2 && CellCentre(i + 1, size) <= p) ++i;
  *i0 = i;
  *f = static_cast<float>((p - CellCentre(i, size)) / (CellCentre(i + 1, size) - CellCentre(i, size)));
}

BackgroundMap MakeBackground(const float* lum, int w, int h) {
  BackgroundMap map;
  map.cells_x = (w + kCell - 1) / kCell;
  map.cells_y = (h + kCell - 1) / kCell;
  std::vector<float> raw(static_cast<size_t>(map.cells_x) * map.cells_y);
  const int count = map.cells_x * map.cells_y;
#pragma omp parallel for schedule(dynamic, 16)
  for (int k = 0; k < count; ++k) {
    const int i = k % map.cells_x, j = k / map.cells_x;
    std::vector<float> v;
    v.reserve(kCell * kCell / 9 + kCell);
    for (int y = j * kCell; y < std::min(h, (j + 1) * kCell); y += 3) {
      for (int x = i * kCell; x < std::min(w, (i + 1) * kCell); x += 3) {
        const float s = lum[static_cast<size_t>(y) * w + x];
        if (std::isfinite(s)) v.push_back(s);
      }
    }
    raw[k] = v.empty() ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(MedianOf(v));
  }
  // A cell on a bright galaxy or star cluster reads high; the median of the
  // cells around it brings it back to the sky.
  map.cells.resize(raw.size());
  for (int j = 0; j < map.cells_y; ++j) {
    for (int i = 0; i < map.cells_x; ++i) {
      std::vector<float> v;
      for (int b = std::max(0, j - 1); b <= std::min(map.cells_y - 1, j + 1); ++b) {
        for (int a = std::max(0, i - 1); a <= std::min(map.cells_x - 1, i + 1); ++a) {
          const float s = raw[static_cast<size_t>(b) * map.cells_x + a];
          if (std::isfinite(s)) v.push_back(s);
        }
      }
      map.cells[static_cast<size_t>(j) * map.cells_x + i] = v.empty() ? 0.0f : static_cast<float>(MedianOf(v));
    }
  }
  map.x0.resize(w);
  map.fx.resize(w);
  for (int x = 0; x < w; ++x) Locate(x, map.cells_x, w, &map.x0[x], &map.fx[x]);
  return map;
}

void BackgroundRow(const BackgroundMap& map, int y, int h, float* out) {
  int j0;
  float fy;
  Locate(y, map.cells_y, h, &j0, &fy);
  const int j1 = std::min(j0 + 1, map.cells_y - 1);
  const int w = static_cast<int>(map.x0.size());
  for (int x = 0; x < w; ++x) {
    const int i0 = map.x0[x], i1 = std::min(i0 + 1, map.cells_x - 1);
    const float f = map.fx[x];
    const float top = map.Cell(i0, j0) * (1 - f) + map.Cell(i1, j0) * f;
    const float bottom = map.Cell(i0, j1) * (1 - f) + map.Cell(i1, j1) * f;
    out[x] = top * (1 - fy) + bottom * fy;
  }
}

struct Candidate {
  int x, y;
  float height;  // above the background
};

bool IsPeak(const float* lum, int w, int x, int y) {
  const float* row = lum + static_cast<size_t>(y) * w + x;
  const float v = row[0];
  const float* below = row - w;
  const float* above = row + w;
  // Earlier neighbours (row order) must be strictly lower, later ones not
  // higher: a flat top yields its first pixel only. NaN fails every test.
  return v > below[-1] && v > below[0] && v > below[1] && v > row[-1] && v >= row[1] && v >= above[-1] &&
         v >= above[0] && v >= above[1];
}

bool Saturated(const Image* source, int x, int y, int limit) {
  if (source == nullptr) return false;
  for (int c = 0; c < 3; ++c) {
    const uint16_t* p = source->Channel(c);
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (p[static_cast<size_t>(y + dy) * source->width + x + dx] >= limit) return true;
      }
    }
  }
  return false;
}

// Gaussian-windowed moments around the peak. With a Gaussian star of
// covariance S and a round window of variance v, the weighted distribution
// is Gaussian with covariance P = (S^-1 + I/v)^-1; so S = (P^-1 - I/v)^-1
// and the star's centre lies (1 + s/v) times the weighted offset away,
// s being the star's variance. Iterating with v = s converges on the star.
bool MeasureOne(const float* lum, int w, int h, const Candidate& c, float background, const StarParams& params,
                Star* star) {
  double cx = c.x, cy = c.y, s = 1.5 * 1.5;  // window variance
  double pxx = 0, pyy = 0, pxy = 0, sum = 0;
  for (int pass = 0; pass < 20; ++pass) {
    const int reach = std::clamp(static_cast<int>(std::ceil(3.5 * std::sqrt(s))), 2, 15);
    const int xc = static_cast<int>(std::lround(cx)), yc = static_cast<int>(std::lround(cy));
    double s0 = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int y = std::max(0, yc - reach); y <= std::min(h - 1, yc + reach); ++y) {
      const float* row = lum + static_cast<size_t>(y) * w;
      const double dy = y - cy;
      for (int x = std::max(0, xc - reach); x <= std::min(w - 1, xc + reach); ++x) {
        const double dx = x - cx, r2 = dx * dx + dy * dy;
        if (r2 > reach * reach) continue;
        const double d = row[x] - background;
        if (!std::isfinite(d)) return false;
        const double wv = d * std::exp(-r2 / (2.0 * s));
        s0 += wv;
        sx += wv * dx;
        sy += wv * dy;
        sxx += wv * dx * dx;
        syy += wv * dy * dy;
        sxy += wv * dx * dy;
      }
    }
    if (!(s0 > 0)) return false;
    const double mx = sx / s0, my = sy / s0;
    pxx = sxx / s0 - mx * mx;
    pyy = syy / s0 - my * my;
    pxy = sxy / s0 - mx * my;
    sum = s0;
    const double p = (pxx + pyy) / 2;
    if (!(p > 0) || p >= 0.95 * s) {
      // The window is narrower than anything the data support: widen it.
      if (s > 100) return false;
      s *= 2;
      continue;
    }
    const double star_var = p * s / (s - p);
    const double gain = 1.0 + star_var / s;
    cx += gain * mx;
    cy += gain * my;
    if (std::fabs(cx - c.x) > 3 || std::fabs(cy - c.y) > 3) return false;
    const double moved = std::hypot(gain * mx, gain * my);
    const double before = s;
    s = std::clamp(star_var, 0.04, 100.0);
    if (moved < 1e-4 && std::fabs(s - before) < 1e-4 * before) break;
  }
  // Star covariance from the last windowed one (window variance s).
  const double det = pxx * pyy - pxy * pxy;
  if (!(det > 0)) return false;
  const double ixx = pyy / det - 1 / s, iyy = pxx / det - 1 / s, ixy = -pxy / det;
  const double idet = ixx * iyy - ixy * ixy;
  if (!(ixx > 0) || !(idet > 0)) return false;
  const double cxx = iyy / idet, cyy = ixx / idet, cxy = -ixy / idet;
  const double half = (cxx + cyy) / 2, diff = std::sqrt(((cxx - cyy) / 2) * ((cxx - cyy) / 2) + cxy * cxy);
  const double major = half + diff, minor = half - diff;
  if (!(minor > 0)) return false;
  star->x = cx;
  star->y = cy;
  star->flux = 2 * sum;
  star->fwhm = kSigmaToFwhm * std::sqrt(half);
  star->roundness = std::sqrt(minor / major);
  return star->fwhm >= params.min_fwhm && star->roundness >= params.min_roundness;
}

}  // namespace

void MeasureStars(const float* lum, int w, int h, const StarParams& params, const Image* source, FrameMeasure* out) {
  *out = FrameMeasure();
  if (w < 2 * kBorder + 1 || h < 2 * kBorder + 1) return;
  const BackgroundMap map = MakeBackground(lum, w, h);
  {
    std::vector<float> v(map.cells);
    out->background = MedianOf(v);
  }
  // Noise from the residuals on a sampling grid.
  const int step = SampleStep(w, h);
  std::vector<float> residuals;
  std::vector<float> bg_row(w);
  for (int y = step / 2; y < h; y += step) {
    BackgroundRow(map, y, h, bg_row.data());
    const float* row = lum + static_cast<size_t>(y) * w;
    for (int x = step / 2; x < w; x += step) {
      if (std::isfinite(row[x])) residuals.push_back(std::fabs(row[x] - bg_row[x]));
    }
  }
  out->noise = 1.4826 * MedianOf(residuals);
  const float threshold = static_cast<float>(std::max(params.detect_sigma * out->noise, 1.0));

  const int first = kBorder, last = h - kBorder;  // rows first..last-1
  const int chunks = (last - first + kRowChunk - 1) / kRowChunk;
  std::vector<std::vector<Candidate>> found(chunks);
#pragma omp parallel for schedule(dynamic)
  for (int k = 0; k < chunks; ++k) {
    std::vector<float> bg(w);
    for (int y = first + k * kRowChunk; y < std::min(last, first + (k + 1) * kRowChunk); ++y) {
      BackgroundRow(map, y, h, bg.data());
      const float* row = lum + static_cast<size_t>(y) * w;
      for (int x = kBorder; x < w - kBorder; ++x) {
        const float height = row[x] - bg[x];
        if (height > threshold && IsPeak(lum, w, x, y)) found[k].push_back({x, y, height});
      }
    }
  }
  std::vector<Candidate> candidates;
  for (const auto& part : found) candidates.insert(candidates.end(), part.begin(), part.end());
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.height > b.height; });
  if (candidates.size() > static_cast<size_t>(params.max_stars) * 5) candidates.resize(static_cast<size_t>(params.max_stars) * 5);

  const int n = static_cast<int>(candidates.size());
  std::vector<Star> measured(n);
  std::vector<char> good(n, 0);
#pragma omp parallel for schedule(dynamic, 8)
  for (int k = 0; k < n; ++k) {
    const Candidate& c = candidates[k];
    if (Saturated(source, c.x, c.y, params.saturated_sample)) continue;
    const float background = lum[static_cast<size_t>(c.y) * w + c.x] - c.height;
    good[k] = MeasureOne(lum, w, h, c, background, params, &measured[k]) ? 1 : 0;
  }
  std::vector<Star> stars;
  for (int k = 0; k < n; ++k) {
    if (good[k]) stars.push_back(measured[k]);
  }
  std::stable_sort(stars.begin(), stars.end(), [](const Star& a, const Star& b) { return a.flux > b.flux; });
  for (const Star& s : stars) {
    if (static_cast<int>(out->stars.size()) >= params.max_stars) break;
    bool apart = true;
    for (const Star& kept : out->stars) {
      const double reach = std::max(2.0, kept.fwhm);
      if (std::hypot(s.x - kept.x, s.y - kept.y) < reach) {
        apart = false;
        break;
      }
    }
    if (apart) out->stars.push_back(s);
  }
  std::vector<float> widths;
  for (const Star& s : out->stars) widths.push_back(static_cast<float>(s.fwhm));
  out->fwhm = MedianOf(widths);
}

}  // namespace tavo
