// The policy's services bound to the real parts: the store's application
// rule cache, and the cloud trust query with the file helpers it needs.
#pragma once

#include "engine/policy_services.h"
#include "engine/trust_query.h"

namespace tvn {

class AppRuleCache;

class AppRuleCacheStore : public AppRuleStore {
 public:
  explicit AppRuleCacheStore(AppRuleCache& cache) : cache_(cache) {}
  bool HasAppRule(std::string_view lowerPath, bool allow) override;
  void AddAppRule(std::string_view lowerPath, bool allow) override;

 private:
  AppRuleCache& cache_;
};

class CloudTrustService : public CloudTrust {
 public:
  // Without a GET, the Windows build asks the cloud server over its HTTP
  // client; elsewhere there is no client and nothing is trusted.
  explicit CloudTrustService(HttpGetFn get = nullptr, PauseFn pause = nullptr);

  int64_t FileSizeByName(const std::string& path) override;
  std::string FileMd5Hex(const std::string& path) override;
  std::string EscapeUrlText(std::string_view text) override;
  bool TrustQuery(const std::string& escapedName, const std::string& md5Hex, int64_t size) override;

 private:
  HttpGetFn get_;
  PauseFn pause_;
};

}  // namespace tvn
