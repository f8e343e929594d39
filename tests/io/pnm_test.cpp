// SPDX-License-Identifier: MIT
// PPM/PGM reading and writing, and what a failed save leaves behind.
#include "io/pnm.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "tests/io/reader_test.h"

namespace tavo {
namespace {

using PnmTest = ReaderTest;

// File rows come top first; memory row 0 is the bottom.
TEST_F(PnmTest, Samples) {
  ExpectPlanes(".ppm", {
      {"P6 8 bits with a comment line", "P6\n# made by hand\n2 1\n255\n" + Raw({1, 2, 3, 255, 128, 0}), 2, 256,
       {1, 255}, {2, 128}, {3, 0}},
      {"P5: gray in all planes, top row first", "P5\n1 2\n255\n" + Raw({10, 20}), 1, 256, {20, 10}, {20, 10}, {20, 10}},
      {"P5 16 bits high byte first", "P5\n2 1\n65535\n" + Raw({0x12, 0x34, 0xff, 0xfe}), 2, 1, {0x1234, 0xfffe},
       {0x1234, 0xfffe}, {}},
      {"two bytes below 65535 are not scaled", "P5\n1 1\n4095\n" + Raw({0x0f, 0xff}), 1, 1, {4095}, {}, {}},
      // n x 65536 / (maximum + 1): 15 -> 61440, 7 -> 28672.
      {"P2 scaled by maximum + 1", "P2\n3 1\n15\n15 0 7\n", 3, 1, {61440, 0, 28672}, {61440, 0, 28672}, {}},
      {"P3 16 bits", "P3\n1 1\n65535\n65535 40000 1\n", 1, 1, {65535}, {40000}, {1}},
      {"P3 8 bits as in binary files", "P3\n1 1\n255\n255 1 128\n", 1, 256, {255}, {1}, {128}},
      // Space after the maximum: 'A' 'B' '\n' are swallowed.
      {"raster after the line feed", "P5 2 1 255 AB\n" + Raw({5, 6}), 2, 256, {5, 6}, {}, {}},
      // Cut after the top row and one byte: the rest is 0.
      {"truncated P6", "P6\n2 3\n255\n" + Raw({1, 2, 3, 4, 5, 6, 7}), 2, 256, {0, 0, 7, 0, 1, 4}, {0, 0, 0, 0, 2, 5},
       {0, 0, 0, 0, 3, 6}},
      // After the bad word every value is missing.
      {"truncated P2", "P2\n2 2\n255\n1 2 x 9\n", 2, 256, {0, 0, 1, 2}, {}, {}},
      {"bitmaps give zero planes", "P4\n8 2\n" + Raw({255, 255}), 8, 1, std::vector<int>(16, 0), {}, {}}, });
  EXPECT_EQ(image_.name, dir_ + "/t.ppm");
  EXPECT_EQ(image_.monochrome, 0);
  ExpectRefused(".ppm", {{"empty", "", kReadBadFormat}, {"Q6", "Q6\n1 1\n255\n", kReadBadFormat},
                 {"P7", "P7\n1 1\n255\n", kReadBadFormat}, {"width 0", "P6\n0 1\n255\n", kReadBadFormat},
                 {"no size", "P6\n", kReadBadFormat}, {"no height", "P6\n3\n", kReadBadFormat},
                 {"width past 32 bits", "P6\n99999999999999999999 1\n255\n", kReadBadFormat},
                 {"text beyond the file", "P2\n300 300\n255\n" + std::string(100, '7'), kReadBadFormat}},  // 2 bytes a value
                "P6\n100000 100000\n255\n");
}

TEST_F(PnmTest, Writers) {
  Image img = MakeFlatImage(1, 2, 0);
  img.r[1] = 1, img.g[1] = 2, img.b[1] = 3;  // top
  img.r[0] = 65535;                          // bottom
  ASSERT_TRUE(WritePnm(dir_ + "/a.ppm", img, true));
  EXPECT_EQ(ReadBytes(dir_ + "/a.ppm"), "P3\n1 2\n65535\n1 2 3 65535 0 0 ");
  ASSERT_TRUE(WritePnm(dir_ + "/b.ppm", img, false));
  EXPECT_EQ(ReadBytes(dir_ + "/b.ppm"), "P6\n1 2\n65535\n" + Raw({0, 1, 0, 2, 0, 3, 255, 255, 0, 0, 0, 0}));
  const Image noise = MakeNoiseImage(7, 5, 3);
  for (bool ascii : {false, true}) {
    ASSERT_TRUE(WritePnm(dir_ + "/c.ppm", noise, ascii));
    ASSERT_EQ(ReadImageFile(dir_ + "/c.ppm", image_), kReadOk);
    EXPECT_TRUE(SamePlanes(noise, image_)) << ascii;
  }
}

TEST_F(PnmTest, FailedSavesKeepTheOldFile) {
  const Image img = MakeNoiseImage(64, 64, 1);
  const std::string old = dir_ + "/old.ppm";
  WriteBytes(old, "old contents");
  chmod(dir_.c_str(), 0500);  // the folder takes no new files
  const bool ok = WritePnm(old, img, false);
  chmod(dir_.c_str(), 0700);
  EXPECT_TRUE(!ok || getuid() == 0);  // root ignores the folder's permissions
  if (ok) WriteBytes(old, "old contents");
  // A file size limit makes every write past 100 bytes fail, as a full disk would; no temporary file may remain.
  struct rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit saved = limit;
  signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &limit);
  const bool binary_ok = WritePnm(old, img, false), ascii_ok = WritePnm(old, img, true);
  // 9 MB goes out through the second thread; the write past 4 MiB fails there.
  limit.rlim_cur = 4 << 20;
  setrlimit(RLIMIT_FSIZE, &limit);
  const bool large_ok = WritePnm(old, MakeFlatImage(1001, 1500, 7), false);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_FALSE(binary_ok);
  EXPECT_FALSE(ascii_ok);
  EXPECT_FALSE(large_ok);
  EXPECT_EQ(ReadBytes(old), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
  EXPECT_FALSE(WritePnm(dir_ + "/no/such/folder/x.ppm", img, false));
  EXPECT_FALSE(WritePnm(dir_ + "/empty.ppm", Image{}, false));
  EXPECT_FALSE(PathExists(dir_ + "/empty.ppm"));
  // Only plain files are replaced: a folder stays; through a link the file it points to is replaced and the link stays.
  ASSERT_EQ(mkdir((dir_ + "/folder.ppm").c_str(), 0700), 0);
  EXPECT_FALSE(WritePnm(dir_ + "/folder.ppm", img, false));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ + "/folder.ppm"));
  ASSERT_EQ(symlink((dir_ + "/old.ppm").c_str(), (dir_ + "/link.ppm").c_str()), 0);
  ASSERT_TRUE(WritePnm(dir_ + "/link.ppm", img, false));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ + "/link.ppm"));
  EXPECT_EQ(ReadBytes(old).substr(0, 2), "P6");
}

}  // namespace
}  // namespace tavo
