// SPDX-License-Identifier: MIT
#include "tests/test_images.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "core/slots.h"

namespace tavo {

namespace {
// The user's own settings file must not reach the tests: the configuration
// folder is one below the tests' working folder, which holds none.
[[maybe_unused]] const bool kConfigIsolated = setenv("XDG_CONFIG_HOME", (std::filesystem::current_path() / "no_user_config").c_str(), 1) == 0;
}  // namespace

Image MakePositionImage(int w, int h) {
  Image img;
  AllocateImagePlanes(img, w, h, true);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      img.r[i] = static_cast<uint16_t>(x * 1000 + y);
      img.g[i] = static_cast<uint16_t>(x * 1000 + y + 1);
      img.b[i] = static_cast<uint16_t>(x * 1000 + y + 2);
    }
  }
  return img;
}

Image MakeNoiseImage(int w, int h, uint32_t seed) {
  Image img;
  AllocateImagePlanes(img, w, h, true);
  uint32_t s = seed * 2654435761u + 1;
  for (int c = 0; c < 3; ++c) {
    uint16_t* p = img.Channel(c);
    for (size_t i = 0; i < img.PixelCount(); ++i) {
      s = s * 1664525u + 1013904223u;
      p[i] = static_cast<uint16_t>(s >> 16);
    }
  }
  return img;
}

Image MakeFlatImage(int w, int h, uint16_t value) {
  Image img;
  AllocateImagePlanes(img, w, h, true);
  for (int c = 0; c < 3; ++c) {
    uint16_t* p = img.Channel(c);
    for (size_t i = 0; i < img.PixelCount(); ++i) p[i] = value;
  }
  return img;
}

Image MakeImageFromRows(int w, int h, const std::vector<int>& values) {
  Image img;
  AllocateImagePlanes(img, w, h, true);
  for (size_t i = 0; i < img.PixelCount() && i < values.size(); ++i) {
    img.r[i] = img.g[i] = img.b[i] = static_cast<uint16_t>(values[i]);
  }
  return img;
}

std::vector<int> PlaneValues(const uint16_t* plane, const Image& image) {
  return std::vector<int>(plane, plane + image.PixelCount());
}

uint16_t Sample(const uint16_t* plane, const Image& image, int x, int row) {
  return plane[static_cast<size_t>(row) * image.width + x];
}

bool SamePlanes(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) return false;
  const size_t n = a.PixelCount();
  for (int c = 0; c < 3; ++c) {
    if (n > 0 && std::memcmp(a.Channel(c), b.Channel(c), n * 2) != 0) return false;
  }
  return true;
}

std::string TempDir(const std::string& name) {
  // CTest runs tests of one binary in parallel processes, so every test
  // gets a folder of its own.
  std::string unique = name;
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info != nullptr) unique += std::string("_") + info->test_suite_name() + "_" + info->name();
  const std::string dir = std::filesystem::current_path().string() + "/tmp_" + unique;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::vector<int> ReadPpmSamples(const std::string& path, int* width, int* height) {
  const std::string bytes = ReadBytes(path);
  int w = 0, h = 0, max = 0, used = 0;
  // One white-space byte ends the header; the samples may start with one.
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used) != 3 || max != 65535) return {};
  ++used;
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  std::vector<int> samples;
  for (size_t i = static_cast<size_t>(used); i + 1 < bytes.size(); i += 2) {
    samples.push_back(static_cast<unsigned char>(bytes[i]) * 256 + static_cast<unsigned char>(bytes[i + 1]));
  }
  return samples;
}

void WritePixelPpm(const std::string& path, int r, int g, int b) {
  std::string bytes = "P6\n1 1\n65535\n";
  for (int v : {r, g, b}) {
    bytes += static_cast<char>(v >> 8);
    bytes += static_cast<char>(v & 255);
  }
  WriteBytes(path, bytes);
}

std::vector<int> PixelValues(const Image& image, int x, int row) {
  const size_t i = static_cast<size_t>(row) * image.width + x;
  return {image.r[i], image.g[i], image.b[i]};
}

}  // namespace tavo
