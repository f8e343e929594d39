// SPDX-License-Identifier: MIT
#include "core/slots.h"

#include <algorithm>
#include <cstring>

#include "core/memory.h"
#include "core/plane_stats.h"

namespace tavo {

void SetImageName(Image& image, const std::string& path) {
  image.name = path.size() > static_cast<size_t>(kNameMax) ? path.substr(0, kNameMax) : path;
}

bool AllocateImagePlanes(Image& image, int width, int height, bool zero) {
  const uint64_t bytes = ImageBytes(width, height, 6);
  if (bytes == 0 || !MemoryFits(bytes)) return false;
  const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  Plane r = NewPlane(n, zero), g = NewPlane(n, zero), b = NewPlane(n, zero);
  if (!r || !g || !b) return false;
  image.r = std::move(r);
  image.g = std::move(g);
  image.b = std::move(b);
  image.width = width;
  image.height = height;
  return true;
}

void AdoptPlanes(Image& image, Image& fresh) {
  image.r = std::move(fresh.r);
  image.g = std::move(fresh.g);
  image.b = std::move(fresh.b);
  image.width = fresh.width;
  image.height = fresh.height;
  fresh.width = fresh.height = 0;
}

void ResetImage(Image& image) {
  image.name.clear();
  image.r.reset();
  image.g.reset();
  image.b.reset();
  image.undo_r.reset();
  image.undo_g.reset();
  image.undo_b.reset();
  image.width = image.height = 0;
  image.undo_width = image.undo_height = 0;
  image.zoom = 100;
  image.scroll_x = image.scroll_y = 0;
  image.point_a_x = image.point_a_y = image.point_b_x = image.point_b_y = -1;
  image.monochrome = image.undo_monochrome = 0;
  image.undo_available = image.redo_available = 0;
  image.stats_refresh = 0;
  image.changed = image.undo_changed = 0;
  image.hist_peak = 1;
}

void InitSlots(SlotTable& table) {
  for (Image& image : table.slots) ResetImage(image);
  table.current = -1;
}

void ClearSlot(SlotTable& table, int index) {
  if (index < 0 || index >= kSlotCount) return;
  ResetImage(table.slots[index]);
}

bool HeadroomCheck(const SlotTable& table, int index) {
  uint64_t pixels = 0;
  if (index >= 0 && index < kSlotCount) {
    pixels = table.slots[index].PixelCount();
  } else {
    for (const Image& image : table.slots) pixels = std::max<uint64_t>(pixels, image.PixelCount());
  }
  if (pixels < 1) return true;
  return MemoryFits(pixels * 6 * 4);
}

int FindFreeSlot(const SlotTable& table) {
  if (!HeadroomCheck(table, -1)) return -1;
  for (int i = 0; i < kSlotCount; ++i) {
    if (table.slots[i].Empty()) return i;
  }
  return -1;
}

bool SnapshotUndo(Image& image) {
  const size_t n = image.PixelCount();
  Plane r, g, b;
  if (n > 0) {
    r = NewPlane(n, false);
    g = NewPlane(n, false);
    b = NewPlane(n, false);
    if (!r || !g || !b) return false;
    std::memcpy(r.get(), image.r.get(), n * 2);
    std::memcpy(g.get(), image.g.get(), n * 2);
    std::memcpy(b.get(), image.b.get(), n * 2);
  }
  image.undo_r = std::move(r);
  image.undo_g = std::move(g);
  image.undo_b = std::move(b);
  image.undo_width = image.width;
  image.undo_height = image.height;
  image.undo_monochrome = image.monochrome;
  return true;
}

void SwapUndo(Image& image) {
  std::swap(image.r, image.undo_r);
  std::swap(image.g, image.undo_g);
  std::swap(image.b, image.undo_b);
  std::swap(image.width, image.undo_width);
  std::swap(image.height, image.undo_height);
  std::swap(image.monochrome, image.undo_monochrome);
}

bool DuplicateImage(const Image& source, Image& destination) {
  if (&source == &destination) return true;
  const size_t n = source.PixelCount();
  if (n == 0) return false;
  Image fresh;
  if (!AllocateImagePlanes(fresh, source.width, source.height, false)) return false;
  std::memcpy(fresh.r.get(), source.r.get(), n * 2);
  std::memcpy(fresh.g.get(), source.g.get(), n * 2);
  std::memcpy(fresh.b.get(), source.b.get(), n * 2);
  AdoptPlanes(destination, fresh);
  destination.monochrome = source.monochrome;
  return true;
}

namespace {

// Copies a window that lies wholly inside the source.
bool CopyWindow(const Image& source, Image& destination, int x0, int y0, int w, int h) {
  if (w <= 0 || h <= 0 || source.Empty()) return false;
  Image fresh;
  if (!AllocateImagePlanes(fresh, w, h, false)) return false;
  for (int c = 0; c < 3; ++c) {
    const uint16_t* src = source.Channel(c);
    uint16_t* dst = fresh.Channel(c);
    for (int y = 0; y < h; ++y) {
      std::memcpy(dst + static_cast<size_t>(y) * w,
                  src + static_cast<size_t>(y0 + y) * source.width + x0, static_cast<size_t>(w) * 2);
    }
  }
  const int mono = source.monochrome;
  AdoptPlanes(destination, fresh);
  destination.monochrome = mono;
  return true;
}

}  // namespace

bool CropWindow(const Image& source, int anchor, int* x0, int* y0, int* width, int* height) {
  if (source.Empty() || *width <= 0 || *height <= 0) return false;
  *x0 = *y0 = 0;
  if (*width > source.width) {
    *width = source.width;
  } else {
    const int col = ((anchor % 3) + 3) % 3;
    *x0 = col == 0 ? 0 : col == 1 ? (source.width - *width) / 2 : source.width - *width;
  }
  if (*height > source.height) {
    *height = source.height;
  } else {
    // Memory rows count from the bottom, so the top row of the grid sits at
    // the largest offset.
    const int row = anchor / 3;
    *y0 = row <= 0 ? source.height - *height : row == 1 ? (source.height - *height) / 2 : 0;
  }
  return true;
}

bool CropToSize(const Image& source, Image& destination, int anchor, int new_width,
                int new_height) {
  int x0 = 0, y0 = 0;
  if (!CropWindow(source, anchor, &x0, &y0, &new_width, &new_height)) return false;
  return CopyWindow(source, destination, x0, y0, new_width, new_height);
}

bool CropToRect(const Image& source, Image& destination, int x1, int y1, int x2, int y2) {
  int x = std::min(x1, x2), y = std::min(y1, y2);
  int w = std::abs(x2 - x1), h = std::abs(y2 - y1);
  if (x < 0) {
    w += x;
    x = 0;
  }
  if (y < 0) {
    h += y;
    y = 0;
  }
  // Never read past the source: the far sides are cut at its edge.
  w = std::min(w, source.width - x);
  h = std::min(h, source.height - y);
  return CopyWindow(source, destination, x, y, w, h);
}

void ExpandMonochrome(Image& image) {
  if (image.monochrome != 1) return;
  const size_t n = image.PixelCount();
  if (n == 0) return;
  std::memcpy(image.g.get(), image.r.get(), n * 2);
  std::memcpy(image.b.get(), image.r.get(), n * 2);
}

int NextOpenSlot(const SlotTable& table, int current) {
  for (int i = current + 1; i < kSlotCount; ++i) {
    if (table.slots[i].width > 0) return i;
  }
  for (int i = 0; i <= current && i < kSlotCount; ++i) {
    if (table.slots[i].width > 0) return i;
  }
  return current;
}

int PreviousOpenSlot(const SlotTable& table, int current) {
  for (int i = current - 1; i >= 0; --i) {
    if (table.slots[i].width > 0) return i;
  }
  for (int i = kSlotCount - 1; i >= current && i >= 0; --i) {
    if (table.slots[i].width > 0) return i;
  }
  return current;
}

void ComputeDisplayStats(Image& image) {
  const int w = image.width, h = image.height;
  const PlaneStats r = ComputePlaneStats(image.r.get(), w, h);
  const PlaneStats g = ComputePlaneStats(image.g.get(), w, h);
  const PlaneStats b = ComputePlaneStats(image.b.get(), w, h);
  image.max_r = r.max;
  image.max_g = g.max;
  image.max_b = b.max;
  image.dark_r = r.dark;
  image.dark_g = g.dark;
  image.dark_b = b.dark;
  image.mean_r = r.mean;
  image.mean_g = g.mean;
  image.mean_b = b.mean;
}

void ComputeHistogram(Image& image) {
  std::memset(image.hist_r, 0, sizeof image.hist_r);
  std::memset(image.hist_g, 0, sizeof image.hist_g);
  std::memset(image.hist_b, 0, sizeof image.hist_b);
  image.hist_samples = 0;
  if (image.Empty() || !image.r) {
    image.hist_peak = 1;
    return;
  }
  const int step_x = image.width / 100 + 1, step_y = image.height / 100 + 1;
  int samples = 0;
  for (int y = 0; y < image.height; y += step_y) {
    const size_t row = static_cast<size_t>(y) * image.width;
    for (int x = 0; x < image.width; x += step_x) {
      ++image.hist_r[image.r[row + x] >> 8];
      ++image.hist_g[image.g[row + x] >> 8];
      ++image.hist_b[image.b[row + x] >> 8];
      ++samples;
    }
  }
  uint32_t peak = 0;
  for (int i = 0; i < 256; ++i) {
    peak = std::max({peak, image.hist_r[i], image.hist_g[i], image.hist_b[i]});
  }
  image.hist_samples = samples;
  image.hist_peak = static_cast<int>(peak);
}

void MarkStatsStale(Image& image) {
  image.stats_refresh = 1;
  image.stats_stale = true;
}

void MarkLoaded(Image& image) {
  MarkStatsStale(image);
  image.undo_available = image.redo_available = 0;
  image.changed = image.undo_changed = 0;
  image.monochrome = image.undo_monochrome = 0;
}

void MarkInPlaceChange(Image& image) {
  MarkStatsStale(image);
  image.undo_available = 1;
  image.redo_available = 0;
  image.undo_changed = image.changed;
  image.changed = 1;
}

void MarkNewComposite(Image& image) {
  MarkStatsStale(image);
  image.undo_available = image.redo_available = 0;
  image.changed = 1;
  image.undo_changed = 0;
  image.undo_monochrome = image.monochrome;
}

void MarkNewDerived(Image& image) {
  MarkStatsStale(image);
  image.undo_available = image.redo_available = 0;
  image.undo_changed = 0;
  image.changed = 1;  // no file holds it: closing or quitting asks first
}

void MarkNewCopy(Image& image) {
  image.stats_refresh = 0;
  image.undo_available = image.redo_available = 0;
  image.changed = image.undo_changed = 0;
  // The flag stays down, so no repaint would compute the statistics: the
  // markers would show whatever the slot held before.
  ComputeDisplayStats(image);
  ComputeHistogram(image);
  image.stats_stale = false;
}

void MarkNewCrop(Image& image) {
  MarkNewCopy(image);
  image.changed = 1;
}

}  // namespace tavo
