// SPDX-License-Identifier: MIT
// The Qt main window on the offscreen platform: start-up with a file, the
// menus, zoom by menu and mouse, the scroll bars and the wheel, keys, the
// toolbar and its tooltips, the gamma and view dialogs, dropped files, the
// save question on close, the help viewer, fit to window and the display
// stretch, and screenshots for a person to look at.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextLayout>
#include <QTextBrowser>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <chrono>
#include <set>
#include <thread>

#include "gui/dialog_registry.h"
#include "gui/dialogs/gamma_dialog.h"
#include "gui/help_viewer.h"
#include "gui/image_view.h"
#include "gui/tool_icons.h"
#include "gui/toolbar_row.h"
#include "io/pnm.h"
#include "shell/image_window.h"
#include "shell/main_window.h"
#include "shell/operation_table.h"
#include "shell/ui_port.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

// Every operation has its own id and toolbar button, and every one that
// opens a dialog has a Qt dialog to open.
TEST(OperationTable, UniqueIdsButtonsAndRegisteredDialogs) {
  std::set<int> ids, buttons, steps;
  for (const Operation& op : Operations()) {
    EXPECT_TRUE(ids.insert(op.id).second) << op.id;
    EXPECT_TRUE(op.toolbar < 0 || buttons.insert(op.toolbar).second) << op.id;
    EXPECT_TRUE(op.batch_step <= 0 || steps.insert(op.batch_step).second) << op.id;
    EXPECT_TRUE(!op.dialog || HasDialog(op.id)) << op.id;
  }
  EXPECT_FALSE(HasDialog(kCmdPrint));
}

// A dim sky with a few bright square stars, 320 x 240.
std::string WriteSky(const std::string& dir, const std::string& name) {
  Image img = MakeFlatImage(320, 240, 6000);
  const int stars[5][2] = {{40, 30}, {160, 120}, {250, 200}, {300, 40}, {90, 180}};
  for (const auto& s : stars) {
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        const size_t i = static_cast<size_t>(s[1] + dy) * 320 + static_cast<size_t>(s[0] + dx);
        img.r[i] = img.g[i] = 60000;
        img.b[i] = 50000;
      }
    }
  }
  const std::string path = dir + "/" + name;
  EXPECT_TRUE(WritePnm(path, img, false));
  return path;
}

class MainWindowTest : public QtWindowTest {
 protected:
  QWidget* viewport() { return window_->image_view()->viewport(); }
  void Click(QMessageBox* box, QMessageBox::StandardButton which) { box->button(which)->click(); }
};

TEST_F(MainWindowTest, StartsWithAFileTitledAndSized) {
  EXPECT_EQ(window_->windowTitle(), "TAVO");
  EXPECT_EQ(window_->width(), 800);
  EXPECT_EQ(window_->height(), 512);
  const std::string path = WriteSky(dir_, "sky.ppm");
  window_->Start({path});
  EXPECT_EQ(window_->windowTitle().toStdString(), "0(" + path + ") size:320x240 100%");
  // The shell's client size is the picture's area plus its fixed margins.
  EXPECT_EQ(app_->client_width, viewport()->width() + 32);
  EXPECT_EQ(app_->client_height, viewport()->height() + 56);
  EXPECT_EQ(window_->toolbar_row()->height(), 24);
  EXPECT_TRUE(window_->image_view()->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(window_->image_view()->verticalScrollBar()->isVisible());
  window_->image_view()->repaint();
  EXPECT_EQ(window_->image_view()->frame().width, 320);
  const QList<QAction*> top = window_->menuBar()->actions();
  ASSERT_EQ(top.size(), 9);
  EXPECT_EQ(top[0]->text(), QString::fromUtf8(MenuTitles()[0]));
  EXPECT_EQ(window_->action(kCmdOpen)->text(), QString::fromUtf8(FindOperation(kCmdOpen)->text));
  EXPECT_TRUE(window_->action(kCmdGamma)->isEnabled());
}

// The bar and Cancel come with the first report and the rest of the window waits; Cancel stops at the next report;
// the end gives everything back.
TEST_F(MainWindowTest, ProgressBarAndCancel) {
  UiPort& ui = window_->port();
  EXPECT_TRUE(ui.ShowProgress(0.25, "Aligning frames"));
  auto* bar = window_->statusBar()->findChild<QProgressBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(bar->value(), 250);
  EXPECT_FALSE(window_->menuBar()->isEnabled());
  window_->statusBar()->findChild<QPushButton*>()->click();
  EXPECT_FALSE(ui.ShowProgress(0.5, "Aligning frames"));
  ui.EndProgress();
  EXPECT_TRUE(window_->statusBar()->isHidden());
  EXPECT_TRUE(window_->menuBar()->isEnabled());
  EXPECT_TRUE(ui.ShowProgress(0, "Batch"));  // a new operation starts without the old Cancel
  ui.EndProgress();
}

// Work runs off the GUI thread: a timer here fires while the worker reports
// (the rest of the window disabled), and Cancel - or the close box, which
// then closes the window - stops the wavelet command that follows, leaving
// the slot as it was.
TEST_F(MainWindowTest, WorkOffTheGuiThreadKeepsTheWindowRunning) {
  for (const bool close_box : {false, true}) {
    Image& img = app_->slots[0] = MakeNoiseImage(20, 10, 8);
    app_->slots.current = 0;
    bool fired = false;
    std::thread::id worker;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* cancel = window_->statusBar()->findChild<QPushButton*>();
      if (cancel == nullptr || cancel->isHidden()) return;  // no report yet
      timer.stop();
      fired = true;
      EXPECT_FALSE(window_->menuBar()->isEnabled());
      close_box ? static_cast<void>(window_->close()) : cancel->click();
    });
    timer.start();
    WhenModal<QDialog>([](QDialog* d) { d->accept(); });  // the wavelet dialog's OK
    window_->RunWork([&](UiPort& ui) {
      worker = std::this_thread::get_id();
      ProgressScope progress(ui);
      for (int i = 0; i < 500 && ReportProgress(progress.get(), 0.5, "waiting"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      RunCommand(*app_, ui, kCmdWavelet);
    });
    EXPECT_TRUE(fired);
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_TRUE(SamePlanes(img, MakeNoiseImage(20, 10, 8)));
    EXPECT_EQ(Ints({img.changed, img.undo_available}), Ints({0, 0}));
    EXPECT_TRUE(window_->menuBar()->isEnabled());
    EXPECT_EQ(window_->isVisible(), !close_box);
  }
}

// Every toolbar picture is drawn, no two alike, and pressed ones differ.
TEST_F(MainWindowTest, ToolbarPicturesAreDrawnAndDistinct) {
  std::vector<std::string> names = {"UPDOWN"};
  for (const Operation& op : Operations()) {
    if (op.bitmap != nullptr) names.push_back(op.bitmap);
  }
  std::vector<QImage> seen = {ToolIcon("BLACK", false).toImage()};
  for (const std::string& name : names) {
    const QImage icon = ToolIcon(name.c_str(), false).toImage();
    for (const QImage& other : seen) EXPECT_NE(icon, other) << name;
    EXPECT_NE(ToolIcon(name.c_str(), true).toImage(), icon) << name;
    seen.push_back(icon);
  }
}

TEST_F(MainWindowTest, JapaneseTextHasAFontThatDrawsIt) {
  EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty());
  // Lay the menu title out with the menu bar's font and check that every
  // glyph run comes from a font that really holds the characters.
  QTextLayout layout(QString::fromUtf8("画像合成 バックグランド 色調"), window_->menuBar()->font());
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  ASSERT_FALSE(runs.isEmpty());
  bool drawn = false;
  for (const QGlyphRun& run : runs) {
    for (quint32 glyph : run.glyphIndexes()) EXPECT_NE(glyph, 0u) << run.rawFont().familyName().toStdString();
    drawn = drawn || run.rawFont().supportsCharacter(QChar(0x753B));  // 画
  }
  EXPECT_TRUE(drawn);
}

TEST_F(MainWindowTest, ZoomByMenuAndMouseAboutTheClick) {
  window_->Start({WriteSky(dir_, "sky.ppm")});
  window_->action(kCmdZoomIn)->trigger();
  EXPECT_EQ(app_->slots[0].zoom, 150);
  EXPECT_TRUE(window_->windowTitle().endsWith(" 150%"));
  window_->action(kCmdZoomOut)->trigger();
  EXPECT_EQ(app_->slots[0].zoom, 100);
  QTest::mouseClick(viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
  EXPECT_EQ(app_->slots[0].zoom, 150);
  QTest::mouseClick(viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(app_->slots[0].zoom, 100);
  for (int i = 0; i < 3; ++i) window_->action(kCmdZoomIn)->trigger();  // 300 %
  window_->image_view()->repaint();
  const DisplayFrame& f = window_->image_view()->frame();
  EXPECT_EQ(f.zoom, 300);
  ASSERT_FALSE(f.strips.empty());
  EXPECT_EQ(f.strips[0].w, f.width * 3);
  SaveScreenshot(window_.get(), "zoom_300");
}

// 2000 x 1500 at 100 %: the view shows client - 32 columns and client - 56
// rows; a line is 8 pixels, a wheel notch three lines, a page half the
// view; a bar shows the scroll as a percentage of the room left.
TEST_F(MainWindowTest, ScrollBarsWheelAndRepaint) {
  const std::string path = dir_ + "/big.ppm";
  ASSERT_TRUE(WritePnm(path, MakeFlatImage(2000, 1500, 1000), false));
  window_->Start({path});
  // Every strip is drawn from its own rows: 1000 >> 8 = 3, far down too.
  const QImage shown = viewport()->grab().toImage();
  EXPECT_EQ(shown.pixelColor(10, 10), QColor(3, 3, 3));
  EXPECT_EQ(shown.pixelColor(10, shown.height() - 10), QColor(3, 3, 3));
  Image& img = app_->slots[0];
  QScrollBar* across = window_->image_view()->horizontalScrollBar();
  QScrollBar* down = window_->image_view()->verticalScrollBar();
  // The bars count image pixels with the visible area as their page, so the thumb shows what is in view.
  const QWidget* area = viewport();
  const int visible_w = area->width(), room_h = 1500 - area->height();
  EXPECT_EQ(Ints({across->maximum(), across->pageStep(), down->maximum()}),
            Ints({2000 - visible_w, visible_w, room_h}));
  across->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(img.scroll_x, 8);
  across->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(img.scroll_x, 8 + visible_w / 2);
  EXPECT_EQ(across->sliderPosition(), img.scroll_x);
  across->setSliderPosition(50);
  EXPECT_EQ(img.scroll_x, 50);
  down->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(img.scroll_y, room_h);
  EXPECT_EQ(down->sliderPosition(), room_h);
  // {angle x, angle y, shift, scroll x, scroll y}: 48 screen pixels a notch (48 image pixels at 100 %); a part notch
  // counts as one.
  const int wheel[][5] = {{0, 240, 0, 50, room_h - 96},
                          {0, -30, 0, 50, room_h - 48},
                          {0, 120, 1, 2, room_h - 48},
                          {-120, 0, 0, 50, room_h - 48}};
  for (const auto& w : wheel) {
    QWheelEvent event(QPointF(100, 100), window_->image_view()->viewport()->mapToGlobal(QPointF(100, 100)),
                      QPoint(), QPoint(w[0], w[1]), Qt::NoButton, w[2] ? Qt::ShiftModifier : Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport(), &event);
    EXPECT_EQ(img.scroll_x, w[3]) << w[0] << " " << w[1];
    EXPECT_EQ(img.scroll_y, w[4]) << w[0] << " " << w[1];
  }
  EXPECT_EQ(down->value(), img.scroll_y);
  // A repaint request brings title and bars up to date.
  img.zoom = 150;
  img.scroll_x = 0;
  window_->port().Repaint();
  EXPECT_TRUE(window_->windowTitle().endsWith(" 150%"));
  EXPECT_EQ(across->value(), 0);
}

TEST_F(MainWindowTest, KeysToolbarAndDroppedFiles) {
  window_->Start({WriteSky(dir_, "sky.ppm")});
  QTest::mouseMove(viewport(), QPoint(40, 209));  // star at x 40, row from top 209
  QCoreApplication::processEvents();
  ASSERT_TRUE(app_->mouse_seen);
  EXPECT_EQ(StatusText(*app_), "(  40, 209) R:234.3 G:234.3 B:195.3");
  QTest::keyClick(window_.get(), Qt::Key_A);
  EXPECT_EQ(app_->slots[0].point_a_x, 40);
  EXPECT_EQ(app_->slots[0].point_a_y, 30);
  QTest::mouseMove(viewport(), QPoint(160, 119));
  QTest::keyClick(window_.get(), Qt::Key_B);
  EXPECT_EQ(app_->slots[0].point_b_x, 160);
  EXPECT_EQ(app_->slots[0].point_b_y, 120);
  SaveScreenshot(window_.get(), "points");
  QTest::keyClick(window_.get(), Qt::Key_C);
  EXPECT_EQ(app_->slots[0].point_a_x, -1);
  // Dropped files, the toolbar's up/down button and the arrow keys.
  const std::string b = WriteSky(dir_, "b.ppm");
  EXPECT_TRUE(window_->acceptDrops());
  // Drop events only reach a widget through the platform's drag manager;
  // the window's drop handler passes the URLs on to this.
  window_->OpenDropped({QUrl::fromLocalFile(QString::fromStdString(b)), QUrl("https://example.org/x.ppm")});
  EXPECT_EQ(app_->slots[1].name, b);
  EXPECT_EQ(app_->slots.current, 1);
  QTest::mouseClick(window_->toolbar_row(), Qt::LeftButton, Qt::NoModifier, QPoint(24 * 16 + 5, 20));
  EXPECT_EQ(app_->slots.current, 0);
  QTest::mouseClick(window_->toolbar_row(), Qt::LeftButton, Qt::NoModifier, QPoint(24 * 16 + 5, 5));
  EXPECT_EQ(app_->slots.current, 1);
  QTest::keyClick(window_.get(), Qt::Key_Down);
  EXPECT_EQ(app_->slots.current, 0);
}

TEST_F(MainWindowTest, GammaThroughTheRealDialogThenUndoRedo) {
  window_->Start({WriteSky(dir_, "sky.ppm")});
  const uint16_t before = app_->slots[0].r[0];
  WhenModal<GammaDialog>([](GammaDialog* d) { d->reject(); });
  window_->action(kCmdGamma)->trigger();
  EXPECT_EQ(app_->slots[0].changed, 0);
  EXPECT_EQ(app_->slots[0].undo_available, 0);
  bool driven = false;
  WhenModal<GammaDialog>([&](GammaDialog* d) {
    d->straight_button()->click();
    EXPECT_EQ(app_->settings.gamma.kind, 0);
    // Drag the middle point (128, 128) up to (128, 200): the graph's y runs
    // downwards, so output 200 is pixel row 255 - 200 = 55.
    QTest::mousePress(d->graph(), Qt::LeftButton, Qt::NoModifier, QPoint(129, 127));
    QMouseEvent move(QEvent::MouseMove, QPointF(128, 55), d->graph()->mapToGlobal(QPointF(128, 55)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(d->graph(), &move);
    QTest::mouseRelease(d->graph(), Qt::LeftButton, Qt::NoModifier, QPoint(128, 55));
    EXPECT_EQ(d->selected_point(), 1);
    EXPECT_EQ(d->input_field()->text(), "128");
    EXPECT_EQ(d->output_field()->text(), "200");
    d->input_field()->setText("100");
    SaveScreenshot(d, "gamma_dialog");
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(kCmdGamma)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.gamma.rows[0][2], 100);  // OK stored the fields
  EXPECT_EQ(app_->settings.gamma.rows[0][3], 200);
  Image& img = app_->slots[0];
  EXPECT_GT(img.r[0], before);  // the sky got brighter
  EXPECT_STREQ(ToolbarBitmap(*app_, 4), "UNDO");
  SaveScreenshot(window_.get(), "main_window");
  QTest::mouseClick(window_->toolbar_row(), Qt::LeftButton, Qt::NoModifier, QPoint(24 * 4 + 5, 10));
  EXPECT_EQ(img.r[0], before);
  EXPECT_STREQ(ToolbarBitmap(*app_, 5), "REDO");
}

TEST_F(MainWindowTest, CloseAsksAboutChangedImages) {
  window_->Start({WriteSky(dir_, "sky.ppm")});
  app_->slots[0].changed = 1;
  std::string caption;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    caption = box->windowTitle().toStdString();
    Click(box, QMessageBox::Cancel);
  });
  window_->close();
  EXPECT_EQ(caption, BoxCaption(kBoxSaveOrNot));
  EXPECT_TRUE(window_->isVisible());
  WhenModal<QMessageBox>([&](QMessageBox* box) { Click(box, QMessageBox::No); });
  window_->close();
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, ImageSelectAndDisplayDialogs) {
  const std::string a = WriteSky(dir_, "a.ppm");
  window_->Start({a, a, a});
  WhenModal<QDialog>([](QDialog* d) {
    auto* list = d->findChild<QListWidget*>();
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->item(1)->text().startsWith("01("));
    list->item(1)->setSelected(true);
    d->accept();
  });
  window_->action(kCmdImageSelect)->trigger();
  EXPECT_EQ(app_->slots.current, 1);
  WhenModal<QDialog>([](QDialog* d) {
    auto* combo = d->findChild<QComboBox*>();
    EXPECT_EQ(combo->currentText(), "8");  // D = 256
    combo->setCurrentIndex(combo->count() - 1);
    d->accept();
  });
  window_->action(kCmdDisplayMode)->trigger();
  EXPECT_EQ(app_->settings.display.scale, 1);
}

TEST_F(MainWindowTest, HelpAndTooltipsNeedNoBrowser) {
  window_->RunMenuCommand(kCmdHelp);
  ASSERT_NE(window_->help_viewer(), nullptr);
  EXPECT_EQ(window_->help_viewer()->browser()->documentTitle(), QString::fromUtf8("TAVO ヘルプ"));
  SaveScreenshot(window_->help_viewer(), "help_viewer");
  QHelpEvent tip(QEvent::ToolTip, QPoint(24 + 5, 10), window_->toolbar_row()->mapToGlobal(QPoint(29, 10)));
  QCoreApplication::sendEvent(window_->toolbar_row(), &tip);
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("保存(BMP,JPG,TIF,PPM)"));
}

TEST_F(MainWindowTest, ALinearFrameZoomedFittedAndStretched) {
  ASSERT_TRUE(WritePnm(dir_ + "/linear.ppm", MakeFlatImage(1000, 800, 1000), false));
  window_->Start({dir_ + "/linear.ppm"});
  QWheelEvent wheel(QPointF(100, 100), QPointF(), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(viewport(), &wheel);
  EXPECT_EQ(app_->slots[0].zoom, 150);
  window_->action(kCmdZoomFit)->trigger();
  QScrollBar* bars[2] = {window_->image_view()->horizontalScrollBar(), window_->image_view()->verticalScrollBar()};
  EXPECT_EQ(bars[0]->maximum() + bars[1]->maximum(), 0);  // the whole picture in view
  WhenModal<QDialog>([](QDialog* d) {
    d->findChild<QComboBox*>("stretch")->setCurrentIndex(kStretchAutoChannel);
    d->accept();
  });
  window_->action(kCmdDisplayMode)->trigger();
  window_->image_view()->repaint();
  EXPECT_EQ(window_->image_view()->frame().rgb[0], 64);  // the flat sky is the median: a quarter
  SaveScreenshot(window_.get(), "auto_stretch");
}

}  // namespace
}  // namespace tavo
