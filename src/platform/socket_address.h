#pragma once

// An address as the socket functions take and give it, on either system.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstring>
#include <optional>

#include "verify/ip_address.h"

namespace tarnwick {

// `address` in `storage`, as sockaddr_in for IPv4 and sockaddr_in6 otherwise: its length.
inline int toSockaddr(const IpAddress& address, sockaddr_storage& storage) {
  storage = {};
  unsigned char bytes[16];
  address.bytes(bytes);
  if (address.v4()) {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    v4->sin_family = AF_INET;
    std::memcpy(&v4->sin_addr, bytes + 12, 4);
    return sizeof(sockaddr_in);
  }
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
  v6->sin6_family = AF_INET6;
  std::memcpy(&v6->sin6_addr, bytes, 16);
  return sizeof(sockaddr_in6);
}

// The address in `socket`; nothing for a family other than IPv4 and IPv6.
inline std::optional<IpAddress> fromSockaddr(const sockaddr* socket) {
  unsigned char bytes[16] = {};
  if (socket->sa_family == AF_INET) {
    bytes[10] = bytes[11] = 0xff;
    std::memcpy(bytes + 12, &reinterpret_cast<const sockaddr_in*>(socket)->sin_addr, 4);
  } else if (socket->sa_family == AF_INET6) {
    std::memcpy(bytes, &reinterpret_cast<const sockaddr_in6*>(socket)->sin6_addr, 16);
  } else {
    return std::nullopt;
  }
  return IpAddress::fromBytes(bytes);
}

}  // namespace tarnwick
