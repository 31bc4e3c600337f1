#include "shell/Threadsystem.h"

#include <ctime>

#include "config/Log.h"
#include "engine/Chromosome.h"
#include "engine/GenerationRecord.h"
#include "engine/Individual.h"
#include "engine/IndividualLogCollector.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "engine/Recording.h"
#include "foundation/Utility.h"
#include "run/ProducerFactory.h"
#include "run/RobotEvolutionarySystem.h"
#include "shell/EngineReport.h"
#include "shell/Mainframe.h"
#include "shell/PictureBox.h"
#include "shell/PictureCanvas.h"

ThreadSystem::ThreadSystem(bool createSuspended, Producer* producer, TForm1* form)
    : producer(producer), form(form), suspended(createSuspended) {
  GetLog()->OpenDeferredFiles();
  GetUtility()->Seed(static_cast<std::uint32_t>(std::time(nullptr)));
  // The window shows the run; it writes none of the batch logs.
  system = std::make_unique<RobotEvolutionarySystem>(producer, EvolutionarySystem::Logging::None);
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
  system->RequestStop();
  { std::lock_guard<std::mutex> lock(mutex); }
  changed.notify_all();
}

bool ThreadSystem::IsSuspended() const {
  std::lock_guard<std::mutex> lock(mutex);
  return suspended;
}

void ThreadSystem::WaitWhileSuspended() {
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [this] { return !suspended || terminateRequested.load(); });
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
  // The problem outlives the runs of one window: a flag set by an earlier
  // run would end this one after its first generation.
  system->GetProblem()->ResetSolved();
  system->AddObserver(this);
  // A report ends the run here, with the lines written just before it (a
  // warning often says what the report means); the window shows it once
  // the thread is gone.
  try {
    WithLinesBeforeReports([this] { system->Run(); });
  } catch (const std::exception& caught) {
    report = caught.what();
  }
}

void ThreadSystem::RunStarted(const RunStart&) { WaitWhileSuspended(); }

void ThreadSystem::GenerationFinished(const GenerationRecord& record) {
  generation = record.generation;
  WaitWhileSuspended();
  OnWindowThread([this] { DisplayUpdate(); });
  if (waitForPicture.load()) WaitForAnimation();
  WaitWhileSuspended();
}

void ThreadSystem::RunEnded(const RunEnd& end) {
  // Before the run's members go: the last best is still there to record.
  if (end.stopped || waitForPicture.load()) return;
  OnWindowThread([this] { DrawLatest(); });
}

void ThreadSystem::OnWindowThread(const std::function<void()>& work) {
  QMetaObject::invokeMethod(
      this,
      [this, &work] {
        try {
          work();
        } catch (const std::exception& caught) {
          displayReport = caught.what();
        }
      },
      Qt::BlockingQueuedConnection);
  // A report made there (recording the best's evaluation) ends the run here.
  if (!displayReport.empty()) throw EngineReport(displayReport);
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
  form->SetMemoText(
      QString::fromStdString("[generation:" + std::to_string(generation) + "]\r\n" + program + "\r\n\r\n"));
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
  recording = system->GetProblem()->Record(system->GetPopulation()->Get(0));
  if (!recording) {
    canvas.reset();
    picture->SetClip(QRect());
    picture->SetPen(Qt::white);
    picture->SetBrush(Qt::white);
    picture->FillRect(0, 0, picture->width(), picture->height());
    picture->SetPen(Qt::black);
    picture->Text(10, 20, "This problem has no room picture.");
    picture->repaint();
    return;
  }
  form->SetMemoText(form->MemoText() + QString::fromStdString(recording->Measure()) + "\r\n\r\n");
  std::vector<LegendEntry> legend = recording->Legend();
  canvas = std::make_unique<PictureCanvas>(picture, recording->Space(), !legend.empty());
  DrawStillPicture(*canvas, *recording);
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
  // Termination is looked at after each frame is drawn, so the first frame
  // is always drawn.
  if (!recording || step >= recording->FrameCount() || (step > 0 && IsTerminateRequested())) {
    FinishAnimation();
    return;
  }
  recording->DrawFrame(*canvas, step);
  form->Picture()->repaint();
  ++step;
}

void ThreadSystem::FinishAnimation() {
  animationTimer.stop();
  recording.reset();
  canvas.reset();
  {
    std::lock_guard<std::mutex> lock(mutex);
    animating = false;
  }
  changed.notify_all();
}
