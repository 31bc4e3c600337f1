#include "shell/Mainframe.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
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

#include "run/ProducerFactory.h"
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

QListWidget* MakeCheckList(QWidget* page, const char* name, const QStringList& items, int left, int top,
                           int width, int height) {
  auto* list = new QListWidget(page);
  for (const QString& text : items) {
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  return Place(list, name, left, top, width, height);
}

void CheckItems(QListWidget* list, std::initializer_list<int> indexes) {
  for (int i : indexes) list->item(i)->setCheckState(Qt::Checked);
}

std::vector<bool> CheckMarks(const QListWidget* list) {
  std::vector<bool> marks;
  for (int i = 0; i < list->count(); ++i) marks.push_back(list->item(i)->checkState() == Qt::Checked);
  return marks;
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
  producer = CreateProducer("input/files.txt");

  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);
}

TForm1::~TForm1() { StopRun(); }

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (sized) return;
  sized = true;
  QSize frame = frameGeometry().size() - geometry().size();
  if (frame.width() > 0 || frame.height() > 0) resize(QSize(642, 444) - frame);
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
}

WindowSettings TForm1::Settings() const {
  WindowSettings s;
  s.functionWeight = Edit1->text().toStdString();
  s.constantWeight = Edit2->text().toStdString();
  s.robotWeight = Edit3->text().toStdString();
  s.functions = CheckMarks(CheckListBox1);
  s.constants = CheckMarks(CheckListBox2);
  s.robotActions = CheckMarks(CheckListBox3);
  s.energy = Edit_energy->text().toStdString();
  s.robotX = Edit_robot_x->text().toStdString();
  s.robotY = Edit_robot_y->text().toStdString();
  s.boxX = Edit_box_x->text().toStdString();
  s.boxY = Edit_box_y->text().toStdString();
  s.maxGeneration = Edit_max_generation->text().toStdString();
  s.populationSize = Edit_population_size->text().toStdString();
  s.eliteSize = Edit_elite_size->text().toStdString();
  s.tournamentSize = Edit_tournament_size->text().toStdString();
  s.initialDepth = Edit_initial_depth->text().toStdString();
  s.maxDepth = Edit_max_depth->text().toStdString();
  s.crossoverRatio = Edit_crossover_ratio->text().toStdString();
  s.mutationRatio = Edit_mutation_ratio->text().toStdString();
  return s;
}

void TForm1::Button1Click() {
  switch (runState) {
    case kIdle:
      thread = new ThreadSystem(true, producer.get(), this);
      connect(thread, &QThread::finished, this, &TForm1::RunEnded);
      Series1->clear();
      Series2->clear();
      anyPoint = false;
      thread->Resume();
      Button1->setText("Suspend");
      runState = kRunning;
      break;
    case kSuspended:
      thread->Resume();
      Button1->setText("Suspend");
      runState = kRunning;
      break;
    case kRunning:
      thread->Suspend();
      Button1->setText("Resume");
      runState = kSuspended;
      break;
  }
}

void TForm1::Button2Click() {
  if (runState == kIdle) return;
  thread->Terminate();
  if (runState == kSuspended) thread->Resume();
}

void TForm1::RunEnded() {
  delete thread;
  thread = nullptr;
  runState = kIdle;
  Button1->setText("Start");
  emit RunFinished();
}

void TForm1::AddFitnessPoints(int generation, double best, double average) {
  Series1->append(generation, best);
  Series2->append(generation, average);
  for (double value : {best, average}) {
    if (!std::isfinite(value)) continue;
    if (!anyPoint || value < lowest) lowest = value;
    if (!anyPoint || value > highest) highest = value;
    anyPoint = true;
  }
  axisX->setRange(0, generation > 0 ? generation : 1);
  double margin = highest > lowest ? (highest - lowest) * 0.05 : 1.0;
  axisY->setRange(lowest - margin, highest + margin);
  Chart1->repaint();
}

void TForm1::SetMemoText(const QString& text) {
  memoText = text;
  Memo1->setPlainText(text);
  Memo1->repaint();
}

void TForm1::PageControl1Change(int) { Button2Click(); }

void TForm1::Button3Click() {
  if (runState != kIdle) {
    ShowMessage("Update is not possible while a run is in progress; terminate the run first.");
    return;
  }
  WindowSettings settings = Settings();
  std::string problem = CheckSettings(settings);
  if (!problem.empty()) {
    ShowMessage(QString::fromStdString(problem + ". Nothing was written."));
    return;
  }
  WriteConfiguration(settings);
  producer.reset();
  producer = CreateProducer("input/files.txt");
}

void TForm1::ShowMessage(const QString& text) {
  lastMessage = text;
  auto* box = new QMessageBox(QMessageBox::Information, "Morvane2", text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}
