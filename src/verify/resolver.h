#pragma once

#include <string>
#include <vector>

#include "verify/ip_address.h"

namespace tarnwick {

// The system's name resolver. Called from many threads at once; each call may take long.
class Resolver {
 public:
  enum class Status {
    Found,   // it answered
    NoName,  // it answered that there is no such name
    Failed,  // it could not answer
  };
  struct Reverse {
    Status status = Status::Failed;
    std::string name;
  };
  struct Forward {
    Status status = Status::Failed;
    std::vector<IpAddress> addresses;
  };

  virtual ~Resolver() = default;
  // The name of `address` (its PTR record).
  virtual Reverse reverse(const IpAddress& address) = 0;
  // The addresses `name` resolves to, IPv4 ones as IPv4-mapped.
  virtual Forward forward(const std::string& name) = 0;
};

// getnameinfo and getaddrinfo, or their wide forms on Windows.
class SystemResolver final : public Resolver {
 public:
  SystemResolver();
  ~SystemResolver() override;
  Reverse reverse(const IpAddress& address) override;
  Forward forward(const std::string& name) override;
};

}  // namespace tarnwick
