// SPDX-License-Identifier: MIT
// printing/print_page.h - the page of command 111 drawn with Qt, shared by
// the window (printers and the print dialog's PDF file) and tavo-cli
// (PDF files only). Placement and bands come from shell/print.h.
#pragma once
#include <string>

#include "shell/ui_port.h"

class QPainter;

namespace tavo {

// Draws `image` into a printable area of page_width x page_height device
// pixels whose top-left corner is the painter's origin, one band bitmap at
// a time. PDF output (a file, or a printer fed through PDF) keeps the bands
// as JPEG of quality 94, Qt's choice: the lossless alternative spent over
// ten seconds compressing a 6000 x 4000 night sky.
void PaintPrintPage(QPainter& painter, int page_width, int page_height, const Image& image);

// PDF output without a dialog: one A4 portrait page at kPdfResolution dots
// per inch, the whole page printable, titled job.document_name. A
// PrintResult; kPrintFailed with `detail` the path when the file cannot be
// written.
constexpr int kPdfResolution = 300;
int PrintToPdf(const std::string& path, const PrintJob& job, std::string* detail);

}  // namespace tavo
