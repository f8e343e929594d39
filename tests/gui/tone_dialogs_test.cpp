// SPDX-License-Identifier: MIT
// The tone and colour dialogs on the offscreen platform, each opened from
// its menu entry: their widgets reach the settings, the preview follows,
// and OK runs (or Cancel keeps the edits without running). The values'
// rules are tested in tests/shell/tone_ops_test.cpp.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "gui/dialogs/black_white_dialog.h"
#include "gui/dialogs/color_change_dialog.h"
#include "gui/dialogs/dialog_widgets.h"
#include "gui/dialogs/level_dialog.h"
#include "gui/dialogs/saturation_hue_dialog.h"
#include "gui/dialogs/tone_correction_dialog.h"
#include "shell/ops/color_change_op.h"
#include "shell/ops/saturation_hue_op.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {
namespace {

class ToneDialogTest : public QtWindowTest {
 protected:
  // A w x 1 image of one colour in slot 0, current.
  Image& Use(int w, uint16_t r, uint16_t g, uint16_t b) {
    app_->slots[0] = MakeFlatImage(w, 1, 0);
    Image& img = app_->slots[0];
    for (int x = 0; x < w; ++x) img.r[x] = r, img.g[x] = g, img.b[x] = b;
    app_->slots.current = 0;
    return img;
  }
  // Opens command `id`'s dialog, lets `act` drive it, then presses OK or
  // Cancel.
  template <typename D>
  void Drive(int id, const char* shot, bool ok, std::function<void(D*)> act) {
    bool shown = false;
    WhenModal<D>([&](D* d) {
      shown = true;
      act(d);
      SaveScreenshot(d, shot);
      if (ok) {
        d->template findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
      } else {
        d->reject();
      }
    });
    window_->action(id)->trigger();
    EXPECT_TRUE(shown);
  }
  static void Type(QLineEdit* edit, const char* text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
};

// 16320 is a quarter of 65280: gamma 2 takes it to 32640 (bin 127).
TEST_F(ToneDialogTest, LevelBarsPreviewAndCancel) {
  Image& img = Use(4, 16320, 16320, 16320);
  Drive<LevelDialog>(318, "level_dialog", false, [&](LevelDialog* d) {
    EXPECT_EQ(d->preview()->histogram().r[63], 4u);
    d->table_button(1)->click();
    d->bar(kLevelGamma)->setSliderPosition(200);
    EXPECT_EQ(d->value_field(kLevelGamma)->text(), "2.00");
    EXPECT_EQ(d->preview()->histogram().r[127], 4u);
    EXPECT_EQ(d->preview()->histogram().g[63], 4u);
    d->bar(kLevelBrightness)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(d->value_field(kLevelBrightness)->text(), "-5");
    d->reset_button()->click();
    EXPECT_EQ(d->value_field(kLevelBrightness)->text(), "0");
    d->bar(kLevelContrast)->setSliderPosition(150);
  });
  EXPECT_EQ(app_->settings.lvl.table, 1);  // Cancel keeps what was edited
  EXPECT_EQ(app_->settings.lvl.rows[1][kLevelContrast], 50);
  EXPECT_EQ(img.undo_available, 0);
}

TEST_F(ToneDialogTest, ToneCorrectionFieldBarPreviewAndOk) {
  Image& img = Use(6, 32768, 32768, 32768);
  Drive<ToneCorrectionDialog>(315, "tone_correction_dialog", true, [&](ToneCorrectionDialog* d) {
    d->strength_bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->strength_field()->text(), "20");
    Type(d->strength_field(), "0");
    EXPECT_EQ(d->strength_bar()->value(), 0);
    EXPECT_EQ(d->preview()->histogram().g[127], 6u);  // 32639, tests/tone
  });
  EXPECT_EQ(img.r[5], 32639);
}

TEST_F(ToneDialogTest, BlackWhiteWeightsAndOk) {
  Image& img = Use(2, 0, 1600, 0);
  Drive<BlackWhiteDialog>(312, "black_white_dialog", true, [&](BlackWhiteDialog* d) {
    d->mode_button(3)->click();
    for (int c = 0; c < 3; ++c) Type(d->weight_field(c), c == 1 ? "5" : "0");
  });
  EXPECT_EQ(img.monochrome, 1);
  EXPECT_EQ(img.b[0], 1600);  // G alone
}

TEST_F(ToneDialogTest, SaturationHueShownAroundZeroAndOk) {
  Image& img = Use(2, 1000, 2000, 30000);
  Drive<SaturationHueDialog>(314, "saturation_hue_dialog", true, [&](SaturationHueDialog* d) {
    d->bar(kColorHue)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(d->value_field(kColorHue)->text(), "10");
    Type(d->value_field(kColorHue), "120");
    EXPECT_EQ(d->bar(kColorHue)->value(), 300);
  });
  EXPECT_EQ(img.r[0], 30000);  // +120 degrees: R <- B
}

// Point A on pixel 0, (100, 150, 200) x 256.
TEST_F(ToneDialogTest, ColorRgbFromPointAAndOk) {
  Image& img = Use(2, 25600, 38400, 51200);
  img.point_a_x = img.point_a_y = 0;
  Drive<ColorChangeDialog>(331, "color_rgb_dialog", true, [&](ColorChangeDialog* d) {
    EXPECT_EQ(d->value_field(kColorSource1)->text(), "150");
    d->bar(kColorTarget0)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    Type(d->value_field(kColorTarget1), "255");
    EXPECT_EQ(d->bar(kColorTarget1)->value(), 255);
  });
  EXPECT_EQ(img.r[0], 16 * 256);
  EXPECT_EQ(img.g[0], 65280);
}

TEST_F(ToneDialogTest, ColorHsvFromPointAAndCancel) {
  Image& img = Use(2, 25600, 38400, 51200);
  img.point_a_x = img.point_a_y = 0;
  Drive<ColorChangeDialog>(332, "color_hsv_dialog", false, [&](ColorChangeDialog* d) {
    // Hue (12800 - 19200) * 8192 / 12800 + 32768 = 28672: 210 degrees.
    EXPECT_EQ(d->value_field(kColorSource0)->text(), "210");
    d->bar(kColorTolerance)->setSliderPosition(40);
  });
  EXPECT_EQ(app_->settings.color_hsv.tolerance, 40);
  EXPECT_EQ(img.undo_available, 0);
}

}  // namespace
}  // namespace tavo
