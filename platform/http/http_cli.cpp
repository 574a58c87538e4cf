#include "platform/http/http_cli.h"

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <memory>
#include <vector>

namespace tvn {

namespace {

constexpr int kMaxRedirections = 5;
constexpr size_t kPieceSize = 8192;
constexpr int kFailedExchangeStatus = 404;
constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; ICS)";
constexpr wchar_t kAcceptHeader[] = L"Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";

using Clock = std::chrono::steady_clock;

class Handle {
 public:
  explicit Handle(HINTERNET h = nullptr) : h_(h) {}
  ~Handle() {
    if (h_) WinHttpCloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  operator HINTERNET() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// WinHTTP takes a UTF-16 URL; bytes outside printable ASCII (Western code
// page letters left unescaped by the caller) go as %XX so they reach the
// server as the same bytes.
std::string AsciiUrl(const std::string& url) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : url) {
    const auto b = static_cast<unsigned char>(c);
    if (b > 0x20 && b < 0x7F) {
      out += c;
    } else {
      out += '%';
      out += kDigits[b >> 4];
      out += kDigits[b & 15];
    }
  }
  return out;
}

struct UrlParts {
  bool secure = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring pathAndQuery;
};

bool CrackUrl(const std::string& url, UrlParts& parts) {
  const std::wstring wide = Widen(url);
  URL_COMPONENTS c{};
  c.dwStructSize = sizeof c;
  c.dwHostNameLength = c.dwUrlPathLength = c.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
  parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
  parts.host.assign(c.lpszHostName, c.dwHostNameLength);
  parts.port = c.nPort;
  parts.pathAndQuery.assign(c.lpszUrlPath, c.dwUrlPathLength);
  parts.pathAndQuery.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (parts.pathAndQuery.empty()) parts.pathAndQuery = L"/";
  return !parts.host.empty();
}

// A Location header made absolute against the URL it answered.
std::string ResolveLocation(const std::string& base, const std::string& location) {
  if (location.find("://") != std::string::npos) return location;
  const size_t hostStart = base.find("://") + 3;
  const size_t pathStart = base.find('/', hostStart);
  const std::string origin = base.substr(0, pathStart);
  if (!location.empty() && location[0] == '/') return origin + location;
  const std::string path =
      pathStart == std::string::npos ? "/" : base.substr(pathStart, base.find('?', pathStart) - pathStart);
  return origin + path.substr(0, path.rfind('/') + 1) + location;
}

std::string Base64(const std::string& text) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < text.size(); i += 3) {
    uint32_t group = static_cast<unsigned char>(text[i]) << 16;
    if (i + 1 < text.size()) group |= static_cast<unsigned char>(text[i + 1]) << 8;
    if (i + 2 < text.size()) group |= static_cast<unsigned char>(text[i + 2]);
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += i + 1 < text.size() ? kAlphabet[(group >> 6) & 63] : '=';
    out += i + 2 < text.size() ? kAlphabet[group & 63] : '=';
  }
  return out;
}

bool IsRedirection(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string QueryLocationHeader(HINTERNET request) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (size == 0) return "";
  std::wstring value(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                           WINHTTP_NO_HEADER_INDEX))
    return "";
  value.resize(size / sizeof(wchar_t));
  std::string narrow;
  for (wchar_t c : value) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return AsciiUrl(narrow);
}

// One request/response of the exchange (no redirection followed).
class Exchange {
 public:
  Exchange(const THttpCli& client, Clock::time_point deadline) : client_(client), deadline_(deadline) {}

  // Sends the GET and reads the status; false when no answer came.
  bool Send(HINTERNET session, const std::string& url) {
    UrlParts parts;
    if (!CrackUrl(url, parts)) return false;
    connection_ = std::make_unique<Handle>(WinHttpConnect(session, parts.host.c_str(), parts.port, 0));
    if (!*connection_) return false;
    request_ = std::make_unique<Handle>(
        WinHttpOpenRequest(*connection_, L"GET", parts.pathAndQuery.c_str(), L"HTTP/1.0", WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES, parts.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!*request_) return false;
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(*request_, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
    SetTimeouts(*request_);
    const std::wstring headers = Headers();
    if (!WinHttpSendRequest(*request_, headers.c_str(), static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(*request_, nullptr))
      return false;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(*request_, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
      return false;
    status_ = static_cast<int>(status);
    return true;
  }

  int Status() const { return status_; }

  // The receive bound also covers the wait for the status line, which
  // WinHTTP times with an option of its own.
  void SetTimeouts(HINTERNET request) const {
    const HttpLimits& limits = client_.Limits;
    WinHttpSetTimeouts(request, limits.connectTimeoutMs, limits.connectTimeoutMs, limits.receiveTimeoutMs,
                       limits.receiveTimeoutMs);
    DWORD responseTimeout = static_cast<DWORD>(limits.receiveTimeoutMs);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
  }
  std::string Location() const { return QueryLocationHeader(*request_); }

  // Reads the body into the caller's stream; false when the transfer broke
  // off or went over a bound.
  bool ReadBody() {
    if (client_.OnDocBegin) client_.OnDocBegin();
    std::vector<char> piece(kPieceSize);
    uint64_t total = 0;
    for (;;) {
      if (Clock::now() > deadline_) return false;
      DWORD got = 0;
      if (!WinHttpReadData(*request_, piece.data(), static_cast<DWORD>(piece.size()), &got)) return false;
      if (got == 0) return true;
      total += got;
      if (total > client_.Limits.maxBodyBytes) return false;
      if (client_.RcvdStream) client_.RcvdStream->write(piece.data(), got);
      if (client_.OnDocData) client_.OnDocData(piece.data(), got);
    }
  }

 private:
  std::wstring Headers() const {
    std::wstring headers = kAcceptHeader;
    if (!client_.Username.empty())
      headers += L"Authorization: Basic " + Widen(Base64(client_.Username + ":" + client_.Password)) + L"\r\n";
    return headers;
  }

  const THttpCli& client_;
  Clock::time_point deadline_;
  std::unique_ptr<Handle> connection_;
  std::unique_ptr<Handle> request_;
  int status_ = 0;
};

}  // namespace

bool IsAcceptedHttpStatus(int status) { return status < 400 || status == 401 || status == 407; }

bool THttpCli::Get() {
  statusCode_ = kFailedExchangeStatus;
  location_ = AsciiUrl(URL);
  const auto deadline = Clock::now() + std::chrono::milliseconds(Limits.totalTimeoutMs);
  Handle session(
      WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return false;

  for (int redirections = 0;; ++redirections) {
    Exchange exchange(*this, deadline);
    if (!exchange.Send(session, location_) || Clock::now() > deadline) {
      statusCode_ = kFailedExchangeStatus;
      return false;
    }
    statusCode_ = exchange.Status();
    const std::string next = IsRedirection(statusCode_) ? exchange.Location() : "";
    if (next.empty()) {
      if (!exchange.ReadBody()) {
        statusCode_ = kFailedExchangeStatus;
        return false;
      }
      return IsAcceptedHttpStatus(statusCode_);
    }
    if (redirections == kMaxRedirections) return false;
    location_ = ResolveLocation(location_, next);
  }
}

}  // namespace tvn
