#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/date.h"
#include "platform/text_input.h"
#include "verify/ip_address.h"

namespace tarnwick {

// A set of address prefixes, held as sorted disjoint spans: a lookup is one binary
// search, whatever the prefixes' lengths and however they overlap.
class AddressRanges {
 public:
  // Adds a prefix; call finish() once all are in.
  void add(const IpPrefix& prefix) { spans_.push_back(prefix); }
  // Adds the spans of `other`, and finishes again.
  void join(const AddressRanges& other) {
    spans_.insert(spans_.end(), other.spans_.begin(), other.spans_.end());
    finish();
  }
  // Sorts the spans and joins those that overlap or touch.
  void finish();
  // Whether `address` lies in one of the prefixes.
  bool contains(const IpAddress& address) const;
  // Disjoint spans held.
  std::size_t spans() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }

 private:
  std::vector<IpPrefix> spans_;
};

// A ranges file as a crawler's operator publishes it:
// {"creationTime": "…", "prefixes": [{"ipv4Prefix": "66.249.64.0/27"}, {"ipv6Prefix": "…"}]}.
struct RangesFile {
  enum class Status {
    Ok,
    Unreadable,  // missing, not a regular file, or a read failed
    TooLarge,    // past the size of any published file by far
    NotJson,     // not valid JSON
    BadPrefix,   // a prefix that is not an address and a length
    NoPrefixes,  // valid JSON that names no prefix
  };

  Status status = Status::Ok;
  std::string detail;           // where and what, for the description
  AddressRanges ranges;         // where Ok
  std::optional<Date> created;  // the day of its creationTime, where it has one
  std::size_t prefixes = 0;     // prefixes read

  bool ok() const { return status == Status::Ok; }
  // Why it is not used, in English: "not valid JSON at byte 17: expected a value".
  std::string description() const;
};

// The biggest ranges file read: the published ones are some tens of kB.
inline constexpr std::uint64_t kMaxRangesFileBytes = 64u << 20;

// Ranges from the text of a ranges file.
RangesFile parseRangesFile(std::string_view text);
// Ranges from the file at `path`.
RangesFile readRangesFile(const std::filesystem::path& path, const TextInput& input);

}  // namespace tarnwick
