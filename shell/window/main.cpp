// The window program: builds the producer from input/files.txt in the working
// directory and runs the window's event loop.
#include <QApplication>
#include <QMessageBox>
#include <exception>

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
}  // namespace

int main(int argc, char** argv) {
  Application application(argc, argv);
  TForm1 window;
  window.show();
  application.exec();
  return 0;
}
