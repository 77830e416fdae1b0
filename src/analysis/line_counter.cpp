#include "analysis/line_counter.h"

#include <algorithm>
#include <cstring>

#include "analysis/line_scanner.h"
#include "analysis/read_ahead.h"

namespace tarnwick {

LineCounter::LineCounter(const TextInput& input, const PathResolver& paths, std::size_t blockSize)
    : input_(input), paths_(paths), blockSize_(std::max<std::size_t>(blockSize, 1)) {}

std::optional<std::vector<std::uint64_t>> LineCounter::countLines(
    std::string_view path, std::vector<std::string> tokens) const {
  const auto local = paths_.resolve(path);
  if (!local) return std::nullopt;
  const auto file = input_.open(*local);
  if (!file) return std::nullopt;

  LineScanner scanner(std::move(tokens));
  const std::size_t overlap = scanner.overlap();
  std::vector<char> carry;  // the end of the last window, repeated at the start of the next
  // Scans a block read into `data`, which has room for the carry just before it.
  auto scanBlock = [&](char* data, std::size_t size) {
    char* window = data - carry.size();
    if (!carry.empty()) std::memcpy(window, carry.data(), carry.size());
    const std::size_t length = carry.size() + size;
    scanner.scan({window, length}, carry.size());
    const std::size_t keep = std::min(overlap, length);
    carry.assign(window + length - keep, window + length);
  };

  // The first block is read here; only a file larger than one block is read ahead on
  // a second thread, so that many small files cost no thread each.
  std::vector<char> first(overlap + blockSize_);
  std::ptrdiff_t got = file->read(first.data() + overlap, blockSize_);
  if (got < 0) return std::nullopt;
  if (got > 0) scanBlock(first.data() + overlap, static_cast<std::size_t>(got));
  if (static_cast<std::size_t>(got) == blockSize_) {
    ReadAhead ahead(*file, blockSize_, overlap);
    for (ReadAhead::Block block = ahead.next(); block.size != 0; block = ahead.next()) {
      if (block.size < 0) return std::nullopt;
      scanBlock(block.data, static_cast<std::size_t>(block.size));
    }
  } else {
    while (got > 0) {
      got = file->read(first.data() + overlap, blockSize_);
      if (got < 0) return std::nullopt;
      if (got > 0) scanBlock(first.data() + overlap, static_cast<std::size_t>(got));
    }
  }
  return scanner.counts();
}

std::uint64_t LineCounter::searchtxt(std::string_view path, std::string_view key) const {
  const auto counts = countLines(path, {std::string(key)});
  return counts ? counts->front() : 0;
}

CrawlerCounts LineCounter::countCrawlers(std::string_view path) const {
  std::vector<std::string> tokens;
  for (const Crawler& crawler : kCrawlers) tokens.emplace_back(crawler.token);
  CrawlerCounts result{};
  if (const auto counts = countLines(path, std::move(tokens)))
    std::copy(counts->begin(), counts->end(), result.begin());
  return result;
}

bool LineCounter::exists(std::string_view path) const {
  const auto local = paths_.resolve(path);
  return local && input_.isFile(*local);
}

}  // namespace tarnwick
