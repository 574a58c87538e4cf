// What the connection policy needs from outside the engine: the application
// rules of the store and the cloud's opinion of a program file. Both sit
// behind these narrow interfaces so that the policy builds and is tested
// without the registry, the file system or the network.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tvn {

// Application rules, keyed by the program path lowered in A-Z only.
// Lookups run on several driver threads at once, next to rebuilds on the GUI
// thread; an implementation keeps a rebuild from overlapping a lookup.
class AppRuleStore {
 public:
  virtual ~AppRuleStore() = default;
  virtual bool HasAppRule(std::string_view lowerPath, bool allow) = 0;
  virtual void AddAppRule(std::string_view lowerPath, bool allow) = 0;
};

// The cloud trust query and the helpers that prepare its values. Runs on the
// driver thread that decides and may block it for the whole exchange.
class CloudTrust {
 public:
  virtual ~CloudTrust() = default;
  // Size in bytes of the file, -1 when it does not exist.
  virtual int64_t FileSizeByName(const std::string& path) = 0;
  // MD5 of the file as 32 upper-case hexadecimal digits, empty when unreadable.
  virtual std::string FileMd5Hex(const std::string& path) = 0;
  virtual std::string EscapeUrlText(std::string_view text) = 0;
  // True when the server vouches for the file.
  virtual bool TrustQuery(const std::string& escapedName, const std::string& md5Hex, int64_t size) = 0;
};

}  // namespace tvn
