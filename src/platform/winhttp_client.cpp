#include <windows.h>
#include <winhttp.h>

#include <vector>

#include "platform/http_client.h"
#include "platform/win32_text.h"

namespace tarnwick {
namespace {

// Closes a WinHTTP handle when it goes.
struct Handle {
  HINTERNET handle = nullptr;
  explicit Handle(HINTERNET h) : handle(h) {}
  ~Handle() {
    if (handle) WinHttpCloseHandle(handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  explicit operator bool() const { return handle != nullptr; }
};

HttpResponse failed(std::string_view what) {
  HttpResponse response;
  response.reason = std::string(what) + ": " + systemMessage(GetLastError());
  return response;
}

}  // namespace

HttpResponse SystemHttpClient::get(const std::string& url, const HttpLimits& limits) {
  const std::wstring wide = widen(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return failed("not a URL");
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
    HttpResponse response;
    response.reason = "not an http or https URL";
    return response;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  Handle session(WinHttpOpen(L"tarnwick-report", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return failed("cannot start WinHTTP");
  const int timeout = static_cast<int>(limits.timeout.count() * 1000);
  WinHttpSetTimeouts(session.handle, timeout, timeout, timeout, timeout);
  Handle connection(WinHttpConnect(session.handle, host.c_str(), parts.nPort, 0));
  if (!connection) return failed("cannot connect");
  Handle request(
      WinHttpOpenRequest(connection.handle, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                         WINHTTP_DEFAULT_ACCEPT_TYPES,
                         parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!request) return failed("cannot make the request");
  if (!WinHttpSendRequest(request.handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                          0, 0, 0) ||
      !WinHttpReceiveResponse(request.handle, nullptr))
    return failed("no answer");
  DWORD code = 0;
  DWORD size = sizeof code;
  if (!WinHttpQueryHeaders(request.handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX))
    return failed("no status");
  HttpResponse response;
  if (code != 200) {
    response.status = HttpResponse::Status::NotFound;
    response.reason = "HTTP status " + std::to_string(code);
    return response;
  }
  std::vector<char> block(1 << 16);
  for (;;) {
    DWORD got = 0;
    if (!WinHttpReadData(request.handle, block.data(), static_cast<DWORD>(block.size()), &got))
      return failed("the transfer broke off");
    if (got == 0) break;
    if (response.body.size() + got > limits.maxBytes) {
      response.body.clear();
      response.status = HttpResponse::Status::TooLarge;
      response.reason = "larger than " + std::to_string(limits.maxBytes >> 20) + " MB";
      return response;
    }
    response.body.append(block.data(), got);
  }
  response.status = HttpResponse::Status::Ok;
  return response;
}

}  // namespace tarnwick
