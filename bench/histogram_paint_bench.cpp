// SPDX-License-Identifier: MIT
// A whole repaint of the histogram window - drawing commands made and
// painted - for a 6000 x 4000 image whose statistics are current.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "bench/bench_images.h"
#include "core/slots.h"
#include "gui/histogram_window.h"

namespace tavo {
namespace {

void BM_HistogramWindowRepaint(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "tavo_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication* qt = QGuiApplication::instance() == nullptr ? new QGuiApplication(argc, argv) : nullptr;
  (void)qt;
  auto app = std::make_unique<AppState>();
  InitAppState(*app);
  MakeBenchSkyImage(app->slots[0], 6000, 4000, 99);
  app->slots.current = 0;
  MarkLoaded(app->slots[0]);
  app->histogram_mode = static_cast<int>(state.range(0));
  app->mouse_seen = true;
  MeasureDrawing(*app);  // the statistics, once after the change
  QImage window(kMeasureWindowWidth, kMeasureWindowHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&window);
    painter.fillRect(window.rect(), Qt::white);
    PaintDrawing(painter, MeasureDrawing(*app));
  }
}
BENCHMARK(BM_HistogramWindowRepaint)->Arg(kMeasureHistogram)->Arg(kMeasureProfile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavo
