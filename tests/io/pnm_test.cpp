// SPDX-License-Identifier: MIT
#include "io/pnm.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "core/memory.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

class PnmTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TempDir("pnm"); }
  std::string Path(const std::string& name) { return dir_ + "/" + name; }
  ReadStatus ReadFrom(const std::string& bytes, Image& img) {
    WriteBytes(Path("in.ppm"), bytes);
    return ReadImageFile(Path("in.ppm"), img);
  }
  std::string dir_;
};

TEST_F(PnmTest, BinaryEightBitWithCommentLine) {
  Image img;
  ASSERT_EQ(ReadFrom(std::string("P6\n# made by hand\n2 1\n255\n") + "\x01\x02\x03\xff\x80\x00", img), kReadOk);
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 1);
  EXPECT_EQ(img.r[0], 0x0100);
  EXPECT_EQ(img.g[0], 0x0200);
  EXPECT_EQ(img.b[0], 0x0300);
  EXPECT_EQ(img.r[1], 0xff00);
  EXPECT_EQ(img.g[1], 0x8000);
  EXPECT_EQ(img.b[1], 0);
  EXPECT_EQ(img.name, Path("in.ppm"));
}

// File rows come top first; memory row 0 is the bottom.
TEST_F(PnmTest, FirstFileRowIsTheTopRow) {
  Image img;
  ASSERT_EQ(ReadFrom(std::string("P5\n1 2\n255\n") + "\x0a\x14", img), kReadOk);
  EXPECT_EQ(img.r[1], 10 * 256);  // memory row 1 = top
  EXPECT_EQ(img.r[0], 20 * 256);
  EXPECT_EQ(img.g[0], 20 * 256);  // gray fills all planes
  EXPECT_EQ(img.b[1], 10 * 256);
  EXPECT_EQ(img.monochrome, 0);
}

TEST_F(PnmTest, SixteenBitSamplesAreHighByteFirstAndUnscaled) {
  Image a;
  ASSERT_EQ(ReadFrom(std::string("P5\n2 1\n65535\n") + "\x12\x34\xff\xfe", a), kReadOk);
  EXPECT_EQ(a.r[0], 0x1234);
  EXPECT_EQ(a.r[1], 0xfffe);
  Image b;
  ASSERT_EQ(ReadFrom(std::string("P5\n1 1\n4095\n") + "\x0f\xff", b), kReadOk);
  EXPECT_EQ(b.r[0], 4095);  // two bytes, not scaled to 16 bits
}

TEST_F(PnmTest, AsciiScalesByMaximumPlusOne) {
  Image a;
  ASSERT_EQ(ReadFrom("P2\n3 1\n15\n15 0 7\n", a), kReadOk);
  EXPECT_EQ(a.r[0], 61440);  // 15 * 65536 / 16
  EXPECT_EQ(a.r[1], 0);
  EXPECT_EQ(a.r[2], 28672);  // 7 * 4096
  Image b;
  ASSERT_EQ(ReadFrom("P3\n1 1\n65535\n65535 40000 1\n", b), kReadOk);
  EXPECT_EQ(b.r[0], 65535);
  EXPECT_EQ(b.g[0], 40000);
  EXPECT_EQ(b.b[0], 1);
  Image c;
  ASSERT_EQ(ReadFrom("P3\n1 1\n255\n255 1 128\n", c), kReadOk);
  EXPECT_EQ(c.r[0], 65280);  // same as the binary path: n * 256
  EXPECT_EQ(c.b[0], 32768);
}

TEST_F(PnmTest, SpaceAfterMaximumSkipsToTheNextLineFeed) {
  // The raster starts after the first line feed of the "data": the bytes
  // 'A' 'B' '\n' are swallowed and 0x05 0x06 are the samples.
  Image img;
  ASSERT_EQ(ReadFrom(std::string("P5 2 1 255 AB\n") + "\x05\x06", img), kReadOk);
  EXPECT_EQ(img.r[0], 0x0500);
  EXPECT_EQ(img.r[1], 0x0600);
}

TEST_F(PnmTest, TruncatedRasterIsFilledWithZero) {
  Image a;
  ASSERT_EQ(ReadFrom(std::string("P6\n2 2\n255\n") + "\x01\x02\x03\x04", a), kReadOk);
  // Top row (memory row 1): first pixel 1 2 3, second pixel R 4, rest 0.
  EXPECT_EQ(a.r[2], 0x100);
  EXPECT_EQ(a.r[3], 0x400);
  EXPECT_EQ(a.g[3], 0);
  EXPECT_EQ(a.r[0], 0);
  Image b;
  ASSERT_EQ(ReadFrom("P2\n2 2\n255\n1 2 x 9\n", b), kReadOk);
  EXPECT_EQ(b.r[2], 256);
  EXPECT_EQ(b.r[3], 512);
  EXPECT_EQ(b.r[0], 0);  // after the bad word every value is missing
  EXPECT_EQ(b.r[1], 0);
}

TEST_F(PnmTest, BitmapsGiveZeroPlanes) {
  Image img;
  ASSERT_EQ(ReadFrom("P4\n8 2\n\xff\xff", img), kReadOk);
  EXPECT_EQ(img.width, 8);
  EXPECT_EQ(img.r[0], 0);
}

TEST_F(PnmTest, BadFilesLeaveTheImageUntouched) {
  const char* bad[] = {"", "Q6\n1 1\n255\n", "P7\n1 1\n255\n", "P6\n0 1\n255\n", "P6\n", "P6\n3\n",
                       "P6\n99999999999999999999 1\n255\n"};
  for (const char* text : bad) {
    Image img = MakeFlatImage(1, 1, 42);
    img.name = "old";
    EXPECT_NE(ReadFrom(text, img), kReadOk) << text;
    EXPECT_EQ(img.width, 1);
    EXPECT_EQ(img.r[0], 42);
    EXPECT_EQ(img.name, "old");
  }
  Image missing;
  EXPECT_EQ(ReadImageFile(Path("does-not-exist.ppm"), missing), kReadCannotOpen);
}

TEST_F(PnmTest, SizesBeyondTheFileAreRefusedBeforeAllocating) {
  SetAvailableMemoryForTest(1 << 20);
  Image img;
  EXPECT_EQ(ReadFrom("P6\n100000 100000\n255\n", img), kReadBadFormat);
  EXPECT_EQ(ReadFrom("P2\n300 300\n255\n" + std::string(100, '7'), img), kReadBadFormat);  // 2 bytes a value
  SetAvailableMemoryForTest(-1);
  EXPECT_TRUE(img.Empty());
}

TEST_F(PnmTest, AsciiWriterPutsTheTopRowFirstOnOneLine) {
  Image img = MakeFlatImage(1, 2, 0);
  img.r[1] = 1;  // top
  img.g[1] = 2;
  img.b[1] = 3;
  img.r[0] = 65535;  // bottom
  ASSERT_TRUE(WritePnm(Path("a.ppm"), img, true));
  EXPECT_EQ(ReadBytes(Path("a.ppm")), "P3\n1 2\n65535\n1 2 3 65535 0 0 ");
}

TEST_F(PnmTest, BinaryWriterRoundTripsEverySample) {
  const Image img = MakeNoiseImage(7, 5, 3);
  ASSERT_TRUE(WritePnm(Path("b.ppm"), img, false));
  const std::string bytes = ReadBytes(Path("b.ppm"));
  EXPECT_EQ(bytes.substr(0, 13), "P6\n7 5\n65535\n");
  EXPECT_EQ(bytes.size(), 13u + 7 * 5 * 6);
  Image back;
  ASSERT_EQ(ReadImageFile(Path("b.ppm"), back), kReadOk);
  EXPECT_TRUE(SamePlanes(img, back));
  ASSERT_TRUE(WritePnm(Path("c.ppm"), img, true));
  Image ascii;
  ASSERT_EQ(ReadImageFile(Path("c.ppm"), ascii), kReadOk);
  EXPECT_TRUE(SamePlanes(img, ascii));
}

TEST_F(PnmTest, EightBitFileWrittenBackIsSixteenBit) {
  Image img;
  ASSERT_EQ(ReadFrom(std::string("P5\n1 1\n255\n") + "\x7f", img), kReadOk);
  ASSERT_TRUE(WritePnm(Path("d.ppm"), img, false));
  EXPECT_EQ(ReadBytes(Path("d.ppm")), std::string("P6\n1 1\n65535\n\x7f\x00\x7f\x00\x7f\x00", 19));
}

TEST_F(PnmTest, FailedWriteKeepsTheExistingFile) {
  const Image img = MakeFlatImage(2, 2, 5);
  WriteBytes(Path("keep.ppm"), "old contents");
  chmod(dir_.c_str(), 0500);  // the folder takes no new files
  const bool ok = WritePnm(Path("keep.ppm"), img, false);
  chmod(dir_.c_str(), 0700);
  if (getuid() != 0) {  // root ignores the folder's permissions
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadBytes(Path("keep.ppm")), "old contents");
  }
  EXPECT_FALSE(WritePnm(dir_ + "/no/such/folder/x.ppm", img, false));
  EXPECT_FALSE(WritePnm(Path("empty.ppm"), Image{}, false));
  EXPECT_FALSE(PathExists(Path("empty.ppm")));
}

// A file size limit makes every write past 100 bytes fail, as a full disk
// would; the old file must survive and no temporary file may remain.
TEST_F(PnmTest, WriteFailingHalfwayKeepsTheOldFile) {
  const Image img = MakeNoiseImage(64, 64, 1);
  WriteBytes(Path("old.ppm"), "old contents");
  struct rlimit old_limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  const bool binary_ok = WritePnm(Path("old.ppm"), img, false);
  const bool ascii_ok = WritePnm(Path("old.ppm"), img, true);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_FALSE(binary_ok);
  EXPECT_FALSE(ascii_ok);
  EXPECT_EQ(ReadBytes(Path("old.ppm")), "old contents");
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);  // only old.ppm: the temporary file is gone
}

TEST_F(PnmTest, OnlyPlainFilesAreReplaced) {
  const Image img = MakeFlatImage(2, 2, 5);
  ASSERT_EQ(mkdir(Path("folder.ppm").c_str(), 0700), 0);
  EXPECT_FALSE(WritePnm(Path("folder.ppm"), img, false));
  struct stat st;
  ASSERT_EQ(stat(Path("folder.ppm").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  // Through a link the file it points to is replaced; the link stays.
  WriteBytes(Path("real.ppm"), "old");
  ASSERT_EQ(symlink(Path("real.ppm").c_str(), Path("link.ppm").c_str()), 0);
  ASSERT_TRUE(WritePnm(Path("link.ppm"), img, false));
  ASSERT_EQ(lstat(Path("link.ppm").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadBytes(Path("real.ppm")).substr(0, 2), "P6");
}

}  // namespace
}  // namespace tavo
