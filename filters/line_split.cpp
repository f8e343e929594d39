// SPDX-License-Identifier: MIT
#include "filters/line_split.h"

#include <cstring>


namespace tavo {

OpStatus ApplyLineSplit(const Image& source, Image& destination, const LineSplitParams& params) {
  if (source.Empty() || !source.r || !source.g || !source.b) return kOpNothingToDo;
  const int w = source.width, h = source.height;
  const int field = params.field == kFieldRowsFromOne ? 1 : 0;
  Image fresh;
  if (!AllocateImagePlanes(fresh, w, h, false)) return kOpNoMemory;
  const size_t row_bytes = static_cast<size_t>(w) * 2;
  for (int y = 0; y < h; ++y) {
    int from = (y & ~1) + field;
    if (from >= h) from -= 2;  // odd height: the last row of the field
    if (from < 0) from = 0;    // one row: the field from one is empty
    for (int c = 0; c < 3; ++c) {
      std::memcpy(fresh.Channel(c) + static_cast<size_t>(y) * w,
                  source.Channel(c) + static_cast<size_t>(from) * w, row_bytes);
    }
  }
  AdoptPlanes(destination, fresh);
  destination.monochrome = source.monochrome;
  return kOpMade;
}

}  // namespace tavo
