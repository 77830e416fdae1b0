#pragma once

// Fakes of the platform services, for unit and window tests alike.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/file_dialog.h"
#include "app/message_dialog.h"
#include "platform/clock.h"
#include "platform/folder_listing.h"
#include "platform/http_client.h"
#include "platform/text_input.h"
#include "verify/resolver.h"

namespace tarnwick::testing {

// A fixed moment in a fixed time zone, `utcOffset` ahead of UTC.
class FixedInstantClock final : public Clock {
 public:
  FixedInstantClock(std::chrono::sys_seconds utc, std::chrono::minutes utcOffset)
      : utc_(utc), offset_(utcOffset) {}
  Date today(LogClock clock) const override {
    return dateOf(
        std::chrono::floor<std::chrono::days>(clock == LogClock::Utc ? utc_ : utc_ + offset_));
  }
  int utcOffsetMinutes(Date) const override { return static_cast<int>(offset_.count()); }
  std::string zoneName() const override { return "Test Time"; }

 private:
  std::chrono::sys_seconds utc_;
  std::chrono::minutes offset_;
};

// A gate that holds readers until the test opens it.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_; });
  }
  // Waits until `count` readers wait at the gate.
  void awaitWaiting(int count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return waiting_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  int waiting_ = 0;
};

// Serves files from memory. A file can fail after some bytes, or hold its reader at a
// gate before a given offset, which makes files finish in whatever order a test wants.
class FakeInput : public TextInput {
 public:
  struct File {
    File(std::string text = {}, std::ptrdiff_t fail = -1, std::shared_ptr<Gate> wait = {},
         std::uint64_t waitAt = 0, OpenedFile::Status refusal = OpenedFile::Status::Ok)
        : content(std::move(text)),
          failAfter(fail),
          gate(std::move(wait)),
          gateAt(waitAt),
          refuse(refusal) {}

    std::string content;
    std::ptrdiff_t failAfter;    // reads fail from this offset on, where not -1
    std::shared_ptr<Gate> gate;  // where set, a read at or past `gateAt` waits here
    std::uint64_t gateAt;
    OpenedFile::Status refuse;  // where not Ok, opening fails so
  };
  std::map<std::filesystem::path, File> files;

  OpenedFile open(const std::filesystem::path& path) const override {
    OpenedFile result;
    const auto found = files.find(path);
    if (found == files.end()) {
      result.reason = "no such file";
      return result;
    }
    if (found->second.refuse != OpenedFile::Status::Ok) {
      result.status = found->second.refuse;
      result.reason = "refused by the test";
      return result;
    }
    opened.fetch_add(1);
    result.status = OpenedFile::Status::Ok;
    result.file = std::make_unique<Reader>(found->second);
    return result;
  }
  bool isFile(const std::filesystem::path& path) const override { return files.count(path) > 0; }

  mutable std::atomic<int> opened{0};

 private:
  // Holds its own copy of the file: a read the test left blocked may return after the
  // test, and its job, are gone.
  struct Reader : InputFile {
    explicit Reader(File f) : file(std::move(f)) {}
    std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
      if (file.gate && offset + size > file.gateAt) file.gate->wait();
      if (file.failAfter >= 0 && static_cast<std::ptrdiff_t>(offset + size) > file.failAfter)
        return -1;
      if (offset >= file.content.size()) return 0;
      const std::size_t n = std::min<std::size_t>(size, file.content.size() - offset);
      std::memcpy(buffer, file.content.data() + offset, n);
      return static_cast<std::ptrdiff_t>(n);
    }
    std::uint64_t size() const override { return file.content.size(); }
    const File file;
  };
};

// Lists what the test says, in the order it says, and counts how often it was asked.
class FakeFolders : public FolderListing {
 public:
  std::map<std::filesystem::path, FolderContents> folders;
  mutable int listed = 0;

  FolderContents list(const std::filesystem::path& folder) const override {
    ++listed;
    const auto found = folders.find(folder);
    if (found == folders.end()) return {FolderContents::Status::NotFound, {}, "no such folder"};
    return found->second;
  }
  bool isFolder(const std::filesystem::path& path) const override {
    return folders.count(path) > 0;
  }
};

// Records every message and answers with the answer set.
class FakeMessageDialog : public MessageDialog {
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
  std::string saveAs;     // what askSaveName() answers
  std::string saveTitle;  // what it was asked under

  void showOpen(std::string_view f, std::string_view folder) override {
    filter = f;
    initialFolder = folder;
    ++opened;
    if (!choice.empty()) name_ = choice;
  }
  std::string fileName() const override { return name_; }
  std::string askSaveName(std::string_view title, std::string_view, std::string_view) override {
    saveTitle = title;
    return saveAs;
  }

 private:
  std::string name_;
};

// A resolver that answers from tables: names by address, addresses by name. Unknown
// entries fail; `delay` slows every answer; while `gate` is set, each call waits at it.
// The gate is shared: lookups given up on still wait at it after the test has moved on.
class FakeResolver final : public Resolver {
 public:
  std::map<std::string, Reverse> names;                       // by address text
  std::map<std::string, std::vector<std::string>> addresses;  // by name
  std::chrono::milliseconds delay{0};
  std::shared_ptr<Gate> gate;
  std::atomic<int> calls{0};

  Reverse reverse(const IpAddress& address) override {
    wait();
    const auto found = names.find(address.text());
    return found == names.end() ? Reverse{Status::NoName, {}} : found->second;
  }
  Forward forward(const std::string& name) override {
    wait();
    const auto found = addresses.find(name);
    if (found == addresses.end()) return {Status::NoName, {}};
    Forward forward{Status::Found, {}};
    for (const std::string& text : found->second)
      forward.addresses.push_back(*parseIpAddress(text));
    return forward;
  }

 private:
  void wait() {
    ++calls;
    if (gate) gate->wait();
    if (delay.count()) std::this_thread::sleep_for(delay);
  }
};

// Downloads from a table of bodies by the URL's last path component; others are 404.
class FakeHttpClient final : public HttpClient {
 public:
  std::map<std::string, std::string> bodies;

  HttpResponse get(const std::string& url, const HttpLimits&) override {
    const auto found = bodies.find(url.substr(url.rfind('/') + 1));
    if (found == bodies.end()) return {HttpResponse::Status::NotFound, {}, "HTTP status 404"};
    return {HttpResponse::Status::Ok, found->second, {}};
  }
};

}  // namespace tarnwick::testing
