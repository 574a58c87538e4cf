// THttpCli: a synchronous HTTP client in the manner of the ICS component of
// that name, over WinHTTP. Windows only. One GET per call:
// HTTP/1.0, user agent "Mozilla/4.0 (compatible; ICS)", accept header
// "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*", no proxy, at
// most 5 redirections followed, optional basic authentication.
//
//   tvn::THttpCli http;
//   std::ostringstream body;
//   http.URL = "http://example.test/file.txt";
//   http.RcvdStream = &body;
//   http.OnDocData = [&](const char*, size_t n) { progress += n; };
//   bool ok = http.Get();          // false: final status >= 400 (but 401, 407),
//   int status = http.StatusCode();  // or failed exchange, reported as 404
//
// Bounds, so that a silent or endless server never holds a thread for ever:
// see HttpLimits. A body over the size bound or an exchange over the time
// bound is a failed exchange.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace tvn {

struct HttpLimits {
  int connectTimeoutMs = 10000;  // name resolution and connection
  int receiveTimeoutMs = 15000;  // silence allowed while waiting for data
  int totalTimeoutMs = 120000;   // the whole exchange, redirections included
  uint64_t maxBodyBytes = 64ull << 20;
};

class THttpCli {
 public:
  std::string URL;
  // Basic authentication is sent when Username is not empty.
  std::string Username;
  std::string Password;
  // Receives the body of the final answer (the one not redirected).
  std::ostream* RcvdStream = nullptr;
  // When the final answer's body begins, and after each piece of it.
  std::function<void()> OnDocBegin;
  std::function<void(const char* data, size_t size)> OnDocData;
  HttpLimits Limits;

  // True when the final status is below 400, or 401 or 407. An exchange that
  // cannot complete (no connection, broken transfer, a bound exceeded) is
  // false with status 404; more than 5 redirections is false with the last
  // redirection's status.
  bool Get();
  int StatusCode() const { return statusCode_; }
  // The URL of the final answer, after redirections.
  const std::string& Location() const { return location_; }

 private:
  int statusCode_ = 0;
  std::string location_;
};

// Whether a final status counts as success: below 400, or 401 or 407.
bool IsAcceptedHttpStatus(int status);

}  // namespace tvn
