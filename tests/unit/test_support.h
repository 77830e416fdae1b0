#pragma once

// Temporary folders and files, and fakes of the platform services, for tests.

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace tarnwick::testing {

// A folder of its own for one test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? info->name() : "test";
    for (char& c : name) c = (c == '/') ? '_' : c;  // parameterised names hold slashes
    path_ =
        std::filesystem::temp_directory_path() /
        ("tarnwick-" + name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
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
    const auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

 private:
  std::filesystem::path path_;
};

// Reads a file of tests/data.
inline std::string testData(const std::string& name) {
  std::ifstream in(std::filesystem::path(TARNWICK_TEST_DATA) / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records every message and answers with the answer set.
class FakeMessageBox : public MessageBox {
 public:
  struct Shown {
    std::string text;
    Buttons buttons;
    std::string title;
  };
  Answer answer = Answer::Ok;
  std::vector<Shown> shown;

  Answer show(std::string_view text, Buttons buttons, std::string_view title) override {
    shown.push_back({std::string(text), buttons, std::string(title)});
    return buttons == Buttons::Ok ? Answer::Ok : answer;
  }
};

// Returns the path set as the user's choice, keeping it across uses as a real dialog does.
class FakeFileDialog : public FileDialog {
 public:
  std::string choice;  // what the next showOpen() chooses; empty keeps the last name
  std::string filter, initialFolder;
  int opened = 0;

  void showOpen(std::string_view f, std::string_view folder) override {
    filter = f;
    initialFolder = folder;
    ++opened;
    if (!choice.empty()) name_ = choice;
  }
  std::string fileName() const override { return name_; }

 private:
  std::string name_;
};

}  // namespace tarnwick::testing
