// TrustQuery: asks the cloud server whether a program file is trusted, from
// its size, MD5 digest and escaped path. Synchronous: it blocks its thread
// for the exchange, at most two attempts 500 ms apart. Every failure answers
// "not trusted". Several queries may run at once; nothing is shared.
//
//   int32_t size = tvn::FileSizeByName(lowerPath);              // support/file_size.h
//   if (size > 0 && tvn::TrustQuery(tvn::EscapeUrlText(lowerPath),  // engine/url_escape.h
//                                   tvn::FileMd5Hex(lowerPath), size))  // engine/file_md5.h
//     ...                                                        // trusted
//
// The Windows build has the overload above, over the HTTP client; the
// portable one takes the GET as a seam so native tests can fake the server.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tvn {

// One GET: true when the exchange completed with a status the query accepts
// (below 400, or 401 or 407); the reply's body is then in `body`.
using HttpGetFn = std::function<bool(const std::string& url, std::string& body)>;
using PauseFn = std::function<void(std::chrono::milliseconds)>;

// The query URL on the cloud server; the name, already escaped once by the
// caller, is escaped once more here.
std::string TrustQueryUrl(std::string_view escapedName, std::string_view digest, int64_t size);

// A body's lines, each ended by CR, LF or CR LF (a last unended line counts).
std::vector<std::string> BodyLines(std::string_view body);

// Trusted when there are at least three lines, line 1 is not "MS:1" and
// line 2 is "AAS:1" (exact, case-sensitive).
bool IsTrustedAnswer(std::string_view body);

bool TrustQuery(std::string_view escapedName, std::string_view digest, int64_t size, const HttpGetFn& get,
                const PauseFn& pause);

#ifdef _WIN32
// Over THttpCli (platform/http), at the cloud server of engine/cloud_server.h.
bool TrustQuery(std::string_view escapedName, std::string_view digest, int64_t size);
#endif

}  // namespace tvn
