#include "analysis/line_counter.h"

#include <algorithm>
#include <cstring>

#include "analysis/line_scanner.h"

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
  std::vector<char> buffer(overlap + blockSize_);
  std::size_t kept = 0;  // bytes repeated from the end of the last window
  for (;;) {
    const std::ptrdiff_t got = file->read(buffer.data() + kept, blockSize_);
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    const std::size_t size = kept + static_cast<std::size_t>(got);
    scanner.scan({buffer.data(), size}, kept);
    const std::size_t keep = std::min(overlap, size);
    std::memmove(buffer.data(), buffer.data() + size - keep, keep);
    kept = keep;
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
