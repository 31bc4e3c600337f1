// The main window: the configuration page (node set, GP parameters, robot
// setting, Update) and the results page (fitness chart, room picture, best
// program, Start/Suspend/Resume and Terminate).
#pragma once

#include <QWidget>
#include <memory>

#include "shell/ConfigurationWriter.h"

class QChart;
class QChartView;
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
  // The text of the last message box shown (empty when none was).
  const QString& LastMessage() const { return lastMessage; }
  Producer* GetProducer() { return producer.get(); }
  ThreadSystem* GetThread() { return thread; }

  // The display of a generation, used by the run thread on the window's thread.
  PictureBox* Picture() { return Image1; }
  void AddFitnessPoints(int generation, double best, double average);
  void SetMemoText(const QString& text);
  // The memo's text exactly as last set ("[generation:N]\r\n...").
  const QString& MemoText() const { return memoText; }

 public slots:
  void Button1Click();  // Start / Suspend / Resume
  void Button2Click();  // Terminate
  void Button3Click();  // Update
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
  void ShowMessage(const QString& text);

  ThreadSystem* thread = nullptr;
  std::unique_ptr<Producer> producer;
  bool sized = false;
  int runState = kIdle;
  QString lastMessage;
  QString memoText;
  double lowest = 0.0;
  double highest = 0.0;
  bool anyPoint = false;

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
};
