// The main window: the configuration page (node set, GP parameters, robot
// setting, Update, Open, a new box-moving setup) and the results page (fitness chart, room picture, best
// program, Start/Suspend/Resume and Terminate, the status line). A report of
// the engine ends a run or a reading of the input files, never the window.
#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "shell/ConfigurationWriter.h"
#include "shell/EngineReport.h"

class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QValueAxis;
class Producer;
class PictureBox;
class ThreadSystem;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Run states: idle, suspended, running.
  enum { kIdle = 0, kSuspended = 1, kRunning = 2 };
  int GetRunState() const { return runState; }
  // The configuration page's texts and check marks.
  WindowSettings Settings() const;
  // Shows settings on the configuration page.
  void ApplySettings(const WindowSettings& settings);
  // The text and icon of the last message box shown, until it is closed
  // (empty when none was, or it was closed).
  const QString& LastMessage() const { return lastMessage; }
  QMessageBox::Icon LastMessageIcon() const { return lastIcon; }
  // The report of the last reading of the input files, empty when they were
  // read (there is then a producer).
  const QString& InputReport() const { return inputReport; }
  // The status line of the results page.
  QString StatusText() const;
  Producer* GetProducer() { return producer.get(); }
  ThreadSystem* GetThread() { return thread; }

  // The display of a generation, used by the run thread on the window's thread.
  PictureBox* Picture() { return Image1; }
  void AddFitnessPoints(int generation, double best, double average);
  void SetMemoText(const QString& text);
  // The memo's text exactly as last set ("[generation:N]\r\n...").
  const QString& MemoText() const { return memoText; }

  // Opens the input folder folder (one holding input/files.txt): it becomes
  // the working directory, the producer is built from its files, the page
  // shows them and the title names the folder. Refused, with a message,
  // during a run or for a folder without input/files.txt; whether it opened.
  bool OpenFolder(const QString& folder);
  // Names folder in the window's title.
  void NameFolder(const QString& folder);
  // How Open asks for a folder (a file dialog unless set); an empty answer
  // opens nothing.
  using FolderChooser = std::function<QString(QWidget* parent)>;
  void SetFolderChooser(FolderChooser chooser) { folderChooser = std::move(chooser); }

  // Asks a run in progress to end and waits for it, at most milliseconds;
  // whether no run is left (the window program ends the process regardless
  // when one is).
  bool StopRunWithin(int milliseconds);

 public slots:
  void Button1Click();  // Start / Suspend / Resume
  void Button2Click();  // Terminate
  void Button3Click();  // Update
  void OpenClick();
  // Replaces another problem with the page's box-moving problem, once the
  // user confirms.
  void NewBoxMovingClick();
  void PageControl1Change(int index);

 signals:
  void RunFinished();

 protected:
  // The first time the window is shown, its frame is taken off the size so
  // that frame and contents together are 642 by 444 pixels.
  void showEvent(QShowEvent* event) override;

 private:
  void MakeConfigurationPage(QWidget* page);
  void MakeResultsPage(QWidget* page);
  void RunEnded();
  void StopRun();
  // A non-modal message box, so the event loop (and a run) goes on.
  void ShowMessage(const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);
  // Builds the producer from input/files.txt; a report leaves none, and is
  // kept and noted on the page. With showFiles the page then shows what the
  // files hold.
  void ReadInputFiles(bool showFiles = true);
  // Notes what the input files hold and, with showSettings, shows their
  // settings on the page.
  void ShowFiles(bool showSettings);
  // What Update does for input files that cannot be read, for messages.
  QString UpdateHint() const;
  // The node-set and robot-setting controls are box moving's alone.
  void EnableBoxMovingControls(bool enabled);
  void WriteAndRead(const WindowSettings& settings);
  // The page's settings for Update or a new box-moving setup (action), when
  // there is more to do: refused during a run or when a setting does not
  // fit (a message says why), and for box moving written and read at once.
  bool SettingsToWrite(const QString& action, WindowSettings& settings);
  // A report that ended a run: shown in a message box and in the memo; the
  // producer is built afresh, as the report may have left it half-built.
  void RunFailed(const std::string& line);
  // Empties chart, memo and picture.
  void ClearResults();
  void SetStatus(const QString& state);
  void RefreshStatus();
  qint64 ElapsedMilliseconds() const;

  // First made, last gone: reports are thrown while the window lives.
  ReportsThrown reportsThrown;
  ThreadSystem* thread = nullptr;
  std::unique_ptr<Producer> producer;
  bool sized = false;
  int runState = kIdle;
  QString lastMessage;
  QMessageBox::Icon lastIcon = QMessageBox::NoIcon;
  QString inputReport;
  // The problem the input files hold when it is not box moving, else empty,
  // and the parameter file Update then writes.
  std::string otherProblem;
  std::string parameterPath;
  FolderChooser folderChooser;
  QString memoText;
  double lowest = 0.0;
  double highest = 0.0;
  bool anyPoint = false;

  // The status line: state, generation shown, best so far, running time.
  QString statusState = "Idle";
  bool anyRun = false;
  int shownGeneration = -1;
  int lastGeneration = 0;
  double bestSoFar = 0.0;
  bool anyBest = false;
  QElapsedTimer runClock;
  qint64 runMillisecondsBefore = 0;
  QTimer statusTimer;

  QTabWidget* PageControl1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QListWidget* CheckListBox1 = nullptr;
  QListWidget* CheckListBox2 = nullptr;
  QListWidget* CheckListBox3 = nullptr;
  QLineEdit* Edit_energy = nullptr;
  QLineEdit* Edit_robot_x = nullptr;
  QLineEdit* Edit_robot_y = nullptr;
  QLineEdit* Edit_box_x = nullptr;
  QLineEdit* Edit_box_y = nullptr;
  QLineEdit* Edit_max_generation = nullptr;
  QLineEdit* Edit_population_size = nullptr;
  QLineEdit* Edit_elite_size = nullptr;
  QLineEdit* Edit_tournament_size = nullptr;
  QLineEdit* Edit_initial_depth = nullptr;
  QLineEdit* Edit_max_depth = nullptr;
  QLineEdit* Edit_crossover_ratio = nullptr;
  QLineEdit* Edit_mutation_ratio = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QChartView* Chart1 = nullptr;
  QLineSeries* Series1 = nullptr;
  QLineSeries* Series2 = nullptr;
  QValueAxis* axisX = nullptr;
  QValueAxis* axisY = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  PictureBox* Image1 = nullptr;
  // Beyond the reference layout, in free space of the pages.
  QLabel* Label_files = nullptr;
  QLabel* Label_status = nullptr;
  QCheckBox* CheckBox_animate = nullptr;
  QPushButton* Button_open = nullptr;
  QPushButton* Button_newbox = nullptr;
};
