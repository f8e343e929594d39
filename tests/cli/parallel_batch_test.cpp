// SPDX-License-Identifier: MIT
// Four `tavo-cli batch` processes at once write into one folder, as a scheduler's array job does: every result
// arrives whole and none is lost or left half-written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/test_images.h"

namespace tavo {
namespace {

constexpr int kProcesses = 4, kFilesEach = 6, kSide = 96;

// Open one file at a time (step 1), save as binary PPM (step 8, filter 4) into `folder`; the other steps empty.
std::string CopyJob(const std::string& folder) {
  std::string text;
  for (int step = 0; step < 8; ++step) {
    text += step == 0 ? "1\n" : step == 7 ? "3\n" : "0\n";
    for (int w = 0; w < 32; ++w) text += step == 7 && w == 0 ? "4\n" : "0\n";
    text += step == 7 ? "\".PPM\"\n\"" + folder + "\"\n" : "\"\"\n\"\"\n";
  }
  return text;
}

// One 96 x 96 16-bit PPM per file k, every sample k * 1000 + (x + y) % 1000, so a mixed-up or cut file shows.
std::string Frame(int k) {
  std::string f = "P6\n" + std::to_string(kSide) + " " + std::to_string(kSide) + "\n65535\n";
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const int v = k * 1000 + (x + y) % 1000;
      for (int c = 0; c < 3; ++c) f += std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xff)};
    }
  }
  return f;
}

TEST(ParallelBatch, FourProcessesIntoOneFolder) {
  const std::string dir = TempDir("parallel_batch");
  std::filesystem::create_directories(dir + "/out");
  WriteBytes(dir + "/job.tvb", CopyJob(dir + "/out"));
  std::string script = "cd '" + dir + "' || exit 1; ";
  for (int p = 0; p < kProcesses; ++p) {
    script += "( '" TAVO_CLI_PATH "' batch --yes job.tvb";
    for (int i = 0; i < kFilesEach; ++i) {
      const int k = p * kFilesEach + i;
      WriteBytes(dir + "/f" + std::to_string(k) + ".ppm", Frame(k));
      script += " f" + std::to_string(k) + ".ppm";
    }
    script += " > log" + std::to_string(p) + " 2>&1; echo $? > status" + std::to_string(p) + " ) & ";
  }
  ASSERT_EQ(std::system((script + "wait").c_str()), 0);
  for (int p = 0; p < kProcesses; ++p) {
    EXPECT_EQ(ReadBytes(dir + "/status" + std::to_string(p)), "0\n") << ReadBytes(dir + "/log" + std::to_string(p));
  }
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir + "/out")) files += e.is_regular_file();
  EXPECT_EQ(files, kProcesses * kFilesEach);  // no temporary file left behind
  for (int k = 0; k < kProcesses * kFilesEach; ++k) {
    EXPECT_TRUE(ReadBytes(dir + "/out/f" + std::to_string(k) + ".PPM") == Frame(k)) << k;
  }
}

}  // namespace
}  // namespace tavo
