#include <netdb.h>

#include "platform/socket_address.h"
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
  sockaddr_storage storage;
  const auto length = static_cast<socklen_t>(toSockaddr(address, storage));
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
    if (const auto address = fromSockaddr(at->ai_addr)) result.addresses.push_back(*address);
  }
  freeaddrinfo(found);
  return result;
}

}  // namespace tarnwick
