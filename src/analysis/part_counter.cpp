#include "analysis/part_counter.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {

namespace {

// Index of the first line break in `data`, or `size` where there is none.
std::size_t firstBreak(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    if (data[i] == '\r' || data[i] == '\n') return i;
  return size;
}

// The bytes of one read that the part counts: `size` bytes at `data`, which stand at `at`
// in the file; `last` once the part or the file ends in them.
struct Piece {
  char* data;
  std::size_t size;
  std::uint64_t at;
  bool last;
};

enum class Trimmed { Scan, ReadOn, Stop };

// Keeps of `piece` only the part's own lines: a part that starts inside a line leaves it
// to the part before, and one that ends inside a line reads it to its end. `started`
// tells whether the part's first line has been reached.
Trimmed trimToPart(Piece& piece, bool& started, const std::optional<std::uint64_t>& end) {
  if (!started) {
    const std::size_t skip = firstBreak(piece.data, piece.size);
    // The part before runs on through this part's bytes.
    if (end && piece.at + skip >= *end) return Trimmed::Stop;
    if (skip == piece.size) return piece.last ? Trimmed::Stop : Trimmed::ReadOn;
    piece.data += skip + 1;
    piece.size -= skip + 1;
    piece.at += skip + 1;
    started = true;
  }
  if (end && piece.at + piece.size > *end) {
    const std::size_t from = static_cast<std::size_t>(std::max(*end, piece.at) - piece.at);
    const std::size_t cut = from + firstBreak(piece.data + from, piece.size - from);
    if (cut < piece.size) {
      piece.size = cut + 1;
      piece.last = true;
    }
  }
  return Trimmed::Scan;
}

}  // namespace

std::optional<std::uint64_t> PartReach::reading(std::uint64_t upTo) {
  std::lock_guard lock(mutex_);
  reached_ = std::max(reached_, upTo);
  return end_;
}

void PartReach::done() {
  reading(UINT64_MAX);
}

std::optional<std::uint64_t> PartReach::end() {
  std::lock_guard lock(mutex_);
  return end_;
}

std::uint64_t PartReach::left(std::uint64_t size) {
  std::lock_guard lock(mutex_);
  const std::uint64_t end = end_.value_or(size);
  return end > reached_ ? end - reached_ : 0;
}

PartCounter::PartCounter(std::vector<std::string> tokens, std::size_t blockSize)
    : scanner_(tokens),
      detailScanner_(withFieldsDirective(std::move(tokens))),
      blockSize_(std::max<std::size_t>(blockSize, 1)),
      buffer_(new char[std::max(scanner_.overlap(), detailScanner_.overlap()) + blockSize_]) {
  carry_.reserve(std::max(scanner_.overlap(), detailScanner_.overlap()));
}

PartCounter::Result PartCounter::count(InputFile& file, const FilePart& part,
                                       const std::atomic<bool>* stop,
                                       std::atomic<std::uint64_t>* bytesRead, DetailReader* detail,
                                       PartReach* reach) {
  LineScanner& scanner = detail ? detailScanner_ : scanner_;
  scanner.restart();
  const std::size_t overlap = scanner.overlap();
  char* const block = buffer_.get() + overlap;
  carry_.clear();
  bool started = part.begin == 0;       // whether the part's first line has been reached
  std::optional<std::uint64_t> origin;  // where the scanned text starts in the file
  // Read up to the size the file reports, asked again once that is passed: a log the
  // server still writes grows, and what it adds is read; a file that produces more than
  // it says it holds (/proc) is not read past what it says.
  std::uint64_t limit = file.size();
  Result result;
  std::optional<std::uint64_t> end = part.end;
  std::uint64_t counted = 0;  // bytes added to bytesRead
  for (std::uint64_t offset = part.begin;;) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      result.status = Result::Status::Stopped;
      break;
    }
    if (reach) end = reach->reading(offset + blockSize_);
    const std::ptrdiff_t got = file.readAt(block, blockSize_, offset);
    if (got < 0) {
      result.status = Result::Status::ReadFailed;
      break;
    }
    if (got == 0) break;
    if (bytesRead) bytesRead->fetch_add(static_cast<std::uint64_t>(got), std::memory_order_relaxed);
    counted += static_cast<std::uint64_t>(got);
    Piece piece{block, static_cast<std::size_t>(got), offset, false};
    // A short read that reaches the size the file reports is its end: one read less per
    // small file.
    piece.last = piece.size < blockSize_ && piece.at + piece.size >= limit;
    if (piece.at + piece.size > limit) {
      limit = std::max(limit, file.currentSize());
      // Grown: read on until a read finds nothing more. Not grown: stop at its size.
      piece.last = piece.at + piece.size > limit;
      if (piece.last)
        piece.size = static_cast<std::size_t>(limit > piece.at ? limit - piece.at : 0);
    }
    offset += piece.size;
    const Trimmed trimmed = trimToPart(piece, started, end);
    if (trimmed == Trimmed::Stop) break;
    if (trimmed == Trimmed::ReadOn) continue;
    // The detail reads the lines this scan counts: one scan serves both.
    std::optional<DetailReader::CountedLines> lines;
    if (detail) {
      detail->hold({piece.data, piece.size}, piece.at);
      if (!origin) origin = piece.at;
      lines.emplace(*detail, *origin);
    }
    // The carry goes just before the new bytes: the buffer keeps room for it there.
    char* window = piece.data - carry_.size();
    if (!carry_.empty()) std::memcpy(window, carry_.data(), carry_.size());
    const std::size_t length = carry_.size() + piece.size;
    scanner.scan({window, length}, carry_.size(), lines ? &*lines : nullptr);
    if (detail) detail->scanned();
    if (detail && detail->startChanged()) {
      // Read again from the start: what was read so far is read once more, not twice.
      if (bytesRead) bytesRead->fetch_sub(counted, std::memory_order_relaxed);
      result.status = Result::Status::Restarted;
      break;
    }
    const std::size_t keep = std::min(overlap, length);
    carry_.assign(window + length - keep, window + length);
    if (piece.last) break;
  }
  if (reach && result.status != Result::Status::Restarted) reach->done();
  // The detail's scanner counts its directives' lines last: they are no token's.
  const std::size_t tokens = scanner_.counts().size();
  if (result.status == Result::Status::Counted)
    result.counts.assign(scanner.counts().begin(),
                         scanner.counts().begin() + static_cast<std::ptrdiff_t>(tokens));
  else
    result.counts.assign(tokens, 0);
  return result;
}

}  // namespace tarnwick
