// SPDX-License-Identifier: MIT
// tavo-cli end to end: the point report on standard output, and printed
// PDFs read back with poppler's pdfinfo and pdftoppm.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli_port.h"
#include "io/image_file.h"
#include "io/pnm.h"
#include "shell/messages.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

// Standard output of a shell command; its exit status in *status.
std::string Output(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buf[4096];
  for (size_t n; pipe != nullptr && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  *status = pipe == nullptr ? -1 : WEXITSTATUS(pclose(pipe));
  return out;
}

TEST(CliMeasure, PointReportOnStandardOutputAndUnwritablePdf) {
  const std::string dir = TempDir("cli_measure"), cli = std::string(TAVO_CLI_PATH) + " run --open " + dir + "/in.ppm";
  WritePnm(dir + "/in.ppm", MakeFlatImage(20, 30, 0), false);
  int status = -1;
  const std::string out = Output(cli + " --point a 10 20 --point b 13 24 --command 412 2> /dev/null", &status);
  char tail[128];
  std::snprintf(tail, sizeof tail, kPointReportDistance, 3, 4, 5);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find(std::string(tail) + "\n"), std::string::npos) << out;
  Output(cli + " --command 111 --print-to " + dir + "/no/such/folder/out.pdf 2> /dev/null", &status);
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(PathExists(dir + "/no"));
}

// A copy of the program in a folder without the PDF module: the print
// fails saying what is missing, and no file appears.
TEST(CliMeasure, PrintingWithoutTheModuleSaysWhy) {
  const std::string dir = TempDir("cli_no_module");
  std::filesystem::copy_file(TAVO_CLI_PATH, dir + "/tavo-cli", std::filesystem::copy_options::overwrite_existing);
  WritePnm(dir + "/in.ppm", MakeFlatImage(2, 2, 0), false);
  int status = -1;
  const std::string out = Output(dir + "/tavo-cli run --open " + dir + "/in.ppm --command 111 --print-to " + dir +
                                     "/out.pdf 2>&1", &status);
  EXPECT_EQ(status, 1);
  const std::string missing(kCliPdfModuleMissing);
  EXPECT_NE(out.find(missing.substr(0, missing.find('%'))), std::string::npos) << out;
  EXPECT_FALSE(PathExists(dir + "/out.pdf"));
}

// 310 x 155 on the 2480 x 3508-pixel A4 page (300 dpi): scale 8, y0 =
// trunc((3508 - 1240) / 2) = 1134. Rendered at 37.5 dpi the image is 1:1
// with its top edge at 141.75: rendered row y shows picture row y - 141.
// The top 27 rows (the last band) are red; below, the left half is green
// and the right half blue. The page keeps the picture as JPEG: colours are
// near, not exact.
TEST(CliMeasure, PrintedPdfHoldsTheImageWhereItBelongs) {
  const std::string dir = TempDir("cli_print_pdf"), pdf = dir + "/out.pdf";
  Image img = MakeFlatImage(310, 155, 0);
  for (int i = 0; i < 310 * 155; ++i) (i >= 128 * 310 ? img.r : i % 310 < 155 ? img.g : img.b)[i] = 65535;
  WritePnm(dir + "/in.ppm", img, false);
  int status = -1;
  Output(std::string(TAVO_CLI_PATH) + " run --open " + dir + "/in.ppm --command 111 --print-to " + pdf, &status);
  ASSERT_EQ(status, 0);
  const std::string info = Output(std::string(TAVO_PDFINFO) + " " + pdf, &status);
  const std::string lines[] = {"Pages:           1\n", "(A4)", "TAVO(" + dir + "/in.ppm)"};
  for (const std::string& line : lines) {
    EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
  }
  Output(std::string(TAVO_PDFTOPPM) + " -r 37.5 -singlefile " + pdf + " " + dir + "/page", &status);
  Image page;
  ASSERT_EQ(ReadImageFile(dir + "/page.ppm", page), kReadOk);
  ASSERT_EQ(page.width, 310);
  const struct {
    int x, y, r, g, b;
  } probes[] = {{50, 140, 255, 255, 255}, {50, 143, 255, 0, 0}, {300, 167, 255, 0, 0},
                {50, 170, 0, 255, 0},     {250, 295, 0, 0, 255}, {250, 298, 255, 255, 255}};
  for (const auto& p : probes) {
    const size_t i = static_cast<size_t>(page.height - 1 - p.y) * 310 + static_cast<size_t>(p.x);
    EXPECT_NEAR(page.r[i] >> 8, p.r, 8) << p.x << "," << p.y;
    EXPECT_NEAR(page.g[i] >> 8, p.g, 8) << p.x << "," << p.y;
    EXPECT_NEAR(page.b[i] >> 8, p.b, 8) << p.x << "," << p.y;
  }
}

}  // namespace
}  // namespace tavo
