// Fakes and builders shared by the policy's tests, stress test and benchmark:
// a rule store and a cloud that answer from memory, and connection records
// built from readable addresses.
#pragma once

#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/policy_services.h"
#include "engine/socket_address_text.h"
#include "nfapi_types.h"

namespace tvn::testing {

// Application rules held in memory: the same answers as the registry store,
// and a lock so that lookups and additions from several threads are safe.
class FakeAppRuleStore : public AppRuleStore {
 public:
  bool HasAppRule(std::string_view lowerPath, bool allow) override {
    std::lock_guard lock(mutex_);
    ++lookups;
    return rules_.count({std::string(lowerPath), allow}) > 0;
  }
  void AddAppRule(std::string_view lowerPath, bool allow) override {
    std::lock_guard lock(mutex_);
    rules_.insert({std::string(lowerPath), allow});
  }
  int lookups = 0;

 private:
  std::mutex mutex_;
  std::set<std::pair<std::string, bool>> rules_;
};

// A cloud that trusts the paths it is told to, and records its queries.
class FakeCloudTrust : public CloudTrust {
 public:
  int64_t FileSizeByName(const std::string& path) override {
    std::lock_guard lock(mutex_);
    return path == missingFile ? -1 : (path == emptyFile ? 0 : 4096);
  }
  std::string FileMd5Hex(const std::string&) override { return "0123456789ABCDEF0123456789ABCDEF"; }
  std::string EscapeUrlText(std::string_view text) override { return "esc:" + std::string(text); }
  bool TrustQuery(const std::string& escapedName, const std::string& md5Hex, int64_t size) override {
    std::lock_guard lock(mutex_);
    queries.push_back(escapedName + "|" + md5Hex + "|" + std::to_string(size));
    return trusted.count(escapedName.substr(4)) > 0;
  }
  std::set<std::string> trusted;  // lower-case paths the server vouches for
  std::string missingFile, emptyFile;
  std::vector<std::string> queries;

 private:
  std::mutex mutex_;
};

inline void PutIpv4(uint8_t* socketAddress, const uint8_t (&octets)[4], uint16_t port) {
  std::memset(socketAddress, 0, NF_ADDRESS_SIZE);
  socketAddress[0] = kWindowsAfInet;
  socketAddress[2] = static_cast<uint8_t>(port >> 8);
  socketAddress[3] = static_cast<uint8_t>(port);
  std::memcpy(socketAddress + 4, octets, 4);
}

// An IPv4 TCP connection record.
inline NfConnection Ipv4Connection(uint32_t processId, uint8_t direction, const uint8_t (&local)[4], uint16_t localPort,
                                   const uint8_t (&remote)[4], uint16_t remotePort) {
  NfConnection connection{};
  connection.processId = processId;
  connection.direction = direction;
  connection.ipFamily = kWindowsAfInet;
  PutIpv4(connection.localAddress, local, localPort);
  PutIpv4(connection.remoteAddress, remote, remotePort);
  return connection;
}

// An outbound connection from the LAN to a web server on the internet.
inline NfConnection InternetConnection(uint32_t processId) {
  return Ipv4Connection(processId, NF_DIRECTION_OUT, {192, 168, 1, 5}, 50210, {93, 184, 216, 34}, 443);
}

}  // namespace tvn::testing
