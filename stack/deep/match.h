// SPDX-License-Identifier: MIT
// stack/deep/match.h - finding where a frame lies on the reference: its
// stars matched to the reference's by similar triangles, and the
// similarity transform (shift, rotation, scale) fitted to the matches.
#pragma once
#include <vector>

#include "stack/deep/stars.h"

namespace tavo {

// Maps a reference position to a frame position:
//   x' = a x - b y + tx,  y' = b x + a y + ty
// (scale hypot(a, b), anticlockwise angle atan2(b, a) with rows up).
struct Similarity {
  double a = 1, b = 0, tx = 0, ty = 0;
};

inline void MapPoint(const Similarity& t, double x, double y, double* ox, double* oy) {
  *ox = t.a * x - t.b * y + t.tx;
  *oy = t.b * x + t.a * y + t.ty;
}

struct StarPair {
  double rx, ry;  // on the reference
  double fx, fy;  // on the frame
};

// Least-squares similarity through the pairs (the closed form about their
// centroids). False when fewer than 2 pairs or the reference points
// coincide.
bool FitSimilarity(const std::vector<StarPair>& pairs, Similarity* out);

struct MatchParams {
  int triangle_stars = 25;      // brightest stars of each list that form triangles
  double tolerance = 0.01;      // of the side ratios, for similar triangles
  double min_side = 30.0;       // pixels; smaller triangles carry too little shape
  double match_radius = 3.0;    // pixels between a mapped reference star and its frame star
  int min_matches = 6;
  double min_scale = 0.5, max_scale = 2.0;
};

struct Registration {
  bool ok = false;
  Similarity transform;  // reference -> frame
  int matched = 0;       // star pairs in the final fit
  double residual = 0;   // their RMS distance after the fit, pixels
};

// Triangles of the brightest stars are described by their two side ratios
// (shortest / longest, middle / longest) and turning sense; a frame
// triangle close to a reference one votes for its three corner pairings.
// Mutual best-voted pairings are candidates; every two of the 20 most
// voted candidates give a transform, and the one that maps the most
// candidates within match_radius wins (a robust consensus that is the same
// on every run). It is then refined by least squares over all stars
// matched within match_radius, once more after dropping pairs beyond 3 x
// the RMS residual (never below 0.5 pixel). Fails with fewer than
// min_matches pairs or a scale outside min_scale..max_scale.
Registration RegisterStars(const std::vector<Star>& reference, const std::vector<Star>& frame,
                           const MatchParams& params);

}  // namespace tavo
