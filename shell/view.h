// SPDX-License-Identifier: MIT
// shell/view.h - how the current image sits in the image window: zoom
// steps, screen/image coordinates, scrolling and the visible extent.
//
// Screen positions are pixels of the image window (origin at its top-left).
// Image positions are (x, stored row) with row 0 the bottom row; scroll_y
// counts rows from the top of the picture. Client sizes are those of the
// main window's client area, toolbar row included; the 32 and 56 pixels
// subtracted below are fixed margins for the scroll bars and the toolbar.
#pragma once
#include "core/slots.h"

namespace tavo {

// The fixed margins taken from the client size for the visible extent.
constexpr int kViewMarginX = 32;
constexpr int kViewMarginY = 56;

constexpr int kZoomStepCount = 15;
// Percent, smallest first.
extern const int kZoomSteps[kZoomStepCount];

// The next larger / smaller step; at the end the zoom is returned as it is.
// A value that is not a step becomes 100.
int ZoomStepIn(int zoom);
int ZoomStepOut(int zoom);

// Visible extent in image pixels: (client * 100 - margin * 100) / zoom, at
// least 1 so that scrolling arithmetic stays defined in a tiny window.
int VisibleWidth(int client_width, int zoom);
int VisibleHeight(int client_height, int zoom);

// Keeps the scroll position inside the image: sx + visible width at most
// the width (likewise y), then both at least 0.
void ClampScroll(Image& image, int client_width, int client_height);

// Pixel under screen position (mx, my), clamped into the image.
void ScreenToImage(const Image& image, int mx, int my, int* x, int* row);
// True when screen position (mx, my) lies on a pixel of the image (not on
// the white beyond its right or bottom edge).
bool ScreenOnImage(const Image& image, int mx, int my);
// Screen position of image pixel (x, row): its centre above 100 %.
void ImageToScreen(const Image& image, int x, int row, int* sx, int* sy);

// One zoom step about the click at (mx, my): the clicked pixel moves to the
// middle of the visible area. False (nothing changed) at the last step.
bool ZoomAboutClick(Image& image, int client_width, int client_height, int mx, int my, bool zoom_in);
// One zoom step about the pointer at (mx, my): the pixel under it stays
// under it (as far as the scroll, kept inside the image, allows). False
// (nothing changed) at the last step.
bool ZoomAboutPointer(Image& image, int client_width, int client_height, int mx, int my, bool zoom_in);
// The largest zoom step at which the whole image fits the visible extent;
// the smallest step when none does.
int FitZoom(const Image& image, int client_width, int client_height);

enum ScrollBarId { kScrollHorizontal = 0, kScrollVertical = 1 };
enum ScrollActionCode {
  kScrollLineUp,    // 8 image pixels back
  kScrollLineDown,  // 8 forward
  kScrollPageUp,    // half the visible extent back
  kScrollPageDown,  // half forward
  kScrollThumb,     // `position` 0..100 of the scroll range
  kScrollTo,        // `position` is the new scroll, in image pixels
};
constexpr int kScrollLine = 8;

// Applies one scroll action, then clamps as ClampScroll does.
void ScrollImage(Image& image, int client_width, int client_height, int bar, int action, int position);

// Scroll bar position 0..100 for the current scroll; 0 while the image fits.
int ScrollBarPosition(const Image& image, int client_width, int client_height, int bar);

// A scroll bar in image pixels: values 0..maximum (the extent the visible
// part cannot show, 0 while the image fits), a page of the visible extent,
// the value the current scroll.
struct ScrollBarRange {
  int maximum = 0;
  int page = 1;
  int value = 0;
};
ScrollBarRange ScrollBarRangeOf(const Image& image, int client_width, int client_height, int bar);

// Wheel notches (positive: towards the top or the left) move the view by a
// fixed distance on the screen, `kWheelScreenPixels` a notch, which is at
// least one image pixel and at most half the visible extent, so no zoom
// makes a notch jump past the view.
constexpr int kWheelScreenPixels = 48;
void ScrollByWheel(Image& image, int client_width, int client_height, int bar, int notches);

}  // namespace tavo
