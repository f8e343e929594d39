// SPDX-License-Identifier: MIT
// io/pnm.h - PPM/PGM files: "P1".."P6" read (8 and 16 bit), 16-bit PPM
// written as binary "P6" or ASCII "P3".
#pragma once
#include <string>

#include "core/image.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

// Header numbers: after the magic, width, height and maximum are read as
// runs of digits; anything else separates them and "#" at the end of an
// item starts a comment up to the line feed. The raster starts after the
// line feed that follows the maximum. Binary samples: one byte x 256 when
// the maximum is below 256, else two bytes high first, unscaled. ASCII
// samples: n x 65536 / (maximum + 1). File row 0 is the top row. Samples
// missing at the end of the file are 0, and `report` counts the rows the
// file ended in or before (for text, from the first value that could not be
// read). "P1"/"P4" rasters are not decoded: the planes stay 0. Gray files
// fill all three planes. A raster the file cannot hold (RasterFitsFile:
// binary as stored; text at least two characters a value, "P1" one a
// pixel) is refused as kReadBadFormat before any plane is planned.
// `name` becomes the image name.
ReadStatus ReadPnmFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report = nullptr);

// Header "P6" or "P3", "width height", "65535", each ending in a line feed;
// rows from the top. P6: R, G, B as two bytes each, high first. P3: "%d %d
// %d " per pixel, the raster on one line. False, target untouched, on any
// write failure.
bool WritePnm(const std::string& path, const Image& image, bool ascii);

}  // namespace tavo
