// SPDX-License-Identifier: MIT
#include "io/image_file.h"

#include "io/bmp.h"
#include "io/file_type.h"
#include "io/fits.h"
#include "io/jpeg.h"
#include "io/pnm.h"
#include "io/tiff.h"

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

}  // namespace

ReadStatus ReadImageFile(const std::string& path, Image& image, ReadReport* report) {
  const ReaderFrom read = ReaderFor(DetectFileType(path));
  if (read == nullptr) return kReadUnsupported;
  ByteReader in;
  if (!in.Open(path)) return kReadCannotOpen;
  return read(in, path, image, report);
}

bool HasWriter(int file_type) {
  switch (file_type) {
    case kFileBmp:
    case kFileTiff:
    case kFilePnm:
    case kFileJpeg: return true;
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
    default: return false;
  }
}

}  // namespace tavo
