// SPDX-License-Identifier: MIT
// shell/print.h - the printed page (command 111): where the image goes on
// the printable area, and the bands of 128 rows it is sent in so that no
// full-size 8-bit copy of the image is made. The front end asks for the
// printer and draws the bands (UiPort::PrintImage).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

constexpr int kPrintBandRows = 128;

// Scale and top-left corner of the image on a printable area of page_width
// x page_height device pixels: the image as large as fits with its aspect
// kept, centred along the direction with room to spare (offsets
// truncated). With a = page_width / W and b = page_height / H: b < a gives
// scale b and a horizontal offset, otherwise scale a and a vertical one.
// Scale 0 for an empty image or page.
struct PrintPlacement {
  double scale = 0;
  int x0 = 0, y0 = 0;
};
PrintPlacement PlacePrint(int width, int height, int page_width, int page_height);

// Band k holds stored rows 128k .. 128k + 127 (row 0 is the bottom row) in
// a W x 128 bitmap whose row 127 - i is stored row 128k + i. It is drawn
// from bitmap rows source_y .. source_y + source_rows - 1 into the device
// rectangle (x, y, w, h):
// - a full band (128k + 128 < H): the whole bitmap to y0 + trunc((H - 128k
//   - 128) * s), trunc(128 * s + 1) high, so that neighbours overlap rather
//   than leave a gap;
// - the last band (the top of the picture): its H - 128k filled rows, at
//   the bottom of the bitmap, to y0, trunc((H - 128k) * s) high.
// Every band is trunc(W * s) wide at x0. None for an empty image.
struct PrintBand {
  int first_row = 0;  // stored row of bitmap row 127
  int source_y = 0, source_rows = 0;
  int x = 0, y = 0, w = 0, h = 0;
};
std::vector<PrintBand> PrintBands(int width, int height, const PrintPlacement& placement);

// Fills the band bitmap of stored rows first_row .. first_row + 127: 128
// rows of `stride` bytes (at least 3 W), bitmap row 0 first, each pixel
// three bytes R, G, B (sample >> 8; R in all three for a monochrome
// image). Bitmap rows past the top of the image are left as they are.
void FillPrintBand(const Image& image, int first_row, uint8_t* rgb, size_t stride);

// "TAVO(path)" with the path last chosen in a file dialog.
std::string PrintDocumentName(const AppState& app);

// Command 111: prints the current image on one page. A cancelled dialog, a
// missing printer and a page that could not be written each show a box
// naming the cause; nothing else changes.
void CmdPrint(AppState& app, UiPort& ui);

}  // namespace tavo
