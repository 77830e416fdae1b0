#include "verify/ip_address.h"

#include <array>
#include <charconv>

namespace tarnwick {
namespace {

constexpr std::uint64_t kMappedV4 = 0xffffull << 32;

std::optional<std::uint32_t> parseV4(std::string_view text) {
  std::uint32_t value = 0;
  int parts = 0;
  std::size_t at = 0;
  while (parts < 4) {
    std::size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    const std::size_t digits = end - at;
    if (digits == 0 || digits > 3 || (digits > 1 && text[at] == '0')) return std::nullopt;
    unsigned part = 0;
    std::from_chars(text.data() + at, text.data() + end, part);
    if (part > 255) return std::nullopt;
    value = value << 8 | part;
    ++parts;
    if (parts < 4) {
      if (end >= text.size() || text[end] != '.') return std::nullopt;
      at = end + 1;
    } else if (end != text.size()) {
      return std::nullopt;
    }
  }
  return value;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The groups of one side of "::": up to `room` 16-bit groups, the last two of which may
// be written as an IPv4 address where `tailAllowed`.
std::optional<int> parseGroups(std::string_view text, std::array<std::uint16_t, 8>& groups,
                               int room, bool tailAllowed) {
  if (text.empty()) return 0;
  int count = 0;
  std::size_t at = 0;
  while (true) {
    const std::size_t colon = text.find(':', at);
    const std::string_view group =
        text.substr(at, colon == std::string_view::npos ? text.npos : colon - at);
    if (colon == std::string_view::npos && tailAllowed &&
        group.find('.') != std::string_view::npos) {
      const auto v4 = parseV4(group);
      if (!v4 || count + 2 > room) return std::nullopt;
      groups[count++] = static_cast<std::uint16_t>(*v4 >> 16);
      groups[count++] = static_cast<std::uint16_t>(*v4 & 0xffff);
      return count;
    }
    if (group.empty() || group.size() > 4 || count >= room) return std::nullopt;
    unsigned value = 0;
    for (const char c : group) {
      const int digit = hexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value << 4 | static_cast<unsigned>(digit);
    }
    groups[count++] = static_cast<std::uint16_t>(value);
    if (colon == std::string_view::npos) return count;
    at = colon + 1;
  }
}

std::optional<IpAddress> parseV6(std::string_view text) {
  std::array<std::uint16_t, 8> head{}, tail{};
  const std::size_t gap = text.find("::");
  int headCount = 0, tailCount = 0;
  if (gap == std::string_view::npos) {
    const auto count = parseGroups(text, head, 8, true);
    if (!count || *count != 8) return std::nullopt;
    headCount = 8;
  } else {
    if (text.find("::", gap + 1) != std::string_view::npos) return std::nullopt;
    const auto before = parseGroups(text.substr(0, gap), head, 7, false);
    if (!before) return std::nullopt;
    const auto after = parseGroups(text.substr(gap + 2), tail, 7 - *before, true);
    if (!after) return std::nullopt;
    headCount = *before;
    tailCount = *after;
  }
  std::array<std::uint16_t, 8> all{};
  for (int i = 0; i < headCount; ++i) all[i] = head[i];
  for (int i = 0; i < tailCount; ++i) all[8 - tailCount + i] = tail[i];
  IpAddress address;
  for (int i = 0; i < 4; ++i) address.high = address.high << 16 | all[i];
  for (int i = 4; i < 8; ++i) address.low = address.low << 16 | all[i];
  return address;
}

}  // namespace

std::optional<IpAddress> parseIpAddress(std::string_view text) {
  if (text.find(':') != std::string_view::npos) return parseV6(text);
  const auto v4 = parseV4(text);
  if (!v4) return std::nullopt;
  return IpAddress{0, kMappedV4 | *v4};
}

std::optional<IpPrefix> parseIpPrefix(std::string_view text) {
  const std::size_t slash = text.find('/');
  const auto address = parseIpAddress(text.substr(0, slash));
  if (!address) return std::nullopt;
  const bool v4 = text.substr(0, slash).find(':') == std::string_view::npos;
  unsigned length = v4 ? 32 : 128;
  if (slash != std::string_view::npos) {
    const std::string_view digits = text.substr(slash + 1);
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0'))
      return std::nullopt;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (error != std::errc() || end != digits.data() + digits.size() || length > (v4 ? 32u : 128u))
      return std::nullopt;
  }
  const unsigned bits = v4 ? 96 + length : length;  // fixed bits of the 128
  // Masks of the free bits in each half.
  const std::uint64_t highFree = bits >= 64 ? 0 : (bits == 0 ? ~0ull : ~0ull >> bits);
  const std::uint64_t lowFree = bits <= 64 ? ~0ull : (bits == 128 ? 0 : ~0ull >> (bits - 64));
  IpPrefix prefix;
  prefix.first = {address->high & ~highFree, address->low & ~lowFree};
  prefix.last = {address->high | highFree, address->low | lowFree};
  return prefix;
}

void IpAddress::bytes(unsigned char out[16]) const {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(high >> (56 - 8 * i));
  for (int i = 0; i < 8; ++i) out[8 + i] = static_cast<unsigned char>(low >> (56 - 8 * i));
}

IpAddress IpAddress::fromBytes(const unsigned char in[16]) {
  IpAddress address;
  for (int i = 0; i < 8; ++i) address.high = address.high << 8 | in[i];
  for (int i = 0; i < 8; ++i) address.low = address.low << 8 | in[8 + i];
  return address;
}

std::string IpAddress::text() const {
  if (v4()) {
    const auto v = static_cast<std::uint32_t>(low);
    return std::to_string(v >> 24) + '.' + std::to_string(v >> 16 & 255) + '.' +
           std::to_string(v >> 8 & 255) + '.' + std::to_string(v & 255);
  }
  std::array<unsigned, 8> groups{};
  for (int i = 0; i < 4; ++i) groups[i] = static_cast<unsigned>(high >> (48 - 16 * i)) & 0xffff;
  for (int i = 0; i < 4; ++i) groups[4 + i] = static_cast<unsigned>(low >> (48 - 16 * i)) & 0xffff;
  // The longest run of two or more zero groups, the first of equals, becomes "::".
  int bestStart = -1, bestLength = 1;
  for (int i = 0; i < 8;) {
    int j = i;
    while (j < 8 && groups[j] == 0) ++j;
    if (j - i > bestLength) {
      bestStart = i;
      bestLength = j - i;
    }
    i = j == i ? i + 1 : j;
  }
  std::string out;
  char hex[8];
  for (int i = 0; i < 8; ++i) {
    if (i == bestStart) {
      out += "::";
      i += bestLength - 1;
      continue;
    }
    if (!out.empty() && out.back() != ':') out += ':';
    const auto [end, error] = std::to_chars(hex, hex + sizeof hex, groups[i], 16);
    (void)error;
    out.append(hex, end);
  }
  return out;
}

}  // namespace tarnwick
