// SPDX-License-Identifier: MIT
#include "core/files.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/background.h"

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

// A replaced file keeps its rights, a new one gets the usual ones (0666
// less the umask), and a folder of that name is not replaced at all.
TEST(SafeFile, RightsAndWhatIsNotReplaced) {
  const std::string dir = testing::TempDir() + "tavo_safe_file";
  mkdir(dir.c_str(), 0755);
  const std::string kept = dir + "/kept", fresh = dir + "/fresh", folder = dir + "/folder";
  std::remove(fresh.c_str());
  mkdir(folder.c_str(), 0755);
  FILE* f = std::fopen(kept.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  chmod(kept.c_str(), 0640);
  const mode_t mask = umask(022);
  for (const std::string& path : {kept, fresh}) {
    SafeFile out;
    ASSERT_TRUE(out.Open(path));
    ASSERT_TRUE(out.Print("x"));
    ASSERT_TRUE(out.Commit());
  }
  FinishBackgroundJobs();
  umask(mask);
  struct stat st;
  ASSERT_EQ(stat(kept.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  SafeFile out;
  EXPECT_FALSE(out.Open(folder));
}

}  // namespace
}  // namespace tavo
