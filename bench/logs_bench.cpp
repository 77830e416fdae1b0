#include "logs_bench.h"

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "calendar/date.h"

namespace tarnwick::bench {
namespace {

namespace fs = std::filesystem;

constexpr const char* kVersion = "logs bench 1";

// `bytes` of the pool's lines from `start` on, with this day's date.
std::string dayLines(const std::string& pool, std::size_t start, std::size_t bytes,
                     const Date& day) {
  const std::string date = isoDate(day);
  std::string text =
      "#Software: Microsoft Internet Information Services 10.0\r\n#Fields: date time "
      "s-sitename s-ip cs-method cs-uri-stem cs-uri-query s-port cs-username c-ip "
      "cs(User-Agent) sc-status sc-substatus sc-win32-status time-taken\r\n";
  std::size_t at = pool.find('\n', start % pool.size()) + 1;
  while (text.size() < bytes) {
    if (at >= pool.size()) at = 0;
    const std::size_t end = pool.find('\n', at) + 1;
    if (pool.compare(at, 1, "#") != 0) text += date + pool.substr(at + 10, end - at - 10);
    at = end;
  }
  return text;
}

void writeFile(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
}

void writeGzip(const fs::path& file, const std::string& text) {
  gzFile out = gzopen(file.c_str(), "wb6");
  gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
  gzclose(out);
}

void writeLogs(const fs::path& dir, const std::string& pool) {
  std::printf("Writing the logs cases' data into %s (once)...\n", dir.c_str());
  fs::remove_all(dir);
  writeFile(dir / "c/Windows/System32/inetsrv/config/applicationHost.config",
            "<configuration><system.applicationHost><sites>"
            "<site name=\"daily\" id=\"1\"><logFile directory=\"C:\\logs\"/></site>"
            "<site name=\"hourly\" id=\"2\"><logFile directory=\"C:\\logs\" period=\"Hourly\"/>"
            "</site></sites></system.applicationHost></configuration>");
  // 512 MiB in one archive.
  std::string big;
  for (std::size_t k = 0; big.size() < (512u << 20); ++k)
    big += dayLines(pool, k * 7919, 8u << 20, {2026, 12, 7});
  writeGzip(dir / "u_ex261207.log.gz", big);
  // 30 days of 8 MiB for local days.
  for (int k = 0; k < 31; ++k) {
    const Date day = daysBefore({2026, 12, 7}, k);
    writeFile(dir / "c/logs/W3SVC1" / ("u_ex" + yymmdd(day) + ".log"),
              dayLines(pool, static_cast<std::size_t>(k) * 104729, 8u << 20, day));
  }
  // A year of hourly logs of 4 KiB.
  for (int k = 0; k < 365; ++k) {
    const Date day = daysBefore({2026, 12, 7}, k);
    const std::string lines = dayLines(pool, static_cast<std::size_t>(k) * 3571, 4u << 10, day);
    for (int hour = 0; hour < 24; ++hour) {
      char name[32];
      std::snprintf(name, sizeof name, "u_ex%s%02d.log", yymmdd(day).c_str(), hour);
      writeFile(dir / "c/logs/W3SVC2" / name, lines);
    }
  }
  std::ofstream(dir / "written") << kVersion << '\n';
}

}  // namespace

bool logsCases(const fs::path& dir, const std::string& pool) {
  std::string written;
  std::getline(std::ifstream(dir / "written"), written);
  if (written != kVersion) writeLogs(dir, pool);
  warm(dir);
  const std::string report = std::string(TARNWICK_REPORT) + " --format csv ";
  const std::string on = report + "--root " + quoted(dir / "c") + " --date 2026-12-07 ";

  const fs::path archive = dir / "u_ex261207.log.gz";
  const double gunzip =
      bestSeconds([&] { capture("gzip -dc " + quoted(archive) + " > /dev/null"); });
  const double counted =
      bestSeconds([&] { capture(report + "--file " + quoted(archive) + " > /dev/null"); });
  std::printf("\nA gzipped log of 512 MiB (%.0f MB on disk)\n",
              static_cast<double>(fs::file_size(archive)) / 1e6);
  line("gzip -dc", gunzip, gunzip, "gzip -dc");
  line("tarnwick-report --file (4 crawlers)", counted, gunzip, "gzip -dc");
  bool met = verdict("an archive within 1.0 x gzip -dc", counted <= gunzip);

  const std::vector<double> days30 =
      bestOfEach({on + "--site daily --last 30 > /dev/null",
                  on + "--site daily --last 30 --local-days --utc-offset +08:00 > /dev/null"});
  const double utc = days30[0], local = days30[1];
  std::printf("\n30 daily logs of 8 MiB as local days (UTC+8)\n");
  line("tarnwick-report --last 30", utc, utc, "by UTC");
  line("tarnwick-report --last 30 --local-days", local, utc, "by UTC");
  met = verdict("--local-days within 1.2 x the same days by UTC", local <= 1.2 * utc) && met;

  const std::vector<double> year = bestOfEach(
      {on + "--site hourly --all > /dev/null", on + "--site hourly --last 365 > /dev/null"});
  const double all = year[0], days = year[1];
  std::printf("\nA year of hourly logs (8,760 files of 4 KiB)\n");
  line("tarnwick-report --all", all, all, "--all");
  line("tarnwick-report --last 365", days, all, "--all");
  met = verdict("--last 365 within 1.2 x --all", days <= 1.2 * all) && met;
  return met;
}

}  // namespace tarnwick::bench
