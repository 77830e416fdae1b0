#pragma once

// Temporary folders and files, test data, and waiting, for GoogleTest tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/fakes.h"

namespace tarnwick::testing {

// A folder of its own for one test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? info->name() : "test";
    for (char& c : name) c = (c == '/') ? '_' : c;  // parameterised names hold slashes
    path_ = std::filesystem::temp_directory_path() /
            ("tarnwick-" + name + "-" + std::to_string(std::random_device()()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `content` to `relative` below the folder, creating folders on the way.
  std::filesystem::path write(const std::string& relative, const std::string& content) const {
    const auto file =
        path_ / std::filesystem::path(std::u8string(relative.begin(), relative.end()));
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

 private:
  std::filesystem::path path_;
};

// The bytes of `file`; empty where it cannot be read.
inline std::string readText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A path the build knows; off Linux, the test's runner names it in the environment.
inline std::filesystem::path buildPath([[maybe_unused]] const char* built, const char* variable) {
#ifdef _WIN32
  const char* named = std::getenv(variable);
  return named ? named : "";
#else
  (void)variable;
  return built;
#endif
}

#ifndef TARNWICK_TEST_DATA
#define TARNWICK_TEST_DATA ""
#define TARNWICK_REPORT ""
#endif

// The folder tests/data.
inline std::filesystem::path testDataFolder() {
  return buildPath(TARNWICK_TEST_DATA, "TARNWICK_TEST_DATA");
}

// The report program built beside the tests.
inline std::string reportProgram() {
  return buildPath(TARNWICK_REPORT, "TARNWICK_REPORT").string();
}

// The path of a file of tests/data.
inline std::string testDataPath(const std::string& name) {
  return (testDataFolder() / name).string();
}

// Reads a file of tests/data.
inline std::string testData(const std::string& name) {
  std::ifstream in(testDataFolder() / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// `line` `times` over.
inline std::string repeatLine(const std::string& line, int times) {
  std::string text;
  text.reserve(line.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

// Whether two paths name the same place as the platform compares names: on Windows
// ignoring case and the kind of separator, elsewhere exactly.
inline bool samePlace(const std::optional<std::filesystem::path>& a,
                      const std::optional<std::filesystem::path>& b) {
  if (!a || !b) return !a && !b;
#ifdef _WIN32
  const auto key = [](const std::filesystem::path& p) {
    std::wstring text = p.lexically_normal().make_preferred().wstring();
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    while (!text.empty() && text.back() == L'\\') text.pop_back();
    return text;
  };
  return key(*a) == key(*b);
#else
  return *a == *b;
#endif
}

// `relative` ("a/b/c") below `folder`, with the platform's separators, as the programs
// print local paths.
inline std::string below(const std::filesystem::path& folder, const std::string& relative) {
  return (folder / std::filesystem::path(relative).make_preferred()).string();
}

// Calls `poll` until `done` holds, for at most `limit`; whether it came to hold.
template <class Done, class Poll>
bool pollUntil(Done done, Poll poll, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    poll();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace tarnwick::testing
