// SPDX-License-Identifier: MIT
// Inputs the fuzzers found harmful once (tests/fuzz/regressions) and the
// seed corpora (tests/fuzz/corpus): each reader must give an image or an
// error for every one of them, from a file and from memory, and never
// crash (the sanitizer build checks the memory accesses).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/memory.h"
#include "io/bmp.h"
#include "io/fits.h"
#include "io/jpeg.h"
#include "io/pnm.h"
#include "io/tiff.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

using MemoryReader = ReadStatus (*)(ByteReader& in, const std::string& name, Image& image, ReadReport* report);

struct Format {
  const char* folder;
  MemoryReader from_memory;
};

const Format kFormats[] = {
    {"bmp", ReadBmpFrom}, {"tiff", ReadTiffFrom}, {"pnm", ReadPnmFrom}, {"fits", ReadFitsFrom}, {"jpeg", ReadJpegFrom},
};

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The kept inputs have no extension, so the reader is picked by folder.
ReadStatus ReadFromFile(const Format& f, const std::string& path, Image& image) {
  ByteReader in;
  if (!in.Open(path)) return kReadCannotOpen;
  return f.from_memory(in, path, image, nullptr);
}

// Reads `path` both ways; on failure the image must be as it was.
void CheckFile(const Format& f, const std::string& path) {
  const Image before = MakePositionImage(2, 2);
  Image image = MakePositionImage(2, 2);
  const ReadStatus status = ReadFromFile(f, path, image);
  if (status == kReadOk) {
    EXPECT_FALSE(image.Empty()) << path;
  } else {
    EXPECT_TRUE(SamePlanes(image, before)) << path;
  }
  const std::string bytes = ReadBytes(path);
  ByteReader in;
  in.OpenMemory(bytes.data(), bytes.size());
  Image from_memory;
  EXPECT_EQ(f.from_memory(in, "memory", from_memory, nullptr), status) << path;
  if (status == kReadOk) {
    EXPECT_TRUE(SamePlanes(from_memory, image)) << path;
  }
}

TEST(FuzzRegressions, EveryKeptInputGivesAnImageOrAnError) {
  // As in the fuzz targets: little memory, so absurd sizes are refused.
  SetAvailableMemoryForTest(32 << 20);
  int checked = 0;
  for (const Format& f : kFormats) {
    for (const std::string& path : FilesIn(std::string(TAVO_SOURCE_DIR) + "/tests/fuzz/regressions/" + f.folder)) {
      CheckFile(f, path);
      ++checked;
    }
  }
  SetAvailableMemoryForTest(-1);
  EXPECT_GT(checked, 0);
}

TEST(FuzzRegressions, EverySeedReadsAsAnImage) {
  for (const Format& f : kFormats) {
    const std::vector<std::string> files = FilesIn(std::string(TAVO_SOURCE_DIR) + "/tests/fuzz/corpus/" + f.folder);
    EXPECT_GE(files.size(), 5u) << f.folder;
    for (const std::string& path : files) {
      CheckFile(f, path);
      // The seeds are sound files; only the CMYK JPEG is refused.
      Image image;
      const ReadStatus status = ReadFromFile(f, path, image);
      if (path.find("cmyk") != std::string::npos) {
        EXPECT_EQ(status, kReadUnsupported) << path;
      } else {
        EXPECT_EQ(status, kReadOk) << path;
      }
    }
  }
}

}  // namespace
}  // namespace tavo
