// The window, driven headless: defaults, Update's files, and runs started,
// suspended, resumed and terminated through its buttons.
#include <QChart>
#include <QElapsedTimer>
#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "problems/MultiVariatePicture.h"
#include "problems/RegressionPicture.h"
#include "problems/TruthTablePicture.h"
#include "robots/AntPicture.h"
#include "robots/HPAntPicture.h"
#include "robots/WallfollowingPicture.h"
#include "run/Producer.h"
#include "shell/Mainframe.h"
#include "shell/PictureBox.h"
#include "shell/PictureCanvas.h"
#include "shell/Threadsystem.h"

namespace fs = std::filesystem;

namespace {
std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

QColor Q(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

const char* kDefaultTable =
    "2\t1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0 \n"
    "6\tProg2 iflte Plus2 Times2 \n"
    "2\tsensor moveForward0 moveBackward0 moveLeft1 moveRight1 \n";
}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private:
  fs::path folder;
  fs::path previous;

  // A working folder with the window's input files: a short box-moving run.
  void MakeInput(int maxGeneration, int energy, int population = 12) {
    fs::create_directories(folder / "input");
    fs::path examples = fs::path(MORVANE2_SOURCE_DIR) / "examples" / "boxmoving" / "input";
    for (const char* name : {"files.txt", "log_setting.txt", "walls.txt"}) {
      fs::copy_file(examples / name, folder / "input" / name, fs::copy_options::overwrite_existing);
    }
    Write(folder / "input" / "parameter.txt",
          "----- int_parameter\ninitial_depth 4\nmax_depth 6\nseed 10\niteration_num 1\nmax_generation " +
              std::to_string(maxGeneration) +
              "\npopulation_size " + std::to_string(population) + "\nelite_size 1\ntournament_size 2\n----- double_parameter\n"
              "crossover_ratio 0.8\nmutation_ratio 0.1\n");
    // Every program of this node set moves the robot, so every episode leaves
    // a trail whatever the clock-seeded run evolves.
    Write(folder / "input" / "table.txt", "1\tmoveForward0 moveLeft0 \n1\tProg2 \n");
    Write(folder / "input" / "problem.txt",
          "BoxMoving 100 100 10 1 -30 -30 1.57 " + std::to_string(energy) + " 0 0 3 4 8 8\n");
  }

  template <class T>
  static T* Find(TForm1& window, const char* name) {
    T* control = window.findChild<T*>(name);
    if (control == nullptr) qFatal("no control %s", name);
    return control;
  }

  // The chart's series live in the chart, not in the widget tree.
  static QLineSeries* Series(TForm1& window, const char* name) {
    for (QAbstractSeries* series : Find<QChartView>(window, "Chart1")->chart()->series()) {
      if (series->objectName() == name) return static_cast<QLineSeries*>(series);
    }
    qFatal("no series %s", name);
  }

  static QPushButton* Button(TForm1& window, const char* name) { return Find<QPushButton>(window, name); }

 private slots:
  void init() {
    previous = fs::current_path();
    folder = fs::temp_directory_path() / ("morvane2-window-" + std::to_string(QCoreApplication::applicationPid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
  }

  void cleanup() {
    fs::current_path(previous);
    fs::remove_all(folder);
  }

  void FreshWindowShowsTheDefaults() {
    MakeInput(3, 50);
    TForm1 window;
    QCOMPARE(window.windowTitle(), QString("Morvane2"));
    auto* pages = Find<QTabWidget>(window, "PageControl1");
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(0), QString("Problem Configuration"));
    QCOMPARE(pages->tabText(1), QString("Results"));
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(Find<QLineEdit>(window, "Edit1")->text(), QString("6"));
    QCOMPARE(Find<QLineEdit>(window, "Edit2")->text(), QString("2"));
    QCOMPARE(Find<QLineEdit>(window, "Edit3")->text(), QString("2"));
    QCOMPARE(Find<QLineEdit>(window, "Edit_energy")->text(), QString("400"));
    QCOMPARE(Find<QLineEdit>(window, "Edit_robot_x")->text(), QString("-30"));
    QCOMPARE(Find<QLineEdit>(window, "Edit_max_generation")->text(), QString("50"));
    QCOMPARE(Find<QLineEdit>(window, "Edit_crossover_ratio")->text(), QString("0.9"));
    QCOMPARE(Find<QLineEdit>(window, "Edit_mutation_ratio")->text(), QString("0.0"));
    auto checked = [&](const char* name) {
      QList<int> marks;
      auto* list = Find<QListWidget>(window, name);
      for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked) marks.append(i);
      }
      return marks;
    };
    QCOMPARE(checked("CheckListBox1"), QList<int>({0, 1, 2, 4}));
    QCOMPARE(checked("CheckListBox2"), QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    QCOMPARE(checked("CheckListBox3"), QList<int>({0, 1, 3, 6, 9}));
    QCOMPARE(Find<QListWidget>(window, "CheckListBox1")->item(0)->text(), QString("Prog2  "));
    QCOMPARE(Button(window, "Button1")->text(), QString("Start"));
    QCOMPARE(Button(window, "Button2")->text(), QString("Terminate"));
    QCOMPARE(Button(window, "Button3")->text(), QString("Update"));
    QCOMPARE(Series(window, "Series1")->name(), QString("Best"));
    QCOMPARE(Series(window, "Series1")->color(), QColor(Qt::red));
    QCOMPARE(Series(window, "Series2")->name(), QString("Ave"));
    QCOMPARE(Series(window, "Series2")->color(), QColor(Qt::blue));
    QVERIFY(window.findChild<QWidget*>("Image1") != nullptr);
    QVERIFY(window.findChild<QWidget*>("Memo1") != nullptr);
    QVERIFY(window.findChild<QWidget*>("Chart1") != nullptr);
  }

  void UpdateWritesTheThreeFiles() {
    MakeInput(3, 50);
    Write(folder / "input" / "walls.txt", "");
    TForm1 window;
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QCOMPARE(Read(folder / "input" / "table.txt"), std::string(kDefaultTable));
    QCOMPARE(Read(folder / "input" / "problem.txt"),
             std::string("BoxMoving\n\n100 100 10\n\n1\n\n-30 -30 1.57 400\n\n0 0\n\n"));
    QVERIFY(Read(folder / "input" / "parameter.txt").find("max_generation\t50\npopulation_size\t50\n") !=
            std::string::npos);
    QVERIFY(window.GetProducer() != nullptr);
    QCOMPARE(window.GetProducer()->GetMaxGeneration(), 50);

    Write(folder / "input" / "walls.txt", "3 4\n5 6\n7");
    // A list with nothing checked is written as its weight and a tab (the
    // run never draws from it at weight 0).
    for (int i = 0; i < 11; ++i) Find<QListWidget>(window, "CheckListBox3")->item(i)->setCheckState(Qt::Unchecked);
    Find<QLineEdit>(window, "Edit3")->setText("0");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QCOMPARE(Read(folder / "input" / "problem.txt"),
             std::string("BoxMoving\n\n100 100 10\n\n1\n\n-30 -30 1.57 400\n\n0 0\n\n3 4\n5 6\n"));
    QVERIFY(Read(folder / "input" / "table.txt").find("\n0\t\n") != std::string::npos);
  }

  void BadEditIsRefusedAndNothingIsWritten() {
    MakeInput(3, 50);
    std::string before = Read(folder / "input" / "problem.txt");
    TForm1 window;
    Find<QLineEdit>(window, "Edit_population_size")->setText("many");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY(window.LastMessage().contains("Population size"));
    QCOMPARE(Read(folder / "input" / "problem.txt"), before);
    QVERIFY(!fs::exists(folder / "input" / "table.txt.tmp"));
    QCOMPARE(window.GetProducer()->GetMaxGeneration(), 3);
  }

  void FullRunShowsEveryGeneration() {
    MakeInput(3, 40);
    TForm1 window;
    QSignalSpy finished(&window, &TForm1::RunFinished);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QCOMPARE(Button(window, "Button1")->text(), QString("Suspend"));
    QCOMPARE(window.GetRunState(), int(TForm1::kRunning));
    QVERIFY(finished.wait(60000));
    QCOMPARE(Series(window, "Series1")->count(), 4);
    QCOMPARE(Series(window, "Series2")->count(), 4);
    QCOMPARE(Series(window, "Series1")->at(3).x(), 3.0);
    QVERIFY(window.MemoText().startsWith("[generation:3]\r\n"));
    QVERIFY(window.MemoText().endsWith("\r\n\r\n"));
    QCOMPARE(Button(window, "Button1")->text(), QString("Start"));
    QCOMPARE(window.GetRunState(), int(TForm1::kIdle));
    for (int i = 0; i < 4; ++i) {
      QVERIFY(Series(window, "Series1")->at(i).y() <= Series(window, "Series2")->at(i).y());
    }
    // The picture holds the walls (black), the robot's trail (red) and the
    // box outlines (green) on white.
    const QImage& image = window.Picture()->Image();
    QCOMPARE(image.size(), QSize(353, 353));
    int black = 0, red = 0, green = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        QColor c = image.pixelColor(x, y);
        black += c == QColor(Qt::black);
        red += c == QColor(Qt::red);
        green += c == QColor(0, 128, 0);
      }
    }
    QVERIFY(black > 100);
    QVERIFY(red > 0);
    QVERIFY(green > 0);
  }

  // Walls and robot dots cover the pixels from their first corner up to,
  // not including, their second.
  void PictureShapesStopBeforeTheirSecondCorner() {
    PictureBox picture;
    picture.resize(20, 20);
    picture.SetPen(Qt::black);
    picture.SetBrush(Qt::black);
    picture.FillRect(2, 3, 5, 7);
    picture.SetPen(Qt::red);
    picture.SetBrush(Qt::red);
    picture.Ellipse(10, 10, 12, 12);
    picture.FillRect(15, 15, 15, 18);  // no width: nothing
    const QImage& image = picture.Image();
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        QColor c = image.pixelColor(x, y);
        bool inWall = x >= 2 && x < 5 && y >= 3 && y < 7;
        bool inDot = x >= 10 && x < 12 && y >= 10 && y < 12;
        QCOMPARE(c == QColor(Qt::black), inWall);
        if (!inDot) QVERIFY(c != QColor(Qt::red));
      }
    }
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::red));
  }

  void GenerationLimitZeroShowsOnePoint() {
    MakeInput(0, 40);
    TForm1 window;
    QSignalSpy finished(&window, &TForm1::RunFinished);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));
    QCOMPARE(Series(window, "Series1")->count(), 1);
    QCOMPARE(Series(window, "Series2")->count(), 1);
    QVERIFY(window.MemoText().startsWith("[generation:0]\r\n"));
  }

  void SuspendResumeAndTerminateWhileSuspended() {
    MakeInput(1000, 400);
    TForm1 window;
    QSignalSpy finished(&window, &TForm1::RunFinished);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QTest::qWait(50);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QCOMPARE(Button(window, "Button1")->text(), QString("Resume"));
    QCOMPARE(window.GetRunState(), int(TForm1::kSuspended));
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QCOMPARE(Button(window, "Button1")->text(), QString("Suspend"));
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QCOMPARE(Button(window, "Button1")->text(), QString("Resume"));
    QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton);
    QCOMPARE(Button(window, "Button1")->text(), QString("Resume"));
    QVERIFY(finished.wait(60000));
    QCOMPARE(Button(window, "Button1")->text(), QString("Start"));
    QVERIFY(Series(window, "Series1")->count() < 1001);
  }

  void SwitchingPageEndsTheRunAndUpdateIsRefusedMeanwhile() {
    MakeInput(1000, 400);
    TForm1 window;
    QSignalSpy finished(&window, &TForm1::RunFinished);
    auto* pages = Find<QTabWidget>(window, "PageControl1");
    pages->setCurrentIndex(1);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QTest::qWait(50);
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY(window.LastMessage().contains("run is in progress"));
    pages->setCurrentIndex(0);
    QVERIFY(finished.wait(60000));
    QCOMPARE(window.GetRunState(), int(TForm1::kIdle));
    QVERIFY(Series(window, "Series1")->count() < 1001);
  }

  // Every problem draws its own picture through the one drawing interface,
  // and the memo ends with the problem's measure of the best program.
  void OtherProblemsShowTheirPicturesAndMeasures() {
    struct Example {
      const char* name;
      Rgb colour;           // a colour its picture must hold above the legend
      Rgb other;            // or this one
      const char* measure;  // how its measure line starts
    };
    const Example examples[] = {
        {"parity3", TruthTableRecording::kRight, TruthTableRecording::kWrong, ""},
        {"santafe", AntRecording::kFood, AntRecording::kEaten, "eaten "},
        {"wallfollowing", WallfollowingRecording::kMissed, WallfollowingRecording::kNearWall, "score "},
        {"rastrigin10", MultiVariateRecording::kRange, MultiVariateRecording::kRange, "f(x) = "},
        {"regression-f2", RegressionRecording::kTarget, RegressionRecording::kTarget, "sum of errors "},
        {"hpant", HPAntRecording::kH, HPAntRecording::kP, ""},
    };
    for (const Example& example : examples) {
      fs::remove_all(folder / "input");
      fs::copy(fs::path(MORVANE2_SOURCE_DIR) / "examples" / example.name / "input", folder / "input",
               fs::copy_options::recursive);
      std::string parameters = Read(folder / "input" / "parameter.txt");
      parameters.replace(parameters.find("max_generation"), std::string("max_generation").size(), "ignored_key");
      Write(folder / "input" / "parameter.txt", "----- int_parameter\nmax_generation 2\npopulation_size 20\n" +
                                                     parameters.substr(parameters.find('\n') + 1));
      TForm1 window;
      QSignalSpy finished(&window, &TForm1::RunFinished);
      QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
      QVERIFY2(finished.wait(60000), example.name);
      QCOMPARE(Series(window, "Series1")->count(), 3);
      QVERIFY(window.MemoText().startsWith("[generation:2]\r\n"));
      QVERIFY(window.MemoText().endsWith("\r\n\r\n"));
      QStringList parts = window.MemoText().split("\r\n\r\n", Qt::SkipEmptyParts);
      QCOMPARE(parts.size(), 2);
      QVERIFY2(parts[1].startsWith(example.measure), example.name);
      const QImage& image = window.Picture()->Image();
      bool found = false;
      for (int y = 0; y < image.height() - PictureCanvas::kLegendHeight && !found; ++y) {
        for (int x = 0; x < image.width() && !found; ++x) {
          QColor c = image.pixelColor(x, y);
          found = c == Q(example.colour) || c == Q(example.other);
        }
      }
      QVERIFY2(found, example.name);
    }
  }

  void ClosingTheWindowMidRunEndsTheRun() {
    MakeInput(1000, 400);
    auto* window = new TForm1;
    QTest::mouseClick(Button(*window, "Button1"), Qt::LeftButton);
    QTest::qWait(100);
    delete window;  // must neither hang nor crash
  }

  // Closing the window while a large generation is bred or evaluated ends
  // the run at the next individual (MORVANE2_WINDOW_POPULATION=200000 shows
  // the times for a population of that size).
  void ClosingTheWindowMidGenerationIsPrompt() {
    int population = qEnvironmentVariableIntValue("MORVANE2_WINDOW_POPULATION");
    MakeInput(1000, 400, population > 0 ? population : 20000);
    for (int wait : {10, 100, 400}) {
      auto* window = new TForm1;
      QTest::mouseClick(Button(*window, "Button1"), Qt::LeftButton);
      QTest::qWait(wait);
      QElapsedTimer closing;
      closing.start();
      delete window;
      qInfo("closed %d ms after Start, in %lld ms", wait, static_cast<long long>(closing.elapsed()));
      QVERIFY(closing.elapsed() < 2000);
    }
  }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
