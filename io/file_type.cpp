// SPDX-License-Identifier: MIT
#include "io/file_type.h"

#include <cctype>

namespace tavo {
namespace {

bool EndsWith(const std::string& s, const char* tail, size_t n) {
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(s[s.size() - n + i])));
    if (a != tail[i]) return false;
  }
  return true;
}

const char* const kRawEndings[] = {"CRW", "CR2", "NEF", "NRW", "PEF", "RAF", "ORF",
                                   "MRW", "RAW", "RW2", "RWL", "SRF", "SR2", "ARW",
                                   "DNG", "ERF", "KDC", "MEF", "SRW"};

}  // namespace

int DetectFileType(const std::string& path) {
  if (path.size() < 4) return kFileUnsupported;
  if (EndsWith(path, "BMP", 3)) return kFileBmp;
  if (EndsWith(path, "TIF", 3) || EndsWith(path, "TIFF", 4)) return kFileTiff;
  if (EndsWith(path, "PPM", 3) || EndsWith(path, "PGM", 3)) return kFilePnm;
  if (EndsWith(path, "JPG", 3) || EndsWith(path, "JPEG", 4)) return kFileJpeg;
  if (EndsWith(path, "FTS", 3) || EndsWith(path, "FIT", 3) || EndsWith(path, "FITS", 4)) return kFileFits;
  for (const char* ending : kRawEndings) {
    if (EndsWith(path, ending, 3)) return kFileRaw;
  }
  return kFileUnsupported;
}

const char* SaveFilterExtension(int filter_index) {
  switch (filter_index) {
    case kSaveFilterJpeg: return ".JPG";
    case kSaveFilterTiff: return ".TIF";
    case kSaveFilterPpmBinary:
    case kSaveFilterPpmAscii: return ".PPM";
    case kSaveFilterFits16:
    case kSaveFilterFits32: return ".FIT";
    default: return ".BMP";
  }
}

}  // namespace tavo
