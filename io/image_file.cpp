// SPDX-License-Identifier: MIT
#include "io/image_file.h"

#include "io/file_type.h"
#include "io/pnm.h"

namespace tavo {

ReadStatus ReadImageFile(const std::string& path, Image& image) {
  switch (DetectFileType(path)) {
    case kFilePnm: return ReadPnm(path, image);
    case kFileBmp:
    case kFileTiff:
    case kFileJpeg:
    case kFileFits: return kReadNotBuilt;
    default: return kReadUnsupported;
  }
}

bool HasWriter(int file_type) { return file_type == kFilePnm; }

bool WriteImageFile(const std::string& path, const Image& image, int save_filter_index) {
  if (image.Empty() || !image.r) return false;
  switch (DetectFileType(path)) {
    case kFilePnm: return WritePnm(path, image, save_filter_index != kSaveFilterPpmBinary);
    default: return false;
  }
}

}  // namespace tavo
