// SPDX-License-Identifier: MIT
#include "stack/background_points.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/sample.h"

namespace tavo {
namespace {

constexpr double kExponents[5] = {0.6, 0.8, 1.0, 1.2, 1.4};

struct Scored {
  SkyModel model;
  double error = 0;
  bool any = false;
};

// The best candidate of one centre, searched in order; `powers` holds the
// radial term of every point for each exponent.
Scored BestAtCentre(const SkyPoint* points, int n, int c, double cx, double cy, double u, double v) {
  std::vector<double> powers(static_cast<size_t>(5) * n), f(n);
  for (int k = 0; k < 5; ++k) {
    for (int i = 0; i < n; ++i) {
      const double dx = points[i].x - cx, dy = points[i].row - cy;
      powers[static_cast<size_t>(k) * n + i] = std::pow(dx * dx + dy * dy, kExponents[k]);
    }
  }
  Scored best;
  for (double px = -u; px < u; px += 0.05 * u) {
    for (double py = -v; py < v; py += 0.05 * v) {
      for (int k = 0; k < 5; ++k) {
        for (int i = 0; i < n; ++i) {
          f[i] = powers[static_cast<size_t>(k) * n + i] + px * (points[i].x - cx) + py * (points[i].row - cy);
        }
        double sum = 0;
        int pairs = 0;
        for (int i = 0; i < n; ++i) {
          for (int j = i + 1; j < n; ++j) {
            if (f[i] == f[j]) continue;
            sum += (points[j].level[c] - points[i].level[c]) / (f[j] - f[i]);
            ++pairs;
          }
        }
        // No pair to tell a slope from (every point on one spot): a flat
        // model at the mean level.
        const double a = pairs > 0 ? sum / pairs : 0.0;
        double offset = 0;
        for (int i = 0; i < n; ++i) offset += points[i].level[c] - a * f[i];
        const double b = offset / n;
        double error = 0;
        for (int i = 0; i < n; ++i) {
          const double r = points[i].level[c] - (a * f[i] + b);
          error += r * r;
        }
        if (!best.any || error < best.error) best = {{cx, cy, px, py, kExponents[k], a, b}, error, true};
      }
    }
  }
  return best;
}

}  // namespace

SkyModel FitSkyModel(const SkyPoint* points, int n, int c, int width, int height) {
  const int step_x = std::max(width / 20, 1), step_y = std::max(height / 20, 1);
  std::vector<int> cxs, cys;
  for (int cx = width / 4; cx <= 3 * width / 4; cx += step_x) cxs.push_back(cx);
  for (int cy = height / 4; cy <= 3 * height / 4; cy += step_y) cys.push_back(cy);
  const double u = 4000.0 / width, v = 4000.0 / height;
  const int centres = static_cast<int>(cxs.size() * cys.size());
  std::vector<Scored> scored(static_cast<size_t>(centres));
#pragma omp parallel for schedule(dynamic)
  for (int k = 0; k < centres; ++k) {
    const int ix = k / static_cast<int>(cys.size()), iy = k % static_cast<int>(cys.size());
    scored[k] = BestAtCentre(points, n, c, cxs[ix], cys[iy], u, v);
  }
  // Centres in search order, a later one only when strictly better.
  Scored best;
  for (const Scored& s : scored) {
    if (s.any && (!best.any || s.error < best.error)) best = s;
  }
  return best.model;
}

OpStatus FitPointBackground(Image& image, const SkyPoint* points, int n, int mode, int shift) {
  if (n < 2 || (mode != 3 && mode != 4) || image.Empty() || !image.r) return kOpNothingToDo;
  const bool mono = image.monochrome == 1;
  const int w = image.width, h = image.height;
  const double k_shift = static_cast<double>(shift) * 256;
  for (int c = 0; c < (mono ? 1 : 3); ++c) {
    const SkyModel m = FitSkyModel(points, n, c, w, h);
    const double gain = std::trunc(m.b);
    uint16_t* plane = image.Channel(c);
#pragma omp parallel for schedule(static)
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const double dx = x - m.cx, dy = y - m.cy;
        double model = m.a * (std::pow(dx * dx + dy * dy, m.e) + m.px * dx + m.py * dy) + m.b;
        if (!(model > 0)) model = 0;
        uint16_t& s = plane[static_cast<size_t>(y) * w + x];
        if (mode == 3) {
          s = model == 0 ? 0 : ClampSampleDouble(s * gain / model);
        } else {
          s = ClampSampleDouble(s - model + k_shift);
        }
      }
    }
  }
  return kOpMade;
}

}  // namespace tavo
