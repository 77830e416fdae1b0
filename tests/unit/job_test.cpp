#include "analysis/job.h"

#include <gtest/gtest.h>

#include "support/count_lines.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;
using testing::FakeInput;
using testing::Gate;
using testing::repeatLine;

const std::vector<std::string> kTokens{"Baiduspider", "Googlebot", "Yahoo!", "Sosospider"};

// Keeps every row; fails the test where two calls overlap.
class RecordingSink : public RowSink {
 public:
  explicit RecordingSink(std::size_t stopAfter = SIZE_MAX) : stopAfter_(stopAfter) {}

  bool row(FileResult&& row) override {
    EXPECT_FALSE(inside_.exchange(true)) << "two calls at once";
    std::this_thread::sleep_for(50us);
    std::lock_guard lock(mutex_);
    rows_.push_back(std::move(row));
    inside_ = false;
    changed_.notify_all();
    return rows_.size() < stopAfter_;
  }
  void finished(const Progress& progress) override {
    std::lock_guard lock(mutex_);
    final_ = progress;
    changed_.notify_all();
  }
  // Waits until `count` rows have arrived; whether they did within a few seconds.
  bool awaitRows(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return rows_.size() >= count; });
  }
  bool awaitFinished() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return final_.has_value(); });
  }
  std::vector<FileResult> rows() {
    std::lock_guard lock(mutex_);
    return rows_;
  }
  std::vector<std::string> labels() {
    std::vector<std::string> out;
    for (const FileResult& row : rows()) out.push_back(row.label);
    return out;
  }
  std::optional<Progress> final() {
    std::lock_guard lock(mutex_);
    return final_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<FileResult> rows_;
  std::optional<Progress> final_;
  std::atomic<bool> inside_{false};
  std::size_t stopAfter_;
};

PlannedFile planned(std::int64_t position, const std::string& name) {
  return {position, name, name, name, {}};
}

std::vector<PlannedFile> plan(std::initializer_list<const char*> names) {
  std::vector<PlannedFile> files;
  for (const char* name : names)
    files.push_back(planned(static_cast<std::int64_t>(files.size()) + 1, name));
  return files;
}

TEST(job_test, rows_arrive_in_plan_order_whatever_order_files_finish) {
  auto gate = std::make_shared<Gate>();
  FakeInput input;
  input.files["a"] = {"Googlebot\r\n", -1, gate};
  for (const char* name : {"b", "c", "d", "e"}) input.files[name] = {"Baiduspider\r\n"};
  RecordingSink sink;
  AnalysisJob job(plan({"a", "b", "c", "d", "e"}), kTokens, input, sink, {3});
  gate->awaitWaiting(1);
  ASSERT_TRUE(testing::pollUntil([&] { return job.progress().filesDone == 4; }, [] {}));
  EXPECT_TRUE(sink.rows().empty()) << "nothing before the first row";
  gate->open();
  ASSERT_TRUE(sink.awaitFinished());
  EXPECT_EQ(sink.labels(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(sink.rows()[0].counts, (std::vector<std::uint64_t>{0, 1, 0, 0}));
  EXPECT_TRUE(job.finished());
}

TEST(job_test, cancel_during_a_blocked_read_returns_at_once_and_keeps_earlier_rows) {
  auto gate = std::make_shared<Gate>();
  FakeInput input;
  input.files["a"] = {"Googlebot\r\n"};
  input.files["b"] = {"Googlebot\r\n", -1, gate};  // a read that does not return
  input.files["c"] = {"Googlebot\r\n"};
  RecordingSink sink;
  auto job =
      std::make_unique<AnalysisJob>(plan({"a", "b", "c"}), kTokens, input, sink, JobSettings{2});
  ASSERT_TRUE(sink.awaitRows(1));
  gate->awaitWaiting(1);
  const auto start = std::chrono::steady_clock::now();
  job->cancel();
  job.reset();  // does not wait for the blocked read either
  EXPECT_LT(std::chrono::steady_clock::now() - start, 400ms);
  EXPECT_EQ(sink.labels(), std::vector<std::string>{"a"});
  gate->open();  // the read returns; nothing more may arrive
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(sink.labels(), std::vector<std::string>{"a"});
  EXPECT_FALSE(sink.final());
}

// A read takes a while, as from a slow disk.
class SlowInput : public TextInput {
 public:
  OpenedFile open(const std::filesystem::path&) const override {
    OpenedFile result;
    result.status = OpenedFile::Status::Ok;
    result.file = std::make_unique<Slow>();
    return result;
  }
  bool isFile(const std::filesystem::path&) const override { return true; }

 private:
  struct Slow : InputFile {
    std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
      std::this_thread::sleep_for(2ms);
      if (offset >= size_) return 0;
      const std::size_t n = std::min<std::uint64_t>(size, size_ - offset);
      std::fill(buffer, buffer + n, 'x');
      return static_cast<std::ptrdiff_t>(n);
    }
    std::uint64_t size() const override { return size_; }
    std::uint64_t size_ = 1ull << 40;  // a terabyte: only a cancel ends it
  };
};

TEST(job_test, cancel_in_the_middle_of_a_big_file_takes_effect_within_a_read) {
  SlowInput input;
  RecordingSink sink;
  for (const unsigned threads : {1u, 2u}) {
    AnalysisJob job(plan({"huge.log"}), kTokens, input, sink, {threads});
    ASSERT_TRUE(testing::pollUntil([&] { return job.progress().bytesRead > 0; }, [] {}));
    const auto start = std::chrono::steady_clock::now();
    job.cancel();
    job.wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms) << threads << " threads";
  }
  EXPECT_TRUE(sink.rows().empty());
}

TEST(job_test, progress_never_goes_back_and_ends_at_the_plan_size) {
  FakeInput input;
  std::vector<PlannedFile> files;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "f" + std::to_string(i);
    input.files[name] = {repeatLine("Googlebot\r\n", i % 50)};
    files.push_back(planned(i + 1, name));
  }
  RecordingSink sink;
  AnalysisJob job(std::move(files), kTokens, input, sink, {2});
  Progress last;
  while (!sink.final()) {
    const Progress now = job.progress();
    EXPECT_GE(now.filesDone, last.filesDone);
    EXPECT_GE(now.rowsDelivered, last.rowsDelivered);
    EXPECT_GE(now.bytesRead, last.bytesRead);
    EXPECT_LE(now.rowsDelivered, now.filesDone);
    last = now;
  }
  job.wait();
  const Progress end = job.progress();
  EXPECT_EQ(end.filesPlanned, 300u);
  EXPECT_EQ(end.filesDone, 300u);
  EXPECT_EQ(end.rowsDelivered, 300u);
  EXPECT_EQ(sink.final()->filesDone, 300u);
  EXPECT_EQ(end.elapsed, sink.final()->elapsed) << "the time stops with the last row";
}

TEST(job_test, counted_missing_and_unreadable_files_are_told_apart) {
  FakeInput input;
  input.files["counted"] = {"Yahoo!\r\n"};
  input.files["denied"] = {"", -1, nullptr, 0, OpenedFile::Status::Denied};
  input.files["broken"] = {repeatLine("Yahoo!\r\n", 100), 50};
  std::vector<PlannedFile> files = plan({"counted", "absent", "denied", "broken"});
  files.push_back({5, "elsewhere", "Q:\\logs\\ex080713.log", std::nullopt, "drive Q: not mapped"});
  RecordingSink sink;
  AnalysisJob job(std::move(files), kTokens, input, sink, {2, 16});
  ASSERT_TRUE(sink.awaitFinished());
  const auto rows = sink.rows();
  ASSERT_EQ(rows.size(), 5u);
  using S = FileResult::Status;
  const std::vector<std::pair<S, std::string>> expected{{S::Counted, ""},
                                                        {S::Missing, "no such file"},
                                                        {S::Unreadable, "refused by the test"},
                                                        {S::Unreadable, "read error"},
                                                        {S::Missing, "drive Q: not mapped"}};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].status, expected[i].first) << rows[i].label;
    EXPECT_EQ(rows[i].reason, expected[i].second) << rows[i].label;
    EXPECT_EQ(rows[i].counts.size(), 4u);
  }
  EXPECT_EQ(rows[0].counts[2], 1u);
  EXPECT_EQ(rows[3].counts, (std::vector<std::uint64_t>(4, 0))) << "a failed file shows zeros";
}

// A day's files make one row: their counts add up, it is read where one of them was, and
// it names the first that could not be read.
TEST(job_test, a_days_files_join_into_one_row) {
  FakeInput input;
  input.files["h00"] = {"Googlebot\r\nYahoo!\r\n"};
  input.files["h13"] = {"Googlebot\r\n"};
  input.files["denied"] = {"", -1, nullptr, 0, OpenedFile::Status::Denied};
  input.files["big"] = {repeatLine("Googlebot\r\n", 1000)};
  std::vector<PlannedFile> files = plan({"h00", "h13", "absent", "denied", "absent", "big"});
  for (const std::size_t joins : {1, 3}) files[joins].sameRow = true;
  files[4].position = 3;
  RecordingSink sink;
  AnalysisJob job(std::move(files), kTokens, input, sink, {2, 16, 64});
  ASSERT_TRUE(sink.awaitFinished());
  const auto rows = sink.rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].counts, (std::vector<std::uint64_t>{0, 2, 1, 0}));
  EXPECT_EQ(rows[0].status, FileResult::Status::Counted);
  EXPECT_EQ(rows[1].status, FileResult::Status::Unreadable) << "one of its files was refused";
  EXPECT_EQ(rows[1].name, "denied");
  EXPECT_EQ(rows[2].status, FileResult::Status::Missing);
  EXPECT_EQ(rows[3].counts[1], 1000u) << "a big file shared out in parts, alone in its row";
  EXPECT_EQ(sink.final()->rowsDelivered, 4u);
}

// Local days: each UTC log serves two rows, and is opened once for both; a log that
// cannot be read fails both its rows alike.
TEST(job_test, a_log_two_rows_filter_is_read_once_for_both) {
  FakeInput input;
  const std::string fields = "#Fields: date time cs(User-Agent)\n";
  input.files["d6"] = {fields + "2026-12-06 15:00:00 Googlebot\n2026-12-06 17:00:00 Googlebot\n"};
  input.files["d7"] = {fields + "2026-12-07 01:00:00 Googlebot\n2026-12-07 20:00:00 Yahoo!\n"};
  input.files["d8"] = {"", 0};
  // Rows of 12-07, 12-08 and 12-09 in UTC+8: each row's own log and the one before.
  std::vector<PlannedFile> files = plan({"d6", "d7", "d7", "d8", "d8", "d9"});
  for (std::size_t f = 0; f < files.size(); ++f) {
    files[f].position = static_cast<std::int64_t>(f / 2 + 1);
    files[f].sameRow = f % 2 == 1;
    files[f].filter = LineFilter{Date{2026, 12, 7 + static_cast<int>(f / 2)}, std::nullopt, 480};
  }
  for (const unsigned threads : {1u, 2u}) {
    input.opened = 0;
    RecordingSink sink;
    AnalysisJob job(files, kTokens, input, sink, {threads, 16, 64});
    ASSERT_TRUE(sink.awaitFinished());
    const auto rows = sink.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].counts, (std::vector<std::uint64_t>{0, 2, 0, 0}));
    EXPECT_EQ(rows[1].status, FileResult::Status::Unreadable) << "d8 could not be read";
    EXPECT_EQ(rows[1].name, "d8");
    EXPECT_EQ(rows[2].status, FileResult::Status::Unreadable) << "nor for this row";
    EXPECT_EQ(input.opened.load(), 3) << "each log once; d9 is missing";
  }
}

// A file of over twice the part size is counted in parts by every thread; the parts add up
// to what one thread counts, and a part that fails makes the whole file unreadable.
TEST(job_test, big_files_are_shared_out_in_parts) {
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += i % 3 ? "GET / Mozilla Googlebot Baiduspider\r\n" : "x Yahoo! y\n";
  FakeInput input;
  input.files["big"] = {text};
  input.files["bad"] = {text, static_cast<std::ptrdiff_t>(text.size() / 2)};
  const JobSettings shared{3, 97, 1000};
  RecordingSink sink;
  AnalysisJob job(plan({"big", "bad", "big"}), kTokens, input, sink, shared);
  ASSERT_TRUE(sink.awaitFinished());
  const auto rows = sink.rows();
  const auto whole = testing::countFileLines(input, "big", kTokens);
  EXPECT_EQ(rows[0].counts, *whole);
  EXPECT_EQ(rows[2].counts, *whole);
  EXPECT_EQ(rows[1].status, FileResult::Status::Unreadable);
  EXPECT_EQ(rows[1].counts, (std::vector<std::uint64_t>(4, 0)));
}

TEST(job_test, an_empty_plan_finishes_at_once) {
  FakeInput input;
  RecordingSink sink;
  AnalysisJob job(std::vector<PlannedFile>{}, kTokens, input, sink);
  ASSERT_TRUE(sink.awaitFinished());
  EXPECT_TRUE(job.finished());
  EXPECT_EQ(sink.final()->filesPlanned, 0u);
}

// A sink that can take no more (a closed pipe, a full disk) stops its job by saying so.
TEST(job_test, a_sink_that_says_stop_gets_no_further_row_and_the_threads_end) {
  FakeInput input;
  for (const char* name : {"a", "b", "c", "d", "e"}) input.files[name] = {"Googlebot\r\n"};
  RecordingSink sink(2);
  AnalysisJob job(plan({"a", "b", "c", "d", "e"}), kTokens, input, sink, {2});
  job.wait();
  EXPECT_EQ(sink.labels(), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(sink.final().has_value()) << "a stopped job does not finish";
  EXPECT_FALSE(job.finished());
}

// A thread that runs out of memory ends the job, and says so, instead of the program.
TEST(job_test, running_out_of_memory_stops_the_job_and_says_so) {
  struct Hungry : TextInput {
    OpenedFile open(const std::filesystem::path&) const override { throw std::bad_alloc(); }
    bool isFile(const std::filesystem::path&) const override { return true; }
  } input;
  RecordingSink sink;
  AnalysisJob job(plan({"a", "b"}), kTokens, input, sink, {2});
  job.wait();
  EXPECT_TRUE(job.outOfMemory());
  EXPECT_FALSE(job.finished());
  EXPECT_FALSE(sink.final().has_value());
}

// A job that works out its own files says whether its folder could be listed before any
// row, and a cancel while it does so returns at once.
TEST(job_test, a_job_plans_its_files_on_its_own_thread) {
  struct Sink : RecordingSink {
    void planned(Plan::Status s) override { status = s; }
    std::optional<Plan::Status> status;
  };
  FakeInput input;
  input.files["a"] = {"Googlebot\r\n"};
  Sink sink;
  AnalysisJob job(
      [] {
        Plan made;
        made.files = plan({"a", "missing"});
        return made;
      },
      kTokens, input, sink, {2});
  ASSERT_TRUE(sink.awaitFinished());
  EXPECT_EQ(sink.status, Plan::Status::Ok);
  EXPECT_EQ(sink.labels(), (std::vector<std::string>{"a", "missing"}));
  EXPECT_EQ(sink.final()->filesPlanned, 2u);

  auto gate = std::make_shared<Gate>();
  Sink waiting;
  const auto started = std::chrono::steady_clock::now();
  {
    AnalysisJob stuck(
        [gate] {
          gate->wait();
          return Plan{Plan::Status::FolderNotFound, "gone", {}};
        },
        kTokens, input, waiting, {2});
    gate->awaitWaiting(1);
    EXPECT_FALSE(stuck.finished());
    stuck.cancel();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "the planner is left behind";
  gate->open();
  EXPECT_FALSE(waiting.final().has_value());
  EXPECT_FALSE(waiting.status.has_value()) << "nothing reaches a cancelled job's sink";
}

}  // namespace
}  // namespace tarnwick
