#include <curl/curl.h>
#include <dlfcn.h>

#include <optional>
#include <type_traits>

#include "platform/http_client.h"

namespace tarnwick {
namespace {

// libcurl is opened when a download is asked for, not linked: the libraries it brings
// (TLS, Kerberos, LDAP, …) would cost every run of the report some 15 ms before it starts,
// as long as counting a log of a few megabytes takes.
struct Curl {
  CURL* (*easyInit)();
  CURLcode (*easySetopt)(CURL*, CURLoption, ...);
  CURLcode (*easyPerform)(CURL*);
  CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
  void (*easyCleanup)(CURL*);
  const char* (*easyStrerror)(CURLcode);
};

// The library, under the names Debian's libcurl4 and libcurl3-gnutls give it; nothing,
// with `why`, where neither is installed. It stays loaded: libcurl and its TLS library
// are not made to be unloaded.
std::optional<Curl> openCurl(std::string& why) {
  void* library = nullptr;
  for (const char* name : {"libcurl.so.4", "libcurl-gnutls.so.4"})
    if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
  if (!library) {
    why = std::string("libcurl is not installed (") + dlerror() + ")";
    return std::nullopt;
  }
  Curl curl;
  bool found = true;
  const auto take = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
    found = found && function;
  };
  take(curl.easyInit, "curl_easy_init");
  take(curl.easySetopt, "curl_easy_setopt");
  take(curl.easyPerform, "curl_easy_perform");
  take(curl.easyGetinfo, "curl_easy_getinfo");
  take(curl.easyCleanup, "curl_easy_cleanup");
  take(curl.easyStrerror, "curl_easy_strerror");
  if (!found) {
    why = "the libcurl installed lacks curl_easy_*";
    return std::nullopt;
  }
  return curl;
}

struct Download {
  std::string body;
  std::uint64_t maxBytes = 0;
  bool tooLarge = false;
};

std::size_t take(char* data, std::size_t size, std::size_t count, void* user) {
  auto* download = static_cast<Download*>(user);
  const std::size_t bytes = size * count;
  if (download->body.size() + bytes > download->maxBytes) {
    download->tooLarge = true;
    return 0;  // stops the transfer
  }
  download->body.append(data, bytes);
  return bytes;
}

}  // namespace

HttpResponse SystemHttpClient::get(const std::string& url, const HttpLimits& limits) {
  HttpResponse response;
  const std::optional<Curl> library = openCurl(response.reason);
  if (!library) return response;
  CURL* curl = library->easyInit();
  if (!curl) {
    response.reason = "cannot start libcurl";
    return response;
  }
  Download download;
  download.maxBytes = limits.maxBytes;
  library->easySetopt(curl, CURLOPT_URL, url.c_str());
  library->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  library->easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  library->easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  library->easySetopt(curl, CURLOPT_MAXREDIRS, 5L);
  library->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
  library->easySetopt(curl, CURLOPT_TIMEOUT, static_cast<long>(limits.timeout.count()));
  library->easySetopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
  library->easySetopt(curl, CURLOPT_USERAGENT, "tarnwick-report");
  library->easySetopt(curl, CURLOPT_WRITEFUNCTION, take);
  library->easySetopt(curl, CURLOPT_WRITEDATA, &download);
  const CURLcode result = library->easyPerform(curl);
  long code = 0;
  library->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &code);
  library->easyCleanup(curl);
  if (download.tooLarge) {
    response.status = HttpResponse::Status::TooLarge;
    response.reason = "larger than " + std::to_string(limits.maxBytes >> 20) + " MB";
  } else if (result != CURLE_OK) {
    response.reason = library->easyStrerror(result);
  } else if (code != 200) {
    response.status = HttpResponse::Status::NotFound;
    response.reason = "HTTP status " + std::to_string(code);
  } else {
    response.status = HttpResponse::Status::Ok;
    response.body = std::move(download.body);
  }
  return response;
}

}  // namespace tarnwick
