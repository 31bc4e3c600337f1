// Saves the picture the window draws for each example after a short run, for
// looking at by eye: morvane2-pictures OUTPUT-FOLDER EXAMPLE-FOLDER...
// writes OUTPUT-FOLDER/NAME.png for each example folder (one holding
// input/files.txt), run for GENERATIONS generations (environment, default 5)
// with the example's other parameters. Runs under the offscreen platform.
#include <QApplication>
#include <QSignalSpy>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/Mainframe.h"
#include "shell/PictureBox.h"

namespace fs = std::filesystem;

namespace {
// The example's parameter file with max_generation replaced.
std::string WithGenerations(const std::string& parameters, int generations) {
  std::string text = parameters;
  std::size_t at = text.find("max_generation");
  if (at != std::string::npos) text.replace(at, std::string("max_generation").size(), "ignored_key");
  std::size_t firstLine = text.find('\n');
  return "----- int_parameter\nmax_generation " + std::to_string(generations) + "\n" +
         text.substr(firstLine + 1);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "Usage: morvane2-pictures OUTPUT-FOLDER EXAMPLE-FOLDER...\n");
    return 2;
  }
  const char* text = std::getenv("GENERATIONS");
  int generations = text != nullptr ? std::atoi(text) : 5;
  fs::path output = fs::absolute(argv[1]);
  std::vector<fs::path> examples;
  for (int k = 2; k < argc; ++k) examples.push_back(fs::absolute(argv[k]).lexically_normal());
  fs::create_directories(output);
  fs::path work =
      fs::temp_directory_path() / ("morvane2-pictures-" + std::to_string(QCoreApplication::applicationPid()));
  int failures = 0;
  for (const fs::path& example : examples) {
    fs::remove_all(work);
    fs::create_directories(work);
    fs::copy(example / "input", work / "input", fs::copy_options::recursive);
    std::ifstream in(work / "input" / "parameter.txt", std::ios::binary);
    std::string parameters((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    parameters = WithGenerations(parameters, generations);
    std::ofstream(work / "input" / "parameter.txt", std::ios::binary) << parameters;
    fs::current_path(work);
    {
      TForm1 window;
      QSignalSpy finished(&window, &TForm1::RunFinished);
      window.Button1Click();
      if (!finished.wait(600000)) {
        std::fprintf(stderr, "%s: the run did not finish\n", example.string().c_str());
        ++failures;
        continue;
      }
      fs::path file = output / (example.parent_path().filename().string() + ".png");
      if (example.has_filename()) file = output / (example.filename().string() + ".png");
      if (!window.Picture()->Image().save(QString::fromStdString(file.string()))) ++failures;
      std::printf("%s\n%s\n", file.string().c_str(), window.MemoText().toStdString().c_str());
    }
    fs::current_path(output);
  }
  fs::remove_all(work);
  return failures == 0 ? 0 : 1;
}
