// Every example under examples/ in the window: opened as the program's
// argument and through the Open button, run for three generations, with the
// problem's picture and measure line checked; Update and a new box-moving
// setup for a problem other than box moving; Open refused where it must be.
#include <QDir>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>

#include <map>
#include <vector>

#include "WindowTestSupport.h"
#include "problems/MultiVariatePicture.h"
#include "problems/RegressionPicture.h"
#include "problems/TruthTablePicture.h"
#include "robots/AntPicture.h"
#include "robots/HPAntPicture.h"
#include "robots/WallfollowingPicture.h"
#include "run/Producer.h"
#include "shell/PictureBox.h"
#include "shell/PictureCanvas.h"
#include "shell/WindowProgram.h"

using namespace windowtest;

namespace {
QColor Q(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

// The number of pixels of each colour above the legend strip.
int Count(const QImage& image, QColor colour) {
  int count = 0;
  for (int y = 0; y < image.height() - PictureCanvas::kLegendHeight; ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
  }
  return count;
}

// Replaces the value of key's line ("key<TAB>value").
void SetParameter(std::string& text, const std::string& key, const std::string& value) {
  std::string::size_type at = text.find(key + "\t");
  if (at == std::string::npos) qFatal("no parameter %s", key.c_str());
  text.replace(at, text.find('\n', at) - at, key + "\t" + value);
}

// The measure line of the memo: the part after the program.
QString MeasureLine(const TForm1& window) {
  QStringList parts = window.MemoText().split("\r\n\r\n", Qt::SkipEmptyParts);
  return parts.size() == 2 ? parts[1] : QString();
}

// The Santa Fe trail's food cells, read from its problem file: the name, the
// grid, the start and the step limit come before the cells.
std::vector<std::pair<int, int>> FoodCells(const fs::path& problemFile) {
  std::istringstream words(Read(problemFile));
  std::string word;
  for (int i = 0; i < 7; ++i) words >> word;
  std::vector<std::pair<int, int>> cells;
  int x = 0;
  int y = 0;
  while (words >> x >> y) cells.emplace_back(x, y);
  return cells;
}
}  // namespace

class WindowExamplesTest : public QObject {
  Q_OBJECT

 private:
  fs::path scratch;
  fs::path previous;

  // A copy of the example's input files for a run of three generations of
  // 40 programs (the example's other parameters kept).
  fs::path Copy(const QString& name, const std::string& as) {
    fs::path folder = scratch / as;
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy(fs::path(MORVANE2_SOURCE_DIR) / "examples" / name.toStdString() / "input", folder / "input",
             fs::copy_options::recursive);
    std::string parameters = Read(folder / "input" / "parameter.txt");
    SetParameter(parameters, "max_generation", "3");
    SetParameter(parameters, "population_size", "40");
    SetParameter(parameters, "iteration_num", "1");
    Write(folder / "input" / "parameter.txt", parameters);
    // Every program of this node set moves the robot, so that the best one
    // of a short clock-seeded run leaves a trail to look for.
    if (name == "boxmoving") Write(folder / "input" / "table.txt", "1\tmoveForward0 moveLeft0 \n1\tProg2 \n");
    return folder;
  }

  // Runs three generations and checks the picture and the measure line.
  void RunAndCheck(TForm1& window, const QString& name, const fs::path& folder) {
    QCOMPARE(window.GetProducer()->GetMaxGeneration(), 3);
    QVERIFY(StartAndWait(window));
    QVERIFY2(window.InputReport().isEmpty() && window.LastMessage().isEmpty(), qPrintable(window.LastMessage()));
    QCOMPARE(Series(window, "Series1")->count(), 4);
    QVERIFY(window.MemoText().startsWith("[generation:3]\r\n"));
    QString measure = MeasureLine(window);
    const QImage& image = window.Picture()->Image();
    auto has = [&image](Rgb colour) { return Count(image, Q(colour)) > 0; };
    auto matches = [&measure](const char* pattern) {
      return QRegularExpression(QString("^") + pattern + "$").match(measure).hasMatch();
    };
    if (name == "boxmoving") {
      QVERIFY2(matches("box [0-9.]+ from the outer walls"), qPrintable(measure));
      QVERIFY(Count(image, Qt::black) > 100);
      QVERIFY(has(Colour::kRed));
      QVERIFY(has(Colour::kGreen));
    } else if (name == "santafe") {
      QRegularExpressionMatch eaten = QRegularExpression("^eaten (\\d+) of 89$").match(measure);
      QVERIFY2(eaten.hasMatch(), qPrintable(measure));
      // Each food cell, looked at off its centre (where the path runs), is
      // eaten or not as the measure counts. The 32 by 32 trail has a wall
      // ring around it.
      PictureCanvas canvas(window.Picture(), {34.0, 34.0}, true);
      int green = 0;
      int orange = 0;
      int ant = 0;  // the ant's last cell, an eaten one when it holds food
      std::vector<std::pair<int, int>> food = FoodCells(folder / "input" / "problem.txt");
      QCOMPARE(int(food.size()), 89);
      for (const auto& [x, y] : food) {
        QColor c = image.pixelColor(canvas.PixelX(x - 17 + 0.2), canvas.PixelY(y - 17 + 0.2));
        green += c == Q(AntRecording::kFood);
        orange += c == Q(AntRecording::kEaten);
        ant += c == Q(AntRecording::kAnt);
      }
      QVERIFY(ant <= 1);
      QCOMPARE(orange + ant, eaten.captured(1).toInt());
      QCOMPARE(green, 89 - orange - ant);
      QVERIFY(has(AntRecording::kPath));
      QVERIFY(has(AntRecording::kAnt));
    } else if (name == "hpant") {
      QVERIFY2(matches("\\d+ contacts?(, \\d+ of \\d+ residues laid)?"), qPrintable(measure));
      QVERIFY(has(HPAntRecording::kH));
      QVERIFY(has(HPAntRecording::kP));
      QVERIFY(has(HPAntRecording::kBond));
    } else if (name == "wallfollowing") {
      QVERIFY2(matches("score -?\\d+: .*"), qPrintable(measure));
      QVERIFY(has(WallfollowingRecording::kPath));
      QVERIFY(has(WallfollowingRecording::kNearWall) || has(WallfollowingRecording::kFree));
    } else if (name == "regression-f2") {
      QVERIFY2(matches("sum of errors [0-9.e+]+"), qPrintable(measure));
      QVERIFY(has(RegressionRecording::kTarget));
      QVERIFY(has(RegressionRecording::kProgram));
    } else if (name == "rastrigin10") {
      QVERIFY2(matches("f\\(x\\) = -?[0-9.e+]+"), qPrintable(measure));
      QVERIFY(has(MultiVariateRecording::kRange));
      QVERIFY(has(MultiVariateRecording::kOptimum));
    } else {
      QRegularExpressionMatch cases = QRegularExpression("^(\\d+) of (\\d+) cases right$").match(measure);
      QVERIFY2(cases.hasMatch(), qPrintable(measure));
      QVERIFY(has(TruthTableRecording::kRight));
      QCOMPARE(has(TruthTableRecording::kWrong), cases.captured(1) != cases.captured(2));
    }
  }

  static QStringList Examples() {
    QStringList names;
    for (const auto& entry : fs::directory_iterator(fs::path(MORVANE2_SOURCE_DIR) / "examples")) {
      if (fs::exists(entry.path() / "input" / "files.txt")) {
        names << QString::fromStdString(entry.path().filename().string());
      }
    }
    names.sort();
    return names;
  }

 private slots:
  void initTestCase() {
    previous = fs::current_path();
    scratch = fs::temp_directory_path() / ("morvane2-examples-" + std::to_string(QCoreApplication::applicationPid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    QVERIFY(Examples().size() >= 10);
  }

  void cleanupTestCase() {
    fs::current_path(previous);
    fs::remove_all(scratch);
  }

  void cleanup() { fs::current_path(previous); }

  void EveryExampleAsTheArgument_data() {
    QTest::addColumn<QString>("name");
    for (const QString& name : Examples()) QTest::newRow(qPrintable(name)) << name;
  }

  void EveryExampleAsTheArgument() {
    QFETCH(QString, name);
    fs::path folder = Copy(name, "argument-" + name.toStdString());
    std::string message;
    int status = -1;
    std::unique_ptr<TForm1> window =
        MakeWindow({"morvane2", QString::fromStdString(folder.string())}, message, status);
    QVERIFY2(window != nullptr, message.c_str());
    QCOMPARE(status, 0);
    QCOMPARE(fs::current_path(), folder);
    QCOMPARE(window->windowTitle(), "Morvane2 - argument-" + name);
    QVERIFY2(window->InputReport().isEmpty(), qPrintable(window->InputReport()));
    RunAndCheck(*window, name, folder);
    // The run's logs are written in the folder.
    QVERIFY(fs::exists(folder / "log.txt"));
  }

  void EveryExampleThroughOpen_data() { EveryExampleAsTheArgument_data(); }

  void EveryExampleThroughOpen() {
    QFETCH(QString, name);
    fs::path start = Copy("boxmoving", "start");
    fs::path folder = Copy(name, "open-" + name.toStdString());
    // A log of an earlier batch in the folder stays until a run starts.
    const std::string earlier = "an earlier batch's log\n";
    Write(folder / "log.txt", earlier);
    fs::current_path(start);
    TForm1 window;
    QCOMPARE(window.windowTitle(), QString("Morvane2"));
    QString asked;
    window.SetFolderChooser([&](QWidget*) {
      asked = QDir::currentPath();
      return QString::fromStdString(folder.string());
    });
    QTest::mouseClick(Button(window, "Button_open"), Qt::LeftButton);
    QCOMPARE(asked, QString::fromStdString(start.string()));
    QCOMPARE(window.windowTitle(), "Morvane2 - open-" + name);
    QCOMPARE(fs::current_path(), folder);
    QVERIFY(window.GetProducer() != nullptr);
    QCOMPARE(window.GetProducer()->GetPopulationSize(), 40);
    // The page shows another problem's GP parameters (the box-moving copy's
    // table is not one of the page's); the node set and robot setting are
    // box moving's alone.
    bool boxMoving = name == "boxmoving";
    if (!boxMoving) QCOMPARE(Edit(window, "Edit_population_size")->text(), QString("40"));
    QCOMPARE(Edit(window, "Edit1")->isEnabled(), boxMoving);
    QCOMPARE(Find<QListWidget>(window, "CheckListBox3")->isEnabled(), boxMoving);
    QCOMPARE(Edit(window, "Edit_energy")->isEnabled(), boxMoving);
    QCOMPARE(Button(window, "Button_newbox")->isEnabled(), !boxMoving);
    QCOMPARE(Find<QLabel>(window, "Label_files")->text().contains("Update writes only the GP parameters"),
             !boxMoving);
    QCOMPARE(Read(folder / "log.txt"), earlier);
    RunAndCheck(window, name, folder);
    QVERIFY(Read(folder / "log.txt") != earlier);
  }

  void OpenIsRefusedDuringARunAndWithoutInputFiles() {
    fs::path start = Copy("boxmoving", "refused");
    std::string parameters = Read(start / "input" / "parameter.txt");
    SetParameter(parameters, "max_generation", "1000");
    Write(start / "input" / "parameter.txt", parameters);
    fs::path empty = scratch / "empty";
    fs::create_directories(empty);
    fs::path other = Copy("santafe", "refused-other");
    fs::current_path(start);
    TForm1 window;
    int asked = 0;
    QString answer = QString::fromStdString(empty.string());
    window.SetFolderChooser([&](QWidget*) {
      ++asked;
      return answer;
    });
    QTest::mouseClick(Button(window, "Button_open"), Qt::LeftButton);
    QVERIFY(window.LastMessage().contains("holds no input/files.txt"));
    QCOMPARE(fs::current_path(), start);
    QCOMPARE(window.windowTitle(), QString("Morvane2"));
    CloseMessageBoxes(window);

    // A cancelled dialog opens nothing and says nothing.
    answer.clear();
    QTest::mouseClick(Button(window, "Button_open"), Qt::LeftButton);
    QVERIFY(window.LastMessage().isEmpty());
    QCOMPARE(fs::current_path(), start);

    QSignalSpy finished(&window, &TForm1::RunFinished);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    answer = QString::fromStdString(other.string());
    QTest::mouseClick(Button(window, "Button_open"), Qt::LeftButton);
    QVERIFY(window.LastMessage().contains("run is in progress"));
    QCOMPARE(asked, 2);
    QVERIFY(!window.OpenFolder(answer));
    QCOMPARE(fs::current_path(), start);
    QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton);
    QVERIFY(finished.count() > 0 || finished.wait(60000));
    CloseMessageBoxes(window);
    // The input folder picked instead of the folder holding it.
    QVERIFY(window.OpenFolder(QString::fromStdString((other / "input").string())));
    QCOMPARE(fs::current_path(), other);
    QCOMPARE(window.windowTitle(), QString("Morvane2 - refused-other"));
  }

  // Update for another problem rewrites its GP parameters and nothing else.
  void UpdateOfAnotherProblemChangesOnlyTheParameterFile() {
    fs::path folder = Copy("parity3", "update-other");
    std::string parameters = Read(folder / "input" / "parameter.txt");
    SetParameter(parameters, "iteration_num", "5");
    Write(folder / "input" / "parameter.txt", parameters);
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::directory_iterator(folder / "input")) {
      before[entry.path().filename().string()] = Read(entry.path());
    }
    fs::current_path(folder);
    TForm1 window;
    Edit(window, "Edit_population_size")->setText("60");
    Edit(window, "Edit_mutation_ratio")->setText("0.1");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY2(window.LastMessage().isEmpty(), qPrintable(window.LastMessage()));
    std::string expected = before["parameter.txt"];
    SetParameter(expected, "population_size", "60");
    SetParameter(expected, "mutation_ratio", "0.1");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder / "input")) {
      std::string name = entry.path().filename().string();
      QCOMPARE(Read(entry.path()), name == "parameter.txt" ? expected : before[name]);
      ++files;
    }
    QCOMPARE(files, before.size());
    QCOMPARE(window.GetProducer()->GetPopulationSize(), 60);
    QCOMPARE(Edit(window, "Edit_population_size")->text(), QString("60"));
    QVERIFY(!Edit(window, "Edit1")->isEnabled());
  }

  // Another problem whose files cannot all be read is still another problem:
  // Update never turns it into box moving.
  void UpdateKeepsAnotherProblemWhoseFilesCannotBeRead() {
    fs::path folder = Copy("santafe", "update-broken");
    Write(folder / "input" / "problem.txt", "Ant\n\n-5 32\n1 1 0\n400\n");
    std::string table = Read(folder / "input" / "table.txt");
    std::string problem = Read(folder / "input" / "problem.txt");
    fs::current_path(folder);
    TForm1 window;
    QVERIFY(window.GetProducer() == nullptr);
    QVERIFY2(window.LastMessage().contains("GP parameters of the Ant problem"), qPrintable(window.LastMessage()));
    CloseMessageBoxes(window);
    auto* note = Find<QLabel>(window, "Label_files");
    QVERIFY2(note->text().contains("Update writes only the GP parameters"), qPrintable(note->text()));
    QVERIFY(!Edit(window, "Edit1")->isEnabled());
    Edit(window, "Edit_max_generation")->setText("7");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY(window.LastMessage().contains("could not be read"));
    QCOMPARE(Read(folder / "input" / "table.txt"), table);
    QCOMPARE(Read(folder / "input" / "problem.txt"), problem);
    QVERIFY(Read(folder / "input" / "parameter.txt").find("max_generation\t7\n") != std::string::npos);
  }

  // Box moving takes the place of another problem only when the user says so.
  void NewBoxMovingSetupAsksFirst() {
    fs::path folder = Copy("santafe", "new-box");
    std::string table = Read(folder / "input" / "table.txt");
    std::string problem = Read(folder / "input" / "problem.txt");
    fs::current_path(folder);
    TForm1 window;
    QTest::mouseClick(Button(window, "Button_newbox"), Qt::LeftButton);
    auto* box = window.findChild<QMessageBox*>("ReplaceProblemBox");
    QVERIFY(box != nullptr);
    QVERIFY(box->text().contains("Ant"));
    QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    QApplication::processEvents();
    QCOMPARE(Read(folder / "input" / "table.txt"), table);
    QCOMPARE(Read(folder / "input" / "problem.txt"), problem);

    QTest::mouseClick(Button(window, "Button_newbox"), Qt::LeftButton);
    box = window.findChild<QMessageBox*>("ReplaceProblemBox");
    QVERIFY(box != nullptr);
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    QApplication::processEvents();
    QVERIFY(Read(folder / "input" / "problem.txt").rfind("BoxMoving\n", 0) == 0);
    QVERIFY(window.InputReport().isEmpty());
    QVERIFY(Edit(window, "Edit1")->isEnabled());
    QVERIFY(!Button(window, "Button_newbox")->isEnabled());
    // The GP parameters stay those the page showed.
    QCOMPARE(window.GetProducer()->GetPopulationSize(), 40);
  }

  void ArgumentsOtherThanOneFolderAreRefused() {
    std::string message;
    int status = -1;
    QVERIFY(MakeWindow({"morvane2", "--help"}, message, status) == nullptr);
    QCOMPARE(status, 0);
    QVERIFY(message.rfind("Usage: morvane2 [FOLDER]", 0) == 0);
    QVERIFY(MakeWindow({"morvane2", "a", "b"}, message, status) == nullptr);
    QCOMPARE(status, 2);
    QVERIFY(MakeWindow({"morvane2", "--bogus"}, message, status) == nullptr);
    QCOMPARE(status, 2);
    QString missing = QString::fromStdString((scratch / "no-such-folder").string());
    QVERIFY(MakeWindow({"morvane2", missing}, message, status) == nullptr);
    QCOMPARE(status, 2);
    QCOMPARE(message, "morvane2: " + missing.toStdString() + " is not a folder.\n");
    QCOMPARE(fs::current_path(), previous);
  }
};

QTEST_MAIN(WindowExamplesTest)
#include "WindowExamplesTest.moc"
