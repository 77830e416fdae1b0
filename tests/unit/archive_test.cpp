// Logs a scheduled task has gzipped: counted as their content, streamed.

#include <zlib.h>

#include <tuple>

#include "analysis/gzip_stream.h"
#include "analysis/job.h"
#include "analysis/plan.h"
#include "analysis/zip_archive.h"
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

// The rows of site folder W3SVC1 of drive C: in `dir`, on 2026-12-07, zip archives read.
std::vector<FileResult> rowsOf(const testing::TempDir& dir, Mode mode, int days) {
  PathResolver paths;
  paths.mapDrive('C', dir.path());
  const SystemFolderListing folders;
  const SystemTextInput input;
  RowsSink sink;
  AnalysisJob job(
      planAnalysis({mode, "C:\\W3SVC1\\", {2026, 12, 7}, days, {}}, folders, paths, &input).files,
      {"Baiduspider", "Googlebot", "Yahoo!"}, input, sink, {2});
  job.wait();
  return sink.rows;
}

// A folder with gzipped days beside plain ones: each archive a row of its content, a
// damaged one unreadable with its reason, and the days read from an archive where the
// log itself is gone.
TEST(archive_test, archives_count_beside_plain_logs) {
  testing::TempDir dir;
  dir.write("W3SVC1/u_ex261205.log.gz", gzipped("Googlebot\nGooglebot\n"));
  dir.write("W3SVC1/u_ex261206.log.gz", gzipped("Baiduspider\n").substr(0, 12));
  dir.write("W3SVC1/u_ex261207.log", "Yahoo!\n");
  const auto run = [&](Mode mode, int days) { return rowsOf(dir, mode, days); };
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

namespace tarnwick {
namespace {

// A zip archive of `members` (name, content), deflated where `deflated`, as Windows'
// "Send to compressed folder" writes them; zip64 where `zip64`.
std::string zipOf(const std::vector<std::pair<std::string, std::string>>& members, bool deflated,
                  bool zip64 = false) {
  const auto le = [](std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  };
  std::string archive, directory;
  for (const auto& [name, content] : members) {
    std::string data = content;
    if (deflated) {
      z_stream z{};
      deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
      data.assign(deflateBound(&z, static_cast<uLong>(content.size())), '\0');
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
      z.avail_in = static_cast<uInt>(content.size());
      z.next_out = reinterpret_cast<Bytef*>(data.data());
      z.avail_out = static_cast<uInt>(data.size());
      deflate(&z, Z_FINISH);
      data.resize(z.total_out);
      deflateEnd(&z);
    }
    const auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size()));
    const std::uint64_t offset = archive.size();
    le(archive, 0x04034b50, 4);
    le(archive, 20, 2), le(archive, 0, 2), le(archive, deflated ? 8 : 0, 2), le(archive, 0, 4);
    le(archive, crc, 4), le(archive, data.size(), 4), le(archive, content.size(), 4);
    le(archive, name.size(), 2), le(archive, 0, 2);
    archive += name + data;
    std::string extra;
    if (zip64) {
      le(extra, 1, 2), le(extra, 24, 2);
      le(extra, content.size(), 8), le(extra, data.size(), 8), le(extra, offset, 8);
    }
    le(directory, 0x02014b50, 4);
    le(directory, 20, 2), le(directory, 20, 2), le(directory, 0, 2);
    le(directory, deflated ? 8 : 0, 2), le(directory, 0, 4), le(directory, crc, 4);
    le(directory, zip64 ? 0xFFFFFFFF : data.size(), 4);
    le(directory, zip64 ? 0xFFFFFFFF : content.size(), 4);
    le(directory, name.size(), 2), le(directory, extra.size(), 2), le(directory, 0, 2);
    le(directory, 0, 2), le(directory, 0, 2), le(directory, 0, 4);
    le(directory, zip64 ? 0xFFFFFFFF : offset, 4);
    directory += name + extra;
  }
  const std::uint64_t directoryAt = archive.size();
  archive += directory;
  le(archive, 0x06054b50, 4), le(archive, 0, 4);
  le(archive, members.size(), 2), le(archive, members.size(), 2);
  le(archive, directory.size(), 4), le(archive, directoryAt, 4), le(archive, 0, 2);
  return archive;
}

std::optional<std::string> memberContent(const std::string& archive, std::size_t index) {
  testing::FakeInput input;
  input.files["z"] = {archive};
  const ZipListing listing = listZip(*input.open("z").file);
  if (!listing.ok || index >= listing.members.size()) return std::nullopt;
  ZipMemberStream stream(input.open("z").file, listing.members[index]);
  std::string all, block(7, '\0');
  for (;;) {
    const std::ptrdiff_t got = stream.readAt(block.data(), block.size(), all.size());
    if (got < 0) return std::nullopt;
    if (got == 0) return all;
    all.append(block.data(), static_cast<std::size_t>(got));
  }
}

TEST(archive_test, zip_members_whole_or_failed) {
  const std::vector<std::pair<std::string, std::string>> logs{
      {"u_ex261205.log", "Googlebot\nGooglebot\n"}, {"W3SVC1/u_ex261206.log", "Baiduspider\n"}};
  for (const bool deflate : {false, true}) {
    const std::string archive = zipOf(logs, deflate);
    EXPECT_EQ(memberContent(archive, 0), logs[0].second) << deflate;
    EXPECT_EQ(memberContent(archive, 1), logs[1].second) << deflate;
    std::string corrupted = archive;
    corrupted[46] = static_cast<char>(corrupted[46] ^ 0x20);  // in the first member's data
    EXPECT_EQ(memberContent(corrupted, 0), std::nullopt) << "a changed byte fails the checksum";
    EXPECT_EQ(memberContent(archive.substr(0, archive.size() - 30), 0), std::nullopt)
        << "cut short: no directory";
  }
  EXPECT_EQ(memberContent(zipOf(logs, true, true), 1), logs[1].second) << "zip64";
  testing::FakeInput input;
  input.files["x"] = {"not a zip at all, just text that is long enough"};
  EXPECT_NE(listZip(*input.open("x").file).problem.find("damaged archive"), std::string::npos);
}

// A zip member of 60 MiB of one line, deflated to a few hundred kB, counted in blocks;
// one whose directory says it holds 1 MiB fails at its end, after as long a count.
TEST(archive_test, a_zip_bomb_costs_time_not_memory) {
  std::string content = "2026-12-06 00:00:00 Googlebot\n";
  for (int i = 0; i < 21; ++i) content += content;  // 2^21 lines, 60 MiB
  const std::string name = "u_ex261206.log";
  std::string archive = zipOf({{name, content}}, true);
  content = {};
  EXPECT_LT(archive.size(), 1u << 20);
  std::string lying = archive;
  const std::size_t entry = lying.size() - 22 - (46 + name.size());
  for (int i = 0; i < 4; ++i) lying[entry + 24 + i] = static_cast<char>((1u << 20) >> (8 * i));
  for (const auto& [what, zip, status] :
       {std::tuple{"whole", archive, FilteredCount::Status::Counted},
        std::tuple{"its size understated", lying, FilteredCount::Status::ReadFailed}}) {
    testing::FakeInput input;
    input.files["z"] = {zip};
    const ZipListing listing = listZip(*input.open("z").file);
    ASSERT_TRUE(listing.ok) << what;
    ZipMemberStream stream(input.open("z").file, listing.members[0]);
    const FilteredCount counted = countFiltered(stream, {"Googlebot"}, {}, false);
    EXPECT_EQ(counted.status, status) << what;
    if (status == FilteredCount::Status::Counted) {
      EXPECT_EQ(counted.counts[0], 1u << 21) << what;
    }
  }
}

// Each log of a zip is a row of --all; a day's zip is read where its log is gone, its logs
// one row; a damaged zip is one unreadable row.
TEST(archive_test, zip_archives_are_their_logs) {
  testing::TempDir dir;
  dir.write("W3SVC1/old.zip", zipOf({{"u_ex261201.log", "Googlebot\n"},
                                     {"readme.txt", "Googlebot\n"},
                                     {"u_ex261202.log", "Yahoo!\nYahoo!\n"}},
                                    true));
  dir.write(
      "W3SVC1/u_ex261206.zip",
      zipOf({{"u_ex261206.log", "Baiduspider\n"}, {"u_ex261206_x.log", "Baiduspider\n"}}, false));
  dir.write("W3SVC1/zz.zip", "broken");
  const auto run = [&](Mode mode, int days) { return rowsOf(dir, mode, days); };
  const auto all = run(Mode::AllLogs, 1);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[0].label, "261201");
  EXPECT_EQ(all[0].counts, (std::vector<std::uint64_t>{0, 1, 0}));
  EXPECT_EQ(all[1].counts, (std::vector<std::uint64_t>{0, 0, 2}));
  EXPECT_EQ(all[1].name, "C:\\W3SVC1\\old.zip\\u_ex261202.log");
  EXPECT_EQ(all[4].status, FileResult::Status::Unreadable);
  EXPECT_NE(all[4].reason.find("damaged archive"), std::string::npos) << all[4].reason;
  const auto days = run(Mode::LastDays, 2);
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[1].label, "261206");
  EXPECT_EQ(days[1].counts, (std::vector<std::uint64_t>{2, 0, 0}));
}

}  // namespace
}  // namespace tarnwick
