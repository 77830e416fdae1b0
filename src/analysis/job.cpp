#include "analysis/job.h"

#include "analysis/filtered_reader.h"
#include "analysis/gzip_stream.h"
#include "analysis/zip_archive.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <tuple>

#include "analysis/detail_reader.h"
#include "analysis/shared_file.h"
#include "platform/utf8_path.h"

namespace tarnwick {

namespace {

using Clock = std::chrono::steady_clock;

FileResult::Problem problemOf(OpenedFile::Status status) {
  switch (status) {
    case OpenedFile::Status::Ok:
      return FileResult::Problem::None;
    case OpenedFile::Status::NotFound:
      return FileResult::Problem::NotFound;
    case OpenedFile::Status::NotAFile:
      return FileResult::Problem::NotAFile;
    case OpenedFile::Status::Denied:
      return FileResult::Problem::Denied;
    case OpenedFile::Status::Failed:
      return FileResult::Problem::ReadFailed;
  }
  return FileResult::Problem::ReadFailed;
}

struct PartWork {
  std::shared_ptr<SharedFile> file;
  FilePart part;
  std::shared_ptr<PartReach> reach;  // where the part ends, which a thread may cut short
};

}  // namespace

struct AnalysisJob::Shared {
  Shared(std::vector<PlannedFile> plannedFiles, std::function<Plan()> planner,
         std::vector<std::string> tokenList, const TextInput& textInput, RowSink& rowSink,
         JobSettings jobSettings)
      : files(std::move(plannedFiles)),
        plan(std::move(planner)),
        tokens(std::move(tokenList)),
        input(textInput),
        settings(jobSettings),
        start(Clock::now()),
        planned(!plan),
        filesPlanned(files.size()),
        filesLeft(files.size()),
        sink(&rowSink) {}

  // Set once, before `planned`; each file is taken, and moved from, by one thread alone.
  std::vector<PlannedFile> files;
  // Files of many days that several rows read: the first row's reading serves the
  // others too (readsFor), whose own turn is then nothing (readElsewhere).
  std::vector<std::vector<std::size_t>> readsFor;
  std::vector<char> readElsewhere;
  std::function<Plan()> plan;  // where the job plans its own files
  const std::vector<std::string> tokens;
  const TextInput& input;
  const JobSettings settings;
  const Clock::time_point start;

  std::atomic<bool> planned;  // whether `files` is set
  std::atomic<bool> stop{false};
  std::atomic<bool> outOfMemory{false};
  std::atomic<std::size_t> filesPlanned;
  std::atomic<std::size_t> nextFile{0};
  std::atomic<std::size_t> filesDone{0};
  std::atomic<std::size_t> rowsDelivered{0};
  std::atomic<std::uint64_t> bytesRead{0};
  std::atomic<Clock::rep> endedAfter{-1};  // elapsed ticks at the last row; -1 before

  // Work: parts of big files wait here for a thread.
  std::mutex workMutex;
  std::condition_variable workChanged;
  std::deque<PartWork> parts;
  std::vector<PartWork> reading;  // parts being read, which a thread with nothing to do may cut
  std::size_t filesLeft;          // files not yet complete
  bool planning = false;          // a thread is working out the files
  unsigned running = 0;           // threads not yet stopped
  mutable std::condition_variable allStopped;

  // Delivery: rows that finished early wait here for the ones before them.
  std::mutex deliveryMutex;
  std::map<std::size_t, FileResult> early;
  std::atomic<std::size_t> nextRow{0};  // the next file to hand on, in plan order
  // The sink, and what only the thread handing rows to it touches. One thread at a time
  // does, holding this while the others go on counting.
  std::mutex sinkMutex;
  std::optional<FileResult> joining;  // a day's files so far, while more are to join
  RowSink* sink;                      // null once cancelled
  bool finishedSent = false;

  Progress progress() const {
    Progress p;
    p.filesPlanned = filesPlanned.load();
    // Rows first: a row is delivered only once its files are done, so the files read
    // after it are never fewer.
    p.rowsDelivered = rowsDelivered.load();
    p.filesDone = filesDone.load();
    p.bytesRead = bytesRead.load();
    const Clock::rep ended = endedAfter.load();
    p.elapsed = ended >= 0 ? Clock::duration(ended) : Clock::now() - start;
    return p;
  }

  void run();
  void shareReadings();
  void planFiles(std::unique_lock<std::mutex>& lock);  // under workMutex
  FileResult rowOf(std::size_t index);
  bool nextWork(PartWork& work, std::size_t& file);
  bool takeOver(PartWork& work);  // under workMutex
  void countFile(PartCounter& counter, std::size_t index);
  void completeAll(std::size_t index, FileResult first);
  // The file of row `index`, opened, inflated where it is an archive (`archive` then
  // points at it); null, with `result` saying why, where it cannot be read.
  std::unique_ptr<InputFile> openFile(std::size_t index, FileResult& result,
                                      ArchiveStream*& archive);
  void countFiltered(InputFile& file, const ArchiveStream* archive, std::size_t index,
                     FileResult result);
  void countInParts(PartCounter& counter, std::unique_ptr<InputFile> file, std::size_t index,
                    FileResult result);
  void countPart(PartCounter& counter, const PartWork& work);
  void complete(std::size_t index, FileResult result);
  // Hands on the rows that are ready, in plan order, unless another thread is doing so:
  // that one looks again before it stops.
  void deliverReady();
  void deliverHeld();  // under sinkMutex
};

unsigned AnalysisJob::defaultThreads() {
  return std::max(1u, std::thread::hardware_concurrency());
}

AnalysisJob::AnalysisJob(std::vector<PlannedFile> files, std::vector<std::string> tokens,
                         const TextInput& input, RowSink& sink, JobSettings settings)
    : AnalysisJob(std::move(files), {}, std::move(tokens), input, sink, settings) {}

AnalysisJob::AnalysisJob(std::function<Plan()> plan, std::vector<std::string> tokens,
                         const TextInput& input, RowSink& sink, JobSettings settings)
    : AnalysisJob({}, std::move(plan), std::move(tokens), input, sink, settings) {}

AnalysisJob::AnalysisJob(std::vector<PlannedFile> files, std::function<Plan()> plan,
                         std::vector<std::string> tokens, const TextInput& input, RowSink& sink,
                         JobSettings settings) {
  if (settings.threads == 0) settings.threads = defaultThreads();
  settings.partSize = std::max<std::uint64_t>(settings.partSize, 1);
  shared_ = std::make_shared<Shared>(std::move(files), std::move(plan), std::move(tokens), input,
                                     sink, settings);
  if (shared_->planned) shared_->shareReadings();
  shared_->running = settings.threads;
  for (unsigned t = 0; t < settings.threads; ++t)
    threads_.emplace_back([shared = shared_] { shared->run(); });
}

AnalysisJob::~AnalysisJob() {
  cancel();
  std::unique_lock lock(shared_->workMutex);
  const bool stopped = shared_->allStopped.wait_for(lock, std::chrono::milliseconds(250),
                                                    [&] { return shared_->running == 0; });
  lock.unlock();
  for (std::thread& thread : threads_) stopped ? thread.join() : thread.detach();
}

void AnalysisJob::cancel() {
  shared_->stop = true;
  { std::lock_guard lock(shared_->workMutex); }
  shared_->workChanged.notify_all();
  std::lock_guard lock(shared_->sinkMutex);
  shared_->sink = nullptr;
}

bool AnalysisJob::outOfMemory() const {
  return shared_->outOfMemory.load();
}

bool AnalysisJob::finished() const {
  return shared_->planned.load() && shared_->rowsDelivered.load() == shared_->filesPlanned.load();
}

Progress AnalysisJob::progress() const {
  return shared_->progress();
}

void AnalysisJob::wait() const {
  std::unique_lock lock(shared_->workMutex);
  shared_->allStopped.wait(lock, [&] { return shared_->running == 0; });
}

void AnalysisJob::Shared::run() {
  try {
    PartCounter counter(tokens, settings.blockSize);
    PartWork work;
    std::size_t file = 0;
    while (nextWork(work, file)) {
      if (work.file)
        countPart(counter, work);
      else
        countFile(counter, file);
    }
  } catch (const std::bad_alloc&) {
    // The job ends without its last rows; the caller learns why from outOfMemory().
    outOfMemory = true;
    stop = true;
    { std::lock_guard lock(workMutex); }  // no thread misses the wake between test and wait
    workChanged.notify_all();
  }
  deliverReady();  // an empty plan is finished at once
  std::lock_guard lock(workMutex);
  if (--running == 0) allStopped.notify_all();
}

// One thread works out the files while the others wait; a cancel during it is seen by
// the others at once, by the planner when it returns.
void AnalysisJob::Shared::planFiles(std::unique_lock<std::mutex>& lock) {
  planning = true;
  lock.unlock();
  Plan made;
  try {
    made = plan();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    made.status = Plan::Status::FolderUnreadable;  // a listing that failed in its own way
    made.reason = error.what();
  }
  {
    std::lock_guard delivery(sinkMutex);
    if (sink) sink->planned(made.status);
  }
  lock.lock();
  files = std::move(made.files);
  shareReadings();
  filesLeft = files.size();
  filesPlanned = files.size();
  planned = true;
  workChanged.notify_all();
}

// Parts of a file already begun come first, so that rows keep flowing in order.
bool AnalysisJob::Shared::nextWork(PartWork& work, std::size_t& file) {
  std::unique_lock lock(workMutex);
  for (;;) {
    if (stop) return false;
    if (!planned) {
      if (planning)
        workChanged.wait(lock);
      else
        planFiles(lock);
      continue;
    }
    if (!parts.empty()) {
      work = std::move(parts.front());
      parts.pop_front();
      reading.push_back(work);
      return true;
    }
    file = nextFile.fetch_add(1);
    if (file < files.size()) {
      work = {};
      return true;
    }
    if (filesLeft == 0) return false;
    if (takeOver(work)) return true;
    // Another thread may yet cut a big file into parts.
    workChanged.wait(lock);
  }
}

// Takes over the second half of what is left of the part with most left to read, where
// that is worth a part of its own: the threads then end the file together.
bool AnalysisJob::Shared::takeOver(PartWork& work) {
  PartWork* most = nullptr;
  std::uint64_t mostLeft = 0;
  for (PartWork& other : reading) {
    const std::uint64_t left = other.reach->left(other.file->file->size());
    if (left > mostLeft) {
      most = &other;
      mostLeft = left;
    }
  }
  if (!most) return false;
  SharedFile& file = *most->file;
  // Counted as the file's before the reader of the first half can end it.
  const std::optional<FilePart> rest =
      most->reach->cutHalf(settings.takeOverSize, file.file->size(), [&] {
        std::lock_guard fileLock(file.mutex);
        ++file.partsLeft;
      });
  if (!rest) return false;
  work = {most->file, *rest, std::make_shared<PartReach>(*rest)};
  reading.push_back(work);
  return true;
}

// Local days take each UTC log for two rows, a weekly or monthly log is taken by each
// of its days: the same lines read once for all of them.
void AnalysisJob::Shared::shareReadings() {
  readsFor.assign(files.size(), {});
  readElsewhere.assign(files.size(), 0);
  using Key =
      std::tuple<std::string, bool, std::string, std::uint64_t, std::optional<std::string>, int>;
  std::map<Key, std::size_t> first;
  for (std::size_t f = 0; f < files.size(); ++f) {
    const PlannedFile& file = files[f];
    if (!file.filter || !file.local || !file.archiveProblem.empty()) continue;
    const Key key{*file.local,
                  file.gzip,
                  file.zipMember ? file.zipMember->name : std::string(),
                  file.zipMember ? file.zipMember->headerOffset : 0,
                  file.filter->site,
                  file.filter->shiftMinutes};
    const auto [found, added] = first.emplace(key, f);
    if (added) continue;
    readsFor[found->second].push_back(f);
    readElsewhere[f] = 1;
  }
}

FileResult AnalysisJob::Shared::rowOf(std::size_t index) {
  PlannedFile& planned = files[index];
  return {planned.position,
          std::move(planned.label),
          std::move(planned.name),
          std::move(planned.local),
          FileResult::Status::Counted,
          {},
          std::vector<std::uint64_t>(tokens.size(), 0)};
}

namespace {

void markReadFailed(FileResult& result, const ArchiveStream* archive) {
  result.status = FileResult::Status::Unreadable;
  result.problem = FileResult::Problem::ReadFailed;
  result.reason = archive && !archive->problem().empty() ? archive->problem() : "read error";
}

}  // namespace

void AnalysisJob::Shared::countFile(PartCounter& counter, std::size_t index) {
  if (readElsewhere[index]) return;  // its row comes with the reading of another
  FileResult result = rowOf(index);
  ArchiveStream* archive = nullptr;
  std::unique_ptr<InputFile> file = openFile(index, result, archive);
  if (!file) return completeAll(index, std::move(result));
  if (files[index].filter) return countFiltered(*file, archive, index, std::move(result));
  if (!archive && settings.threads > 1 && file->size() > 2 * settings.partSize)
    return countInParts(counter, std::move(file), index, std::move(result));

  std::optional<DetailReader> detail;
  if (settings.detail) detail.emplace(tokens);
  const PartCounter::Result counted =
      counter.count(*file, {}, &stop, &bytesRead, detail ? &*detail : nullptr);
  switch (counted.status) {
    case PartCounter::Result::Status::Stopped:
      return;  // cancelled: no row
    case PartCounter::Result::Status::ReadFailed:
    case PartCounter::Result::Status::Restarted:  // never: a whole file shares no directives
      markReadFailed(result, archive);
      break;
    case PartCounter::Result::Status::Counted:
      result.counts = counted.counts;
      if (detail) result.detail = detail->finish(result.counts);
      break;
  }
  complete(index, std::move(result));
}

// Rows that this reading serves too: a file that cannot be read fails them all alike.
void AnalysisJob::Shared::completeAll(std::size_t index, FileResult first) {
  for (const std::size_t other : readsFor[index]) {
    FileResult row = rowOf(other);
    row.status = first.status;
    row.problem = first.problem;
    row.reason = first.reason;
    complete(other, std::move(row));
  }
  complete(index, std::move(first));
}

std::unique_ptr<InputFile> AnalysisJob::Shared::openFile(std::size_t index, FileResult& result,
                                                         ArchiveStream*& archive) {
  PlannedFile& planned = files[index];
  if (!result.local) {
    result.status = FileResult::Status::Missing;
    result.problem = FileResult::Problem::NotHere;
    result.reason = std::move(planned.unresolved);
    return nullptr;
  }
  if (!planned.archiveProblem.empty()) {
    result.status = FileResult::Status::Unreadable;
    result.problem = FileResult::Problem::ReadFailed;
    result.reason = std::move(planned.archiveProblem);
    return nullptr;
  }
  const std::filesystem::path local = pathFromUtf8(*result.local);
  OpenedFile opened = planned.listed ? input.openListed(local) : input.open(local);
  if (!opened.ok()) {
    result.status = opened.status == OpenedFile::Status::NotFound ? FileResult::Status::Missing
                                                                  : FileResult::Status::Unreadable;
    result.problem = problemOf(opened.status);
    result.reason = opened.reason;
    return nullptr;
  }
  // An archive is its content, inflated as it is read: in order, by this thread alone.
  std::unique_ptr<ArchiveStream> stream;
  if (planned.gzip)
    stream = std::make_unique<GzipStream>(std::move(opened.file));
  else if (planned.zipMember)
    stream = std::make_unique<ZipMemberStream>(std::move(opened.file), *planned.zipMember);
  else
    return std::move(opened.file);
  archive = stream.get();
  return stream;
}

// A file of many days or sites: read in order on this thread, for every row it serves.
void AnalysisJob::Shared::countFiltered(InputFile& file, const ArchiveStream* archive,
                                        std::size_t index, FileResult result) {
  std::vector<LineFilter> filters{*files[index].filter};
  for (const std::size_t other : readsFor[index]) filters.push_back(*files[other].filter);
  std::vector<FilteredCount> counted =
      countFilteredRows(file, tokens, filters, settings.detail, &stop, &bytesRead);
  if (counted.front().status == FilteredCount::Status::Stopped) return;
  if (counted.front().status == FilteredCount::Status::ReadFailed) {
    markReadFailed(result, archive);
    return completeAll(index, std::move(result));
  }
  for (std::size_t k = 0; k < readsFor[index].size(); ++k) {
    FileResult row = rowOf(readsFor[index][k]);
    row.counts = std::move(counted[k + 1].counts);
    row.detail = std::move(counted[k + 1].detail);
    complete(readsFor[index][k], std::move(row));
  }
  result.counts = std::move(counted.front().counts);
  result.detail = std::move(counted.front().detail);
  complete(index, std::move(result));
}

// With details, a part per thread: each part builds its own lists of pages and addresses,
// which cost more the more parts there are. A thread that ends first takes over half of
// what is left of another's part.
void AnalysisJob::Shared::countInParts(PartCounter& counter, std::unique_ptr<InputFile> file,
                                       std::size_t index, FileResult result) {
  const std::uint64_t size = file->size();
  auto shared = std::make_shared<SharedFile>();
  shared->index = index;
  shared->file = std::move(file);
  shared->result = std::move(result);
  if (settings.detail) shared->firstLayout = firstLayoutOf(*shared->file);
  const std::uint64_t count = std::min<std::uint64_t>(
      size / settings.partSize, (settings.detail ? 1ull : 8ull) * settings.threads);
  const std::uint64_t step = size / count;
  shared->partsLeft = static_cast<std::size_t>(count);
  std::vector<PartWork> pieces;
  for (std::uint64_t k = 0; k < count; ++k) {
    FilePart part{k * step, std::nullopt};
    if (k + 1 < count) part.end = (k + 1) * step;  // the last part reads on to the end
    pieces.push_back({shared, part, std::make_shared<PartReach>(part)});
  }
  {
    std::lock_guard lock(workMutex);
    for (std::size_t k = 1; k < pieces.size(); ++k) parts.push_back(std::move(pieces[k]));
    reading.push_back(pieces.front());
  }
  workChanged.notify_all();
  countPart(counter, pieces.front());
}

void AnalysisJob::Shared::countPart(PartCounter& counter, const PartWork& work) {
  SharedFile& file = *work.file;
  std::optional<DetailReader> detail;
  PartCounter::Result counted;
  // Begun again at most once, in the layout the part before has since met.
  for (bool first = true;; first = false) {
    if (settings.detail) {
      detail.emplace(tokens, file.inForceAt(work.part.begin));
      detail->share(file, first ? std::optional(settings.restartAfter) : std::nullopt);
    }
    counted = counter.count(*file.file, work.part, &stop, &bytesRead, detail ? &*detail : nullptr,
                            work.reach.get());
    if (counted.status != PartCounter::Result::Status::Restarted) break;
  }
  {
    std::lock_guard lock(workMutex);
    std::erase_if(reading, [&](const PartWork& other) { return other.reach == work.reach; });
  }
  if (counted.status == PartCounter::Result::Status::Stopped) return;
  // Parts that end together finish their lists at once; only the merge takes turns.
  std::optional<DetailReader::Found> found;
  if (detail && counted.status == PartCounter::Result::Status::Counted)
    found = detail->finishStretch();
  const std::optional<std::uint64_t> end = work.reach->end();  // final: the reader is done
  std::unique_lock lock(file.mutex);
  if (found) file.addPart(work.part.begin, std::move(*found), end, tokens);
  if (counted.status == PartCounter::Result::Status::ReadFailed)
    markReadFailed(file.result, nullptr);  // an archive is never read in parts
  for (std::size_t t = 0; t < counted.counts.size(); ++t)
    file.result.counts[t] += counted.counts[t];
  if (--file.partsLeft > 0) return;
  FileResult result = std::move(file.result);
  if (result.status != FileResult::Status::Counted) {
    std::fill(result.counts.begin(), result.counts.end(), 0);
  } else if (detail) {
    DetailReader::settle(file.detail, result.counts);
    result.detail = std::move(file.detail);
  }
  lock.unlock();
  complete(file.index, std::move(result));
}

void AnalysisJob::Shared::complete(std::size_t index, FileResult result) {
  filesDone.fetch_add(1);
  {
    std::lock_guard lock(deliveryMutex);
    early.emplace(index, std::move(result));
  }
  deliverReady();
  {
    std::lock_guard lock(workMutex);
    --filesLeft;
  }
  workChanged.notify_all();
}

namespace {

// Adds the lines of `next`, another file of the same day, to `row`. The row names the
// first of its files that could not be read, else the first that was.
void joinRow(FileResult& row, FileResult&& next) {
  const auto weight = [](FileResult::Status status) {
    return status == FileResult::Status::Unreadable ? 2
           : status == FileResult::Status::Counted  ? 1
                                                    : 0;
  };
  if (weight(next.status) > weight(row.status)) {
    row.status = next.status;
    row.problem = next.problem;
    row.reason = std::move(next.reason);
    row.name = std::move(next.name);
    row.local = std::move(next.local);
  }
  for (std::size_t t = 0; t < row.counts.size() && t < next.counts.size(); ++t)
    row.counts[t] += next.counts[t];
  if (row.detail.empty()) {
    row.detail = std::move(next.detail);
  } else {
    for (std::size_t t = 0; t < row.detail.size() && t < next.detail.size(); ++t)
      row.detail[t].merge(std::move(next.detail[t]));
  }
}

}  // namespace

// A row that another thread adds while this one delivers is seen by the look after
// letting go: it was added before that thread tried to deliver, which failed only
// because this one still held the sink.
void AnalysisJob::Shared::deliverReady() {
  for (;;) {
    std::unique_lock delivering(sinkMutex, std::try_to_lock);
    if (!delivering.owns_lock()) return;
    deliverHeld();
    delivering.unlock();
    std::lock_guard lock(deliveryMutex);
    if (!planned || !early.contains(nextRow)) return;
  }
}

void AnalysisJob::Shared::deliverHeld() {
  if (!planned) return;  // stopped before its files were known
  for (;;) {
    FileResult next;
    {
      std::lock_guard lock(deliveryMutex);
      const auto ready = early.find(nextRow);
      if (ready == early.end()) break;
      next = std::move(ready->second);
      early.erase(ready);
    }
    // A day's files (its hours, or its "_x" log beside the plain one) are one row.
    if (joining)
      joinRow(*joining, std::move(next));
    else
      joining = std::move(next);
    const bool more = nextRow + 1 < files.size() && files[nextRow + 1].sameRow;
    if (sink && !more) {
      const bool goOn = sink->row(std::move(*joining));
      rowsDelivered.fetch_add(1);
      if (!goOn) {
        // The threads see it at their next read; complete() wakes those waiting for work.
        stop = true;
        sink = nullptr;
      }
    }
    if (!more) joining.reset();
    ++nextRow;
  }
  if (nextRow == files.size() && !finishedSent) {
    endedAfter.store((Clock::now() - start).count());
    finishedSent = true;
    if (sink) sink->finished(progress());
  }
}

}  // namespace tarnwick
