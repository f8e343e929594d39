// SPDX-License-Identifier: MIT
// io/fits_lib.h - FITS files through cfitsio, for the layouts the own
// reader (io/fits.h) refuses: floating-point and 64-bit data, scaling that
// is not whole, colour cubes and tile-compressed images.
#pragma once
#include <string>

#include "core/image.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

// The first HDU holding an image (the primary one, or the first image or
// tile-compressed extension when the primary has no data) is read. NAXIS 2,
// or NAXIS 3 with NAXIS3 = 1, is monochrome: one plane in R, G and B and
// image.monochrome = 1; NAXIS 3 with NAXIS3 = 3 is R, G, B with
// image.monochrome = 0. Data row k is memory row k (the bottom row first).
// Physical values v (BZERO and BSCALE applied) become samples by the type
// the scaled data have:
//   8-bit integers:  floor(v x 256)
//   16-bit:          floor(v)
//   32-bit:          floor(v / 65536)    (the top 16 of 32 bits)
//   64-bit:          floor(v / 2^48)
//   floating point:  floor((v - lo) / (hi - lo) x 65535 + 0.5), where lo, hi
//                    are DATAMIN, DATAMAX when both are there and
//                    DATAMAX > DATAMIN; else 0, 1 when all data lie in 0..1
//                    (or are all one value); else the data's own least and
//                    greatest value. NaN reads as 0.
// all limited to 0..65535. Refused with kReadUnsupported: other numbers of
// axes or planes, and any file when cfitsio cannot be loaded (it is loaded
// on first use); with kReadBadFormat: anything cfitsio cannot read,
// damaged or short data included, and any card ZTILEn or ZNAXIS(n) whose
// value is not a positive whole number (cfitsio would divide by it); kReadNoMemory when the file and planes
// do not fit. The image is untouched on failure; `name` becomes its name.
ReadStatus ReadFitsLibraryFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report = nullptr);

}  // namespace tavo
