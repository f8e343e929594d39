// SPDX-License-Identifier: MIT
// Inputs the fuzzers found harmful once (tests/fuzz/regressions) and the seed corpora (tests/fuzz/corpus): each reader
// gives an image or an error for every one, the same from a file and from memory, and never crashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/memory.h"
#include "io/bmp.h"
#include "io/fits.h"
#include "io/fits_lib.h"
#include "io/jpeg.h"
#include "io/pnm.h"
#include "io/tiff.h"
#include "io/tiff_lib.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

using MemoryReader = ReadStatus (*)(ByteReader& in, const std::string& name, Image& image, ReadReport* report);

// The kept inputs have no extension, so the reader is picked by folder.
const struct {
  const char* folder;
  MemoryReader read;
} kFormats[] = {{"bmp", ReadBmpFrom}, {"tiff", ReadTiffFrom}, {"pnm", ReadPnmFrom}, {"fits", ReadFitsFrom},
                {"jpeg", ReadJpegFrom}, {"fits_lib", ReadFitsLibraryFrom}, {"tiff_lib", ReadTiffLibraryFrom}};

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(std::string(TAVO_SOURCE_DIR) + "/tests/fuzz/" + dir, ec)) {
    if (e.is_regular_file()) files.push_back(e.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Reads `path` from the file and from memory; on failure the image must be as it was.
ReadStatus CheckFile(MemoryReader read, const std::string& path) {
  const Image before = MakePositionImage(2, 2);
  Image image = MakePositionImage(2, 2), from_memory;
  ByteReader file;
  const ReadStatus status = file.Open(path) ? read(file, path, image, nullptr) : kReadCannotOpen;
  if (status == kReadOk) {
    EXPECT_FALSE(image.Empty()) << path;
  } else {
    EXPECT_TRUE(SamePlanes(image, before)) << path;
  }
  const std::string bytes = ReadBytes(path);
  ByteReader in;
  in.OpenMemory(bytes.data(), bytes.size());
  EXPECT_EQ(read(in, "memory", from_memory, nullptr), status) << path;
  EXPECT_TRUE(status != kReadOk || SamePlanes(from_memory, image)) << path;
  return status;
}

TEST(FuzzRegressions, KeptInputsGiveAnImageOrAnErrorAndSeedsReadAsImages) {
  size_t kept = 0;
  for (const auto& f : kFormats) {
    // As in the fuzz targets: little memory, so absurd sizes are refused.
    SetAvailableMemoryForTest(32 << 20);
    for (const std::string& path : FilesIn(std::string("regressions/") + f.folder)) {
      CheckFile(f.read, path);
      ++kept;
    }
    SetAvailableMemoryForTest(-1);
    // The seeds are sound files; only the CMYK JPEG is refused.
    const std::vector<std::string> seeds = FilesIn(std::string("corpus/") + f.folder);
    EXPECT_GE(seeds.size(), 5u) << f.folder;
    for (const std::string& path : seeds) {
      EXPECT_EQ(CheckFile(f.read, path), path.find("cmyk") != std::string::npos ? kReadUnsupported : kReadOk) << path;
    }
  }
  EXPECT_GT(kept, 0u);
}

}  // namespace
}  // namespace tavo
