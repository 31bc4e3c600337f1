// Checkpoints of a batch: with the int parameter checkpoint_every N, the
// whole state of the batch after every Nth generation of every run, written
// to checkpoint.txt in the working directory; and the resumption of a batch
// from it, which ends with logs byte for byte those of a batch never
// stopped. docs/checkpoint.md describes the file.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/GenerationObserver.h"
#include "programs/ListingCodes.h"
#include "run/CheckpointText.h"

class EvolutionarySystem;
class Individual;
class Population;
class Producer;

// The checkpoint file, in the working directory.
constexpr const char* kCheckpointFile = "checkpoint.txt";

// The int parameter checkpoint_every: 0 when absent (no checkpoints); a
// value below 0 ends the process with a range report.
int CheckpointEvery(Producer* producer);

// The checksums of the file list at fileList and of every file it names.
std::vector<CheckpointData::Input> InputChecksums(const std::string& fileList, Producer* producer);

// What a checkpoint must take at the very moment a generation has been
// reported, because it changes soon after (the random generator draws for
// the next generation, the logs grow): the position, the solved flag, the
// random generator and the log files' lengths (flushed first).
struct CheckpointMoment {
  CheckpointData data;
};
CheckpointMoment TakeMoment(EvolutionarySystem* system);

// The lengths of the log files, taken at every generation: each file is
// opened once for reading, and its length read from the open file.
class LogLengths {
 public:
  LogLengths() = default;
  ~LogLengths();
  LogLengths(const LogLengths&) = delete;
  LogLengths& operator=(const LogLengths&) = delete;
  // Every log file of the log setting, once, with its length now (logs
  // flushed first); logs keeps its room.
  void Take(std::vector<CheckpointData::LogFile>& logs);
  // The descriptor the file at path is held open by (for reading), -1 when
  // none; safe from another thread once Take has run.
  int FileOf(const std::string& path) const;

 private:
  bool opened = false;
  std::vector<std::string> paths;
  // -1 where a file can not be opened for reading: its length is then read
  // by its path.
  std::vector<int> files;
};
// The same into moment, used again from one generation to the next.
void TakeMoment(EvolutionarySystem* system, LogLengths& lengths, CheckpointMoment& moment);

// The state of system's batch at moment: the moment's part, and the
// population, best so far and statistics as they are now (which stay as
// they were at the moment until the next generation is reported).
CheckpointData CaptureCheckpoint(EvolutionarySystem* system, const CheckpointMoment& moment,
                                 const std::string& fileList, const std::vector<CheckpointData::Input>& inputs);
// The same into data, whose members' text buffers are used again; with
// fillMembers false the population's members are sized but left for the
// caller to fill.
void CaptureCheckpoint(EvolutionarySystem* system, const CheckpointMoment& moment, const std::string& fileList,
                       const std::vector<CheckpointData::Input>& inputs, CheckpointData& data,
                       bool fillMembers = true);

// What writing checkpoints one after another keeps from one to the next.
struct CheckpointFiles {
  // The length each log file had when last flushed to disk.
  std::map<std::string, std::uint64_t> synced;
  // Whether the spare beside the checkpoint (the one before it) is known to
  // be no checkpoint on disk, so that the next may be written over it.
  bool spareReady = false;
  // Cleared when the file system cannot swap two names at once.
  bool canExchange = true;
  // Whether a spare was ever kept (only then is one removed at the end).
  bool spareMade = false;
};
// The spare, path followed by this: the checkpoint before the last, kept to
// be written over by the next.
constexpr const char* kCheckpointSpareSuffix = ".old";

// Writes data to path so that a crash at any moment leaves either the old
// checkpoint or the new one whole: the text goes to a temporary file beside
// path (the spare, when files says it may be written over), which is flushed
// to disk together with the log files (those not of the length files says
// they had when last flushed), and then takes path's name. With files given
// the old checkpoint becomes the spare; files is updated. The text is made
// in buffer when one is given (its room serves the next time). Log files
// that held holds open are flushed through its descriptors. Returns the
// failure's message, empty when all went well.
std::string WriteCheckpointFile(const CheckpointData& data, const std::string& path, CheckpointFiles* files = nullptr,
                                CheckpointPieces* buffer = nullptr, const LogLengths* held = nullptr);
// Removes the spare beside the checkpoint at path, if there is one.
void RemoveCheckpointSpare(const std::string& path);

// Writes a checkpoint after every Nth generation of every run, and when a
// run ends (by a stop request, or before the next run) of the last
// generation it finished, if that one has none yet.
// The programs of a generation due for a checkpoint are listed as they are
// scored, by the threads that score them, while each is still in their
// caches; the rest of the state is taken as the generation is reported. The
// file is then written and flushed to disk on a thread of its own while the
// run goes on; the next checkpoint, and the writer's end, wait for it. A
// checkpoint that cannot be written is reported then, on the run's thread.
class CheckpointWriter : public GenerationObserver {
 public:
  // The input checksums are taken now, as the batch starts.
  CheckpointWriter(EvolutionarySystem* system, const std::string& fileList, int every);
  // Waits for the checkpoint being written (see Finish).
  ~CheckpointWriter() override;
  CheckpointWriter(const CheckpointWriter&) = delete;
  CheckpointWriter& operator=(const CheckpointWriter&) = delete;
  void RunStarted(const RunStart& start) override;
  void RunResumed(const GenerationRecord& record) override;
  void GenerationFinished(const GenerationRecord& record) override;
  void RunEnded(const RunEnd& end) override;
  // Waits until the checkpoint being written is on disk; one that could not
  // be written is reported.
  void Finish();
  // At the batch's end: Finish, then removes the spare the writing kept.
  void Close();

 private:
  // Has the generation after generation listed as it is scored when it is
  // due for a checkpoint.
  void WatchAfter(int generation);
  // Writes the moment's checkpoint of the population as it is now: the
  // writing thread is started at once when now is set, else by the first
  // member scored of the next generation (see Start).
  void Write(bool now);
  // Sets the writing thread going on a checkpoint handed to it, if it waits
  // for that still. A checkpoint is taken while the other scoring threads
  // wait; a writing thread woken then would take the core of the thread
  // they wait for. Woken while a generation is scored, it takes a core from
  // threads that share the work among them.
  void Start();
  // The writing thread's loop.
  void Writing();

  EvolutionarySystem* system;
  std::string fileList;
  int every;
  std::vector<CheckpointData::Input> inputs;
  LogLengths lengths;
  CheckpointMoment moment;
  // Whether the moment's generation has its checkpoint.
  bool written = false;
  // The generation being listed as it is scored (-1: none), and its
  // members in the order they were scored with their listings.
  int watched = -1;
  std::vector<Individual*> scoredMembers;
  // The listed members by address, with their places (kept for its room).
  std::vector<std::pair<Individual*, std::size_t>> listedOrder;
  // A member as listed when scored: a program as codes, or else (bit
  // strings, programs the codes cannot hold) in its text form.
  struct Listed {
    CheckpointData::Member member;
    ListingCodes codes;
    bool coded = false;
  };
  // Two sets of members as listed: the checkpoint being written reads its
  // members' genomes in the set they were listed in (writingSet, while due).
  std::vector<Listed> listings[2];
  int listingSet = 0;
  int writingSet = 0;
  // The checkpoint being written and its text; kept, with their room,
  // for the next. The writing thread has it while due is set.
  CheckpointData pending;
  CheckpointPieces text;
  CheckpointFiles files;
  std::string failure;
  std::thread writing;
  std::mutex mutex;
  std::condition_variable changed;
  bool due = false;
  bool closing = false;
  // A checkpoint handed to the writing thread, which Start has not woken yet.
  std::atomic<bool> unstarted{false};
};

// For a batch resumed from path with the file list at fileList, before
// anything of the batch is made: reads the checkpoint whole and checks that
// it is whole and sound, that it was written for that file list, that no
// input file has changed since, and that every log file is there at least
// as long as recorded. Any fault is a report naming the line or the file;
// nothing is written.
CheckpointData LoadCheckpoint(const std::string& path, const std::string& fileList);
// The checks of LoadCheckpoint after the reading: empty when all is well,
// else the report's message.
std::string CheckFileList(const CheckpointData& data, const std::string& fileList);
std::string CheckInputs(const CheckpointData& data);
std::string CheckLogFiles(const CheckpointData& data);

// Restores data (read from path) into system, a fresh system of a producer
// made from the same inputs with its log files opened for appending (see
// Log::SetAppending); then cuts every log file back to its recorded length
// and continues the batch. A checkpoint that does not fit the inputs (an
// operator the node set lacks, a population too large) is a report made
// before any log file changes.
void ResumeBatch(const CheckpointData& data, const std::string& path, EvolutionarySystem* system);
