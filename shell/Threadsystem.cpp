#include "shell/Threadsystem.h"

#include <QPoint>
#include <QVector>
#include <cmath>
#include <ctime>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/IndividualLogCollector.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "foundation/Numeric.h"
#include "foundation/Point.h"
#include "foundation/Utility.h"
#include "robots/BoxMoving.h"
#include "robots/RobotRoom.h"
#include "robots/Wallfollowing.h"
#include "run/ProducerFactory.h"
#include "run/RobotEvolutionarySystem.h"
#include "shell/EngineReport.h"
#include "shell/Mainframe.h"
#include "shell/PictureBox.h"

ThreadSystem::ThreadSystem(bool createSuspended, Producer* producer, TForm1* form)
    : producer(producer), form(form), suspended(createSuspended) {
  GetUtility()->Seed(static_cast<std::uint32_t>(std::time(nullptr)));
  system = std::make_unique<RobotEvolutionarySystem>(producer);
  animationTimer.setInterval(1);
  connect(&animationTimer, &QTimer::timeout, this, &ThreadSystem::AnimationStep);
}

ThreadSystem::~ThreadSystem() {
  animationTimer.stop();
  if (system) system->Finish();
  system.reset();
}

void ThreadSystem::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    suspended = false;
  }
  changed.notify_all();
  if (!started) {
    started = true;
    start();
  }
}

void ThreadSystem::Suspend() {
  std::lock_guard<std::mutex> lock(mutex);
  suspended = true;
}

void ThreadSystem::Terminate() {
  terminateRequested.store(true);
  changed.notify_all();
}

bool ThreadSystem::IsSuspended() const {
  std::lock_guard<std::mutex> lock(mutex);
  return suspended;
}

void ThreadSystem::WaitWhileSuspended() {
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [this] { return !suspended; });
}

void ThreadSystem::WaitForAnimation() {
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [this] { return !animating || !waitForPicture.load(); });
}

void ThreadSystem::SetWaitForPicture(bool wait) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    waitForPicture.store(wait);
  }
  changed.notify_all();
}

void ThreadSystem::run() {
  // A report ends the run here; the window shows it once the thread is gone.
  try {
    RunLoop();
  } catch (const std::exception& caught) {
    report = caught.what();
  }
}

void ThreadSystem::RunLoop() {
  // Each step keeps the lines written before a report with it: a warning
  // often says what the report means.
  WaitWhileSuspended();
  WithLinesBeforeReports([this] { system->Initialize(); });
  generation = 0;
  // A terminate request is looked at after every step, not only after
  // breeding: a huge generation takes long enough to evaluate.
  if (IsTerminateRequested()) return;
  for (;;) {
    WaitWhileSuspended();
    WithLinesBeforeReports([this] { system->Evaluate(); });
    if (IsTerminateRequested()) break;
    WaitWhileSuspended();
    QMetaObject::invokeMethod(
        this,
        [this] {
          try {
            DisplayUpdate();
          } catch (const std::exception& caught) {
            displayReport = caught.what();
          }
        },
        Qt::BlockingQueuedConnection);
    if (!displayReport.empty()) throw EngineReport(displayReport);
    if (waitForPicture.load()) WaitForAnimation();
    if (generation == producer->GetMaxGeneration()) break;
    if (system->GetProblem()->IsSolved() == 1) break;
    WaitWhileSuspended();
    WithLinesBeforeReports([this] { system->Evolve(); });
    if (IsTerminateRequested()) break;
    ++generation;
  }
}

int ThreadSystem::PixelX(double x) const {
  return TruncToInt((x / roomWidth + 0.5) * static_cast<double>(form->Picture()->width()));
}

int ThreadSystem::PixelY(double y) const {
  return TruncToInt((y / roomHeight + 0.5) * static_cast<double>(form->Picture()->height()));
}

void ThreadSystem::DisplayUpdate() {
  Population* population = system->GetPopulation();
  auto* best = dynamic_cast<DoubleTypeFitnessIndividual*>(population->Get(0));
  double bestValue = best != nullptr ? best->GetFitness() : 0.0;
  IndividualLogCollector collector(population->Size());
  population->AcceptAll(&collector);
  double average = collector.GetValues()->Mean();
  form->AddFitnessPoints(generation, bestValue, average);

  std::string program;
  if (auto* chromosome = dynamic_cast<GPChromosome*>(population->Get(0)->GetChromosome())) {
    program = chromosome->ToString();
  } else {
    program = population->Get(0)->GetChromosome()->ToString();
  }
  form->SetMemoText(QString::fromStdString("[generation:" + std::to_string(generation) + "]\r\n" + program +
                                           "\r\n\r\n"));
  latestUndrawn = animating && !waitForPicture.load();
  if (!latestUndrawn) DrawRoom();
}

void ThreadSystem::DrawLatest() {
  if (!report.empty() || IsTerminateRequested()) return;
  if (animating) DrawRest();
  if (!latestUndrawn) return;
  latestUndrawn = false;
  DrawRoom();
  DrawRest();
}

void ThreadSystem::DrawRest() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    suspended = false;
  }
  while (animating) AnimationStep();
}

void ThreadSystem::DrawRoom() {
  PictureBox* picture = form->Picture();
  robotProblem = dynamic_cast<RobotProblem*>(system->GetProblem());
  RobotRoom* room = nullptr;
  BoxMovingRoom* boxRoom = nullptr;
  if (auto* boxMoving = dynamic_cast<BoxMoving*>(robotProblem)) {
    boxRoom = boxMoving->GetRoom();
    room = boxRoom;
  } else if (auto* wallfollowing = dynamic_cast<Wallfollowing*>(robotProblem)) {
    room = wallfollowing->GetRoom();
  }
  int wi = picture->width();
  int hi = picture->height();
  picture->SetPen(Qt::white);
  picture->SetBrush(Qt::white);
  picture->FillRect(0, 0, wi, hi);
  if (room == nullptr) {
    picture->SetPen(Qt::black);
    picture->Text(10, 20, "This problem has no room picture.");
    picture->repaint();
    return;
  }
  robotProblem->StartRecording();
  robotProblem->FitnessFunction(system->GetPopulation()->Get(0));
  roomWidth = room->GetWidth();
  roomHeight = room->GetHeight();
  robotPath.reset(room->TakeRecorder());
  if (boxRoom != nullptr) {
    halfSize = boxRoom->GetHalfSize();
    boxPath.reset(boxRoom->TakeBoxRecorder());
  } else {
    boxPath.reset();
  }
  picture->SetPen(Qt::black);
  picture->SetBrush(Qt::black);
  const Double2DimensionalArray& walls = room->GetWallList();
  for (int w = 0; w < walls.Size(); ++w) {
    DoubleArray* wall = walls.Get(w);
    picture->FillRect(PixelX(wall->Get(0)), PixelY(wall->Get(1)), PixelX(wall->Get(2)), PixelY(wall->Get(3)));
  }
  picture->repaint();
  step = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    animating = true;
  }
  animationTimer.start();
}

void ThreadSystem::AnimationStep() {
  if (IsSuspended() && !IsTerminateRequested()) return;
  int length = robotPath ? robotPath->Size() : 0;
  if (boxPath && boxPath->Size() < length) length = boxPath->Size();
  // Termination is looked at after each step is drawn, so the first step is
  // always drawn.
  if (step >= length || (step > 0 && IsTerminateRequested())) {
    FinishAnimation();
    return;
  }
  PictureBox* picture = form->Picture();
  DoublePoint* robot = robotPath->Get(step);
  picture->SetPen(Qt::red);
  picture->SetBrush(Qt::red);
  int rx = PixelX(robot->x);
  int ry = PixelY(robot->y);
  picture->Ellipse(rx, ry, rx + 2, ry + 2);
  if (boxPath) {
    DoublePoint* box = boxPath->Get(step);
    double cx[4];
    double cy[4];
    cx[0] = 1.414 * halfSize * std::cos(box->z + 0.785398);
    cy[0] = 1.414 * halfSize * std::sin(box->z + 0.785398);
    for (int i = 1; i < 4; ++i) {
      cx[i] = cx[i - 1] * std::cos(1.5708) - cy[i - 1] * std::sin(1.5708);
      cy[i] = cy[i - 1] * std::cos(1.5708) + cx[i - 1] * std::sin(1.5708);
    }
    QVector<QPoint> outline;
    for (int i = 0; i <= 4; ++i) {
      outline.append(QPoint(PixelX(cx[i % 4] + box->x), PixelY(cy[i % 4] + box->y)));
    }
    picture->SetPen(QColor(0, 128, 0));
    picture->Polyline(outline);
  }
  picture->repaint();
  ++step;
}

void ThreadSystem::FinishAnimation() {
  animationTimer.stop();
  robotPath.reset();
  boxPath.reset();
  {
    std::lock_guard<std::mutex> lock(mutex);
    animating = false;
  }
  changed.notify_all();
}
