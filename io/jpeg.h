// SPDX-License-Identifier: MIT
// io/jpeg.h - JPEG files through libjpeg: read (gray or colour), written
// as baseline JFIF. The only module that sees the library.
#pragma once
#include <string>

#include "core/image.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

constexpr int kJpegQuality = 75;

// The first scanline is the top row (memory row height - 1). Gray files
// give R = G = B = v x 256, colour files R, G, B = byte x 256. A damaged
// file never ends the program: libjpeg errors give kReadBadFormat, while a
// file cut short keeps what was decoded (the library fills the rest) and
// `report` counts the rows from the row of blocks (8 or 16 rows) the
// decoder found its data missing in, in the scan it was reading.
// CMYK and other colour spaces give kReadUnsupported; images too large for
// the memory kReadNoMemory. The image is untouched on failure.
// `name` becomes the image name.
ReadStatus ReadJpegFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report = nullptr);

// Baseline JFIF (YCbCr, library defaults, `quality` 1..100) of the three
// planes, each sample / 256, rows from the top. False, target untouched,
// when the file cannot be written or the library refuses the image (for
// instance a side above 65500 pixels).
bool WriteJpeg(const std::string& path, const Image& image, int quality);

}  // namespace tavo
