#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/detail_reader.h"
#include "analysis/line_scanner.h"
#include "platform/text_input.h"

namespace tarnwick {

// A part of a file, cut so that every line falls in exactly one part: a part other than
// the first starts just after the first line break at or after `begin`, and every part
// but the last runs on to the first line break at or after `end`, that break included.
// Only the first part begins at 0; each part's `end` is the next one's `begin`.
struct FilePart {
  std::uint64_t begin = 0;
  std::optional<std::uint64_t> end;  // nothing: to the end of the file
};

// The end of a part being read, which another thread may bring nearer to take the rest
// of the part over. The reader says how far it is about to read before each read, and
// a cut never falls before that: the part read is always the part as last cut.
class PartReach {
 public:
  explicit PartReach(const FilePart& part) : end_(part.end), reached_(part.begin) {}

  // The part's end, for a read of the bytes before `upTo`.
  std::optional<std::uint64_t> reading(std::uint64_t upTo);
  // The reader has ended: the part is not cut any more.
  void done();
  // The part's end: final once the reader is done.
  std::optional<std::uint64_t> end();
  // How many bytes of the part are not yet read, in a file of `size` bytes.
  std::uint64_t left(std::uint64_t size);
  // Cuts the part in the middle of what is left where that leaves at least `least` bytes
  // on each side, runs `cutting` while no reader can end the part, and gives the part
  // after the cut; nothing where too little is left.
  template <class Cutting>
  std::optional<FilePart> cutHalf(std::uint64_t least, std::uint64_t size, Cutting&& cutting) {
    std::lock_guard lock(mutex_);
    const std::uint64_t end = end_.value_or(size);
    if (end < reached_ || end - reached_ < 2 * least) return std::nullopt;
    const FilePart rest{reached_ + (end - reached_) / 2, end_};
    end_ = rest.begin;
    cutting();
    return rest;
  }

 private:
  std::mutex mutex_;
  std::optional<std::uint64_t> end_;
  std::uint64_t reached_;
};

// Counts, for each token, the lines of a file or of a part of it that hold the token.
// Keeps one buffer for all the files it counts.
class PartCounter {
 public:
  static constexpr std::size_t kDefaultBlockSize = 128 * 1024;

  struct Result {
    // Restarted: the detail's start took another layout than the one its lines were read
    // in (DetailReader::startChanged()); the part is to be counted again.
    enum class Status { Counted, ReadFailed, Stopped, Restarted };
    Status status = Status::Counted;
    std::vector<std::uint64_t> counts;  // one per token; all 0 unless Counted
  };

  PartCounter(std::vector<std::string> tokens, std::size_t blockSize = kDefaultBlockSize);

  // Counts `part` of `file`. Gives up between two reads once `stop` is set. Adds the
  // bytes it reads to `bytesRead`, where given, and hands them to `detail` too. Where
  // `reach` is given, the part ends where it says, asked again before each read.
  Result count(InputFile& file, const FilePart& part, const std::atomic<bool>* stop = nullptr,
               std::atomic<std::uint64_t>* bytesRead = nullptr, DetailReader* detail = nullptr,
               PartReach* reach = nullptr);

 private:
  LineScanner scanner_;  // restarted for each part
  // The same, also finding what a DetailReader takes, for a count that hands lines to one.
  LineScanner detailScanner_;
  std::size_t blockSize_;
  std::unique_ptr<char[]> buffer_;  // the overlap, then one block; never zeroed
  std::vector<char> carry_;         // the end of the last window, repeated at the next
};

}  // namespace tarnwick
