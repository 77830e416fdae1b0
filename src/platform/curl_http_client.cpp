#include <curl/curl.h>

#include "platform/http_client.h"

namespace tarnwick {
namespace {

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
  CURL* curl = curl_easy_init();
  if (!curl) {
    response.reason = "cannot start libcurl";
    return response;
  }
  Download download;
  download.maxBytes = limits.maxBytes;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(limits.timeout.count()));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "tarnwick-report");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, take);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
  const CURLcode result = curl_easy_perform(curl);
  long code = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
  curl_easy_cleanup(curl);
  if (download.tooLarge) {
    response.status = HttpResponse::Status::TooLarge;
    response.reason = "larger than " + std::to_string(limits.maxBytes >> 20) + " MB";
  } else if (result != CURLE_OK) {
    response.reason = curl_easy_strerror(result);
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
