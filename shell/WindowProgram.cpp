#include "shell/WindowProgram.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
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

const char* kUsage =
    "Usage: morvane2 [FOLDER]\n"
    "\n"
    "Opens the Morvane2 window on FOLDER, a folder holding input/files.txt (for\n"
    "example examples/santafe), or on the working folder when none is given.\n"
    "The window's runs write their logs there and Update writes its files there.\n";
}  // namespace

std::unique_ptr<TForm1> MakeWindow(const QStringList& arguments, std::string& message, int& status) {
  QStringList rest = arguments.mid(1);
  if (!rest.isEmpty() && (rest[0] == "--help" || rest[0] == "-h")) {
    message = kUsage;
    status = 0;
    return nullptr;
  }
  status = 2;
  if (rest.size() > 1 || (!rest.isEmpty() && rest[0].startsWith('-'))) {
    message = kUsage;
    return nullptr;
  }
  QString folder;
  if (!rest.isEmpty()) {
    folder = QDir(rest[0]).absolutePath();
    if (!QFileInfo(folder).isDir()) {
      message = "morvane2: " + rest[0].toStdString() + " is not a folder.\n";
      return nullptr;
    }
    if (!QDir::setCurrent(folder)) {
      message = "morvane2: the folder " + rest[0].toStdString() + " cannot be entered.\n";
      return nullptr;
    }
  }
  auto window = std::make_unique<TForm1>();
  if (!folder.isEmpty()) window->NameFolder(folder);
  status = 0;
  return window;
}

int RunWindowProgram(int argc, char** argv, const std::function<void(TForm1&)>& started) {
  Application application(argc, argv);
  std::string message;
  int status = 0;
  std::unique_ptr<TForm1> made = MakeWindow(QApplication::arguments(), message, status);
  if (!made) {
    std::fputs(message.c_str(), status == 0 ? stdout : stderr);
    return status;
  }
  TForm1& window = *made;
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
