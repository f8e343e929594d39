// SPDX-License-Identifier: MIT
// tavo: the desktop program. Arguments are image files to open.
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "gui/image_view.h"
#include "gui/main_window.h"
#include "shell/main_window.h"

namespace {

// Milliseconds since the process began (its start time in /proc counts
// clock ticks since boot, so the figure has their 10 ms grain); -1 when
// unknown.
long MillisecondsSinceProcessStart() {
  std::ifstream file("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t name_end = stat.rfind(')');  // the program name may hold spaces
  if (name_end == std::string::npos) return -1;
  std::istringstream fields(stat.substr(name_end + 1));
  std::string field;
  for (int k = 3; k <= 22; ++k) fields >> field;  // field 22: the start time
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double start_ms = std::strtod(field.c_str(), nullptr) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  return static_cast<long>(now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - start_ms);
}

// TAVO_EXIT_AFTER_FIRST_PAINT=1: once the view has painted an image and the
// event loop is idle again (the window's contents flushed), prints the
// milliseconds since the process began and quits. For the start-up
// benchmark, which cannot watch the screen.
class FirstPaintExit : public QObject {
 public:
  explicit FirstPaintExit(tavo::AppState& app) : app_(app) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !armed_ && tavo::CurrentImage(app_) != nullptr) {
      armed_ = true;
      QTimer::singleShot(0, [] {
        std::printf("first paint %ld ms\n", MillisecondsSinceProcessStart());
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return false;
  }

 private:
  tavo::AppState& app_;
  bool armed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication qt_app(argc, argv);
  auto app = std::make_unique<tavo::AppState>();  // large: keep it off the stack
  app->program_dir = QCoreApplication::applicationDirPath().toStdString();
  std::vector<std::string> args;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  tavo::MainWindow window(*app);
  FirstPaintExit first_paint_exit(*app);
  if (std::getenv("TAVO_EXIT_AFTER_FIRST_PAINT") != nullptr) {
    window.image_view()->viewport()->installEventFilter(&first_paint_exit);
  }
  window.show();
  // Start once the window is on screen, so boxes shown while opening the
  // command-line files have their parent.
  QTimer::singleShot(0, &window, [&] { window.Start(tavo::NamesFromArguments(args)); });
  return qt_app.exec();
}
