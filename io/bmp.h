// SPDX-License-Identifier: MIT
// io/bmp.h - Windows and OS/2 bitmaps: 1, 2, 4 and 8-bit indexed (4 and 8
// also run-length encoded), 16, 24 and 32-bit read; 24-bit written.
#pragma once
#include <string>

#include "core/image.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

// File row k is memory row k (bottom-up files); a negative height marks a
// top-down file, whose first row becomes the top memory row. 8-bit file
// values enter as value x 256, i.e. every channel is shifted to the top of
// the 16-bit range (a 5-bit field of a 16-bit pixel: x 2048). Indexed files
// take their palette from after the header (3-byte entries with the 12-byte
// OS/2 header, 4-byte otherwise); indices beyond it give black. 16 and
// 32-bit pixels use the header's bit masks when compression is 3, else
// 5-5-5 and 8-8-8. Run-length data: pixels beyond the end of a row are
// dropped, an end-of-line escape moves to the start of the next row,
// deltas move without writing, nothing is written outside the picture;
// pixels never written stay 0, as do samples
// missing at the end of a truncated file; `report` counts the rows the file
// ended in or before (run-length data: from the row the data ran out in,
// unless an end-of-bitmap escape came first). Refused: other bit counts,
// embedded JPEG/PNG data and unknown compressions (kReadUnsupported), a
// damaged header (kReadBadFormat), and a raster the file cannot hold
// (RasterFitsFile; run-length data at most 255 pixels per two bytes) as
// kReadBadFormat before any plane is planned. The image is untouched on
// failure. `name` becomes the image name.
ReadStatus ReadBmpFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report = nullptr);

// 24-bit uncompressed file with the 54-byte header (40-byte information
// header, 128 pixels per metre), rows bottom first, each channel sample / 256
// as blue, green, red, rows padded with zeros to a multiple of 4 bytes.
// False, target untouched, when the write fails or the file would exceed
// the 4 GiB the header can describe.
bool WriteBmp(const std::string& path, const Image& image);

}  // namespace tavo
