// SPDX-License-Identifier: MIT
#include "io/file_type.h"

#include <gtest/gtest.h>

namespace tavo {
namespace {

TEST(DetectFileType, ByLastCharactersIgnoringCase) {
  EXPECT_EQ(DetectFileType("photo.tiff"), kFileTiff);
  EXPECT_EQ(DetectFileType("PHOTO.TIF"), kFileTiff);
  EXPECT_EQ(DetectFileType("a.bmp"), kFileBmp);
  EXPECT_EQ(DetectFileType("dirXBMP"), kFileBmp);  // the dot is not examined
  EXPECT_EQ(DetectFileType("x.PGM"), kFilePnm);
  EXPECT_EQ(DetectFileType("x.ppm"), kFilePnm);
  EXPECT_EQ(DetectFileType("x.Jpg"), kFileJpeg);
  EXPECT_EQ(DetectFileType("m31.fts"), kFileFits);
  EXPECT_EQ(DetectFileType("m31.FIT"), kFileFits);
  EXPECT_EQ(DetectFileType("m31.Fits"), kFileFits);
  EXPECT_EQ(DetectFileType("photo.jpeg"), kFileJpeg);
  for (const char* raw : {"a.CRW", "a.cr2", "a.nef", "a.NRW", "a.pef", "a.raf", "a.orf", "a.mrw", "a.raw",
                          "a.rw2", "a.rwl", "a.srf", "a.sr2", "a.arw", "a.dng", "a.erf", "a.kdc", "a.mef",
                          "a.srw"}) {
    EXPECT_EQ(DetectFileType(raw), kFileRaw) << raw;
  }
}

TEST(DetectFileType, UnsupportedNames) {
  EXPECT_EQ(DetectFileType("BMP"), kFileUnsupported);  // shorter than four
  EXPECT_EQ(DetectFileType(""), kFileUnsupported);
  EXPECT_EQ(DetectFileType("notes.txt"), kFileUnsupported);
}

TEST(SaveFilterExtension, OnePerFilter) {
  EXPECT_STREQ(SaveFilterExtension(1), ".BMP");
  EXPECT_STREQ(SaveFilterExtension(2), ".JPG");
  EXPECT_STREQ(SaveFilterExtension(3), ".TIF");
  EXPECT_STREQ(SaveFilterExtension(4), ".PPM");
  EXPECT_STREQ(SaveFilterExtension(5), ".PPM");
  EXPECT_STREQ(SaveFilterExtension(9), ".BMP");
}

}  // namespace
}  // namespace tavo
