// SPDX-License-Identifier: MIT
// tests/gui/filter_test_util.h - what the filter dialog tests share: an
// image to work on, typing into an edit, OK, and a toolbar click.
#pragma once
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/toolbar_row.h"
#include "tests/gui/qt_test_util.h"

namespace tavo {

// Slot `slot` holds a w x h position image (R = x * 1000 + row) and is
// current.
inline Image& PutPositionImage(AppState& app, int slot, int w, int h) {
  app.slots[slot] = MakePositionImage(w, h);
  SetImageName(app.slots[slot], "pos.ppm");
  MarkLoaded(app.slots[slot]);
  app.slots.current = slot;
  return app.slots[slot];
}

inline void Retype(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

inline void PressOk(QDialog* d) { d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

// Toolbar buttons are 24 pixels wide.
inline void ClickToolbarButton(MainWindow& window, int button) {
  QTest::mouseClick(window.toolbar_row(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(24 * button + 5, 10));
}

}  // namespace tavo
