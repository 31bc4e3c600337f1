// The window's input files: reading them into the producer and the
// configuration page, Update, a new box-moving setup, and opening another
// input folder.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "config/Log.h"
#include "run/ProblemRegister.h"
#include "run/ProducerFactory.h"
#include "shell/ConfigurationReader.h"
#include "shell/Mainframe.h"
#include "shell/ParameterUpdate.h"
#include "shell/PictureBox.h"

namespace {
void SetCheckMarks(QListWidget* list, const std::vector<bool>& marks) {
  for (int i = 0; i < list->count(); ++i) {
    bool mark = static_cast<std::size_t>(i) < marks.size() && marks[static_cast<std::size_t>(i)];
    list->item(i)->setCheckState(mark ? Qt::Checked : Qt::Unchecked);
  }
}

std::vector<bool> CheckMarks(const QListWidget* list) {
  std::vector<bool> marks;
  for (int i = 0; i < list->count(); ++i) marks.push_back(list->item(i)->checkState() == Qt::Checked);
  return marks;
}

const char* kRunInProgress = " is not possible while a run is in progress; terminate the run first.";
}  // namespace

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

bool TForm1::SettingsToWrite(const QString& action, WindowSettings& settings) {
  if (runState != kIdle) {
    ShowMessage(action + kRunInProgress);
    return false;
  }
  settings = Settings();
  std::string problem = CheckSettings(settings);
  if (!problem.empty()) {
    ShowMessage(QString::fromStdString(problem + ". Nothing was written."));
    return false;
  }
  if (!otherProblem.empty()) return true;
  WriteAndRead(settings);
  return false;
}

void TForm1::Button3Click() {
  WindowSettings settings;
  if (!SettingsToWrite(QString("Update"), settings)) return;
  // Another problem keeps its node set and problem file: only its GP
  // parameters are the page's.
  std::string failure = WriteParameters(settings, parameterPath);
  if (!failure.empty()) {
    ShowMessage(QString::fromStdString(failure), QMessageBox::Critical);
    return;
  }
  ReadInputFiles();
  if (!inputReport.isEmpty()) {
    ShowMessage("The parameter file was written, but the input files could not be read:\n\n" + inputReport,
                QMessageBox::Critical);
  }
}

void TForm1::NewBoxMovingClick() {
  WindowSettings settings;
  if (!SettingsToWrite(QString("A new box-moving setup"), settings)) return;
  // Another problem is replaced only when the user says so.
  QString question = QString::fromStdString(
      "The input files hold the problem " + otherProblem +
      ". A new box-moving setup replaces its node set and problem file with the box-moving problem of this "
      "page (the GP parameters are kept as shown). Replace it?");
  lastMessage = question;
  lastIcon = QMessageBox::Question;
  auto* box =
      new QMessageBox(QMessageBox::Question, "Morvane2", question, QMessageBox::Yes | QMessageBox::No, this);
  box->setObjectName("ReplaceProblemBox");
  box->setDefaultButton(QMessageBox::No);
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this, [this, settings, question](int answer) {
    if (lastMessage == question) lastMessage.clear();
    if (answer == QMessageBox::Yes && runState == kIdle) WriteAndRead(settings);
  });
  box->open();
}

void TForm1::WriteAndRead(const WindowSettings& settings) {
  std::string failure = WriteConfiguration(settings);
  if (!failure.empty()) {
    ShowMessage(QString::fromStdString(failure), QMessageBox::Critical);
    return;
  }
  ReadInputFiles();
  if (!inputReport.isEmpty()) {
    ShowMessage("The input files were written, but could not be read:\n\n" + inputReport,
                QMessageBox::Critical);
  }
}

void TForm1::ReadInputFiles(bool showFiles) {
  producer.reset();
  inputReport.clear();
  try {
    // Reading a folder to show it leaves its logs of earlier runs as they
    // are: the log files start afresh when a run starts.
    DeferLogFiles(true);
    WithLinesBeforeReports([this] { producer = CreateProducer("input/files.txt"); });
  } catch (const std::exception& report) {
    // A producer that could not be built leaves the log setting it read.
    DeleteLog();
    inputReport = QString::fromStdString(report.what());
    SetMemoText(memoText + "The input files could not be read:\r\n" + inputReport + "\r\n");
  }
  if (showFiles || !producer) ShowFiles(showFiles);
}

void TForm1::ShowFiles(bool showSettings) {
  SettingsReading reading = ReadSettings();
  // Another problem is known from its problem file even when some file
  // cannot be read: Update must not replace it with box moving then either.
  // A name that is no problem at all is a broken file, which Update replaces.
  otherProblem =
      producer || ProblemRegister::FindKind(reading.otherProblem) >= 0 ? reading.otherProblem : std::string();
  parameterPath = reading.parameterPath;
  EnableBoxMovingControls(otherProblem.empty());
  std::string note;
  if (!otherProblem.empty()) {
    if (showSettings) ApplySettings(reading.settings);
    note = "Problem " + otherProblem + ": the node set comes from " + reading.tablePath +
           " and the problem file. Update writes only the GP parameters (" + parameterPath + ").";
    if (!reading.parametersShown) note += " The page shows defaults: " + reading.parametersReason + ".";
  } else if (producer && reading.shown) {
    if (showSettings) ApplySettings(reading.settings);
  } else if (producer) {
    note = "The page shows its defaults, not the input files: " + reading.reason + ".";
  }
  if (!producer) {
    Label_files->setText(QString::fromStdString(
        "The input files could not be read; the Results page shows why. " +
        (otherProblem.empty() ? std::string("Update writes fresh input files.") : note)));
    Label_files->setToolTip(inputReport);
    return;
  }
  Label_files->setText(QString::fromStdString(note));
  Label_files->setToolTip(Label_files->text());
}

QString TForm1::UpdateHint() const {
  if (otherProblem.empty()) return "Update on the \"Problem Configuration\" page writes fresh input files.";
  return QString::fromStdString(
      "Update on the \"Problem Configuration\" page writes the GP parameters of the " + otherProblem +
      " problem; its other files are kept as they are.");
}

void TForm1::EnableBoxMovingControls(bool enabled) {
  for (QWidget* control :
       std::initializer_list<QWidget*>{Edit1, Edit2, Edit3, CheckListBox1, CheckListBox2, CheckListBox3,
                                       Edit_energy, Edit_robot_x, Edit_robot_y, Edit_box_x, Edit_box_y}) {
    control->setEnabled(enabled);
  }
  Button_newbox->setEnabled(!enabled);
}

void TForm1::ApplySettings(const WindowSettings& s) {
  Edit1->setText(QString::fromStdString(s.functionWeight));
  Edit2->setText(QString::fromStdString(s.constantWeight));
  Edit3->setText(QString::fromStdString(s.robotWeight));
  SetCheckMarks(CheckListBox1, s.functions);
  SetCheckMarks(CheckListBox2, s.constants);
  SetCheckMarks(CheckListBox3, s.robotActions);
  Edit_energy->setText(QString::fromStdString(s.energy));
  Edit_robot_x->setText(QString::fromStdString(s.robotX));
  Edit_robot_y->setText(QString::fromStdString(s.robotY));
  Edit_box_x->setText(QString::fromStdString(s.boxX));
  Edit_box_y->setText(QString::fromStdString(s.boxY));
  Edit_max_generation->setText(QString::fromStdString(s.maxGeneration));
  Edit_population_size->setText(QString::fromStdString(s.populationSize));
  Edit_elite_size->setText(QString::fromStdString(s.eliteSize));
  Edit_tournament_size->setText(QString::fromStdString(s.tournamentSize));
  Edit_initial_depth->setText(QString::fromStdString(s.initialDepth));
  Edit_max_depth->setText(QString::fromStdString(s.maxDepth));
  Edit_crossover_ratio->setText(QString::fromStdString(s.crossoverRatio));
  Edit_mutation_ratio->setText(QString::fromStdString(s.mutationRatio));
}

void TForm1::OpenClick() {
  if (runState != kIdle) {
    ShowMessage(QString("Open") + kRunInProgress);
    return;
  }
  QString folder = folderChooser
                       ? folderChooser(this)
                       : QFileDialog::getExistingDirectory(this, "Open an input folder (one holding input/)",
                                                           QDir::currentPath());
  if (!folder.isEmpty()) OpenFolder(folder);
}

bool TForm1::OpenFolder(const QString& folder) {
  if (runState != kIdle) {
    ShowMessage(QString("Open") + kRunInProgress);
    return false;
  }
  QString chosen = folder;
  // The input folder itself, picked in the dialog by one step too many,
  // stands for the folder that holds it.
  QDir picked(folder);
  if (!QFileInfo(picked.filePath("input/files.txt")).isFile() && picked.dirName() == "input" &&
      QFileInfo(picked.filePath("files.txt")).isFile()) {
    chosen = QDir::cleanPath(picked.absoluteFilePath(".."));
  }
  QFileInfo list(QDir(chosen).filePath("input/files.txt"));
  if (!list.isFile()) {
    ShowMessage(QDir::toNativeSeparators(folder) +
                " holds no input/files.txt. Open a folder with an input/ folder of input files, such as "
                "examples/santafe.");
    return false;
  }
  QString path = QDir(chosen).absolutePath();
  if (!QDir::setCurrent(path)) {
    ShowMessage("The folder " + QDir::toNativeSeparators(path) + " could not be entered.");
    return false;
  }
  NameFolder(path);
  ClearResults();
  anyRun = false;
  SetStatus("Idle");
  ReadInputFiles();
  if (!inputReport.isEmpty()) {
    ShowMessage("The input files of " + QDir::toNativeSeparators(path) + " could not be read:\n\n" +
                    inputReport + "\n\n" + UpdateHint(),
                QMessageBox::Critical);
  }
  return true;
}

void TForm1::NameFolder(const QString& folder) {
  QString name = QFileInfo(QDir(folder).absolutePath()).fileName();
  if (name.isEmpty()) name = QDir(folder).absolutePath();
  setWindowTitle("Morvane2 - " + name);
  setWindowFilePath(QDir(folder).absolutePath());
}
