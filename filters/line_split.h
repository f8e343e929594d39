// SPDX-License-Identifier: MIT
// filters/line_split.h - odd/even line separation of an interlaced image:
// one field's rows, each doubled, as a new image of the full size.
#pragma once
#include "core/image.h"
#include "core/status.h"

namespace tavo {

constexpr int kFieldRowsFromZero = 0;  // stored rows 0, 2, 4, ...
constexpr int kFieldRowsFromOne = 1;   // stored rows 1, 3, 5, ...

struct LineSplitParams {
  int field = kFieldRowsFromZero;
};

// `destination` gets the source's size and monochrome flag; output rows 2k
// and 2k + 1 both copy source row 2k + field. With an odd height the last
// row has no partner: it copies the last source row of its field (row h - 1
// itself for the field from zero, row h - 2 for the field from one), and a
// one-row image has only row 0 to give. Empty source: kOpNothingToDo;
// memory short: kOpNoMemory; destination untouched in both. The source is
// never changed.
OpStatus ApplyLineSplit(const Image& source, Image& destination, const LineSplitParams& params);

}  // namespace tavo
