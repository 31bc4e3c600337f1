// Saves pictures of the window for the README: both pages after a short run,
// then the results page with the report of a run that the engine ended:
// morvane2-screenshots CONFIGURATION.png RESULTS.png REPORT.png, run in a
// working folder with an input/ folder (under Xvfb or the offscreen platform).
// morvane2-screenshots --results RESULTS.png saves only the results page
// after a run of the working folder's problem (the gallery of problems).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <string>

#include "shell/Mainframe.h"

namespace {
// The window with its open message box drawn over its middle, as a screen
// shows them (the box is a window of its own).
QPixmap WithMessageBox(TForm1& window) {
  QPixmap picture = window.grab();
  for (QMessageBox* box : window.findChildren<QMessageBox*>()) {
    if (!box->isVisible()) continue;
    QPixmap boxPicture = box->grab();
    QPainter painter(&picture);
    painter.drawPixmap((picture.width() - boxPicture.width()) / 2, (picture.height() - boxPicture.height()) / 2,
                       boxPicture);
    painter.setPen(Qt::darkGray);
    painter.drawRect((picture.width() - boxPicture.width()) / 2, (picture.height() - boxPicture.height()) / 2,
                     boxPicture.width() - 1, boxPicture.height() - 1);
  }
  return picture;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  bool resultsOnly = argc == 3 && std::string(argv[1]) == "--results";
  if (argc != 4 && !resultsOnly) {
    std::fprintf(stderr,
                 "Usage: morvane2-screenshots CONFIGURATION.png RESULTS.png REPORT.png\n"
                 "       morvane2-screenshots --results RESULTS.png\n");
    return 2;
  }
  TForm1 window;
  window.show();
  auto* pages = window.findChild<QTabWidget*>("PageControl1");
  QApplication::processEvents();
  if (resultsOnly) {
    window.NameFolder(QDir::currentPath());
    pages->setCurrentIndex(1);
    QSignalSpy finished(&window, &TForm1::RunFinished);
    window.Button1Click();
    if (!finished.wait(600000) || !window.InputReport().isEmpty()) return 1;
    QApplication::processEvents();
    return window.grab().save(argv[2]) ? 0 : 1;
  }
  if (!window.grab().save(argv[1])) return 1;
  pages->setCurrentIndex(1);
  QSignalSpy finished(&window, &TForm1::RunFinished);
  window.Button1Click();
  if (!finished.wait(600000)) return 1;
  QApplication::processEvents();
  if (!window.grab().save(argv[2])) return 1;

  // Deep programs of functions alone: Update takes the settings, the run
  // reports that its first program grows too large.
  pages->setCurrentIndex(0);
  window.findChild<QLineEdit*>("Edit2")->setText("0");
  window.findChild<QLineEdit*>("Edit3")->setText("0");
  window.findChild<QLineEdit*>("Edit_initial_depth")->setText("20");
  window.findChild<QLineEdit*>("Edit_max_depth")->setText("20");
  window.Button3Click();
  pages->setCurrentIndex(1);
  window.Button1Click();
  if (!finished.wait(600000)) return 1;
  QTest::qWait(300);
  return WithMessageBox(window).save(argv[3]) ? 0 : 1;
}
