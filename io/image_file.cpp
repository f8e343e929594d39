// SPDX-License-Identifier: MIT
#include "io/image_file.h"

#include "io/bmp.h"
#include "io/file_type.h"
#include "io/fits.h"
#include "io/fits_lib.h"
#include "io/jpeg.h"
#include "io/pnm.h"
#include "io/tiff.h"
#include "io/tiff_lib.h"

namespace tavo {

namespace {

using ReaderFrom = ReadStatus (*)(ByteReader& in, const std::string& name, Image& image, ReadReport* report);

ReaderFrom ReaderFor(int file_type) {
  switch (file_type) {
    case kFileBmp: return ReadBmpFrom;
    case kFileTiff: return ReadTiffFrom;
    case kFilePnm: return ReadPnmFrom;
    case kFileJpeg: return ReadJpegFrom;
    case kFileFits: return ReadFitsFrom;
    default: return nullptr;
  }
}

// The library reader that takes what the own reader of a type refuses.
ReaderFrom LibraryReaderFor(int file_type) {
  switch (file_type) {
    case kFileTiff: return ReadTiffLibraryFrom;
    case kFileFits: return ReadFitsLibraryFrom;
    default: return nullptr;
  }
}

}  // namespace

ReadStatus ReadImageFile(const std::string& path, Image& image, ReadReport* report) {
  const int type = DetectFileType(path);
  const ReaderFrom read = ReaderFor(type);
  if (read == nullptr) return kReadUnsupported;
  ReadStatus status;
  {
    ByteReader in;
    if (!in.Open(path)) return kReadCannotOpen;
    status = read(in, path, image, report);
  }
  if (status == kReadOk) {
    // Own FITS files are single-plane; the other own readers give colour.
    image.monochrome = type == kFileFits ? 1 : 0;
    return kReadOk;
  }
  const ReaderFrom fallback = LibraryReaderFor(type);
  if (fallback == nullptr || (status != kReadUnsupported && status != kReadBadFormat)) return status;
  ByteReader again;
  if (!again.Open(path)) return kReadCannotOpen;
  const ReadStatus second = fallback(again, path, image, report);
  // A layout the own reader does not know is the library's to judge; a
  // file the own reader found damaged (a header claiming more than the
  // file holds included) stays damaged unless the library reads it.
  return status == kReadUnsupported || second == kReadOk ? second : status;
}

bool HasWriter(int file_type) {
  switch (file_type) {
    case kFileBmp:
    case kFileTiff:
    case kFilePnm:
    case kFileJpeg:
    case kFileFits: return true;
    default: return false;
  }
}

bool WriteImageFile(const std::string& path, const Image& image, int save_filter_index) {
  if (image.Empty() || !image.r) return false;
  switch (DetectFileType(path)) {
    case kFileBmp: return WriteBmp(path, image);
    case kFileTiff: return WriteTiff(path, image);
    case kFilePnm: return WritePnm(path, image, save_filter_index != kSaveFilterPpmBinary);
    case kFileJpeg: return WriteJpeg(path, image, kJpegQuality);
    case kFileFits: return WriteFits(path, image, save_filter_index == kSaveFilterFits32 ? kFitsFloat : kFits16);
    default: return false;
  }
}

}  // namespace tavo
