// SPDX-License-Identifier: MIT
// tavo-cli steps for the composite (inputs chosen with --set) and the
// background capture click.
#include <gtest/gtest.h>

#include <memory>

#include "cli/cli_run.h"
#include "io/pnm.h"
#include "shell/commands.h"
#include "tests/stack/star_field.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

std::unique_ptr<AppState> NewApp() {
  auto app = std::make_unique<AppState>();
  InitAppState(*app);
  return app;
}

TEST(CliStackSteps, CompositeOfTwoOpenedFiles) {
  const std::string dir = TempDir("cli_composite");
  const Image sky = MakeStarWorld(64, 48, 11);
  ASSERT_TRUE(WritePnm(dir + "/a.ppm", sky, false));
  ASSERT_TRUE(WritePnm(dir + "/b.ppm", sky, false));
  auto app = NewApp();
  CliPort port;
  const int status = RunCliSteps(*app, port,
                                 {"--open", dir + "/a.ppm", "--open", dir + "/b.ppm", "--set", "composite-inputs",
                                  "0 1 -1 -1", "--set", "composite-weights", "100 100 100 100", "--command", "302",
                                  "--save", dir + "/out.ppm"});
  ASSERT_EQ(status, 0);
  EXPECT_EQ(app->slots.current, 2);
  Image back;
  ASSERT_EQ(ReadImageFile(dir + "/out.ppm", back), kReadOk);
  EXPECT_TRUE(SamePlanes(back, sky));
}

TEST(CliStackSteps, ClickSamplesWhileCaptureIsArmed) {
  const std::string dir = TempDir("cli_click");
  Image img = MakeFlatImage(6, 5, 50 * 256);
  ASSERT_TRUE(WritePnm(dir + "/sky.ppm", img, false));
  auto app = NewApp();
  CliPort port;
  EXPECT_EQ(RunCliSteps(*app, port, {"--open", dir + "/sky.ppm", "--click", "2", "2"}), 1);  // not armed
  EXPECT_EQ(RunCliSteps(*app, port, {"--command", "3062", "--click", "9", "2"}), 1);         // outside
  EXPECT_EQ(RunCliSteps(*app, port, {"--click", "0", "0"}), 0);
  EXPECT_EQ(app->settings.back2.levels[1], 50);
  EXPECT_EQ(app->capture.mode, 0);
  // Y counts from the top: row 0 from the top is stored row 4, moved in to 3.
  EXPECT_EQ(app->capture.corner_row, 3);
  EXPECT_NE(CliHelpText().find("--click X Y"), std::string::npos);
}

}  // namespace
}  // namespace tavo
