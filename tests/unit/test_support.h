#pragma once

// Temporary folders and files, test data, and waiting, for GoogleTest tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
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

// The path of a file of tests/data.
inline std::string testDataPath(const std::string& name) {
  return (std::filesystem::path(TARNWICK_TEST_DATA) / name).string();
}

// Reads a file of tests/data.
inline std::string testData(const std::string& name) {
  std::ifstream in(std::filesystem::path(TARNWICK_TEST_DATA) / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// `line` `times` over.
inline std::string repeatLine(const std::string& line, int times) {
  std::string text;
  text.reserve(line.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) text += line;
  return text;
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
