#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/detail_reader.h"
#include "analysis/job.h"
#include "analysis/w3c_fields.h"
#include "platform/text_input.h"

namespace tarnwick {

// A big file counted in parts by several threads; the last part to finish completes it.
// `index`, `file` and `firstLayout` are set before the parts begin; the rest is guarded
// by `mutex`, which met() and inForceAt() take themselves.
struct SharedFile final : DirectiveBoard {
  std::size_t index = 0;  // in the job's plan
  std::shared_ptr<InputFile> file;
  FileResult result;  // the parts' counts summed
  std::size_t partsLeft = 0;
  std::mutex mutex;

  // Details, where asked for. A part starts reading in the layout of the last directive
  // met before it, or else the file's first, the layout in force almost everywhere;
  // parts are merged in order, and a part that began under another directive has the
  // lines before its own first directive read again.
  std::optional<FieldLayout> firstLayout;
  std::vector<CrawlerDetail> detail;  // of the parts merged so far

  void met(std::uint64_t at, const FieldLayout& layout) override;
  std::optional<FieldLayout> inForceAt(std::uint64_t at) override;
  // Takes a part's details, read from `begin` up to `end` (none for the last part), and
  // merges every part that is now next in order. Under `mutex`.
  void addPart(std::uint64_t begin, DetailReader::Found found, std::optional<std::uint64_t> end,
               const std::vector<std::string>& tokens);

 private:
  struct ReadPart {
    DetailReader::Found found;
    std::optional<std::uint64_t> end;  // where the next part begins; none for the last
  };

  std::map<std::uint64_t, FieldLayout> directives_;  // met so far, by where they are
  std::map<std::uint64_t, ReadPart> read_;      // by where they begin, waiting for those before
  std::optional<std::uint64_t> nextMerge_ = 0;  // where the next part to merge begins
  std::optional<FieldLayout> inForce_;          // at the start of that part
};

// The layout of the first "#Fields:" directive in the first 64 KiB of `file`.
std::optional<FieldLayout> firstLayoutOf(InputFile& file);

}  // namespace tarnwick
