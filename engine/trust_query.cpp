#include "engine/trust_query.h"

#include "engine/cloud_server.h"
#include "engine/url_escape.h"

namespace tvn {

namespace {

constexpr int kAttempts = 2;
constexpr std::chrono::milliseconds kPauseBetweenAttempts{500};

}  // namespace

std::string TrustQueryUrl(std::string_view escapedName, std::string_view digest, int64_t size) {
  return CloudServerUrl() + "/tvn_cloud/tvn_is_trusted_file.php?fs=" + std::to_string(size) +
         "&fm=" + std::string(digest) + "&fn=" + EscapeUrlText(escapedName);
}

std::vector<std::string> BodyLines(std::string_view body) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < body.size()) {
    size_t end = body.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = body.size();
    lines.emplace_back(body.substr(start, end - start));
    if (end + 1 < body.size() && body[end] == '\r' && body[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

bool IsTrustedAnswer(std::string_view body) {
  const std::vector<std::string> lines = BodyLines(body);
  return lines.size() >= 3 && lines[0] != "MS:1" && lines[1] == "AAS:1";
}

bool TrustQuery(std::string_view escapedName, std::string_view digest, int64_t size, const HttpGetFn& get,
                const PauseFn& pause) {
  const std::string url = TrustQueryUrl(escapedName, digest, size);
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (attempt > 1) pause(kPauseBetweenAttempts);
    // Each attempt reads into an empty body, so a transfer broken off in the
    // first cannot leave bytes in front of the second's answer.
    std::string body;
    if (get(url, body)) return IsTrustedAnswer(body);
  }
  return false;
}

}  // namespace tvn
