// SPDX-License-Identifier: MIT
// io/image_file.h - routing of image reads and writes to the format modules.
#pragma once
#include <string>

#include "core/image.h"

namespace tavo {

// Why a read failed; the shell turns these into messages.
enum ReadStatus {
  kReadOk = 0,
  kReadCannotOpen,     // missing or unreadable file
  kReadBadFormat,      // wrong magic, damaged or impossible header
  kReadNoMemory,       // planes too large for the memory there is
  kReadUnsupported,    // a variant of the format that is not handled
  kReadCancelled,      // the user stopped it (a camera RAW file's development)
};

// What a successful read noticed about the file: rows of the picture the
// file ended before (or whose data was missing); they read as 0.
struct ReadReport {
  int missing_rows = 0;
};

// Reads a file of type 1..5 into `image`. TIFF and FITS files the own
// reader refuses (bad format or unsupported) go to the library reader
// (io/tiff_lib.h, io/fits_lib.h); when that fails too, its status is
// returned if the own reader found the layout unsupported, or it ran out of
// memory, else the own reader's status. On success the image holds fresh
// planes, its name is the path, image.monochrome is 1 for a single-plane
// file (FITS, gray TIFF), else 0, and `report` (when given) is filled; on
// failure it is left exactly as it was. Camera RAW files (type 10) are
// developed by the raw module, not here.
ReadStatus ReadImageFile(const std::string& path, Image& image, ReadReport* report = nullptr);

// Writes by the type of `path`: BMP, TIFF, PPM (binary when
// `save_filter_index` is the binary PPM filter, ASCII otherwise), JPEG or
// FITS (32-bit float with the float FITS filter, 16-bit otherwise).
// False - and no file changed - when the type has no writer or the write
// fails.
bool WriteImageFile(const std::string& path, const Image& image, int save_filter_index);

// True when a writer exists for files of this type.
bool HasWriter(int file_type);

}  // namespace tavo
