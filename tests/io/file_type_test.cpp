// SPDX-License-Identifier: MIT
#include "io/file_type.h"

#include <gtest/gtest.h>

namespace tavo {
namespace {

TEST(FileType, ByTheLastCharactersOfTheNameIgnoringCase) {
  const struct {
    const char* name;
    int type;
  } cases[] = {{"photo.tiff", kFileTiff}, {"PHOTO.TIF", kFileTiff}, {"a.bmp", kFileBmp},
               {"dirXBMP", kFileBmp},  // the dot is not examined
               {"x.PGM", kFilePnm},     {"x.ppm", kFilePnm},      {"x.Jpg", kFileJpeg},  {"photo.jpeg", kFileJpeg},
               {"m31.fts", kFileFits},  {"m31.FIT", kFileFits},   {"m31.Fits", kFileFits},
               {"BMP", kFileUnsupported},  // shorter than four
               {"", kFileUnsupported},  {"notes.txt", kFileUnsupported}};
  for (const auto& c : cases) EXPECT_EQ(DetectFileType(c.name), c.type) << c.name;
  for (const char* raw : {"a.CRW", "a.cr2", "a.nef", "a.NRW", "a.pef", "a.raf", "a.orf", "a.mrw", "a.raw", "a.rw2",
                          "a.rwl", "a.srf", "a.sr2", "a.arw", "a.dng", "a.erf", "a.kdc", "a.mef", "a.srw"}) {
    EXPECT_EQ(DetectFileType(raw), kFileRaw) << raw;
  }
  // Save filters 1..7; unknown indices take ".BMP".
  const char* const extensions[] = {".BMP", ".BMP", ".JPG", ".TIF", ".PPM", ".PPM", ".FIT", ".FIT", ".BMP"};
  for (int i = 0; i < 9; ++i) EXPECT_STREQ(SaveFilterExtension(i), extensions[i]) << i;
}

}  // namespace
}  // namespace tavo
