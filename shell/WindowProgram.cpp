#include "shell/WindowProgram.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "config/Log.h"
#include "shell/Mainframe.h"

namespace {
// Shows a toolkit exception that escapes an event handler and lets the event
// loop go on.
class Application : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      QMessageBox::critical(nullptr, "Morvane2", error.what());
    }
    return false;
  }
};

// How long a run closed with the window may take to reach a point where it
// stops, before the process ends without it.
constexpr int kStopWait = 400;
}  // namespace

int RunWindowProgram(int argc, char** argv, const std::function<void(TForm1&)>& started) {
  Application application(argc, argv);
  TForm1 window;
  window.show();
  if (started) started(window);
  application.exec();
  if (!window.StopRunWithin(kStopWait)) {
    // The run is deep in a step that does not look at stop requests (a huge
    // generation being bred): the window is gone, so the process goes now,
    // with whatever the log files hold written out.
    GetLog()->FlushAll();
    std::fflush(nullptr);
    std::_Exit(0);
  }
  return 0;
}
