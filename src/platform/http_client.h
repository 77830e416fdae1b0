#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace tarnwick {

// What an HTTP GET gave.
struct HttpResponse {
  enum class Status {
    Ok,        // a complete 200 response
    NotFound,  // another HTTP status
    TooLarge,  // past the size limit
    Failed,    // no connection, a broken or slow transfer
  };

  Status status = Status::Failed;
  std::string body;    // where Ok
  std::string reason;  // what went wrong, in a few English words

  bool ok() const { return status == Status::Ok; }
};

struct HttpLimits {
  std::uint64_t maxBytes = 64u << 20;
  std::chrono::seconds timeout{60};  // for the whole transfer
};

// Downloads over HTTP and HTTPS.
class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // The body at `url`, whole: a transfer cut short is a failure, never a short body.
  virtual HttpResponse get(const std::string& url, const HttpLimits& limits) = 0;
};

// libcurl on Linux, WinHTTP on Windows.
class SystemHttpClient final : public HttpClient {
 public:
  HttpResponse get(const std::string& url, const HttpLimits& limits) override;
};

}  // namespace tarnwick
