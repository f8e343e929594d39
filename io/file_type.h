// SPDX-License-Identifier: MIT
// io/file_type.h - the format of a file, decided from its name alone.
#pragma once
#include <string>

namespace tavo {

constexpr int kFileUnsupported = 0;
constexpr int kFileBmp = 1;
constexpr int kFileTiff = 2;
constexpr int kFilePnm = 3;
constexpr int kFileJpeg = 4;
constexpr int kFileFits = 5;
constexpr int kFileRaw = 10;

// Compares only the last three characters (four for "TIFF", "JPEG" and
// "FITS"), ignoring ASCII case; the dot is not looked at, so "XBMP" is a
// BMP. Names shorter than four characters are unsupported.
int DetectFileType(const std::string& path);

// Save dialog filters 1..7 and the extension each one appends.
constexpr int kSaveFilterBmp = 1;
constexpr int kSaveFilterJpeg = 2;
constexpr int kSaveFilterTiff = 3;
constexpr int kSaveFilterPpmBinary = 4;
constexpr int kSaveFilterPpmAscii = 5;
constexpr int kSaveFilterFits16 = 6;
constexpr int kSaveFilterFits32 = 7;
constexpr int kSaveFilterCount = 7;
const char* SaveFilterExtension(int filter_index);  // ".BMP" for unknown indices

}  // namespace tavo
