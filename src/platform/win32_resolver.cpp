#include "platform/socket_address.h"
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
  sockaddr_storage storage;
  const int length = toSockaddr(address, storage);
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
    if (const auto address = fromSockaddr(at->ai_addr)) result.addresses.push_back(*address);
  }
  FreeAddrInfoW(found);
  return result;
}

}  // namespace tarnwick
