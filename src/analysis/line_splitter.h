#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/line_scanner.h"

namespace tarnwick {

// Splits log lines where they lie, at single spaces, setting only the fields a reader
// wants. Every space of a line is counted, so that a line with a field too many or too
// few is told apart. Where the processor has AVX2 the line is looked at 64 bytes at a
// time; where it also has AVX-512 with VBMI2, each 64 bytes' spaces are noted at once.
class LineSplitter {
 public:
  explicit LineSplitter(LineScanner::Kernel kernel = LineScanner::Kernel::Best);

  // As splitLineAt(text, start, count, fields), sure to set only the fields whose bit is
  // set in `wanted` (field k's is 1 << k). The others are left as they were where the
  // line has at most 64 fields and the processor AVX2; otherwise the line is split whole.
  bool split(std::string_view text, std::size_t start, std::size_t count,
             std::vector<std::string_view>& fields, std::uint64_t wanted) const;

 private:
  bool vector_ = false;  // AVX2
  bool wide_ = false;    // AVX-512 with VBMI2
};

}  // namespace tarnwick
