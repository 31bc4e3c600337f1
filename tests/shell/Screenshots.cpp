// Saves pictures of both pages of the window after a short run, for the
// README: morvane2-screenshots CONFIGURATION.png RESULTS.png, run in a working
// folder with an input/ folder (under Xvfb or the offscreen platform).
#include <QApplication>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "shell/Mainframe.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "Usage: morvane2-screenshots CONFIGURATION.png RESULTS.png\n");
    return 2;
  }
  TForm1 window;
  window.show();
  auto* pages = window.findChild<QTabWidget*>("PageControl1");
  QApplication::processEvents();
  if (!window.grab().save(argv[1])) return 1;
  pages->setCurrentIndex(1);
  QSignalSpy finished(&window, &TForm1::RunFinished);
  window.Button1Click();
  if (!finished.wait(600000)) return 1;
  QApplication::processEvents();
  return window.grab().save(argv[2]) ? 0 : 1;
}
