// SPDX-License-Identifier: MIT
// The Qt main window and dialogs on the offscreen platform: start-up with a
// file, zoom by menu and mouse, keys, the toolbar, a gamma correction
// through the real dialog, dropped files, the save question on close, and
// screenshots for a person to look at.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QScrollBar>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "gui/dialogs/gamma_dialog.h"
#include "gui/image_view.h"
#include "gui/main_window.h"
#include "gui/toolbar_row.h"
#include "io/pnm.h"
#include "shell/image_window.h"
#include "shell/main_window.h"
#include "tests/gui/qt_test_util.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

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

QPushButton* BoxButton(QMessageBox* box, QMessageBox::StandardButton which) {
  return qobject_cast<QPushButton*>(box->button(which));
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "gui_test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) qt_ = new QApplication(argc, argv);
  }

  void SetUp() override {
    dir_ = TempDir("gui_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    app_ = std::make_unique<AppState>();
    window_ = std::make_unique<MainWindow>(*app_);
    window_->show();
    QCoreApplication::processEvents();
  }

  void TearDown() override {
    app_->quit_requested = true;  // close without questions
    window_.reset();
    QCoreApplication::processEvents();
  }

  QWidget* viewport() { return window_->image_view()->viewport(); }

  static QApplication* qt_;
  std::string dir_;
  std::unique_ptr<AppState> app_;
  std::unique_ptr<MainWindow> window_;
};

QApplication* MainWindowTest::qt_ = nullptr;

TEST_F(MainWindowTest, StartsWithAFileTitledAndSized) {
  EXPECT_EQ(window_->windowTitle(), "TAVO");
  EXPECT_EQ(window_->width(), 800);
  EXPECT_EQ(window_->height(), 512);
  const std::string path = WriteSky(dir_, "sky.ppm");
  window_->Start({path});
  EXPECT_EQ(window_->windowTitle().toStdString(), "0(" + path + ") size:320x240 100%");
  EXPECT_EQ(app_->client_width, 800);
  EXPECT_EQ(app_->client_height, 512 - window_->menuBar()->height());
  EXPECT_EQ(window_->toolbar_row()->height(), 24);
  EXPECT_TRUE(window_->image_view()->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(window_->image_view()->verticalScrollBar()->isVisible());
  window_->image_view()->repaint();
  EXPECT_EQ(window_->image_view()->frame().width, 320);
}

TEST_F(MainWindowTest, MenusComeFromTheCommandTable) {
  const QList<QAction*> top = window_->menuBar()->actions();
  ASSERT_EQ(top.size(), 9);
  EXPECT_EQ(top[0]->text(), QString::fromUtf8("ファイル(&F)"));
  ASSERT_NE(window_->action(101), nullptr);
  EXPECT_EQ(window_->action(101)->text(), QString::fromUtf8("開く(&O)"));
  EXPECT_TRUE(window_->action(311)->isEnabled());
  EXPECT_TRUE(window_->action(401)->isEnabled());
  EXPECT_FALSE(window_->action(309)->isEnabled());  // point background: not built
}

TEST_F(MainWindowTest, JapaneseTextHasAFontThatDrawsIt) {
  EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty());
  // Lay the menu title out with the menu bar's font and check that every
  // glyph run comes from a font that really holds the characters.
  const QString text = QString::fromUtf8("画像合成 バックグランド 色調");
  QTextLayout layout(text, window_->menuBar()->font());
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  ASSERT_FALSE(runs.isEmpty());
  for (const QGlyphRun& run : runs) {
    for (quint32 glyph : run.glyphIndexes()) EXPECT_NE(glyph, 0u) << run.rawFont().familyName().toStdString();
  }
  bool drawn = false;
  for (const QGlyphRun& run : runs) drawn = drawn || run.rawFont().supportsCharacter(QChar(0x753B));  // 画
  EXPECT_TRUE(drawn);
}

TEST_F(MainWindowTest, ZoomByMenuAndMouseAboutTheClick) {
  window_->Start({WriteSky(dir_, "sky.ppm")});
  window_->action(401)->trigger();
  EXPECT_EQ(app_->slots[0].zoom, 150);
  EXPECT_TRUE(window_->windowTitle().endsWith(" 150%"));
  window_->action(402)->trigger();
  EXPECT_EQ(app_->slots[0].zoom, 100);
  // A left click zooms in about the clicked pixel: x_click = 200 at 100 %,
  // 150 %: 200 - ((800 - 32) / 2) * 100 / 150 = -56 -> 0.
  QTest::mouseClick(viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
  EXPECT_EQ(app_->slots[0].zoom, 150);
  EXPECT_EQ(app_->slots[0].scroll_x, 0);
  QTest::mouseClick(viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(app_->slots[0].zoom, 100);
  for (int i = 0; i < 3; ++i) window_->action(401)->trigger();  // 300 %
  window_->image_view()->repaint();
  const DisplayFrame& f = window_->image_view()->frame();
  EXPECT_EQ(f.zoom, 300);
  ASSERT_FALSE(f.strips.empty());
  EXPECT_EQ(f.strips[0].w, f.width * 3);
  window_->grab().save(QString::fromStdString(dir_ + "/../tavo_zoom_300.png"));
}

TEST_F(MainWindowTest, KeysMarkPointsAndStatusShowsThePixel) {
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
  window_->grab().save(QString::fromStdString(dir_ + "/../tavo_points.png"));
  QTest::keyClick(window_.get(), Qt::Key_C);
  EXPECT_EQ(app_->slots[0].point_a_x, -1);
}

TEST_F(MainWindowTest, ToolbarUpDownAndDroppedFiles) {
  const std::string a = WriteSky(dir_, "a.ppm");
  const std::string b = WriteSky(dir_, "b.ppm");
  window_->Start({a});
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
    // A typed input beyond the last point is held at it.
    d->input_field()->setText("300");
    Q_EMIT d->input_field()->editingFinished();
    EXPECT_EQ(d->input_field()->text(), "255");
    d->input_field()->setText("100");
    d->grab().save(QString::fromStdString(dir_ + "/../tavo_gamma_dialog.png"));
    driven = true;
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  window_->action(311)->trigger();
  ASSERT_TRUE(driven);
  EXPECT_EQ(app_->settings.gamma.rows[0][2], 100);  // OK stored the fields
  EXPECT_EQ(app_->settings.gamma.rows[0][3], 200);
  Image& img = app_->slots[0];
  EXPECT_GT(img.r[0], before);  // the sky got brighter
  EXPECT_EQ(img.changed, 1);
  EXPECT_STREQ(ToolbarBitmap(*app_, 4), "UNDO");
  window_->grab().save(QString::fromStdString(dir_ + "/../tavo_main_window.png"));
  QTest::mouseClick(window_->toolbar_row(), Qt::LeftButton, Qt::NoModifier, QPoint(24 * 4 + 5, 10));
  EXPECT_EQ(img.r[0], before);
  EXPECT_STREQ(ToolbarBitmap(*app_, 5), "REDO");
}

TEST_F(MainWindowTest, CancelledGammaDialogChangesNothing) {
  window_->Start({WriteSky(dir_, "sky.ppm")});
  WhenModal<GammaDialog>([](GammaDialog* d) { d->reject(); });
  window_->action(311)->trigger();
  EXPECT_EQ(app_->slots[0].changed, 0);
  EXPECT_EQ(app_->slots[0].undo_available, 0);
}

TEST_F(MainWindowTest, CloseAsksAboutChangedImages) {
  window_->Start({WriteSky(dir_, "sky.ppm")});
  app_->slots[0].changed = 1;
  std::string caption;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    caption = box->windowTitle().toStdString();
    BoxButton(box, QMessageBox::Cancel)->click();
  });
  window_->close();
  EXPECT_EQ(caption, "Save or not !");
  EXPECT_TRUE(window_->isVisible());
  WhenModal<QMessageBox>([](QMessageBox* box) { BoxButton(box, QMessageBox::No)->click(); });
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
  window_->action(421)->trigger();
  EXPECT_EQ(app_->slots.current, 1);
  WhenModal<QDialog>([](QDialog* d) {
    auto* combo = d->findChild<QComboBox*>();
    EXPECT_EQ(combo->currentText(), "8");  // D = 256
    combo->setCurrentIndex(combo->count() - 1);
    d->accept();
  });
  window_->action(422)->trigger();
  EXPECT_EQ(app_->settings.display.scale, 1);
}

}  // namespace
}  // namespace tavo
