// morvane2-plot: draws fitness per generation from the `generations` CSV
// files of batch runs into a PNG (or SVG) file, without a display.
#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "shell/plot/FitnessPlot.h"
#include "shell/plot/Labels.h"

namespace {
const char* kUsage =
    "Usage: morvane2-plot CSV... [-o FILE.png|FILE.svg] [--log-y] [--title T] [--compare] [--size WxH]\n"
    "\n"
    "Reads the generations.csv files written by morvane2-batch and draws the best\n"
    "and the mean fitness per generation: each run as a thin line, the median\n"
    "across runs in bold, and the band from the first to the third quartile.\n"
    "Several files are pooled as runs of one setting, unless --compare is given.\n"
    "\n"
    "  -o FILE      the picture to write (default fitness.png); .svg writes SVG\n"
    "  --log-y      a logarithmic fitness axis (values of 0 or less are left out)\n"
    "  --title T    the chart's title (default \"Fitness per generation\")\n"
    "  --compare    one median curve per file (best solid, mean dashed), with a\n"
    "               legend naming each file's folder: a parameter study at a glance\n"
    "  --size WxH   the picture's size in pixels (default 800x500)\n";

int Fail(const QString& message) {
  std::fprintf(stderr, "morvane2-plot: %s\n", message.toLocal8Bit().constData());
  return 2;
}

bool ParseSize(const QString& text, int& width, int& height) {
  QStringList parts = text.split('x');
  if (parts.size() != 2) return false;
  bool okW = false;
  bool okH = false;
  width = parts[0].toInt(&okW);
  height = parts[1].toInt(&okH);
  return okW && okH && width >= 100 && height >= 100 && width <= 10000 && height <= 10000;
}
}  // namespace

int main(int argc, char** argv) {
  // Drawn offscreen: no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments();
  args.removeFirst();
  PlotOptions options;
  QStringList files;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "-o" && hasValue) {
      options.output = args[++i];
    } else if (arg == "--title" && hasValue) {
      options.title = args[++i];
    } else if (arg == "--size" && hasValue) {
      if (!ParseSize(args[++i], options.width, options.height))
        return Fail("--size wants WxH, 100 to 10000 each");
    } else if (arg == "--log-y") {
      options.logY = true;
    } else if (arg == "--compare") {
      options.compare = true;
    } else if (arg.startsWith("-")) {
      std::fputs(kUsage, stderr);
      return Fail("unknown or incomplete option " + arg);
    } else {
      files << arg;
    }
  }
  if (files.isEmpty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<PlotInput> inputs;
  for (const QString& file : files) {
    std::ifstream in(file.toLocal8Bit().constData());
    if (!in) return Fail("can not open " + file);
    PlotInput input;
    input.label = LabelOf(file);
    if (!input.table.Read(in, file.toStdString()))
      return Fail(QString::fromStdString(input.table.ReadError()));
    if (input.table.LastGeneration() < 0) return Fail(file + " has no rows");
    inputs.push_back(std::move(input));
  }
  // A study's folders differ in a part or two of their names: the legend
  // shows those.
  std::vector<std::string> labels;
  for (const PlotInput& input : inputs) labels.push_back(input.label.toStdString());
  labels = DistinctParts(labels);
  for (std::size_t i = 0; i < inputs.size(); ++i) inputs[i].label = QString::fromStdString(labels[i]);
  QString error;
  if (!WriteFitnessPlot(inputs, options, error)) return Fail(error);
  std::printf("Wrote %s\n", options.output.toLocal8Bit().constData());
  return 0;
}
