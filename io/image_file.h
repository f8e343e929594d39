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
};

// What a successful read noticed about the file: rows of the picture the
// file ended before (or whose data was missing); they read as 0.
struct ReadReport {
  int missing_rows = 0;
};

// Reads a file of type 1..5 into `image`. On success the image holds fresh
// planes and its name is the path, and `report` (when given) is filled; on
// failure the image is left exactly as it was. Camera RAW files (type 10)
// are developed by the raw module, not here.
ReadStatus ReadImageFile(const std::string& path, Image& image, ReadReport* report = nullptr);

// Writes by the type of `path`: BMP, TIFF, PPM (binary when
// `save_filter_index` is the binary PPM filter, ASCII otherwise) or JPEG.
// False - and no file changed - when the type has no writer or the write
// fails.
bool WriteImageFile(const std::string& path, const Image& image, int save_filter_index);

// True when a writer exists for files of this type.
bool HasWriter(int file_type);

}  // namespace tavo
