#include "bench_support.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

extern char** environ;

namespace tarnwick::bench {

std::string capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

double bestSeconds(const std::function<void()>& work, int runs) {
  double best = 1e9;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

double coresLent() {
  const auto spin = [] {
    volatile std::uint64_t sum = 0;  // kept in memory, so that the loop is not folded away
    for (std::uint64_t i = 0; i < 50'000'000; ++i) sum = sum + i;
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const double one = bestSeconds(spin, 1);
  const double all = bestSeconds(
      [&] {
        std::vector<std::thread> threads;
        for (unsigned c = 0; c < cores; ++c) threads.emplace_back(spin);
        for (std::thread& thread : threads) thread.join();
      },
      1);
  return std::min<double>(cores, cores * one / all);
}

std::vector<double> bestOfEach(const std::vector<std::string>& commands, int runs) {
  std::vector<double> best(commands.size(), 1e9);
  for (int run = 0; run < runs; ++run)
    for (std::size_t c = 0; c < commands.size(); ++c)
      best[c] = std::min(best[c], bestSeconds([&] { capture(commands[c]); }, 1));
  return best;
}

Usage usageOf(const std::string& command) {
  // The shell execs the program, so that the child measured is the program itself.
  const std::string exec = "exec " + command;
  char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(exec.c_str()),
                  nullptr};
  pid_t child = 0;
  if (::posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return {};
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return {};
  const auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  return {static_cast<double>(usage.ru_maxrss) / 1024,  // Linux gives KiB
          seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

double peakMebibytes(const std::string& command) {
  return usageOf(command).peakMebibytes;
}

std::string quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

void warm(const std::filesystem::path& dir) {
  capture("find " + quoted(dir) + " -type f -print0 | xargs -0 cat > /dev/null");
}

void line(const std::string& what, double seconds, double base, const char* baseName) {
  std::printf("  %-44s %7.3f s  %5.2f x %s\n", what.c_str(), seconds, seconds / base, baseName);
}

bool verdict(const std::string& target, bool met) {
  std::printf("  Target: %s: %s\n", target.c_str(), met ? "met" : "NOT met");
  return met;
}

}  // namespace tarnwick::bench
