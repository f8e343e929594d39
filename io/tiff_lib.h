// SPDX-License-Identifier: MIT
// io/tiff_lib.h - TIFF files through libtiff, for the layouts the own
// reader (io/tiff.h) refuses: compression, tiles, separate planes,
// grayscale and floating-point samples, palettes and other colour models.
#pragma once
#include <string>

#include "core/image.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

// Only the first directory is read; file row 0 is the top row (memory row
// height - 1), whatever the orientation tag says. Gray (black or white is
// zero) and RGB images of unsigned 8 or 16-bit or 32-bit float samples are
// read sample by sample, in strips or tiles, contiguous or in separate
// planes: 16-bit samples as they are, 8-bit ones x 256, floats as
// floor(v x 65535 + 0.5) limited to 0..65535 (NaN as 0); samples beyond the
// colour ones (alpha) are skipped; white-is-zero gray is inverted. Every
// other layout libtiff can turn into 8-bit RGBA (palettes, YCbCr,
// CMYK, 1 to 4-bit samples) is read that way, the 8-bit values x 256.
// Gray images (either path) fill R, G and B alike and set image.monochrome = 1 (0 otherwise).
// Refused with kReadUnsupported: layouts libtiff cannot convert, and any
// file when libtiff cannot be loaded (it is loaded on first use); with
// kReadBadFormat: no TIFF, or a strip or tile that does not decode;
// kReadNoMemory when planes and buffers do not fit. The image is untouched
// on failure; `name` becomes its name.
ReadStatus ReadTiffLibraryFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report = nullptr);

}  // namespace tavo
