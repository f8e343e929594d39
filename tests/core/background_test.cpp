// SPDX-License-Identifier: MIT
#include "core/background.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/files.h"

namespace tavo {
namespace {

int OpenDescriptors() {
  int n = 0;
  DIR* d = opendir("/proc/self/fd");
  while (d != nullptr && readdir(d) != nullptr) ++n;
  if (d != nullptr) closedir(d);
  return n;
}

TEST(BackgroundJobs, JobsRunInOrderAndFinishWaitsForThem) {
  std::vector<int> seen;  // written only by the background thread until Finish
  for (int k = 0; k < 50; ++k) RunInBackground([&seen, k] { seen.push_back(k); });
  FinishBackgroundJobs();
  ASSERT_EQ(seen.size(), 50u);
  for (int k = 0; k < 50; ++k) EXPECT_EQ(seen[k], k);
}

// Replacing a file hands the old one to the background: once that has run,
// the new bytes are in place and no descriptor is left open.
TEST(BackgroundJobs, ReplacedFileIsReleased) {
  const std::string path = testing::TempDir() + "tavo_background_replace.txt";
  for (const char* text : {"old contents", "new"}) {
    FinishBackgroundJobs();
    const int before = OpenDescriptors();
    SafeFile out;
    ASSERT_TRUE(out.Open(path));
    ASSERT_TRUE(out.Print(text));
    ASSERT_TRUE(out.Commit());
    FinishBackgroundJobs();
    EXPECT_EQ(OpenDescriptors(), before);
  }
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadWholeFile(path, &bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tavo
