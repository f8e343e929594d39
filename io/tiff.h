// SPDX-License-Identifier: MIT
// io/tiff.h - TIFF files: uncompressed RGB read (8 or 16 bits per sample, or
// 16-bit pixels of three 5-bit fields; either byte order); 48-bit RGB
// written behind a fixed 128-byte header.
#pragma once
#include <string>

#include "core/image.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

// Only the first directory is read. File row 0 is the top row (memory row
// height - 1). 16-bit samples are stored as they are, 8-bit ones x 256,
// 5-bit fields (R bits 10-14, G 5-9, B 0-4 of a 16-bit word) x 2048; samples
// beyond the third (alpha) are skipped. Each strip is read from its own
// offset; without a rows-per-strip entry the whole raster is one strip, so
// only the first strip offset counts. Strip data missing from the file
// (short byte counts, offsets past the end, truncation) reads as 0, and
// `report` counts the rows not read whole. A raster the file cannot hold
// (RasterFitsFile over width x height x bytes per pixel) is refused as
// kReadBadFormat before any plane is planned.
// Refused with kReadUnsupported: compression, a photometric value other
// than RGB, separate planes, tiles, signed or float samples, other sample
// layouts, BigTIFF. Refused with kReadBadFormat: no "II"/"MM" mark,
// damaged directory, missing width or height. The image is untouched on
// failure.
// `name` becomes the image name.
ReadStatus ReadTiffFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report = nullptr);

// Little-endian file: "II", 42, directory at 8 with nine entries (width,
// height, bits per sample 16,16,16 stored at 122, no compression, RGB, one
// strip at 128, orientation top-left, 3 samples per pixel, strip byte
// count), raster at 128: rows from the top, R, G, B as 16-bit samples low
// byte first. Width and height are shorts up to 65535, longs beyond. False,
// target untouched, when the write fails or the file would pass 4 GiB.
bool WriteTiff(const std::string& path, const Image& image);

}  // namespace tavo
