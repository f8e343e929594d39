// SPDX-License-Identifier: MIT
// core/slots.h - the table of 100 image slots and the helpers every command
// uses on them.
#pragma once
#include "core/image.h"

namespace tavo {

constexpr int kSlotCount = 100;

struct SlotTable {
  Image slots[kSlotCount];
  int current = -1;  // -1 until an image is first made current

  Image& operator[](int i) { return slots[i]; }
  const Image& operator[](int i) const { return slots[i]; }
  Image* Current() { return current >= 0 && current < kSlotCount ? &slots[current] : nullptr; }
};

// Every slot empty with view state reset; current becomes -1.
void InitSlots(SlotTable& table);
// One slot back to the state InitSlots gives it, planes freed.
void ClearSlot(SlotTable& table, int index);
// Resets one record in place (planes freed, view state reset).
void ResetImage(Image& image);

// Memory headroom check: passes when four blocks of P x 6 bytes fit
// MemoryFits (the image, its undo copy and working room), P being the pixel count of slot `index`, or with -1 the largest of
// all slots.
bool HeadroomCheck(const SlotTable& table, int index);

// Lowest empty slot, or -1 when none is empty or the headroom check (-1)
// fails.
int FindFreeSlot(const SlotTable& table);

// Copies the current planes into fresh undo planes. False (nothing changed)
// when the memory is not there.
bool SnapshotUndo(Image& image);
// Exchanges current and undo planes, sizes and monochrome flags.
void SwapUndo(Image& image);

// Destination gets a copy of the source's planes, size and monochrome flag;
// its name, flags and undo data stay. False (destination untouched) when
// the source is empty or memory is short.
bool DuplicateImage(const Image& source, Image& destination);

// The window CropToSize copies: anchors 0..8 on a 3 x 3 grid read from the
// top-left (0, 1, 2 at the top of the picture, 0, 3, 6 at the left); a side
// larger than the source's is taken whole. Sets the window's bottom-left
// corner and cuts `width` and `height` to the source; false when the source
// is empty or a side is below 1.
bool CropWindow(const Image& source, int anchor, int* x0, int* y0, int* width, int* height);
// Copies that window into `destination`.
bool CropToSize(const Image& source, Image& destination, int anchor, int new_width,
                int new_height);
// Rectangle from min(x1, x2), min(y1, y2) (memory rows), |x2 - x1| wide and
// |y2 - y1| high; negative starts move to 0 and shorten the side. The part
// outside the source is cut off.
bool CropToRect(const Image& source, Image& destination, int x1, int y1, int x2, int y2);

// Monochrome image: G and B become copies of R (the flag stays).
void ExpandMonochrome(Image& image);

// Slot index the slot keys move to (the current one when nothing else is
// open). `current` may be -1.
int NextOpenSlot(const SlotTable& table, int current);
int PreviousOpenSlot(const SlotTable& table, int current);

// Mean, maximum and dark level of each plane into the record.
void ComputeDisplayStats(Image& image);
// Sampled 256-bin histograms of the three planes.
void ComputeHistogram(Image& image);

// The statistics are to be recomputed at the next paint (the planes or the
// view changed).
void MarkStatsStale(Image& image);

// Flag changes of the lifecycle events.
void MarkLoaded(Image& image);
void MarkInPlaceChange(Image& image);
void MarkNewComposite(Image& image);
void MarkNewDerived(Image& image);  // background data, line separation (changed)
void MarkNewCopy(Image& image);     // plain copy (statistics computed here)
// An area copy or crop: as a copy, but changed, since no file holds it and
// closing or quitting must ask before it is thrown away.
void MarkNewCrop(Image& image);

}  // namespace tavo
