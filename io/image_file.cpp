// SPDX-License-Identifier: MIT
#include "io/image_file.h"

#include "io/bmp.h"
#include "io/file_type.h"
#include "io/fits.h"
#include "io/jpeg.h"
#include "io/pnm.h"
#include "io/tiff.h"

namespace tavo {

ReadStatus ReadImageFile(const std::string& path, Image& image) {
  switch (DetectFileType(path)) {
    case kFileBmp: return ReadBmp(path, image);
    case kFileTiff: return ReadTiff(path, image);
    case kFilePnm: return ReadPnm(path, image);
    case kFileJpeg: return ReadJpeg(path, image);
    case kFileFits: return ReadFits(path, image);
    default: return kReadUnsupported;
  }
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
