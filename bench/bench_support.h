#pragma once

// What every benchmark case uses: running the other tools, timing, and saying how it went.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::bench {

// Each figure is the best of this many runs.
inline constexpr int kRuns = 3;

// Runs a shell command and returns what it printed.
std::string capture(const std::string& command);
// Best wall-clock seconds of `runs` calls.
double bestSeconds(const std::function<void()>& work, int runs = kRuns);
// Best wall-clock seconds of each of `commands`, run in turn `runs` times: figures that are
// compared are taken side by side, so that a machine slower for a while slows them alike.
std::vector<double> bestOfEach(const std::vector<std::string>& commands, int runs = 5);
// What a shell command's program used in one run: the most memory it held at once, and
// its CPU time in its own code and in the kernel's.
struct Usage {
  double peakMebibytes = -1;
  double userSeconds = 0;
  double kernelSeconds = 0;
};
Usage usageOf(const std::string& command);
// The most memory a shell command's program held at once, in MiB.
double peakMebibytes(const std::string& command);
std::string quoted(const std::filesystem::path& path);
// Reads every file of `dir` once, into the page cache.
void warm(const std::filesystem::path& dir);
// "  what   1.234 s   1.10 x wc -l"
void line(const std::string& what, double seconds, double base, const char* baseName);
// How many cores the machine lends just now: busy loops on every core at once against one
// alone. A virtual machine whose host is busy lends less than it counts, and a program of
// several threads then loses beside one of a single thread.
double coresLent();
// Says whether `target` was met, and returns it.
bool verdict(const std::string& target, bool met);

}  // namespace tarnwick::bench
