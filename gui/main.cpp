// SPDX-License-Identifier: MIT
// tavo: the desktop program. Arguments are image files to open.
#include <QApplication>
#include <QTimer>
#include <memory>

#include "gui/main_window.h"
#include "shell/main_window.h"

int main(int argc, char** argv) {
  QApplication qt_app(argc, argv);
  auto app = std::make_unique<tavo::AppState>();  // large: keep it off the stack
  app->program_dir = QCoreApplication::applicationDirPath().toStdString();
  std::vector<std::string> args;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  tavo::MainWindow window(*app);
  window.show();
  // Start once the window is on screen, so boxes shown while opening the
  // command-line files have their parent.
  QTimer::singleShot(0, &window, [&] { window.Start(tavo::NamesFromArguments(args)); });
  return qt_app.exec();
}
