// SPDX-License-Identifier: MIT
#include "printing/print_page.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <vector>

#include "shell/print.h"

namespace tavo {

void PaintPrintPage(QPainter& painter, int page_width, int page_height, const Image& image) {
  const int w = image.width;
  const PrintPlacement place = PlacePrint(w, image.height, page_width, page_height);
  const std::vector<PrintBand> bands = PrintBands(w, image.height, place);
  if (bands.empty()) return;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> bitmap(stride * kPrintBandRows, 255);
  for (const PrintBand& band : bands) {
    FillPrintBand(image, band.first_row, bitmap.data(), stride);
    const QImage picture(bitmap.data(), w, kPrintBandRows, static_cast<qsizetype>(stride), QImage::Format_RGB888);
    painter.drawImage(QRect(band.x, band.y, band.w, band.h), picture, QRect(0, band.source_y, w, band.source_rows));
  }
}

int PrintToPdf(const std::string& path, const PrintJob& job, std::string* detail) {
  if (job.image == nullptr) return kPrintDone;
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) {
    *detail = path;
    return kPrintFailed;
  }
  QPdfWriter writer(&file);
  writer.setResolution(kPdfResolution);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  writer.setTitle(QString::fromStdString(job.document_name));
  writer.setCreator("TAVO");
  QPainter painter;
  if (!painter.begin(&writer)) {
    *detail = path;
    return kPrintFailed;
  }
  PaintPrintPage(painter, writer.width(), writer.height(), *job.image);
  painter.end();
  return kPrintDone;
}

}  // namespace tavo
