// SPDX-License-Identifier: MIT
// io/fits.h - the primary image of a FITS file (8, 16 or 32-bit integers,
// two axes) read as a gray picture, and the writer.
#pragma once
#include <string>

#include "core/image.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

// Header: 80-character cards up to "END"; BITPIX, NAXIS1 (width), NAXIS2
// (height), BZERO (default 0) and BSCALE (default 1) are used, values with
// their sign ("-32768", "1.0E0" and "32768." are integers). Data start at
// the next multiple of 2880 bytes when the header is padded with spaces,
// otherwise at the first card after "END" that is not all spaces. Data row
// k is memory row k. Big-endian values v become samples, in arithmetic
// modulo 2^64 reduced to 16 bits:
//   BITPIX 8:  (b x 256 x BSCALE + BZERO) mod 65536
//   BITPIX 16: (v x BSCALE + BZERO) mod 65536 (v read as unsigned: same
//              result modulo 65536 as the signed value)
//   BITPIX 32: floor((v x BSCALE + BZERO) / 65536) mod 65536 with v signed,
//              i.e. the top 16 bits of the scaled 32-bit value
// and fill R, G and B alike. Missing data read as 0; `report` counts the
// rows the file ended in or before. A data array the file cannot hold
// (RasterFitsFile) is refused as kReadBadFormat before any plane is planned.
// Refused with kReadUnsupported: BITPIX -32, -64 and 64, BZERO or BSCALE
// that are not whole numbers, and a NAXIS other than 2 (io/fits_lib.h takes
// these). Refused with kReadBadFormat: no "END",
// missing or unusable BITPIX, NAXIS1 or NAXIS2. The image is untouched on
// failure.
// `name` becomes the image name.
ReadStatus ReadFitsFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report = nullptr);

constexpr int kFits16 = 0;     // BITPIX 16, BZERO 32768: samples as they are
constexpr int kFitsFloat = 1;  // BITPIX -32: sample / 65535, 0..1

// Header cards SIMPLE, BITPIX, NAXIS, NAXIS1 (width), NAXIS2 (height),
// NAXIS3 = 3 for a colour image, BZERO 32768 and BSCALE 1 (16-bit only),
// DATE (UTC, "YYYY-MM-DDThh:mm:ss"), a HISTORY card naming the program,
// END, padded with spaces to 2880 bytes. Data big-endian, memory row 0
// (the bottom row) first as FITS has it; a monochrome image
// (image.monochrome == 1) writes its R plane alone, a colour one R, G and
// B planes after each other; zeros pad the data to 2880 bytes. 16-bit
// values are sample - 32768; floats are float(sample) / 65535. False,
// target untouched, when the write fails.
bool WriteFits(const std::string& path, const Image& image, int kind);

}  // namespace tavo
