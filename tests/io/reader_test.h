// SPDX-License-Identifier: MIT
// tests/io/reader_test.h - files built byte by byte, and the checks every format reader shares.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/memory.h"
#include "io/image_file.h"
#include "tests/test_images.h"

namespace tavo {

inline std::string Le16(uint32_t v) { return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)}; }
inline std::string Le32(uint32_t v) { return Le16(v & 0xffff) + Le16(v >> 16); }
inline std::string Be16(uint32_t v) { return {static_cast<char>((v >> 8) & 0xff), static_cast<char>(v & 0xff)}; }
inline std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xffff); }
inline std::string Raw(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

// A file that reads, and its planes as byte values x unit, memory row 0 first; an empty list is not checked.
struct PlaneCase {
  const char* what;
  std::string file;
  int w, unit;
  std::vector<int> r, g, b;
};

struct Refusal {
  const char* what;
  std::string bytes;
  ReadStatus expected;
};

// A fresh folder per test; Load writes the bytes as t<ext> and reads them into image_.
class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TempDir("io"); }
  ReadStatus Load(const std::string& bytes, const std::string& ext) {
    WriteBytes(dir_ + "/t" + ext, bytes);
    if (own_ == nullptr) return ReadImageFile(dir_ + "/t" + ext, image_);
    ByteReader in;
    return in.Open(dir_ + "/t" + ext) ? own_(in, dir_ + "/t" + ext, image_, nullptr) : kReadCannotOpen;
  }
  void ExpectPlanes(const std::string& ext, const std::vector<PlaneCase>& cases) {
    for (const PlaneCase& c : cases) {
      ASSERT_EQ(Load(c.file, ext), kReadOk) << c.what;
      ASSERT_EQ(image_.width, c.w) << c.what;
      const std::vector<int>* want[3] = {&c.r, &c.g, &c.b};
      for (int ch = 0; ch < 3; ++ch) {
        std::vector<int> scaled = *want[ch];
        for (int& v : scaled) v *= c.unit;
        if (scaled.empty()) continue;
        EXPECT_EQ(PlaneValues(image_.Channel(ch), image_), scaled) << c.what << ", channel " << ch;
      }
    }
  }
  // Each case, a missing file and `huge` (a size beyond 64 MiB) are refused with their status, image_ unchanged.
  // A raster the file cannot hold is damaged; a compressed one can only be refused for memory.
  void ExpectRefused(const std::string& ext, const std::vector<Refusal>& cases, const std::string& huge,
                     ReadStatus huge_status = kReadBadFormat) {
    image_ = MakePositionImage(2, 2);
    image_.name = "keep";
    const Image before = MakePositionImage(2, 2);
    for (const Refusal& c : cases) EXPECT_EQ(Load(c.bytes, ext), c.expected) << c.what;
    EXPECT_EQ(ReadImageFile(dir_ + "/missing" + ext, image_), kReadCannotOpen);
    SetAvailableMemoryForTest(64 << 20);
    EXPECT_EQ(Load(huge, ext), huge_status);
    SetAvailableMemoryForTest(-1);
    EXPECT_TRUE(SamePlanes(image_, before));
    EXPECT_EQ(image_.name, "keep");
  }

  std::string dir_;
  Image image_;
  // Set: Load reads with this reader alone, without the library fallback.
  ReadStatus (*own_)(ByteReader& in, const std::string& name, Image& image, ReadReport* report) = nullptr;
};

}  // namespace tavo
