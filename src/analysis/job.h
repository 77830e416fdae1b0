#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/part_counter.h"
#include "analysis/plan.h"
#include "platform/text_input.h"
#include "verify/verdicts.h"

namespace tarnwick {

// One analysed file: one row of the results.
struct FileResult {
  enum class Status {
    Counted,     // read to the end
    Missing,     // no such file, or a path that names nothing here
    Unreadable,  // there, but it could not be opened or read
  };

  // Why a row that is not Counted shows zeros; `reason` has the system's words.
  enum class Problem {
    None,
    NotHere,   // its path names nothing on this computer
    NotFound,  // no file at that path
    NotAFile,  // a folder, a pipe or a device
    Denied,    // no permission, or another process holds it exclusively
    ReadFailed,
  };

  std::int64_t position = 0;         // the row's 1-based position
  std::string label;                 // the day label
  std::string name;                  // the file as the analysis names it
  std::optional<std::string> local;  // the local path read, in UTF-8, where there is one
  Status status = Status::Counted;
  std::string reason;                 // why it is missing or unreadable
  std::vector<std::uint64_t> counts;  // one per token; all 0 unless Counted
  Problem problem = Problem::None;
  std::vector<CrawlerDetail> detail{};  // one per token where asked for, else none
  std::vector<Verdicts> verify{};       // one per token where lines were verified, else none
};

// How far a job has come.
struct Progress {
  std::size_t filesPlanned = 0;
  std::size_t filesDone = 0;      // files finished, in any order
  std::size_t rowsDelivered = 0;  // rows handed to the sink, in plan order
  std::uint64_t bytesRead = 0;
  std::chrono::steady_clock::duration elapsed{};  // until now, or until the last row
};

// Receives a job's rows; owned by the job's caller.
class RowSink {
 public:
  virtual ~RowSink() = default;
  // One finished row, in plan order. Called on one of the job's threads, never two calls
  // at once, and never once cancel() has returned. Returning false stops the job as
  // cancel() does: no further row, and no finished().
  virtual bool row(FileResult&& row) = 0;
  // After the last row of a job that was not cancelled (at once for an empty plan).
  virtual void finished(const Progress& progress) = 0;
  // Before any row of a job that plans its own files: whether the log folder could be
  // listed.
  virtual void planned(Plan::Status /*status*/) {}
};

struct JobSettings {
  unsigned threads = 0;  // counting threads; 0 for one per core
  std::size_t blockSize = PartCounter::kDefaultBlockSize;
  std::uint64_t partSize = 32u << 20;  // a file of over twice this is shared out in parts
  bool detail = false;                 // read the fields of each counted line
  // A thread with nothing left to do takes over the second half of a part with at least
  // twice this left to read. With details a part of its own costs a few milliseconds
  // more at the end, which a half of 8 MiB (about 5 ms of reading) is worth.
  std::uint64_t takeOverSize = 8u << 20;
  // A part that starts inside a big log reads its lines in the layout it thinks in force
  // there. Where the part before meets a directive that says otherwise, and this part has
  // read this much with no directive of its own, it begins again in that layout: cheaper
  // than reading all its lines before its first directive again at the end, where a log
  // takes another field set once, early in the day.
  std::uint64_t restartAfter = 32u << 20;
};

// Counts the crawler lines of a plan's files on a few threads and hands each row to a
// sink in plan order. Small files are counted whole, one per thread at a time; a big
// one is cut at line breaks into parts that all threads count, and a thread that runs out
// of work takes over half of what another has left. The only place in the program where
// counting threads live.
class AnalysisJob {
 public:
  AnalysisJob(std::vector<PlannedFile> files, std::vector<std::string> tokens,
              const TextInput& input, RowSink& sink, JobSettings settings = {});
  // The same for the files `plan` gives, worked out on one of the job's threads: finding
  // a site's files lists folders, which can take long, and the caller never waits for it.
  AnalysisJob(std::function<Plan()> plan, std::vector<std::string> tokens, const TextInput& input,
              RowSink& sink, JobSettings settings = {});
  // Cancels, and waits a moment for the threads; one stuck in a read that never returns
  // is left to finish on its own.
  ~AnalysisJob();
  AnalysisJob(const AnalysisJob&) = delete;
  AnalysisJob& operator=(const AnalysisJob&) = delete;

  // Stops counting: threads give up within one block read, no row reaches the sink once
  // this returns, and rows delivered before stay delivered. Returns at once, even while
  // a thread waits in a read that does not return.
  void cancel();
  // Whether every row has been delivered.
  bool finished() const;
  // Whether a counting thread ran out of memory, which stops the job: no further row.
  bool outOfMemory() const;
  // A snapshot of the counters: none of them ever goes back.
  Progress progress() const;
  // Waits until every counting thread has stopped.
  void wait() const;

  // Counting threads by default: one per core.
  static unsigned defaultThreads();

 private:
  AnalysisJob(std::vector<PlannedFile> files, std::function<Plan()> plan,
              std::vector<std::string> tokens, const TextInput& input, RowSink& sink,
              JobSettings settings);

  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::vector<std::thread> threads_;
};

}  // namespace tarnwick
