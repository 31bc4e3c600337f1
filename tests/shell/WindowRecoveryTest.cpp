// The window survives what used to end the process: reports of the engine
// during a run, input files that cannot be read at start-up, and Update
// with settings the run cannot use or files it cannot write.
#include <QCheckBox>
#include <QLabel>

#include "WindowTestSupport.h"
#include "run/Producer.h"

using namespace windowtest;

namespace {
// The text of every input file, to show that nothing changed.
std::string InputTexts(const WorkingFolder& work) {
  std::string texts;
  for (const char* name : {"files.txt", "log_setting.txt", "parameter.txt", "problem.txt", "table.txt", "walls.txt"}) {
    texts += std::string(name) + "\n" + Read(work.Input(name)) + "\n";
  }
  return texts;
}

void SetAnimate(TForm1& window, bool animate) { Find<QCheckBox>(window, "CheckBox_animate")->setChecked(animate); }

bool AnyTemporaryFile(const WorkingFolder& work) {
  for (const auto& entry : fs::directory_iterator(work.Path() / "input")) {
    if (entry.path().extension() == ".tmp") return true;
  }
  return false;
}
}  // namespace

class WindowRecoveryTest : public QObject {
  Q_OBJECT

 private slots:
  // Each of these made the process exit when Start was pressed.
  void ReportDuringARunEndsOnlyTheRun_data() {
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("report");
    // The warning written before the report says what it means.
    QTest::newRow("every constant unchecked, weight 0")
        << "" << "0\t\n6\tProg2 iflte Plus2 Times2 \n2\tsensor moveForward0 \n"
        << "Warning: Line 1 of the node-set table has a weight and no operator names; drawing from its class ends "
           "the run at GPSymbolRegister::GetRandomTerminal\nArray index 0 is over size 0 at OperatorArray::Get";
    QTest::newRow("crossover ratio 1e9") << "crossover_ratio 1e9" << "" << "Capacity 50 is full  at IndividualArray::Add";
    QTest::newRow("mutation ratio 1e300") << "mutation_ratio 1e300" << ""
                                          << "Capacity 50 is full  at IndividualArray::Add";
    // With the default node set a random tree now and then stays small (the
    // run is seeded from the clock); with functions alone above the depth
    // limit every tree is full, and too large.
    const char* onlyFunctions = "0\t1.0 \n6\tProg2 iflte Plus2 Times2 \n0\tsensor \n";
    QTest::newRow("initial depth 20, max depth 20")
        << "initial_depth 20;max_depth 20" << onlyFunctions
        << "A random program of depth limit 20 has more than 100000 nodes";
    QTest::newRow("max depth 25, crossover 0.8, mutation 0.1")
        << "max_depth 25;crossover_ratio 0.8;mutation_ratio 0.1" << onlyFunctions
        << "has more than 100000 nodes; the node set grows programs too fast for that depth";
    QTest::newRow("tournament size 2147483647")
        << "tournament_size 2147483647" << ""
        << "Fatal error: Parameter tournament_size in input/parameter.txt is 2147483647; expected at most 1000000 at "
           "GPProducer::GetEvolution";
    QTest::newRow("table deleted after start-up") << "" << "-" << "Can not open file at GPProducer::GetGPSymbolRegister";
  }

  void ReportDuringARunEndsOnlyTheRun() {
    QFETCH(QString, parameters);
    QFETCH(QString, table);
    QFETCH(QString, report);
    WorkingFolder work("window-report");
    CopyBoxMoving(work, {{"max_generation", "3"}});
    std::string text = Read(work.Input("parameter.txt"));
    for (const QString& pair : parameters.split(';', Qt::SkipEmptyParts)) {
      QStringList words = pair.split(' ');
      std::string key = words[0].toStdString();
      std::string::size_type at = text.find(key + "\t");
      text.replace(at, text.find('\n', at) - at, key + "\t" + words[1].toStdString());
    }
    Write(work.Input("parameter.txt"), text);
    if (table != "-" && !table.isEmpty()) Write(work.Input("table.txt"), table.toStdString());

    TForm1 window;
    QVERIFY(window.InputReport().isEmpty());
    if (table == "-") fs::remove(work.Input("table.txt"));
    SetAnimate(window, false);
    for (int attempt = 0; attempt < 2; ++attempt) {
      QVERIFY(StartAndWait(window));
      QVERIFY2(window.LastMessage().contains(report), qPrintable(window.LastMessage()));
      QCOMPARE(window.LastMessageIcon(), QMessageBox::Critical);
      QVERIFY(window.MemoText().contains(report));
      QCOMPARE(window.GetRunState(), int(TForm1::kIdle));
      QCOMPARE(Button(window, "Button1")->text(), QString("Start"));
      QVERIFY(window.StatusText().startsWith("Ended by a report"));
      CloseMessageBoxes(window);
    }
    // The window goes on: with the default files back, the next run ends
    // normally.
    window.ApplySettings(WindowSettings::Defaults());
    Edit(window, "Edit_max_generation")->setText("1");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY(window.LastMessage().isEmpty());
    QVERIFY(StartAndWait(window));
    QVERIFY(window.MemoText().startsWith("[generation:1]\r\n"));
    QVERIFY(window.StatusText().startsWith("Finished"));
  }

  // The window opens with its defaults, says what is wrong and that Update
  // writes fresh files; Start is refused until then.
  void BrokenInputFilesAtStartUp_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("garbage in the parameter file") << "parameter";
    QTest::newRow("garbage in the problem file") << "problem";
    QTest::newRow("no file list") << "files";
    QTest::newRow("no input folder") << "folder";
  }

  void BrokenInputFilesAtStartUp() {
    QFETCH(QString, damage);
    WorkingFolder work("window-broken");
    CopyBoxMoving(work);
    if (damage == "parameter") Write(work.Input("parameter.txt"), "\x01\x02 garbage \xff\n");
    if (damage == "problem") Write(work.Input("problem.txt"), "Nonsense 1 2 3\n");
    if (damage == "files") fs::remove(work.Input("files.txt"));
    if (damage == "folder") fs::remove_all(work.Path() / "input");

    TForm1 window;
    QVERIFY(!window.InputReport().isEmpty());
    QVERIFY(window.GetProducer() == nullptr);
    // A missing key is named on the line before the report.
    if (damage == "parameter") {
      QCOMPARE(window.InputReport(), QString("population_size\nFatal error: Can not find  at IntRegister::Create"));
    }
    QVERIFY(window.LastMessage().contains(window.InputReport()));
    QVERIFY(window.LastMessage().contains("Update"));
    QCOMPARE(window.LastMessageIcon(), QMessageBox::Critical);
    QVERIFY(Find<QLabel>(window, "Label_files")->text().contains("Update writes fresh input files"));
    QCOMPARE(Find<QLabel>(window, "Label_files")->toolTip(), window.InputReport());
    QVERIFY(window.MemoText().contains(window.InputReport()));
    QCOMPARE(Edit(window, "Edit_population_size")->text(), QString("50"));

    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QCOMPARE(window.GetRunState(), int(TForm1::kIdle));
    QVERIFY(window.GetThread() == nullptr);
    QVERIFY(window.LastMessage().startsWith("Start needs input files"));
    QCOMPARE(window.LastMessageIcon(), QMessageBox::Warning);

    Edit(window, "Edit_max_generation")->setText("1");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY2(window.InputReport().isEmpty(), qPrintable(window.InputReport()));
    QVERIFY(window.GetProducer() != nullptr);
    QVERIFY(Find<QLabel>(window, "Label_files")->text().isEmpty());
    SetAnimate(window, false);
    QVERIFY(StartAndWait(window));
    QVERIFY(window.MemoText().startsWith("[generation:1]\r\n"));
  }

  // Each check names the field and the reason, and leaves every input file
  // as it was.
  void UpdateRefusesWhatTheRunCannotUse_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("robot outside the room") << "Edit_robot_x" << "500" << "Robot position x must be at least -50 and below 50";
    QTest::newRow("robot on the outer wall") << "Edit_robot_y" << "50" << "Robot position y must be at least -50 and below 50";
    QTest::newRow("box partly in the wall") << "Edit_box_x" << "-46" << "Box position x must be at least -45 and below 45";
    QTest::newRow("negative energy") << "Edit_energy" << "-100" << "Energy must be a number from 1 to 10000000";
    QTest::newRow("energy below 1") << "Edit_energy" << "0.5" << "Energy must be a number from 1 to 10000000";
    QTest::newRow("negative weight") << "Edit1" << "-6" << "Function weight must be a number of at least 0";
    QTest::newRow("weights beyond a double") << "Edit1;Edit2;Edit3" << "1e308" << "add up to more than a number can hold";
    QTest::newRow("every weight 0") << "Edit1;Edit2;Edit3" << "0" << "At least one weight must be greater than 0";
    QTest::newRow("no constant") << "CheckListBox2" << "" << "At least one constant must be checked";
    QTest::newRow("no function, weight 6") << "CheckListBox1" << "" << "At least one function must be checked";
    QTest::newRow("no robot action, weight 2") << "CheckListBox3" << "" << "At least one robot action must be checked";
    QTest::newRow("crossover ratio 1e9") << "Edit_crossover_ratio" << "1e9"
                                         << "together give more offspring than the 45 places after the elite";
    QTest::newRow("mutation ratio 1e300") << "Edit_mutation_ratio" << "1e300"
                                          << "together give more offspring than the 45 places after the elite";
    QTest::newRow("tournament size 2147483647") << "Edit_tournament_size" << "2147483647"
                                                << "Tournament size must be a whole number from 1 to 1000000";
    QTest::newRow("max depth beyond the limit") << "Edit_max_depth" << "1001"
                                                << "Max depth must be a whole number from 0 to 1000";
  }

  void UpdateRefusesWhatTheRunCannotUse() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, message);
    WorkingFolder work("window-refused");
    CopyBoxMoving(work);
    std::string before = InputTexts(work);
    TForm1 window;
    for (const QString& name : control.split(';')) {
      if (auto* list = window.findChild<QListWidget*>(name)) {
        for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Unchecked);
      } else {
        Edit(window, qPrintable(name))->setText(text);
      }
    }
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY2(window.LastMessage().contains(message), qPrintable(window.LastMessage()));
    QVERIFY(window.LastMessage().endsWith("Nothing was written."));
    QCOMPARE(window.LastMessageIcon(), QMessageBox::Warning);
    QCOMPARE(InputTexts(work), before);
  }

  // A class the run never draws from may be empty.
  void EmptyListWithWeightZeroIsAccepted() {
    WorkingFolder work("window-weight0");
    CopyBoxMoving(work);
    TForm1 window;
    auto* functions = Find<QListWidget>(window, "CheckListBox1");
    for (int i = 0; i < functions->count(); ++i) functions->item(i)->setCheckState(Qt::Unchecked);
    Edit(window, "Edit1")->setText("0");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY(window.LastMessage().isEmpty());
    QVERIFY(Read(work.Input("table.txt")).find("\n0\t\n") != std::string::npos);
  }

  void UpdateWithAFileItCannotWriteChangesNothing_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only parameter file") << "read-only" << "Permission denied";
    QTest::newRow("a folder where the temporary file goes") << "folder" << "Is a directory";
  }

  void UpdateWithAFileItCannotWriteChangesNothing() {
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    WorkingFolder work("window-unwritable");
    CopyBoxMoving(work);
    TForm1 window;
    if (obstacle == "read-only") {
      fs::permissions(work.Input("parameter.txt"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    } else {
      fs::create_directory(work.Input("parameter.txt.tmp"));
    }
    std::string before = InputTexts(work);
    Edit(window, "Edit_population_size")->setText("100");
    Edit(window, "Edit_energy")->setText("300");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY2(window.LastMessage().contains("input/parameter.txt: " + reason), qPrintable(window.LastMessage()));
    QVERIFY(window.LastMessage().contains("No input file was changed"));
    QCOMPARE(window.LastMessageIcon(), QMessageBox::Critical);
    QCOMPARE(InputTexts(work), before);
    QCOMPARE(window.GetProducer()->GetPopulationSize(), 50);
    if (obstacle == "folder") {
      QVERIFY(fs::is_directory(work.Input("parameter.txt.tmp")));
      fs::remove(work.Input("parameter.txt.tmp"));
    }
    QVERIFY(!AnyTemporaryFile(work));
  }

  void FormShowsTheFilesWrittenByAnEarlierUpdate() {
    WorkingFolder work("window-form");
    CopyBoxMoving(work);
    {
      TForm1 window;
      Edit(window, "Edit_population_size")->setText("100");
      Edit(window, "Edit_tournament_size")->setText("7");
      Edit(window, "Edit_crossover_ratio")->setText("0.75");
      Edit(window, "Edit_energy")->setText("250");
      Edit(window, "Edit_box_y")->setText("-12.5");
      Edit(window, "Edit3")->setText("3.5");
      Find<QListWidget>(window, "CheckListBox1")->item(11)->setCheckState(Qt::Checked);
      Find<QListWidget>(window, "CheckListBox2")->item(0)->setCheckState(Qt::Unchecked);
      Find<QListWidget>(window, "CheckListBox3")->item(2)->setCheckState(Qt::Checked);
      QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
      QVERIFY(window.LastMessage().isEmpty());
    }
    TForm1 window;
    QCOMPARE(Edit(window, "Edit_population_size")->text(), QString("100"));
    QCOMPARE(Edit(window, "Edit_tournament_size")->text(), QString("7"));
    QCOMPARE(Edit(window, "Edit_crossover_ratio")->text(), QString("0.75"));
    QCOMPARE(Edit(window, "Edit_energy")->text(), QString("250"));
    QCOMPARE(Edit(window, "Edit_box_y")->text(), QString("-12.5"));
    QCOMPARE(Edit(window, "Edit3")->text(), QString("3.5"));
    QCOMPARE(Find<QListWidget>(window, "CheckListBox1")->item(11)->checkState(), Qt::Checked);
    QCOMPARE(Find<QListWidget>(window, "CheckListBox2")->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(Find<QListWidget>(window, "CheckListBox3")->item(2)->checkState(), Qt::Checked);
    QCOMPARE(Find<QListWidget>(window, "CheckListBox3")->item(1)->checkState(), Qt::Checked);
    QVERIFY(Find<QLabel>(window, "Label_files")->text().isEmpty());
    QCOMPARE(window.GetProducer()->GetPopulationSize(), 100);

    // After Update the page shows the files as read back.
    Edit(window, "Edit_max_generation")->setText(" 20");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QCOMPARE(Edit(window, "Edit_max_generation")->text(), QString("20"));
  }

  void FormKeepsItsDefaultsForFilesOfAnotherForm() {
    WorkingFolder work("window-other-form");
    CopyBoxMoving(work, {{"population_size", "77"}});
    Write(work.Input("table.txt"), "1\tmoveForward0 moveLeft0 \n1\tProg2 \n");
    TForm1 window;
    QVERIFY(window.GetProducer() != nullptr);
    QCOMPARE(window.GetProducer()->GetPopulationSize(), 77);
    QCOMPARE(Edit(window, "Edit_population_size")->text(), QString("50"));
    QVERIFY2(Find<QLabel>(window, "Label_files")->text().contains("input/table.txt"),
             qPrintable(Find<QLabel>(window, "Label_files")->text()));
  }

  // Update keeps another problem: it asks nothing and leaves the problem
  // file as it was (a new box-moving setup is a button of its own).
  void UpdateKeepsAnotherProblem() {
    WorkingFolder work("window-other-problem");
    fs::copy(fs::path(MORVANE2_SOURCE_DIR) / "examples" / "parity3" / "input", work.Path() / "input",
             fs::copy_options::recursive);
    std::string before = Read(work.Input("problem.txt"));
    TForm1 window;
    QVERIFY(Find<QLabel>(window, "Label_files")->text().contains("Problem Parity"));
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QVERIFY(window.findChild<QMessageBox*>("ReplaceProblemBox") == nullptr);
    QVERIFY2(window.LastMessage().isEmpty(), qPrintable(window.LastMessage()));
    QCOMPARE(Read(work.Input("problem.txt")), before);
    QVERIFY(window.InputReport().isEmpty());
  }
};

QTEST_MAIN(WindowRecoveryTest)
#include "WindowRecoveryTest.moc"
