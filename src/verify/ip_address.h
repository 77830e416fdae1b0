#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// An IPv4 or IPv6 address as one 128-bit number; an IPv4 address is held as its
// IPv4-mapped IPv6 form (::ffff:a.b.c.d), so both kinds share one number line.
struct IpAddress {
  std::uint64_t high = 0;
  std::uint64_t low = 0;

  // Whether it is an IPv4 address (written either way).
  bool v4() const { return high == 0 && (low >> 32) == 0xffff; }
  // The address as written conventionally: dotted for IPv4, RFC 5952 for IPv6.
  std::string text() const;
  // The 16 bytes in network order.
  void bytes(unsigned char out[16]) const;
  static IpAddress fromBytes(const unsigned char in[16]);

  friend auto operator<=>(const IpAddress&, const IpAddress&) = default;
};

// `text` as an address: dotted IPv4 ("66.249.66.1"), or IPv6 with "::" and an embedded
// IPv4 tail ("2001:db8::1", "::ffff:66.249.66.1"). Nothing else: no zone, no port, no
// leading zeros in IPv4 parts (their meaning differs between systems).
std::optional<IpAddress> parseIpAddress(std::string_view text);

// A network: an address and how many of its leading bits are fixed.
struct IpPrefix {
  IpAddress first;  // the lowest address
  IpAddress last;   // the highest
};

// "66.249.64.0/27" or "2001:4860:4801:10::/64"; a bare address is its own /32 or /128.
// Bits past the length are ignored, as routers do.
std::optional<IpPrefix> parseIpPrefix(std::string_view text);

}  // namespace tarnwick
