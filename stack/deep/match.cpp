// SPDX-License-Identifier: MIT
#include "stack/deep/match.h"

#include <algorithm>
#include <cmath>

namespace tavo {
namespace {

struct Triangle {
  double u, v;     // shortest / longest, middle / longest
  bool turn;       // corners opposite the shortest, middle, longest side run anticlockwise
  int corner[3];   // opposite the shortest, middle and longest side
};

std::vector<Triangle> Triangles(const std::vector<Star>& stars, int count, const MatchParams& params) {
  std::vector<Triangle> out;
  const int n = std::min<int>(count, static_cast<int>(stars.size()));
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      for (int k = j + 1; k < n; ++k) {
        const int c[3] = {i, j, k};
        // Side s is opposite corner c[s].
        std::pair<double, int> sides[3];
        for (int s = 0; s < 3; ++s) {
          const Star& p = stars[c[(s + 1) % 3]];
          const Star& q = stars[c[(s + 2) % 3]];
          sides[s] = {std::hypot(p.x - q.x, p.y - q.y), c[s]};
        }
        std::sort(sides, sides + 3);
        const double longest = sides[2].first;
        if (longest < params.min_side) continue;
        // Near-equal sides make the corner pairing a guess.
        if (sides[1].first - sides[0].first < 0.02 * longest || longest - sides[1].first < 0.02 * longest) continue;
        Triangle t;
        t.u = sides[0].first / longest;
        t.v = sides[1].first / longest;
        for (int s = 0; s < 3; ++s) t.corner[s] = sides[s].second;
        const Star& a = stars[t.corner[0]];
        const Star& b = stars[t.corner[1]];
        const Star& d = stars[t.corner[2]];
        t.turn = (b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x) > 0;
        out.push_back(t);
      }
    }
  }
  std::sort(out.begin(), out.end(), [](const Triangle& p, const Triangle& q) { return p.u < q.u; });
  return out;
}

// Frame star nearest to each mapped reference star, kept when within
// `radius` and when that frame star has no nearer claimant.
std::vector<StarPair> PairsWithin(const std::vector<Star>& reference, const std::vector<Star>& frame,
                                  const Similarity& t, double radius) {
  const int nr = static_cast<int>(reference.size()), nf = static_cast<int>(frame.size());
  std::vector<int> nearest(nr, -1);
  std::vector<double> distance(nr, 0);
  std::vector<int> claimant(nf, -1);
  for (int i = 0; i < nr; ++i) {
    double x, y;
    MapPoint(t, reference[i].x, reference[i].y, &x, &y);
    double best = radius;
    for (int j = 0; j < nf; ++j) {
      const double d = std::hypot(frame[j].x - x, frame[j].y - y);
      if (d < best) {
        best = d;
        nearest[i] = j;
      }
    }
    distance[i] = best;
    if (nearest[i] >= 0) {
      int& owner = claimant[nearest[i]];
      if (owner < 0 || distance[owner] > best) owner = i;
    }
  }
  std::vector<StarPair> pairs;
  for (int i = 0; i < nr; ++i) {
    if (nearest[i] >= 0 && claimant[nearest[i]] == i) {
      pairs.push_back({reference[i].x, reference[i].y, frame[nearest[i]].x, frame[nearest[i]].y});
    }
  }
  return pairs;
}

double RmsResidual(const std::vector<StarPair>& pairs, const Similarity& t) {
  if (pairs.empty()) return 0;
  double sum = 0;
  for (const StarPair& p : pairs) {
    double x, y;
    MapPoint(t, p.rx, p.ry, &x, &y);
    sum += (x - p.fx) * (x - p.fx) + (y - p.fy) * (y - p.fy);
  }
  return std::sqrt(sum / static_cast<double>(pairs.size()));
}

bool ScaleAllowed(const Similarity& t, const MatchParams& params) {
  const double scale = std::hypot(t.a, t.b);
  return scale >= params.min_scale && scale <= params.max_scale;
}

}  // namespace

bool FitSimilarity(const std::vector<StarPair>& pairs, Similarity* out) {
  const double n = static_cast<double>(pairs.size());
  if (pairs.size() < 2) return false;
  double rx = 0, ry = 0, fx = 0, fy = 0;
  for (const StarPair& p : pairs) {
    rx += p.rx;
    ry += p.ry;
    fx += p.fx;
    fy += p.fy;
  }
  rx /= n;
  ry /= n;
  fx /= n;
  fy /= n;
  double norm = 0, sa = 0, sb = 0;
  for (const StarPair& p : pairs) {
    const double dx = p.rx - rx, dy = p.ry - ry, ex = p.fx - fx, ey = p.fy - fy;
    norm += dx * dx + dy * dy;
    sa += dx * ex + dy * ey;
    sb += dx * ey - dy * ex;
  }
  if (!(norm > 1e-12)) return false;
  out->a = sa / norm;
  out->b = sb / norm;
  out->tx = fx - (out->a * rx - out->b * ry);
  out->ty = fy - (out->b * rx + out->a * ry);
  return true;
}

Registration RegisterStars(const std::vector<Star>& reference, const std::vector<Star>& frame,
                           const MatchParams& params) {
  Registration result;
  const std::vector<Triangle> ref_tri = Triangles(reference, params.triangle_stars, params);
  const std::vector<Triangle> frame_tri = Triangles(frame, params.triangle_stars, params);
  const int nr = std::min<int>(params.triangle_stars, static_cast<int>(reference.size()));
  const int nf = std::min<int>(params.triangle_stars, static_cast<int>(frame.size()));
  if (ref_tri.empty() || frame_tri.empty()) return result;

  std::vector<int> votes(static_cast<size_t>(nr) * nf, 0);
  for (const Triangle& t : frame_tri) {
    auto it = std::lower_bound(ref_tri.begin(), ref_tri.end(), t.u - params.tolerance,
                               [](const Triangle& r, double u) { return r.u < u; });
    for (; it != ref_tri.end() && it->u <= t.u + params.tolerance; ++it) {
      if (std::fabs(it->v - t.v) > params.tolerance || it->turn != t.turn) continue;
      for (int s = 0; s < 3; ++s) ++votes[static_cast<size_t>(it->corner[s]) * nf + t.corner[s]];
    }
  }
  // Mutual best pairings, most voted first.
  struct Candidate {
    int votes, ref, frame;
  };
  std::vector<Candidate> candidates;
  for (int i = 0; i < nr; ++i) {
    int best = -1;
    for (int j = 0; j < nf; ++j) {
      if (best < 0 || votes[static_cast<size_t>(i) * nf + j] > votes[static_cast<size_t>(i) * nf + best]) best = j;
    }
    const int v = votes[static_cast<size_t>(i) * nf + best];
    if (v < 2) continue;
    bool mutual = true;
    for (int k = 0; k < nr && mutual; ++k) mutual = k == i || votes[static_cast<size_t>(k) * nf + best] < v;
    if (mutual) candidates.push_back({v, i, best});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& p, const Candidate& q) { return p.votes > q.votes; });
  const int m = std::min<int>(20, static_cast<int>(candidates.size()));
  int best_inliers = 0;
  Similarity best;
  for (int p = 0; p < m; ++p) {
    for (int q = p + 1; q < m; ++q) {
      const Star& r1 = reference[candidates[p].ref];
      const Star& r2 = reference[candidates[q].ref];
      const Star& f1 = frame[candidates[p].frame];
      const Star& f2 = frame[candidates[q].frame];
      Similarity t;
      if (!FitSimilarity({{r1.x, r1.y, f1.x, f1.y}, {r2.x, r2.y, f2.x, f2.y}}, &t) || !ScaleAllowed(t, params)) {
        continue;
      }
      int inliers = 0;
      for (const Candidate& c : candidates) {
        double x, y;
        MapPoint(t, reference[c.ref].x, reference[c.ref].y, &x, &y);
        if (std::hypot(x - frame[c.frame].x, y - frame[c.frame].y) < params.match_radius) ++inliers;
      }
      if (inliers > best_inliers) {
        best_inliers = inliers;
        best = t;
      }
    }
  }
  if (best_inliers < 2) return result;

  Similarity fit = best;
  std::vector<StarPair> pairs;
  for (int pass = 0; pass < 2; ++pass) {
    pairs = PairsWithin(reference, frame, fit, params.match_radius);
    if (!FitSimilarity(pairs, &fit)) return result;
  }
  const double limit = std::max(0.5, 3 * RmsResidual(pairs, fit));
  std::vector<StarPair> kept;
  for (const StarPair& p : pairs) {
    double x, y;
    MapPoint(fit, p.rx, p.ry, &x, &y);
    if (std::hypot(x - p.fx, y - p.fy) <= limit) kept.push_back(p);
  }
  if (static_cast<int>(kept.size()) < params.min_matches || !FitSimilarity(kept, &fit) ||
      !ScaleAllowed(fit, params)) {
    return result;
  }
  result.ok = true;
  result.transform = fit;
  result.matched = static_cast<int>(kept.size());
  result.residual = RmsResidual(kept, fit);
  return result;
}

}  // namespace tavo
