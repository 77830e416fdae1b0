#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/win32_text.h"
#include "verify/resolver.h"

namespace tarnwick {
namespace {

Resolver::Status statusOf(int error) {
  return error == WSAHOST_NOT_FOUND || error == WSANO_DATA ? Resolver::Status::NoName
                                                           : Resolver::Status::Failed;
}

}  // namespace

SystemResolver::SystemResolver() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

SystemResolver::~SystemResolver() {
  WSACleanup();
}

Resolver::Reverse SystemResolver::reverse(const IpAddress& address) {
  sockaddr_storage storage{};
  int length = 0;
  unsigned char bytes[16];
  address.bytes(bytes);
  if (address.v4()) {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    v4->sin_family = AF_INET;
    std::memcpy(&v4->sin_addr, bytes + 12, 4);
    length = sizeof(sockaddr_in);
  } else {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    v6->sin6_family = AF_INET6;
    std::memcpy(&v6->sin6_addr, bytes, 16);
    length = sizeof(sockaddr_in6);
  }
  wchar_t name[NI_MAXHOST];
  Reverse result;
  const int error = GetNameInfoW(reinterpret_cast<sockaddr*>(&storage), length, name, NI_MAXHOST,
                                 nullptr, 0, NI_NAMEREQD);
  if (error != 0) {
    result.status = statusOf(WSAGetLastError());
    return result;
  }
  result.status = Status::Found;
  result.name = narrow(name);
  return result;
}

Resolver::Forward SystemResolver::forward(const std::string& name) {
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOW* found = nullptr;
  Forward result;
  if (GetAddrInfoW(widen(name).c_str(), nullptr, &hints, &found) != 0) {
    result.status = statusOf(WSAGetLastError());
    return result;
  }
  result.status = Status::Found;
  for (const ADDRINFOW* at = found; at; at = at->ai_next) {
    unsigned char bytes[16] = {};
    if (at->ai_family == AF_INET) {
      bytes[10] = bytes[11] = 0xff;
      std::memcpy(bytes + 12, &reinterpret_cast<const sockaddr_in*>(at->ai_addr)->sin_addr, 4);
    } else if (at->ai_family == AF_INET6) {
      std::memcpy(bytes, &reinterpret_cast<const sockaddr_in6*>(at->ai_addr)->sin6_addr, 16);
    } else {
      continue;
    }
    result.addresses.push_back(IpAddress::fromBytes(bytes));
  }
  FreeAddrInfoW(found);
  return result;
}

}  // namespace tarnwick
