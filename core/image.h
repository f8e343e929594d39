// SPDX-License-Identifier: MIT
// core/image.h - the image record: three 16-bit planes, undo planes, view
// state, flags and display statistics.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace tavo {

// One plane owns width x height samples. Row 0 is the bottom row of the
// picture; sample (x, row) is element row * width + x. Planes come from
// NewPlane (core/memory.h), which takes them from malloc or calloc: a
// cleared plane then costs no second pass over fresh, already zero pages.
struct PlaneFree {
  void operator()(uint16_t* p) const { std::free(p); }
};
using Plane = std::unique_ptr<uint16_t[], PlaneFree>;

constexpr int kNameMax = 255;  // longest path kept in `name`

struct Image {
  std::string name;
  Plane r, g, b;
  Plane undo_r, undo_g, undo_b;
  int undo_available = 0;
  int redo_available = 0;
  int width = 0, height = 0;
  int undo_width = 0, undo_height = 0;
  int max_r = 0, max_g = 0, max_b = 0;
  int dark_r = 0, dark_g = 0, dark_b = 0;
  int mean_r = 0, mean_g = 0, mean_b = 0;
  int zoom = 100;
  int scroll_x = 0, scroll_y = 0;
  int point_a_x = -1, point_a_y = -1, point_b_x = -1, point_b_y = -1;
  int stats_refresh = 0;
  // Raised together with stats_refresh whenever the planes may have
  // changed; painting recomputes the statistics only while it is up, so an
  // unchanged image repaints without a pass over every sample.
  bool stats_stale = true;
  int changed = 0;
  int undo_changed = 0;
  int monochrome = 0;
  int undo_monochrome = 0;
  uint32_t hist_r[256] = {}, hist_g[256] = {}, hist_b[256] = {};
  int hist_peak = 1;
  int hist_samples = 0;

  bool Empty() const { return width <= 0 || height <= 0; }
  size_t PixelCount() const {
    return Empty() ? 0 : static_cast<size_t>(width) * static_cast<size_t>(height);
  }
  uint16_t* Channel(int c) const { return c == 0 ? r.get() : c == 1 ? g.get() : b.get(); }
};

// Stores the path, cut to kNameMax bytes as the fixed name field would.
void SetImageName(Image& image, const std::string& path);

// Gives the image three new planes of width x height samples (zeroed when
// `zero` is set), freeing the old ones. Fails - image untouched - when the
// size is not positive, overflows, or the memory is not there.
bool AllocateImagePlanes(Image& image, int width, int height, bool zero);

// Moves the planes and size of `fresh` into `image`, whose old planes are
// freed; everything else of `image` stays. `fresh` is left without planes.
void AdoptPlanes(Image& image, Image& fresh);

}  // namespace tavo
