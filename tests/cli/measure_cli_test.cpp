// SPDX-License-Identifier: MIT
// tavo-cli end to end: the point report on standard output, and a printed
// PDF read back with poppler's pdfinfo and pdftoppm.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/image_file.h"
#include "io/pnm.h"
#include "shell/messages.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// Standard output of a shell command and its exit status.
std::string Output(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  *status = WEXITSTATUS(pclose(pipe));
  return out;
}

TEST(CliMeasure, PointReportGoesToStandardOutput) {
  const std::string dir = TempDir("cli_point_report");
  WritePnm(dir + "/in.ppm", MakeFlatImage(20, 30, 0), false);
  int status = -1;
  const std::string out = Output(std::string(TAVO_CLI_PATH) + " run --open " + dir +
                                     "/in.ppm --point a 10 20 --point b 13 24 --command 412 2> /dev/null",
                                 &status);
  char tail[128];
  std::snprintf(tail, sizeof tail, kPointReportDistance, 3, 4, 5);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find(std::string(tail) + "\n"), std::string::npos) << out;
}

// 310 x 155 on the 2480 x 3508-pixel A4 page (300 dpi): scale 8, y0 =
// trunc((3508 - 1240) / 2) = 1134. Rendered at 37.5 dpi the image is 1:1
// with its top edge at 141.75: rendered row y shows picture row y - 141.
// The top 27 rows (the last band) are red; below, the left half is green
// and the right half blue.
TEST(CliMeasure, PrintedPdfHoldsTheImageWhereItBelongs) {
  const std::string dir = TempDir("cli_print_pdf");
  Image img = MakeFlatImage(310, 155, 0);
  for (int row = 0; row < 155; ++row) {
    for (int x = 0; x < 310; ++x) {
      const size_t i = static_cast<size_t>(row) * 310 + static_cast<size_t>(x);
      uint16_t* plane = row >= 128 ? img.r.get() : x < 155 ? img.g.get() : img.b.get();
      plane[i] = 65535;
    }
  }
  WritePnm(dir + "/in.ppm", img, false);
  const std::string pdf = dir + "/out.pdf";
  int status = -1;
  Output(std::string(TAVO_CLI_PATH) + " run --open " + dir + "/in.ppm --command 111 --print-to " + pdf, &status);
  ASSERT_EQ(status, 0);
  const std::string info = Output(std::string(TAVO_PDFINFO) + " " + pdf, &status);
  EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("TAVO(" + dir + "/in.ppm)"), std::string::npos) << info;
  Output(std::string(TAVO_PDFTOPPM) + " -r 37.5 -singlefile " + pdf + " " + dir + "/page", &status);
  Image page;
  ASSERT_EQ(ReadImageFile(dir + "/page.ppm", page), kReadOk);
  ASSERT_EQ(page.width, 310);
  auto at = [&](int x, int y_from_top) {
    const size_t i = static_cast<size_t>(page.height - 1 - y_from_top) * 310 + static_cast<size_t>(x);
    return std::vector<int>{page.r[i] >> 8, page.g[i] >> 8, page.b[i] >> 8};
  };
  const struct {
    int x, y;
    std::vector<int> rgb;
  } probes[] = {{50, 140, {255, 255, 255}}, {50, 143, {255, 0, 0}},   {300, 167, {255, 0, 0}},
                {50, 170, {0, 255, 0}},     {250, 295, {0, 0, 255}}, {250, 298, {255, 255, 255}}};
  for (const auto& p : probes) {  // the page keeps the picture as JPEG: near, not exact
    const std::vector<int> got = at(p.x, p.y);
    for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(got[c], p.rgb[c], 8) << p.x << "," << p.y;
  }
}

TEST(CliMeasure, UnwritablePdfIsAnError) {
  const std::string dir = TempDir("cli_print_fail");
  WritePnm(dir + "/in.ppm", MakeFlatImage(4, 4, 0), false);
  int status = -1;
  Output(std::string(TAVO_CLI_PATH) + " run --open " + dir + "/in.ppm --command 111 --print-to " + dir +
             "/no/such/folder/out.pdf 2> /dev/null",
         &status);
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(PathExists(dir + "/no"));
}

}  // namespace
}  // namespace tavo
