// SPDX-License-Identifier: MIT
#include "stack/composite_points.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "core/sample.h"
#include "core/slots.h"
#include "filters/resize.h"

namespace tavo {
namespace {

bool Usable(const Image* image) { return image != nullptr && !image->Empty() && image->r != nullptr; }

// trunc(A + B + 1) / 2, the division truncating toward zero.
int Midpoint(double a, double b) { return static_cast<int>(static_cast<long long>(a + b + 1) / 2); }

// Sample of `image` plane `c` at canvas (x, row) for an input placed at
// (ox, oy); 0 where the input does not cover the pixel.
int Covered(const Image& image, int c, int ox, int oy, int x, int row) {
  const int ix = x - ox, iy = row - oy;
  if (ix < 0 || iy < 0 || ix >= image.width || iy >= image.height) return 0;
  return image.Channel(c)[static_cast<size_t>(iy) * image.width + ix];
}

}  // namespace

PointPair StoredPoints(const MarkedPoints& marks, int height) {
  return {static_cast<double>(marks.ax), static_cast<double>(height - 1 - marks.ay), static_cast<double>(marks.bx),
          static_cast<double>(height - 1 - marks.by)};
}

double MarkedDistance(const MarkedPoints& marks) {
  const double dx = marks.bx - marks.ax, dy = marks.by - marks.ay;
  return std::sqrt(dx * dx + dy * dy);
}

double MarkedAngle(const MarkedPoints& marks) {
  const double dx = marks.bx - marks.ax, dy = marks.by - marks.ay;
  const double to_milli = 180000.0 / std::numbers::pi;
  if (dx > 0) return std::atan(dy / dx) * to_milli;
  if (dx < 0) return std::atan(dy / dx) * to_milli + 180000.0;
  return dy > 0 ? 90000.0 : -90000.0;
}

OpStatus AlignByPoints(int ref_height, const MarkedPoints& ref_marks, Image* copies, const MarkedPoints* marks,
                       int count, int* offset_x, int* offset_y) {
  const double d0 = MarkedDistance(ref_marks), a0 = MarkedAngle(ref_marks);
  const PointPair ref = StoredPoints(ref_marks, ref_height);
  const int mx0 = Midpoint(ref.ax, ref.bx), my0 = Midpoint(ref.ay, ref.by);
  for (int k = 0; k < count; ++k) {
    Image& copy = copies[k];
    PointPair p = StoredPoints(marks[k], copy.height);
    const double dk = MarkedDistance(marks[k]), ak = MarkedAngle(marks[k]);
    // A segment of length 0 says nothing about scale; resizing by it would
    // take a factor of 256 d : 0.
    if (std::fabs(d0 - dk) >= 1.0 && d0 > 0 && dk > 0) {
      const int to = static_cast<int>(256.0 * d0), from = static_cast<int>(256.0 * dk);
      const OpStatus s = ResizeBilinear(copy, to, from, to, from);
      if (s != kOpMade) return kOpNoMemory;
      const double f = d0 / dk;
      p = {p.ax * f, p.ay * f, p.bx * f, p.by * f};
    }
    if (std::fabs(a0 - ak) >= 1.0) {
      if (RotateImage(copy, static_cast<long long>(ak - a0), &p) != kOpMade) return kOpNoMemory;
    }
    offset_x[k] = mx0 - Midpoint(p.ax, p.bx);
    offset_y[k] = my0 - Midpoint(p.ay, p.by);
  }
  return kOpMade;
}

OpStatus CompositeByPoints(const PointCompositeJob& job, Image& target) {
  int rows[kStackMax];
  int n = 0;
  for (int row = 0; row < kStackMax; ++row) {
    if (Usable(job.images[row]) && job.weights[row] > 0) rows[n++] = row;
  }
  if (n < 2) return kOpTooFewInputs;
  Image copies[kStackMax - 1];
  MarkedPoints marks[kStackMax - 1];
  for (int k = 1; k < n; ++k) {
    if (!DuplicateImage(*job.images[rows[k]], copies[k - 1])) return kOpNoMemory;
    marks[k - 1] = job.points[rows[k]];
  }
  const Image& ref = *job.images[rows[0]];
  int ox[kStackMax - 1] = {}, oy[kStackMax - 1] = {};
  if (AlignByPoints(ref.height, job.points[rows[0]], copies, marks, n - 1, ox, oy) != kOpMade) return kOpNoMemory;
  StackInput in[kStackMax];
  in[0] = {&ref, job.weights[rows[0]], 0, 0};
  for (int k = 1; k < n; ++k) in[k] = {&copies[k - 1], job.weights[rows[k]], ox[k - 1], oy[k - 1]};
  int width = 0, height = 0;
  ComputeCanvas(in, n, &width, &height);
  ApplyStackShift(in, n, job.shift_x, job.shift_y);
  return CombineStack(in, n, width, height, job.mode, job.noise, job.normalise, target) ? kOpMade : kOpNoMemory;
}

OpStatus CompositeLrgb(const LrgbJob& job, Image& target) {
  for (int row = 1; row < 4; ++row) {
    if (!Usable(job.images[row])) return kOpTooFewInputs;
  }
  const bool with_l = Usable(job.images[0]) && job.weights[0] > 0;
  const int first = with_l ? 0 : 1;  // the reference row
  // Copies of the rows after the reference.
  Image copies[3];
  MarkedPoints marks[3];
  const int count = 3 - first;
  for (int k = 0; k < count; ++k) {
    if (!DuplicateImage(*job.images[first + 1 + k], copies[k])) return kOpNoMemory;
    marks[k] = job.points[first + 1 + k];
  }
  const Image& ref = *job.images[first];
  int ox[3] = {}, oy[3] = {};
  if (AlignByPoints(ref.height, job.points[first], copies, marks, count, ox, oy) != kOpMade) return kOpNoMemory;
  // in[row] for rows L, R, G, B (L unused without it).
  StackInput in[4];
  in[first] = {&ref, job.weights[first], 0, 0};
  for (int k = 0; k < count; ++k) in[first + 1 + k] = {&copies[k], job.weights[first + 1 + k], ox[k], oy[k]};
  int width = 0, height = 0;
  ComputeCanvas(in + first, 4 - first, &width, &height);
  Image canvas;
  if (!AllocateImagePlanes(canvas, width, height, false)) return kOpNoMemory;
  const int p = with_l ? job.weights[0] : 0;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      int64_t rgb[3];
      for (int c = 0; c < 3; ++c) {
        const StackInput& s = in[1 + c];
        rgb[c] = std::min<int64_t>(int64_t{Covered(*s.image, c, s.offset_x, s.offset_y, x, row)} * s.weight / 100,
                                   65535);
      }
      if (p >= 1) {
        const StackInput& l = in[0];
        const int64_t yl = (299 * int64_t{Covered(*l.image, 0, l.offset_x, l.offset_y, x, row)} +
                            587 * int64_t{Covered(*l.image, 1, l.offset_x, l.offset_y, x, row)} +
                            114 * int64_t{Covered(*l.image, 2, l.offset_x, l.offset_y, x, row)}) / 1000;
        int64_t yc = (299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2]) / 1000;
        if (yc < 1) yc = rgb[0] = rgb[1] = rgb[2] = 1;
        const int64_t y = (yl * p + yc * (100 - p)) / 200;
        for (int64_t& c : rgb) c = std::min<int64_t>(y * c / yc * 2, 65535);
      }
      const size_t i = static_cast<size_t>(row) * width + x;
      for (int c = 0; c < 3; ++c) canvas.Channel(c)[i] = ClampSample(rgb[c]);
    }
  }
  AdoptPlanes(target, canvas);
  target.monochrome = 0;
  return kOpMade;
}

}  // namespace tavo
