#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick {

// What writing a file gave.
struct WriteResult {
  enum class Status {
    Ok,
    CannotCreate,   // its temporary file could not be created beside it
    WriteFailed,    // a write or the final flush failed: a full disk, a lost share
    CannotReplace,  // the finished file could not take the place of the old one
  };

  Status status = Status::Ok;
  std::string reason;  // the system's words

  bool ok() const { return status == Status::Ok; }
  // What went wrong, in one English line.
  std::string description() const;
};

// A file the user chose, written whole or not at all: the text goes into a temporary
// file beside it, which takes the chosen name only once complete. Until then, and after
// any failure, the chosen file stays as it was. Only files the user names are written.
class WholeFileWriter {
 public:
  explicit WholeFileWriter(std::filesystem::path path);
  // Removes the temporary file where commit() did not give it the chosen name.
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  // Whether all went well so far.
  bool ok() const { return result_.ok(); }
  // Appends `text`; false once anything failed.
  bool write(std::string_view text);
  // Flushes the text and gives the file its name.
  WriteResult commit();

 private:
  std::filesystem::path path_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  WriteResult result_;
};

// Writes `content` to `path` with a WholeFileWriter.
WriteResult writeFileWhole(const std::filesystem::path& path, std::string_view content);

}  // namespace tarnwick
