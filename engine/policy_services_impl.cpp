#include "engine/policy_services_impl.h"

#include <thread>

#include "engine/file_md5.h"
#include "engine/url_escape.h"
#include "rules/app_rule_cache.h"
#include "support/file_size.h"

namespace tvn {

bool AppRuleCacheStore::HasAppRule(std::string_view lowerPath, bool allow) {
  return cache_.HasAppRule(lowerPath, allow);
}

void AppRuleCacheStore::AddAppRule(std::string_view lowerPath, bool allow) { cache_.AddAppRule(lowerPath, allow); }

CloudTrustService::CloudTrustService(HttpGetFn get, PauseFn pause) : get_(std::move(get)), pause_(std::move(pause)) {
  if (!pause_) pause_ = [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); };
}

int64_t CloudTrustService::FileSizeByName(const std::string& path) { return tvn::FileSizeByName(path); }

std::string CloudTrustService::FileMd5Hex(const std::string& path) { return tvn::FileMd5Hex(path); }

std::string CloudTrustService::EscapeUrlText(std::string_view text) { return tvn::EscapeUrlText(text); }

bool CloudTrustService::TrustQuery(const std::string& escapedName, const std::string& md5Hex, int64_t size) {
  if (get_) return tvn::TrustQuery(escapedName, md5Hex, size, get_, pause_);
#ifdef _WIN32
  return tvn::TrustQuery(escapedName, md5Hex, size);
#else
  return false;
#endif
}

}  // namespace tvn
