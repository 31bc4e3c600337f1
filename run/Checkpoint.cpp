#include "run/Checkpoint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <utility>

#include "config/Log.h"
#include "engine/Chromosome.h"
#include "engine/FitnessMemory.h"
#include "engine/GenerationRecord.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "engine/Scoring.h"
#include "foundation/Exception.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "programs/GPSymbolRegister.h"
#include "programs/Head.h"
#include "programs/FlatLispCode.h"
#include "programs/HeadLispCode.h"
#include "run/CsvTables.h"
#include "run/EvolutionarySystem.h"
#include "run/GAProducer.h"
#include "run/GPProducer.h"
#include "run/Producer.h"

namespace {
const char* kClass = "Checkpoint";

// The whole file, or false when it cannot be read.
bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  if (in.bad()) return false;
  bytes = all.str();
  return true;
}

// The checksum of a file's bytes; a file that cannot be read counts as empty.
std::uint64_t FileChecksum(const std::string& path) {
  std::string bytes;
  if (!ReadFile(path, bytes)) bytes.clear();
  return Fnv1a64(bytes);
}

std::string Reason() { return std::strerror(errno); }

[[noreturn]] void Report(const std::string& message, const char* method) {
  GetException()->FatalError(message, kClass, method);
}

// The root of individual's program tree, or null.
const Head* ProgramRoot(Individual* individual) {
  auto* gp = dynamic_cast<GPChromosome*>(individual->GetChromosome());
  auto* code = gp != nullptr ? dynamic_cast<HeadLispCode*>(gp->GetCode()) : nullptr;
  return code != nullptr ? code->GetRoot() : nullptr;
}

// Individual's flat program, or null.
const FlatProgram* FlatProgramOf(Individual* individual) {
  auto* gp = dynamic_cast<GPChromosome*>(individual->GetChromosome());
  auto* code = gp != nullptr ? dynamic_cast<FlatLispCode*>(gp->GetCode()) : nullptr;
  return code != nullptr && !code->GetProgram().IsEmpty() ? &code->GetProgram() : nullptr;
}

// Puts individual into member, reusing the member's text buffer.
void FillMember(Individual* individual, CheckpointData::Member& member) {
  member.fitness = FitnessOf(individual);
  member.genome.clear();
  member.kept = std::string_view();
  member.codes = nullptr;
  member.nodes = -1;
  Chromosome* chromosome = individual->GetChromosome();
  if (auto* bits = dynamic_cast<GAChromosome*>(chromosome)) {
    member.bits = true;
    member.genome = bits->ToString();
    return;
  }
  member.bits = false;
  if (const FlatProgram* program = FlatProgramOf(individual)) {
    member.nodes = program->AppendListingForm(member.genome);
  } else if (const Head* root = ProgramRoot(individual)) {
    member.nodes = root->AppendListingForm(member.genome);
  } else {
    member.genome = chromosome->ToSaveString();
  }
}

// Has the device start writing the file's changed pages, without waiting
// for them (a later fsync then waits for what is still under way).
void StartWriteBack(int fd) {
#ifdef SYNC_FILE_RANGE_WRITE
  if (fd >= 0) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
#endif
}

// Whether path names a regular file (not a link to one) that has no other
// name.
bool IsLoneFile(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1;
}

// Flushes the file at path to disk.
bool SyncFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

// Builds the individuals of a checkpoint for the producer's problem: programs
// over the node set's operators, or bit strings of the problem's length.
class Builder {
 public:
  Builder(Producer* producer, const std::string& path) : path(path) {
    factory = dynamic_cast<IndividualFactory*>(producer);
    if (auto* ga = dynamic_cast<GAProducer*>(producer)) {
      geneCount = ga->GetGeneCount();
      return;
    }
    auto* gp = dynamic_cast<GPProducer*>(producer);
    if (gp == nullptr || factory == nullptr) Report("Can not restore individuals for this producer", "Resume");
    GPSymbolRegister* symbols = gp->GetGPSymbolRegister();
    for (int k = 0; k < symbols->GetClassCount(); ++k) {
      OperatorArray* row = symbols->GetClass(k);
      for (int i = 0; i < row->Size(); ++i) {
        Operator* op = row->Get(i);
        // Two operators the listing form cannot tell apart: neither can be
        // read back (null).
        auto placed = operators.emplace(std::make_pair(op->GetName(), op->GetArity()), op);
        if (!placed.second && placed.first->second != op) placed.first->second = nullptr;
      }
    }
  }

  Individual* Build(const CheckpointData::Member& member) {
    if (member.bits != (geneCount >= 0)) {
      Fail(member.line, geneCount >= 0 ? "a bit string of the bit-string problem" : "a program of the node set",
           member.bits ? "a bit string" : "a program");
    }
    Individual* individual = member.bits ? factory->CreateIndividual(new GAChromosome(Genes(member)))
                                         : factory->CreateIndividual(new GPChromosome(Program(member)));
    auto* scored = dynamic_cast<DoubleTypeFitnessIndividual*>(individual);
    if (scored == nullptr) Report("Can not restore individuals for this producer", "Resume");
    scored->SetFitness(member.fitness);
    return individual;
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& expected, const std::string& found) {
    Report("Checkpoint " + path + " line " + std::to_string(line) + ": expected " + expected + ", found " + found,
           "Resume");
  }

  IntArray* Genes(const CheckpointData::Member& member) {
    if (static_cast<int>(member.genome.size()) != geneCount) {
      Fail(member.line, std::to_string(geneCount) + " bits", std::to_string(member.genome.size()));
    }
    auto* genes = new IntArray(geneCount);
    for (char c : member.genome) genes->Add(c == '1' ? 1 : 0);
    return genes;
  }

  // The listing form, preorder: each node takes the next nodes as its
  // children, as many as its arity.
  HeadLispCode* Program(const CheckpointData::Member& member) {
    std::istringstream lines(member.genome);
    std::string line;
    Head* root = nullptr;
    // Nodes still owed children, with the number they still need.
    std::vector<std::pair<Head*, int>> open;
    int number = member.line;
    auto release = [&root]() {
      if (root != nullptr) {
        root->DeleteChildren();
        delete root;
      }
    };
    while (std::getline(lines, line)) {
      ++number;
      std::size_t tab = line.find('\t');
      std::string name = line.substr(0, tab);
      int arity = std::stoi(line.substr(tab + 1));
      auto found = operators.find(std::make_pair(name, arity));
      if (found == operators.end() || found->second == nullptr || (root != nullptr && open.empty())) {
        release();
        Fail(number, open.empty() && root != nullptr ? "the end of the program" : "an operator of the node set",
             "\"" + name + "\" of arity " + std::to_string(arity));
      }
      auto* node = new Head(found->second);
      if (root == nullptr) {
        root = node;
      } else {
        open.back().first->AddChild(node);
        if (--open.back().second == 0) open.pop_back();
      }
      if (arity > 0) open.emplace_back(node, arity);
    }
    if (!open.empty()) {
      release();
      Fail(number, "more nodes of the program", "its end");
    }
    return new HeadLispCode(root);
  }

  std::string path;
  IndividualFactory* factory = nullptr;
  int geneCount = -1;
  std::map<std::pair<std::string, int>, Operator*> operators;
};
}  // namespace

int CheckpointEvery(Producer* producer) {
  IntRegister* ints = producer->GetIntRegister();
  if (ints->Exists("checkpoint_every") == 0) return 0;
  int every = *ints->Get("checkpoint_every");
  if (every < 0) {
    GetException()->FatalError("Parameter checkpoint_every in " + producer->GetFileName("parameter") + " is " +
                                   std::to_string(every) + "; expected 0 or more",
                               ClassNameOf(*producer), "Producer");
  }
  return every;
}

std::vector<CheckpointData::Input> InputChecksums(const std::string& fileList, Producer* producer) {
  std::vector<CheckpointData::Input> inputs;
  std::set<std::string> seen;
  auto add = [&](const std::string& path) {
    if (!seen.insert(path).second) return;
    CheckpointData::Input input;
    input.path = path;
    input.checksum = FileChecksum(path);
    inputs.push_back(input);
  };
  add(fileList);
  StringRegister* files = producer->GetStringRegister();
  for (int i = 0; i < files->Count(); ++i) add(*files->ValueAt(i));
  return inputs;
}

namespace {
// The position, the solved flag and the random generator into data.
void TakePosition(EvolutionarySystem* system, CheckpointData& data) {
  EvolutionarySystem::Position at = system->GetPosition();
  data.run = at.run;
  data.generation = at.generation;
  data.solvedGeneration = at.solvedGeneration;
  data.solved = system->GetProblem()->IsSolved() == 1;
  data.runSeconds = at.runSeconds;
  data.batchSeconds = at.batchSeconds;
  data.evaluations = at.evaluations;
  data.remembered = at.remembered;
  GetUtility()->GetState(data.randomWords.data(), data.randomIndex);
}

// The length of the file at path, 0 when it can not be read.
std::uint64_t LengthAt(const std::string& path) {
  std::error_code error;
  std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}
}  // namespace

CheckpointMoment TakeMoment(EvolutionarySystem* system) {
  CheckpointMoment moment;
  CheckpointData& data = moment.data;
  TakePosition(system, data);
  Log* log = GetLog();
  log->FlushAll();
  std::set<std::string> seen;
  for (int i = 0; i < log->FileCount(); ++i) {
    const std::string& path = log->FilePath(i);
    if (!seen.insert(path).second) continue;
    CheckpointData::LogFile file;
    file.path = path;
    file.length = LengthAt(path);
    data.logs.push_back(file);
  }
  return moment;
}

LogLengths::~LogLengths() {
  for (int fd : files) {
    if (fd >= 0) ::close(fd);
  }
}

void LogLengths::Take(std::vector<CheckpointData::LogFile>& logs) {
  Log* log = GetLog();
  log->FlushAll();
  if (!opened) {
    // The log setting's files stay the same for the whole batch.
    opened = true;
    std::set<std::string> seen;
    for (int i = 0; i < log->FileCount(); ++i) {
      const std::string& path = log->FilePath(i);
      if (!seen.insert(path).second) continue;
      paths.push_back(path);
      files.push_back(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    }
  }
  logs.resize(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    logs[i].path = paths[i];
    struct stat status;
    if (files[i] >= 0 && ::fstat(files[i], &status) == 0) {
      logs[i].length = static_cast<std::uint64_t>(status.st_size);
    } else {
      logs[i].length = LengthAt(paths[i]);
    }
  }
}

int LogLengths::FileOf(const std::string& path) const {
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (paths[i] == path) return files[i];
  }
  return -1;
}

void TakeMoment(EvolutionarySystem* system, LogLengths& lengths, CheckpointMoment& moment) {
  TakePosition(system, moment.data);
  lengths.Take(moment.data.logs);
}

void CaptureCheckpoint(EvolutionarySystem* system, const CheckpointMoment& moment, const std::string& fileList,
                       const std::vector<CheckpointData::Input>& inputs, CheckpointData& data, bool fillMembers) {
  // The members are kept aside while the moment is copied in, so that their
  // text buffers serve again.
  std::vector<CheckpointData::Member> members;
  members.swap(data.population);
  CheckpointData::Member best;
  std::swap(best, data.best);
  data = moment.data;
  data.fileList = fileList;
  data.inputs = inputs;
  IndividualLogCollectorsRegister* collectors = system->GetProducer()->GetIndividualLogCollectorsRegister();
  for (int i = 0; i < collectors->Count(); ++i) {
    CheckpointData::Collectors saved;
    saved.name = collectors->KeyAt(i);
    IndividualLogCollectorArray* array = collectors->ValueAt(i);
    for (int r = 0; r < array->Size(); ++r) {
      DoubleArray* values = array->Get(r)->GetValues();
      std::vector<double> list(values->Data(), values->Data() + values->Size());
      saved.runs.push_back(std::move(list));
    }
    data.statistics.push_back(std::move(saved));
  }
  auto saveTable = [&data](const char* name, const TableState& state) {
    CheckpointData::Table table;
    table.name = name;
    table.headerWritten = state.headerWritten;
    table.any = state.runBest.any;
    table.fitness = state.runBest.fitness;
    table.size = state.bestSize;
    table.depth = state.bestDepth;
    table.program = state.bestProgram;
    data.tables.push_back(table);
  };
  if (GenerationsTable* table = system->GetGenerationsTable()) saveTable(GenerationsTable::kStream, table->GetState());
  if (RunsTable* table = system->GetRunsTable()) saveTable(RunsTable::kStream, table->GetState());
  data.best = std::move(best);
  if (Individual* individual = system->GetBest()) {
    data.hasBest = true;
    FillMember(individual, data.best);
  }
  Population* population = system->GetPopulation();
  data.sorted = population->IsSorted();
  members.resize(static_cast<std::size_t>(population->Size()));
  data.population = std::move(members);
  if (!fillMembers) return;
  for (int i = 0; i < population->Size(); ++i) {
    FillMember(population->GetUnsorted(i), data.population[static_cast<std::size_t>(i)]);
  }
}

CheckpointData CaptureCheckpoint(EvolutionarySystem* system, const CheckpointMoment& moment,
                                 const std::string& fileList, const std::vector<CheckpointData::Input>& inputs) {
  CheckpointData data;
  CaptureCheckpoint(system, moment, fileList, inputs, data);
  return data;
}

std::string WriteCheckpointFile(const CheckpointData& data, const std::string& path, CheckpointFiles* files,
                                CheckpointPieces* buffer, const LogLengths* held) {
  CheckpointPieces made;
  CheckpointPieces& text = buffer != nullptr ? *buffer : made;
  FormatCheckpoint(data, text);
  std::string temporary = path + ".tmp";
  std::string spare = path + kCheckpointSpareSuffix;
  // The file of the checkpoint before the last is written over where it
  // lies: its pages and blocks serve again. A new file would take new ones,
  // and replacing the old checkpoint would free its blocks (on a file system
  // mounted with discard, waiting for the device to discard them).
  // Only a plain file with no other name: one linked elsewhere (a copy the
  // user kept) is never written over.
  bool reuse = files != nullptr && files->spareReady && IsLoneFile(spare) &&
               ::rename(spare.c_str(), temporary.c_str()) == 0;
  if (files != nullptr) files->spareReady = false;
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (reuse ? 0 : O_TRUNC), 0644);
  if (fd < 0) return "Can not write checkpoint " + temporary + ": " + Reason();
  std::string failed;
  off_t written = 0;
  StreamCheckpoint(text, [fd, &failed, &written](const char* bytes, std::size_t size) {
    while (size > 0) {
      ssize_t n = ::write(fd, bytes, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failed = n < 0 ? Reason() : "nothing written";
        return false;
      }
      bytes += n;
      written += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  });
  if (failed.empty() && reuse && ::ftruncate(fd, written) != 0) failed = Reason();
  if (!failed.empty()) {
    ::close(fd);
    return "Can not write checkpoint " + temporary + ": " + failed;
  }
  // What the checkpoint records of the logs must be on disk before it is.
  // The logs that grew and the checkpoint go to the device together, and
  // are then waited for one by one.
  std::vector<std::pair<const CheckpointData::LogFile*, int>> grown;
  for (const auto& log : data.logs) {
    // An empty log can be no shorter than recorded (and resuming makes one
    // that went missing again).
    if (log.length == 0) continue;
    if (files != nullptr) {
      auto known = files->synced.find(log.path);
      if (known != files->synced.end() && known->second == log.length) continue;
    }
    int logFd = held != nullptr ? held->FileOf(log.path) : -1;
    grown.emplace_back(&log, logFd);
    StartWriteBack(logFd);
  }
  StartWriteBack(fd);
  for (const auto& [log, logFd] : grown) {
    if ((logFd < 0 || ::fsync(logFd) != 0) && !SyncFile(log->path)) {
      std::string reason = Reason();
      ::close(fd);
      return "Can not write checkpoint " + path + ": " + log->path + ": " + reason;
    }
    if (files != nullptr) files->synced[log->path] = log->length;
  }
  if (::fsync(fd) != 0) {
    std::string reason = Reason();
    ::close(fd);
    return "Can not write checkpoint " + temporary + ": " + reason;
  }
  if (::close(fd) != 0) return "Can not write checkpoint " + temporary + ": " + Reason();
  // The new checkpoint takes the name and the old one becomes the spare, in
  // one step where the file system can swap two names; else it is replaced.
  bool swapped = false;
#ifdef RENAME_EXCHANGE
  if (files != nullptr && files->canExchange) {
    swapped = ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0;
    // No checkpoint yet (ENOENT) is the only failure worth trying again.
    if (!swapped && errno != ENOENT) files->canExchange = false;
  }
#endif
  bool spareKept = false;
  if (swapped) {
    spareKept = std::rename(temporary.c_str(), spare.c_str()) == 0;
    if (!spareKept) ::unlink(temporary.c_str());
  } else if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    return "Can not write checkpoint " + path + ": " + Reason();
  }
  // The rename itself is on disk once its folder is. Only then is the spare
  // nobody's checkpoint on disk, to be written over next time.
  std::string folder = std::filesystem::path(path).parent_path().string();
  bool folderSynced = SyncFile(folder.empty() ? "." : folder);
  if (files != nullptr) {
    files->spareReady = spareKept && folderSynced;
    files->spareMade = files->spareMade || spareKept;
  }
  return std::string();
}

void RemoveCheckpointSpare(const std::string& path) { ::unlink((path + kCheckpointSpareSuffix).c_str()); }

CheckpointWriter::CheckpointWriter(EvolutionarySystem* system, const std::string& fileList, int every)
    : system(system), fileList(fileList), every(every), inputs(InputChecksums(fileList, system->GetProducer())) {
  // Made now, while the batch starts on one thread, rather than at the
  // first checkpoint, while others wait.
  if (every > 0) writing = std::thread(&CheckpointWriter::Writing, this);
}

CheckpointWriter::~CheckpointWriter() {
  system->WatchNextScored(nullptr);
  Close();
  {
    std::lock_guard<std::mutex> lock(mutex);
    closing = true;
  }
  changed.notify_all();
  if (writing.joinable()) writing.join();
}

void CheckpointWriter::Start() {
  if (unstarted.load(std::memory_order_relaxed) && unstarted.exchange(false, std::memory_order_acq_rel)) {
    changed.notify_all();
  }
}

void CheckpointWriter::Finish() {
  Start();
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this]() { return !due; });
  }
  if (failure.empty()) return;
  std::string message;
  message.swap(failure);
  Report(message, "Write");
}

void CheckpointWriter::Close() {
  Finish();
  // Only a spare this batch kept: a file of that name it never wrote stays.
  if (files.spareMade) RemoveCheckpointSpare(kCheckpointFile);
  files.spareReady = false;
  files.spareMade = false;
}

void CheckpointWriter::Writing() {
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    changed.wait(lock, [this]() { return due || closing; });
    if (!due) return;
    lock.unlock();
    std::string result = WriteCheckpointFile(pending, kCheckpointFile, &files, &text, &lengths);
    lock.lock();
    failure = std::move(result);
    due = false;
    changed.notify_all();
  }
}

void CheckpointWriter::WatchAfter(int generation) {
  int next = generation + 1;
  if (every <= 0 || (next + 1) % every != 0 || next > system->GetProducer()->GetMaxGeneration()) {
    watched = -1;
    // The first member scored of the next generation starts the writing of
    // the checkpoint just taken.
    if (unstarted.load(std::memory_order_relaxed)) {
      system->WatchNextScored([this](int, Individual*) { Start(); });
    } else {
      system->WatchNextScored(nullptr);
    }
    return;
  }
  auto size = static_cast<std::size_t>(system->GetProducer()->GetPopulationSize());
  scoredMembers.assign(size, nullptr);
  // The checkpoint being written reads the set it was listed in: while it
  // is, the next generation is listed in the other.
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (due && writingSet == listingSet) listingSet ^= 1;
  }
  std::vector<Listed>& scored = listings[listingSet];
  if (scored.size() < size) scored.resize(size);
  watched = next;
  // Each scoring thread lists its own members, each into a slot of its own.
  system->WatchNextScored([this, size, &scored](int index, Individual* member) {
    Start();
    auto i = static_cast<std::size_t>(index);
    if (index < 0 || i >= size) return;
    Listed& listed = scored[i];
    listed.coded = false;
    if (const FitnessMemory::Key* key = Scoring::LastKey(member)) {
      // Scoring has just walked the tree for its key: the codes come from
      // that array rather than from a second walk.
      listed.codes.Clear();
      listed.coded = FitnessMemory::AppendListingCodes(*key, listed.codes);
    } else if (const FlatProgram* program = FlatProgramOf(member)) {
      listed.codes.Clear();
      listed.coded = program->AppendListingCodes(listed.codes);
    } else if (const Head* root = ProgramRoot(member)) {
      listed.codes.Clear();
      listed.coded = root->AppendListingCodes(listed.codes);
    }
    if (!listed.coded) FillMember(member, listed.member);
    scoredMembers[i] = member;
  });
}

void CheckpointWriter::Write(bool now) {
  Finish();
  written = true;
  CaptureCheckpoint(system, moment, fileList, inputs, pending, false);
  Population* population = system->GetPopulation();
  int size = population->Size();
  // The members listed as they were scored are found by who they are: the
  // population has been sorted since. Each listing serves one member.
  std::vector<std::pair<Individual*, std::size_t>>& listed = listedOrder;
  listed.clear();
  if (watched == moment.data.generation) {
    for (std::size_t j = 0; j < scoredMembers.size(); ++j) {
      if (scoredMembers[j] != nullptr) listed.emplace_back(scoredMembers[j], j);
    }
    std::sort(listed.begin(), listed.end());
  }
  watched = -1;
  for (int k = 0; k < size; ++k) {
    Individual* member = population->GetUnsorted(k);
    CheckpointData::Member& entry = pending.population[static_cast<std::size_t>(k)];
    auto found = std::lower_bound(listed.begin(), listed.end(), std::make_pair(member, std::size_t{0}));
    constexpr std::size_t kUsed = static_cast<std::size_t>(-1);
    if (found == listed.end() || found->first != member || found->second == kUsed) {
      FillMember(member, entry);
      continue;
    }
    const Listed& listing = listings[listingSet][found->second];
    found->second = kUsed;
    entry.fitness = FitnessOf(member);
    if (listing.coded) {
      entry.bits = false;
      entry.nodes = listing.codes.Nodes();
      entry.genome.clear();
      entry.kept = std::string_view();
      entry.codes = &listing.codes;
      continue;
    }
    const CheckpointData::Member& listedMember = listing.member;
    entry.bits = listedMember.bits;
    entry.nodes = listedMember.nodes;
    entry.genome.clear();
    entry.codes = nullptr;
    entry.kept = listedMember.genome;
    if (entry.kept.empty()) entry.genome = listedMember.genome;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    due = true;
    writingSet = listingSet;
  }
  unstarted.store(true, std::memory_order_release);
  if (now) Start();
}

void CheckpointWriter::RunStarted(const RunStart&) { WatchAfter(-1); }

void CheckpointWriter::RunResumed(const GenerationRecord& record) { WatchAfter(record.generation); }

void CheckpointWriter::GenerationFinished(const GenerationRecord& record) {
  TakeMoment(system, lengths, moment);
  written = false;
  if (every > 0 && (record.generation + 1) % every == 0) Write(false);
  WatchAfter(record.generation);
}

void CheckpointWriter::RunEnded(const RunEnd& end) {
  // The population is the run's last generation finished still (a
  // generation cut short by a stop has given way to it), and the statistics
  // and the best so far are as they were then; what has changed since is in
  // the moment.
  if (written || end.lastGeneration < 0) return;
  // After the batch's last run nothing more is to be resumed but its end.
  if (!end.stopped && end.run >= system->GetProducer()->GetIterationNum()) return;
  if (moment.data.run != end.run || moment.data.generation != end.lastGeneration) return;
  Write(true);
}

std::string CheckFileList(const CheckpointData& data, const std::string& fileList) {
  if (data.fileList == fileList) return std::string();
  return "line 2: expected the file list " + fileList + ", found " + data.fileList +
         " (the checkpoint is of another batch)";
}

std::string CheckInputs(const CheckpointData& data) {
  for (const auto& input : data.inputs) {
    if (FileChecksum(input.path) != input.checksum) {
      return "Input file " + input.path + " has changed since the checkpoint was written (line " +
             std::to_string(input.line) + ")";
    }
  }
  return std::string();
}

std::string CheckLogFiles(const CheckpointData& data) {
  for (const auto& log : data.logs) {
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(log.path, error);
    // Nothing is lost with an empty one: resuming makes it again.
    if (error && log.length == 0) continue;
    if (error) return "Log file " + log.path + " is missing (line " + std::to_string(log.line) + ")";
    if (size < log.length) {
      return "Log file " + log.path + " is shorter than the checkpoint records: " + std::to_string(size) +
             " bytes, expected at least " + std::to_string(log.length) + " (line " + std::to_string(log.line) + ")";
    }
  }
  return std::string();
}

CheckpointData LoadCheckpoint(const std::string& path, const std::string& fileList) {
  std::string text;
  if (!ReadFile(path, text)) Report("Can not read checkpoint " + path + ": " + Reason(), "Read");
  CheckpointData data;
  std::string error;
  if (!ParseCheckpoint(text, data, error)) Report("Checkpoint " + path + " " + error, "Read");
  error = CheckFileList(data, fileList);
  if (!error.empty()) Report("Checkpoint " + path + " " + error, "Read");
  error = CheckInputs(data);
  if (error.empty()) error = CheckLogFiles(data);
  if (!error.empty()) Report(error, "Read");
  return data;
}

void ResumeBatch(const CheckpointData& data, const std::string& path, EvolutionarySystem* system) {
  Producer* producer = system->GetProducer();
  auto fail = [&path](int line, const std::string& message) {
    Report("Checkpoint " + path + " line " + std::to_string(line) + ": " + message, "Resume");
  };
  if (data.run > producer->GetIterationNum()) {
    fail(data.positionLine, "expected a run up to iteration_num " + std::to_string(producer->GetIterationNum()) +
                                ", found run " + std::to_string(data.run));
  }
  if (data.generation > producer->GetMaxGeneration()) {
    fail(data.positionLine, "expected a generation up to max_generation " +
                                std::to_string(producer->GetMaxGeneration()) + ", found generation " +
                                std::to_string(data.generation));
  }
  Population* population = system->GetPopulation();
  if (data.population.empty() || static_cast<int>(data.population.size()) > population->Capacity()) {
    fail(data.populationLine, "expected 1 to population_size " + std::to_string(population->Capacity()) +
                                  " members, found " + std::to_string(data.population.size()));
  }
  IndividualLogCollectorsRegister* collectors = producer->GetIndividualLogCollectorsRegister();
  for (const auto& saved : data.statistics) {
    if (saved.runs.empty() || static_cast<int>(saved.runs.size()) > collectors->GetIterationCount() + 1) {
      fail(saved.line, "expected 1 to " + std::to_string(collectors->GetIterationCount() + 1) + " runs of values");
    }
    for (const auto& values : saved.runs) {
      if (static_cast<int>(values.size()) > collectors->GetGenerationCount() + 1) {
        fail(saved.line, "expected at most " + std::to_string(collectors->GetGenerationCount() + 1) +
                             " values per run");
      }
    }
  }
  for (const auto& table : data.tables) {
    bool known = (table.name == GenerationsTable::kStream && system->GetGenerationsTable() != nullptr) ||
                 (table.name == RunsTable::kStream && system->GetRunsTable() != nullptr);
    if (!known) fail(table.line, "expected the table generations or runs, found " + table.name);
    if (table.program.find_first_of("\n\r") != std::string::npos) fail(table.line, "expected a program on one line");
  }
  // The individuals first: a program that does not fit reports before
  // anything changes.
  Builder builder(producer, path);
  for (const auto& member : data.population) population->Add(builder.Build(member));
  population->RestoreSorted(data.sorted);
  if (data.hasBest) system->RestoreBest(builder.Build(data.best));
  for (const auto& saved : data.statistics) {
    IndividualLogCollectorArray* array = collectors->Get(saved.name);
    while (array->Size() < static_cast<int>(saved.runs.size())) {
      array->Add(new IndividualLogCollector(collectors->GetGenerationCount() + 1));
    }
    for (std::size_t r = 0; r < saved.runs.size(); ++r) {
      DoubleArray* values = array->Get(static_cast<int>(r))->GetValues();
      values->Clear();
      for (double v : saved.runs[r]) values->Add(v);
    }
  }
  for (const auto& saved : data.tables) {
    TableState state;
    state.headerWritten = saved.headerWritten;
    state.runBest.any = saved.any;
    state.runBest.fitness = saved.fitness;
    state.bestSize = saved.size;
    state.bestDepth = saved.depth;
    state.bestProgram = saved.program;
    if (saved.name == GenerationsTable::kStream) {
      system->GetGenerationsTable()->SetState(state);
    } else {
      system->GetRunsTable()->SetState(state);
    }
  }
  system->GetProblem()->RestoreSolved(data.solved);
  GetUtility()->SetState(data.randomWords.data(), data.randomIndex);
  // Only now: the logs go back to what they were at the checkpoint.
  for (const auto& log : data.logs) {
    std::error_code error;
    std::filesystem::resize_file(log.path, log.length, error);
    if (error) Report("Can not cut log file " + log.path + " back: " + error.message(), "Resume");
  }
  EvolutionarySystem::Position at;
  at.run = data.run;
  at.generation = data.generation;
  at.solvedGeneration = data.solvedGeneration;
  at.runSeconds = data.runSeconds;
  at.batchSeconds = data.batchSeconds;
  at.evaluations = data.evaluations;
  at.remembered = data.remembered;
  system->Resume(at);
}
