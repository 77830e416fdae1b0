#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "platform/text_input.h"
#include "platform/windows_path.h"

namespace tarnwick {

// Reads log files and counts the lines that hold crawler tokens. A file that cannot
// be opened or read counts 0: a day without a log is a day without visits.
class LineCounter {
 public:
  static constexpr std::size_t kDefaultBlockSize = 256 * 1024;

  LineCounter(const TextInput& input, const PathResolver& paths,
              std::size_t blockSize = kDefaultBlockSize);

  // Lines of the log at `path` (a server path or a local one) that hold `key`.
  std::uint64_t searchtxt(std::string_view path, std::string_view key) const;

  // The lines holding each crawler's token, in one pass over the file: the same
  // numbers as one searchtxt() per crawler.
  CrawlerCounts countCrawlers(std::string_view path) const;

  // Lines holding each of `tokens`; nothing where the file cannot be opened or read.
  std::optional<std::vector<std::uint64_t>> countLines(std::string_view path,
                                                       std::vector<std::string> tokens) const;

  // Whether `path` names a readable regular file.
  bool exists(std::string_view path) const;

 private:
  const TextInput& input_;
  const PathResolver& paths_;
  std::size_t blockSize_;
};

}  // namespace tarnwick
