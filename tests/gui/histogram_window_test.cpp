// SPDX-License-Identifier: MIT
// The histogram window: one top-level window owned by the main window,
// reopened only in a new mode, gone when closed.
#include <QCoreApplication>

#include "gui/histogram_window.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

using HistogramWindowTest = QtWindowTest;

TEST_F(HistogramWindowTest, OneOwnedWindowThatClosesForGood) {
  app_->slots[0] = MakeNoiseImage(200, 120, 5);
  app_->slots.current = 0;
  window_->RunMenuCommand(411);
  HistogramWindow* hist = window_->histogram_window();
  ASSERT_NE(hist, nullptr);
  EXPECT_TRUE(hist->isWindow() && hist->parentWidget() == window_.get());
  EXPECT_EQ(hist->windowTitle(), QString("Histgram"));
  EXPECT_EQ(hist->size(), QSize(310, 244));
  window_->RunMenuCommand(413);
  EXPECT_EQ(window_->histogram_window(), hist);
  EXPECT_EQ(app_->histogram_mode, kMeasureProfile);
  hist->close();
  QCoreApplication::processEvents();
  EXPECT_FALSE(app_->histogram_open);
  EXPECT_EQ(window_->histogram_window(), nullptr);
}

}  // namespace
}  // namespace tavo
