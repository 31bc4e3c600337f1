// The window program driven from inside, for the test of closing the window
// during a run: starts a run in the working folder's input files, closes the
// window once the run has gone on for the given milliseconds, and prints
// "closing" just before. The process's end is the window program's own.
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "shell/Mainframe.h"
#include "shell/WindowProgram.h"

int main(int argc, char** argv) {
  int after = argc > 1 ? std::atoi(argv[1]) : 500;
  // The window works in the working folder: the probe's own argument is not
  // the window program's.
  int programArguments = 1;
  return RunWindowProgram(programArguments, argv, [after](TForm1& window) {
    window.findChild<QPushButton*>("Button1")->click();
    QTimer::singleShot(after, &window, [&window] {
      std::printf("closing\n");
      std::fflush(stdout);
      window.close();
    });
  });
}
