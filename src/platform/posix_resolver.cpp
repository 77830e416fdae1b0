#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

#include "verify/resolver.h"

namespace tarnwick {
namespace {

Resolver::Status statusOf(int error) {
  return error == EAI_NONAME || error == EAI_NODATA ? Resolver::Status::NoName
                                                    : Resolver::Status::Failed;
}

}  // namespace

SystemResolver::SystemResolver() = default;
SystemResolver::~SystemResolver() = default;

Resolver::Reverse SystemResolver::reverse(const IpAddress& address) {
  sockaddr_storage storage{};
  socklen_t length = 0;
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
  char name[NI_MAXHOST];
  Reverse result;
  const int error = getnameinfo(reinterpret_cast<sockaddr*>(&storage), length, name, sizeof name,
                                nullptr, 0, NI_NAMEREQD);
  if (error != 0) {
    result.status = statusOf(error);
    return result;
  }
  result.status = Status::Found;
  result.name = name;
  return result;
}

Resolver::Forward SystemResolver::forward(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  Forward result;
  const int error = getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (error != 0) {
    result.status = statusOf(error);
    return result;
  }
  result.status = Status::Found;
  for (const addrinfo* at = found; at; at = at->ai_next) {
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
  freeaddrinfo(found);
  return result;
}

}  // namespace tarnwick
