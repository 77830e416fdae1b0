// Logs a scheduled task has gzipped: counted as their content, streamed.

#include <zlib.h>

#include "analysis/gzip_stream.h"
#include "analysis/job.h"
#include "analysis/plan.h"
#include "test_support.h"

namespace tarnwick {
namespace {

// `text` as one gzip member.
std::string gzipped(const std::string& text) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Everything the stream gives, in blocks of `block` bytes; nothing where it fails.
std::optional<std::string> inflated(const std::string& archive, std::size_t block = 4096) {
  testing::FakeInput input;
  input.files["a"] = {archive};
  GzipStream stream(input.open("a").file);
  std::string out(block, '\0');
  std::string all;
  for (;;) {
    const std::ptrdiff_t got = stream.readAt(out.data(), block, all.size());
    if (got < 0) return std::nullopt;
    if (got == 0) return all;
    all.append(out.data(), static_cast<std::size_t>(got));
  }
}

TEST(archive_test, gzip_content_whole_or_failed) {
  const std::string log = "#Fields: date cs(User-Agent)\n2026-12-06 Googlebot\n";
  const std::string one = gzipped(log);
  struct Case {
    const char* name;
    std::string archive;
    std::optional<std::string> content;
  };
  std::string corrupted = one;
  corrupted[corrupted.size() / 2] = static_cast<char>(corrupted[corrupted.size() / 2] ^ 0x55);
  corrupted[corrupted.size() / 2 + 1] =
      static_cast<char>(corrupted[corrupted.size() / 2 + 1] ^ 0x55);
  for (const Case& c : {Case{"one_member", one, log},
                        Case{"two_members", one + gzipped("Baiduspider\n"), log + "Baiduspider\n"},
                        Case{"truncated", one.substr(0, one.size() - 6), std::nullopt},
                        Case{"corrupted", corrupted, std::nullopt},
                        Case{"not_gzip", log, std::nullopt}, Case{"empty", "", std::nullopt}}) {
    EXPECT_EQ(inflated(c.archive), c.content) << c.name;
    EXPECT_EQ(inflated(c.archive, 1), c.content) << c.name << ", a byte at a time";
  }
  testing::FakeInput input;
  input.files["a"] = {one};
  GzipStream stream(input.open("a").file);
  char buffer[8];
  EXPECT_EQ(stream.readAt(buffer, sizeof buffer, 100), -1) << "only in order";
}

// 64 MiB of one repeated line in a few hundred kB: counted in blocks, never held whole.
TEST(archive_test, a_bomb_costs_time_not_memory) {
  std::string chunk;
  while (chunk.size() < (1u << 20)) chunk += "2026-12-06 00:00:00 Googlebot\n";
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
  std::string archive;
  std::string out(1 << 16, '\0');
  for (int i = 0; i < 64; ++i) {
    z.next_in = reinterpret_cast<Bytef*>(chunk.data());
    z.avail_in = static_cast<uInt>(chunk.size());
    do {
      z.next_out = reinterpret_cast<Bytef*>(out.data());
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, i == 63 ? Z_FINISH : Z_NO_FLUSH);
      archive.append(out.data(), out.size() - z.avail_out);
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  EXPECT_LT(archive.size(), 1u << 20);
  testing::FakeInput input;
  input.files["bomb"] = {archive};
  GzipStream stream(input.open("bomb").file);
  const FilteredCount counted = countFiltered(stream, {"Googlebot"}, {}, false);
  EXPECT_EQ(counted.status, FilteredCount::Status::Counted);
  EXPECT_EQ(counted.counts[0], 64u * (chunk.size() / 30));
}

class RowsSink : public RowSink {
 public:
  bool row(FileResult&& row) override {
    rows.push_back(std::move(row));
    return true;
  }
  void finished(const Progress&) override {}
  std::vector<FileResult> rows;
};

// A folder with gzipped days beside plain ones: each archive a row of its content, a
// damaged one unreadable with its reason, and the days read from an archive where the
// log itself is gone.
TEST(archive_test, archives_count_beside_plain_logs) {
  testing::TempDir dir;
  dir.write("W3SVC1/u_ex261205.log.gz", gzipped("Googlebot\nGooglebot\n"));
  dir.write("W3SVC1/u_ex261206.log.gz", gzipped("Baiduspider\n").substr(0, 12));
  dir.write("W3SVC1/u_ex261207.log", "Yahoo!\n");
  PathResolver paths;
  paths.mapDrive('C', dir.path());
  const SystemFolderListing folders;
  const SystemTextInput input;
  const auto run = [&](Mode mode, int days) {
    RowsSink sink;
    AnalysisJob job(
        planAnalysis({mode, "C:\\W3SVC1\\", {2026, 12, 7}, days, {}}, folders, paths).files,
        {"Baiduspider", "Googlebot", "Yahoo!"}, input, sink, {2});
    job.wait();
    return sink.rows;
  };
  for (const auto& rows : {run(Mode::AllLogs, 1), run(Mode::LastDays, 3)}) {
    ASSERT_EQ(rows.size(), 3u);
    std::map<std::string, const FileResult*> byDay;
    for (const FileResult& row : rows) byDay[row.label] = &row;
    EXPECT_EQ(byDay["261205"]->counts, (std::vector<std::uint64_t>{0, 2, 0}));
    EXPECT_EQ(byDay["261206"]->status, FileResult::Status::Unreadable);
    EXPECT_NE(byDay["261206"]->reason.find("damaged archive"), std::string::npos)
        << byDay["261206"]->reason;
    EXPECT_EQ(byDay["261207"]->counts, (std::vector<std::uint64_t>{0, 0, 1}));
  }
}

}  // namespace
}  // namespace tarnwick
