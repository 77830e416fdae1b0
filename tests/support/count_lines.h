#pragma once

// Counting a whole file on the test's thread, for checking what the job counts.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/part_counter.h"

namespace tarnwick::testing {

// Lines of the local file at `path` that hold each of `tokens`, read start to end;
// nothing where the file cannot be opened or read.
inline std::optional<std::vector<std::uint64_t>> countFileLines(
    const TextInput& input, const std::filesystem::path& path, std::vector<std::string> tokens,
    std::size_t blockSize = PartCounter::kDefaultBlockSize) {
  OpenedFile opened = input.open(path);
  if (!opened.ok()) return std::nullopt;
  PartCounter counter(std::move(tokens), blockSize);
  PartCounter::Result result = counter.count(*opened.file, {});
  if (result.status != PartCounter::Result::Status::Counted) return std::nullopt;
  return std::move(result.counts);
}

// Lines of the log at `path` that hold `key`; 0 where it cannot be opened or read.
inline std::uint64_t countLinesHolding(const TextInput& input, const std::filesystem::path& path,
                                       std::string_view key) {
  const auto counts = countFileLines(input, path, {std::string(key)});
  return counts ? counts->front() : 0;
}

}  // namespace tarnwick::testing
