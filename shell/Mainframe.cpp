#include "shell/Mainframe.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLinearGradient>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QValueAxis>
#include <cmath>
#include <cstdio>

#include "config/Log.h"
#include "run/ProducerFactory.h"
#include "shell/ConfigurationReader.h"
#include "shell/PictureBox.h"
#include "shell/Threadsystem.h"

namespace {
template <class Control>
Control* Place(Control* control, const char* name, int left, int top, int width = -1, int height = -1) {
  control->setObjectName(name);
  if (width < 0) {
    control->adjustSize();
    control->move(left, top);
  } else {
    control->setGeometry(left, top, width, height);
  }
  return control;
}

QLabel* MakeLabel(QWidget* page, const char* name, const char* text, int left, int top) {
  return Place(new QLabel(text, page), name, left, top);
}

QLineEdit* MakeEdit(QWidget* page, const char* name, const char* text, int left, int top, int width,
                    int height) {
  return Place(new QLineEdit(text, page), name, left, top, width, height);
}

QFrame* MakeBevel(QWidget* page, const char* name, int left, int top, int width, int height) {
  auto* frame = new QFrame(page);
  frame->setFrameShape(QFrame::Box);
  frame->setFrameShadow(QFrame::Sunken);
  return Place(frame, name, left, top, width, height);
}

// The font of the texts added to the reference layout, and of the lists.
QFont SmallFont(const QWidget* widget) {
  QFont font = widget->font();
  font.setPointSizeF(font.pointSizeF() * 0.85);
  return font;
}

QListWidget* MakeCheckList(QWidget* page, const char* name, const QStringList& items, int left, int top,
                           int width, int height) {
  auto* list = new QListWidget(page);
  // A smaller font keeps the longest names whole in the list's width; the
  // tooltip names the item in full in any case.
  list->setFont(SmallFont(list));
  list->setTextElideMode(Qt::ElideNone);
  for (const QString& text : items) {
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setToolTip(text.trimmed());
  }
  return Place(list, name, left, top, width, height);
}

// Seconds with a tenth below a minute, else minutes and seconds.
QString ElapsedText(qint64 milliseconds) {
  if (milliseconds < 60000) return QString::number(static_cast<double>(milliseconds) / 1000.0, 'f', 1) + " s";
  qint64 seconds = milliseconds / 1000;
  return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

// A whole-number tick step that leaves at most five intervals on 0 .. last.
double TickStep(int last) {
  for (double step = 1.0;; step *= 10.0) {
    for (double factor : {1.0, 2.0, 5.0}) {
      if (last / (step * factor) <= 5.0) return step * factor;
    }
  }
}

void CheckItems(QListWidget* list, std::initializer_list<int> indexes) {
  for (int i : indexes) list->item(i)->setCheckState(Qt::Checked);
}
}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName("Form1");
  setWindowTitle("Morvane2");
  move(198, 128);
  resize(642, 444);
  setAutoFillBackground(true);

  PageControl1 = Place(new QTabWidget(this), "PageControl1", 0, 0, 633, 409);
  auto* configurationPage = new QWidget();
  configurationPage->setObjectName("TabSheet2");
  auto* resultsPage = new QWidget();
  resultsPage->setObjectName("TabSheet1");
  PageControl1->addTab(configurationPage, "Problem Configuration");
  PageControl1->addTab(resultsPage, "Results");
  MakeConfigurationPage(configurationPage);
  MakeResultsPage(resultsPage);
  PageControl1->setCurrentIndex(0);

  CheckItems(CheckListBox1, {0, 1, 2, 4});
  for (int i = 0; i < CheckListBox2->count(); ++i) CheckListBox2->item(i)->setCheckState(Qt::Checked);
  CheckItems(CheckListBox3, {0, 1, 3, 6, 9});
  runState = kIdle;
  ReadInputFiles();
  if (!inputReport.isEmpty()) {
    ShowMessage("The input files could not be read:\n\n" + inputReport +
                    "\n\n" + UpdateHint(),
                QMessageBox::Critical);
  }

  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  connect(Button_open, &QPushButton::clicked, this, &TForm1::OpenClick);
  connect(Button_newbox, &QPushButton::clicked, this, &TForm1::NewBoxMovingClick);
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);
  connect(CheckBox_animate, &QCheckBox::toggled, this, [this](bool animate) {
    if (thread != nullptr) thread->SetWaitForPicture(animate);
  });
  statusTimer.setInterval(200);
  connect(&statusTimer, &QTimer::timeout, this, &TForm1::RefreshStatus);
  RefreshStatus();
}

TForm1::~TForm1() { StopRun(); }

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (sized) return;
  sized = true;
  QSize frame = frameGeometry().size() - geometry().size();
  if (frame.width() > 0 || frame.height() > 0) resize(QSize(642, 444) - frame);
}

bool TForm1::StopRunWithin(int milliseconds) {
  if (thread == nullptr) return true;
  // As in StopRun: the thread is not RunEnded's to delete meanwhile.
  disconnect(thread, &QThread::finished, this, &TForm1::RunEnded);
  QElapsedTimer clock;
  clock.start();
  thread->Terminate();
  thread->Resume();
  while (!thread->wait(10)) {
    if (clock.elapsed() >= milliseconds) return false;
    QCoreApplication::processEvents();
  }
  StopRun();
  return true;
}

void TForm1::StopRun() {
  if (thread == nullptr) return;
  // The thread is ended and deleted here, not by RunEnded from the events
  // processed while waiting.
  ThreadSystem* stopping = thread;
  disconnect(stopping, &QThread::finished, this, &TForm1::RunEnded);
  stopping->Terminate();
  stopping->Resume();
  // The run thread may be waiting for a display update on this thread.
  while (!stopping->wait(10)) QCoreApplication::processEvents();
  delete stopping;
  thread = nullptr;
}

void TForm1::MakeConfigurationPage(QWidget* page) {
  MakeLabel(page, "Label4", "Node set", 16, 8);
  MakeBevel(page, "Bevel1", 8, 24, 393, 209);
  MakeLabel(page, "Label1", "Function", 32, 40);
  Edit1 = MakeEdit(page, "Edit1", "6", 88, 32, 25, 20);
  CheckListBox1 = MakeCheckList(page, "CheckListBox1",
                                {"Prog2  ", "iflte", "Plus2  ", "Subtract  ", "Times2  ", "Sin  ", "Cos  ",
                                 "divide  ", "Exp  ", "ln  ", "log  ", "pow"},
                                16, 56, 121, 169);
  MakeLabel(page, "Label2", "Robot", 160, 40);
  Edit3 = MakeEdit(page, "Edit3", "2", 216, 32, 25, 20);
  CheckListBox3 = MakeCheckList(page, "CheckListBox3",
                                {"sensor  ", "moveForward0  ", "moveForward1  ", "moveBackward0  ",
                                 "moveBackward1  ", "moveLeft0  ", "moveLeft1  ", "moveLeft2  ", "moveRight0  ",
                                 "moveRight1  ", "moveRight2 "},
                                144, 56, 121, 169);
  MakeLabel(page, "Label3", "Const", 288, 40);
  Edit2 = MakeEdit(page, "Edit2", "2", 344, 32, 25, 20);
  CheckListBox2 = MakeCheckList(page, "CheckListBox2",
                                {"1.0", "2.0", "3.0", "4.0", "5.0", "6.0", "7.0", "8.0", "9.0", "10.0"}, 272,
                                56, 121, 169);
  MakeLabel(page, "Label6", "Robot setting", 16, 248);
  MakeBevel(page, "Bevel2", 8, 264, 393, 73);
  MakeLabel(page, "Label7", "Energy", 24, 272);
  Edit_energy = MakeEdit(page, "Edit_energy", "400", 80, 270, 73, 20);
  MakeLabel(page, "Label16", "Robot position", 184, 272);
  Edit_robot_x = MakeEdit(page, "Edit_robot_x", "-30", 272, 272, 49, 20);
  Edit_robot_y = MakeEdit(page, "Edit_robot_y", "-30", 328, 272, 49, 20);
  MakeLabel(page, "Label17", "Box position", 184, 304);
  Edit_box_x = MakeEdit(page, "Edit_box_x", "0", 272, 304, 49, 20);
  Edit_box_y = MakeEdit(page, "Edit_box_y", "0", 328, 304, 49, 20);
  Button3 = Place(new QPushButton("Update", page), "Button3", 256, 344, 75, 25);
  Button_open = Place(new QPushButton(QString::fromUtf8("Open\u2026"), page), "Button_open", 336, 344, 65, 25);
  Button_open->setToolTip("Open another input folder (one holding input/files.txt)");
  Button_newbox = Place(new QPushButton(QString::fromUtf8("New box-moving setup\u2026"), page), "Button_newbox", 416,
                        344, 193, 25);
  Button_newbox->setToolTip("Replace the problem of the input files with the box-moving problem of this page");
  Label_files = Place(new QLabel(page), "Label_files", 8, 340, 244, 38);
  Label_files->setWordWrap(true);
  Label_files->setFont(SmallFont(Label_files));
  Label_files->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  MakeLabel(page, "Label5", "GP parameters", 424, 8);
  MakeBevel(page, "Bevel3", 416, 24, 193, 313);
  MakeLabel(page, "Label15", "Integer valeu", 472, 32);
  MakeLabel(page, "Label8", "Max generation", 424, 56);
  Edit_max_generation = MakeEdit(page, "Edit_max_generation", "50", 520, 56, 81, 20);
  MakeLabel(page, "Label9", "Pupulation size", 424, 88);
  Edit_population_size = MakeEdit(page, "Edit_population_size", "50", 520, 88, 81, 20);
  MakeLabel(page, "Label10", "Elite size", 424, 120);
  Edit_elite_size = MakeEdit(page, "Edit_elite_size", "5", 520, 120, 81, 20);
  MakeLabel(page, "Label11", "Tournament size", 424, 152);
  Edit_tournament_size = MakeEdit(page, "Edit_tournament_size", "2", 520, 152, 81, 20);
  MakeLabel(page, "Label18", "Initial depth", 424, 184);
  Edit_initial_depth = MakeEdit(page, "Edit_initial_depth", "6", 520, 184, 81, 20);
  MakeLabel(page, "Label19", "Max depth", 424, 216);
  Edit_max_depth = MakeEdit(page, "Edit_max_depth", "10", 520, 216, 81, 20);
  MakeLabel(page, "Label14", "Double value", 472, 248);
  MakeLabel(page, "Label12", "Crossover ratio", 424, 272);
  Edit_crossover_ratio = MakeEdit(page, "Edit_crossover_ratio", "0.9", 520, 272, 81, 20);
  MakeLabel(page, "Label13", "Mutation ratio", 424, 304);
  Edit_mutation_ratio = MakeEdit(page, "Edit_mutation_ratio", "0.0", 520, 304, 81, 20);
}

void TForm1::MakeResultsPage(QWidget* page) {
  Image1 = Place(new PictureBox(page), "Image1", 8, 16, 353, 353);

  auto* chart = new QChart();
  chart->setObjectName("Chart1Chart");
  chart->setTitle("Fitness");
  QLinearGradient gradient(0, 0, 1, 1);
  gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
  gradient.setColorAt(0.0, Qt::white);
  gradient.setColorAt(1.0, QColor(213, 213, 213));
  chart->setBackgroundBrush(gradient);
  chart->setPlotAreaBackgroundVisible(false);
  chart->legend()->setVisible(true);
  Series1 = new QLineSeries(chart);
  Series1->setObjectName("Series1");
  Series1->setName("Best");
  Series1->setColor(Qt::red);
  Series1->setPointsVisible(false);
  Series2 = new QLineSeries(chart);
  Series2->setObjectName("Series2");
  Series2->setName("Ave");
  Series2->setColor(Qt::blue);
  Series2->setPointsVisible(false);
  chart->addSeries(Series1);
  chart->addSeries(Series2);
  axisX = new QValueAxis(chart);
  axisY = new QValueAxis(chart);
  QFont small = chart->font();
  small.setPointSize(7);
  chart->setTitleFont(small);
  chart->legend()->setFont(small);
  chart->setMargins(QMargins(2, 2, 2, 2));
  for (QValueAxis* axis : {axisX, axisY}) {
    axis->setLabelsFont(small);
    axis->setTickCount(3);
  }
  axisX->setLabelFormat("%d");
  // Ticks on whole generations only.
  axisX->setTickType(QValueAxis::TicksDynamic);
  axisX->setTickAnchor(0.0);
  axisX->setTickInterval(1.0);
  axisX->setRange(0, 1);
  axisY->setLabelFormat("%.3g");
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  for (QLineSeries* series : {Series1, Series2}) {
    series->attachAxis(axisX);
    series->attachAxis(axisY);
  }
  Chart1 = Place(new QChartView(chart, page), "Chart1", 368, 16, 257, 161);
  Chart1->setRenderHint(QPainter::Antialiasing);

  Button1 = Place(new QPushButton("Start", page), "Button1", 408, 184, 75, 25);
  Button2 = Place(new QPushButton("Terminate", page), "Button2", 504, 184, 75, 25);
  Memo1 = Place(new QPlainTextEdit(page), "Memo1", 368, 216, 257, 153);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setReadOnly(true);

  // The band above the picture and the chart.
  Label_status = Place(new QLabel(page), "Label_status", 8, 0, 536, 16);
  Label_status->setFont(SmallFont(Label_status));
  CheckBox_animate = Place(new QCheckBox("Animate", page), "CheckBox_animate", 552, 0, 73, 16);
  CheckBox_animate->setFont(SmallFont(CheckBox_animate));
  CheckBox_animate->setChecked(true);
  CheckBox_animate->setToolTip("Animate each generation's best before the next generation is bred");
}

void TForm1::Button1Click() {
  switch (runState) {
    case kIdle:
      if (!producer) {
        ShowMessage("Start needs input files that can be read. They could not be:\n\n" + inputReport +
                    "\n\n" + UpdateHint());
        return;
      }
      ClearResults();
      try {
        WithLinesBeforeReports([this] { thread = new ThreadSystem(true, producer.get(), this); });
      } catch (const std::exception& report) {
        thread = nullptr;
        RunFailed(report.what());
        emit RunFinished();
        return;
      }
      connect(thread, &QThread::finished, this, &TForm1::RunEnded);
      thread->SetWaitForPicture(CheckBox_animate->isChecked());
      runMillisecondsBefore = 0;
      runClock.start();
      statusTimer.start();
      thread->Resume();
      Button1->setText("Suspend");
      runState = kRunning;
      SetStatus("Running");
      break;
    case kSuspended:
      thread->Resume();
      Button1->setText("Suspend");
      runState = kRunning;
      runClock.start();
      if (!thread->IsTerminateRequested()) SetStatus("Running");
      break;
    case kRunning:
      thread->Suspend();
      Button1->setText("Resume");
      runState = kSuspended;
      runMillisecondsBefore += runClock.elapsed();
      runClock.invalidate();
      SetStatus("Suspended");
      break;
  }
}

void TForm1::Button2Click() {
  if (runState == kIdle) return;
  thread->Terminate();
  if (runState == kSuspended) thread->Resume();
  SetStatus("Stopping");
}

void TForm1::RunEnded() {
  std::string report = thread->GetReport();
  bool terminated = thread->IsTerminateRequested();
  if (report.empty()) {
    try {
      thread->DrawLatest();
    } catch (const std::exception& caught) {
      report = caught.what();
    }
  }
  delete thread;
  thread = nullptr;
  runState = kIdle;
  Button1->setText("Start");
  if (runClock.isValid()) runMillisecondsBefore += runClock.elapsed();
  runClock.invalidate();
  statusTimer.stop();
  if (!report.empty()) {
    RunFailed(report);
  } else {
    SetStatus(terminated ? "Terminated" : "Finished");
  }
  emit RunFinished();
}

void TForm1::RunFailed(const std::string& line) {
  QString text = QString::fromStdString(line);
  SetMemoText(memoText + "The run ended with the report:\r\n" + text + "\r\n");
  SetStatus("Ended by a report");
  // Whatever the report interrupted is gone with the producer. The page keeps
  // what the user typed.
  ReadInputFiles(false);
  ShowMessage("The run ended with the report:\n\n" + text, QMessageBox::Critical);
}

void TForm1::ClearResults() {
  Series1->clear();
  Series2->clear();
  for (QLineSeries* series : {Series1, Series2}) series->setPointsVisible(false);
  anyPoint = false;
  axisX->setRange(0, 1);
  axisX->setTickInterval(1.0);
  axisY->setRange(0, 1);
  SetMemoText("");
  Image1->SetPen(Qt::white);
  Image1->SetBrush(Qt::white);
  Image1->FillRect(0, 0, Image1->width(), Image1->height());
  Image1->repaint();
  shownGeneration = -1;
  anyBest = false;
  anyRun = true;
  lastGeneration = producer ? producer->GetMaxGeneration() : 0;
}

void TForm1::AddFitnessPoints(int generation, double best, double average) {
  Series1->append(generation, best);
  Series2->append(generation, average);
  // A line needs two points: a lone one is shown as a mark.
  bool lone = Series1->count() == 1;
  for (QLineSeries* series : {Series1, Series2}) series->setPointsVisible(lone);
  for (double value : {best, average}) {
    if (!std::isfinite(value)) continue;
    if (!anyPoint || value < lowest) lowest = value;
    if (!anyPoint || value > highest) highest = value;
    anyPoint = true;
  }
  int last = generation > 0 ? generation : 1;
  axisX->setRange(0, last);
  axisX->setTickInterval(TickStep(last));
  double margin = highest > lowest ? (highest - lowest) * 0.05 : 1.0;
  axisY->setRange(lowest - margin, highest + margin);
  Chart1->repaint();

  shownGeneration = generation;
  // Smaller is better; a NaN is the worst of all.
  if (!anyBest || (std::isnan(bestSoFar) && !std::isnan(best)) || best < bestSoFar) bestSoFar = best;
  anyBest = true;
  RefreshStatus();
}

void TForm1::SetMemoText(const QString& text) {
  memoText = text;
  Memo1->setPlainText(text);
  Memo1->repaint();
}

qint64 TForm1::ElapsedMilliseconds() const {
  return runMillisecondsBefore + (runClock.isValid() ? runClock.elapsed() : 0);
}

QString TForm1::StatusText() const { return Label_status->text(); }

void TForm1::SetStatus(const QString& state) {
  statusState = state;
  RefreshStatus();
}

void TForm1::RefreshStatus() {
  QStringList parts{statusState};
  if (anyRun) {
    int shown = shownGeneration < 0 ? 0 : shownGeneration;
    parts << QString("generation %1 of %2").arg(shown).arg(lastGeneration);
    if (anyBest) {
      char text[32];
      std::snprintf(text, sizeof text, "%.6g", bestSoFar);
      parts << QString("best so far %1").arg(text);
    }
    parts << ElapsedText(ElapsedMilliseconds());
  }
  Label_status->setText(parts.join(QString::fromUtf8("  \u00b7  ")));
}

void TForm1::PageControl1Change(int) { Button2Click(); }

void TForm1::ShowMessage(const QString& text, QMessageBox::Icon icon) {
  lastMessage = text;
  lastIcon = icon;
  auto* box = new QMessageBox(icon, "Morvane2", text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this, [this, text] {
    if (lastMessage == text) lastMessage.clear();
  });
  // Before the window is shown (a report while reading the input files at
  // start-up) the box waits for it, so that it opens over the window.
  if (isVisible()) {
    box->open();
  } else {
    QTimer::singleShot(0, box, [box] { box->open(); });
  }
}
