// The Windows TrustQuery: each attempt is a fresh THttpCli GET at the cloud
// server. Bounds: a worker thread waits at most about 2 x 20 s on a silent
// server before the program is held and queued.
#include <sstream>
#include <thread>

#include "engine/trust_query.h"
#include "platform/http/http_cli.h"

namespace tvn {

namespace {

bool HttpGet(const std::string& url, std::string& body) {
  THttpCli http;
  http.URL = url;
  http.Limits.connectTimeoutMs = 5000;
  http.Limits.receiveTimeoutMs = 10000;
  http.Limits.totalTimeoutMs = 20000;
  http.Limits.maxBodyBytes = 64 * 1024;  // the answer is three short lines
  std::ostringstream received;
  http.RcvdStream = &received;
  const bool ok = http.Get();
  body = received.str();
  return ok;
}

}  // namespace

bool TrustQuery(std::string_view escapedName, std::string_view digest, int64_t size) {
  return TrustQuery(escapedName, digest, size, HttpGet,
                    [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
}

}  // namespace tvn
