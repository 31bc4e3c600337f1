// What the window's tests share: a scratch working folder with input files,
// the controls found by name, and waiting for a run's end.
#pragma once

#include <QApplication>
#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/Mainframe.h"

namespace windowtest {
namespace fs = std::filesystem;

inline std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A fresh working folder under the temporary folder, made the working
// directory while the object lives.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& name)
      : previous(fs::current_path()),
        folder(fs::temp_directory_path() /
               ("morvane2-" + name + "-" + std::to_string(QCoreApplication::applicationPid()))) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
  }
  ~WorkingFolder() {
    fs::current_path(previous);
    std::error_code ignored;
    fs::permissions(folder / "input", fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder, ignored);
  }
  const fs::path& Path() const { return folder; }
  fs::path Input(const std::string& name) const { return folder / "input" / name; }

 private:
  fs::path previous;
  fs::path folder;
};

// The box-moving example's input files (the window's defaults), with
// parameter lines replaced: "key value" each.
inline void CopyBoxMoving(const WorkingFolder& work, std::initializer_list<std::pair<std::string, std::string>> set = {}) {
  fs::copy(fs::path(MORVANE2_SOURCE_DIR) / "examples" / "boxmoving" / "input", work.Path() / "input",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  std::string text = Read(work.Input("parameter.txt"));
  for (const auto& [key, value] : set) {
    std::string::size_type at = text.find(key + "\t");
    if (at == std::string::npos) at = text.find(key + " ");
    if (at == std::string::npos) qFatal("no parameter %s", key.c_str());
    text.replace(at, text.find('\n', at) - at, key + "\t" + value);
  }
  Write(work.Input("parameter.txt"), text);
}

template <class T>
T* Find(QWidget& window, const char* name) {
  T* control = window.findChild<T*>(name);
  if (control == nullptr) qFatal("no control %s", name);
  return control;
}

inline QPushButton* Button(QWidget& window, const char* name) { return Find<QPushButton>(window, name); }
inline QLineEdit* Edit(QWidget& window, const char* name) { return Find<QLineEdit>(window, name); }

inline QLineSeries* Series(QWidget& window, const char* name) {
  for (QAbstractSeries* series : Find<QChartView>(window, "Chart1")->chart()->series()) {
    if (series->objectName() == name) return static_cast<QLineSeries*>(series);
  }
  qFatal("no series %s", name);
}

// Clicks Start and waits (at most timeout milliseconds) for the run to end,
// also when it ends at once.
inline bool StartAndWait(TForm1& window, int timeout = 60000) {
  QSignalSpy finished(&window, &TForm1::RunFinished);
  QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
  return finished.count() > 0 || finished.wait(timeout);
}

// Closes every message box the window has open.
inline void CloseMessageBoxes(QWidget& window) {
  for (QMessageBox* box : window.findChildren<QMessageBox*>()) box->done(QMessageBox::Ok);
  QApplication::processEvents();
}
}  // namespace windowtest
