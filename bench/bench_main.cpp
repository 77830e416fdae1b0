// tarnwick-bench DIR: writes a realistic 1 GiB CRLF log into DIR once, then times the
// four crawler counts of one log file beside `wc -l` and `grep -cF` of each token on the
// same file, in the same run, with the file in the page cache. Each figure is the best
// of three runs. The counts are checked against grep's.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>

#include "analysis/line_counter.h"
#include "sample_logs.h"

namespace {

namespace fs = std::filesystem;
using namespace tarnwick;

constexpr std::uintmax_t kSize = 1ull << 30;
constexpr int kRuns = 3;

void writeLog(const fs::path& file) {
  std::cout << "Writing " << file.string() << " (1 GiB, once)..." << std::endl;
  fs::create_directories(file.parent_path());
  const fs::path partial = file.string() + ".partial";
  std::ofstream out(partial, std::ios::binary);
  std::mt19937 random(20080713);
  const Date day{2008, 7, 13};
  out << w3cHeader(day);
  std::uintmax_t written = 0;
  while (written < kSize) {
    std::string block = w3cLines(day, 1, 20000, random);
    if (written + block.size() > kSize) block.resize(block.rfind('\n', kSize - written) + 1);
    out << block;
    written += block.size();
    if (block.empty()) break;
  }
  out.close();
  fs::rename(partial, file);
}

// Best wall-clock seconds of `runs` calls.
double bestSeconds(const std::function<void()>& work) {
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// Runs a shell command and returns what it printed.
std::string capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
  }
  return out;
}

void report(const char* what, double seconds, double wcSeconds, std::uintmax_t bytes) {
  std::printf("%-34s %7.3f s  %6.2f GB/s  %5.2f x wc -l\n", what, seconds, bytes / seconds / 1e9,
              seconds / wcSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = argc > 1 ? argv[1] : "bench-data";
  const fs::path file = dir / "ex080713.log";
  std::error_code error;
  if (fs::file_size(file, error) < kSize - (1 << 20) || error) writeLog(file);
  const std::uintmax_t bytes = fs::file_size(file);
  const std::string quoted = "'" + file.string() + "'";

  capture("cat " + quoted + " > /dev/null");  // into the page cache
  const SystemTextInput input;
  const PathResolver paths;
  const LineCounter counter(input, paths);
  CrawlerCounts counts{};
  const double ours = bestSeconds([&] { counts = counter.countCrawlers(file.string()); });
  const double wc = bestSeconds([&] { capture("wc -l " + quoted); });

  std::printf("%s: %.2f GiB, %llu lines\n\n", file.string().c_str(), bytes / double(1 << 30),
              std::stoull(capture("wc -l < " + quoted)));
  report("wc -l", wc, wc, bytes);
  report("tarnwick, four crawler counts", ours, wc, bytes);
  bool agree = true;
  for (std::size_t c = 0; c < kCrawlers.size(); ++c) {
    const std::string grep =
        "LC_ALL=C grep -cF '" + std::string(kCrawlers[c].token) + "' " + quoted;
    std::string grepCount;
    const double seconds = bestSeconds([&] { grepCount = capture(grep); });
    report(("grep -cF " + std::string(kCrawlers[c].token)).c_str(), seconds, wc, bytes);
    const bool same = std::stoull(grepCount) == counts[c];
    agree = agree && same;
    std::printf("%34s %llu lines%s\n", "", static_cast<unsigned long long>(counts[c]),
                same ? ", as grep counts" : (", grep counts " + grepCount).c_str());
  }
  std::printf("\nTarget: four counts in at most 1.5 x wc -l: %s\n",
              ours <= 1.5 * wc ? "met" : "NOT met");
  return agree ? 0 : 1;
}
