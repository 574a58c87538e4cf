#include "engine/cloud_server.h"

#include <mutex>

namespace tvn {

namespace {

constexpr const char* kCloudServerUrl = "http://cloud.zelbar.com";

std::mutex overrideLock;
std::string overrideUrl;

}  // namespace

std::string CloudServerUrl() {
  std::lock_guard lock(overrideLock);
  return overrideUrl.empty() ? kCloudServerUrl : overrideUrl;
}

void SetCloudServerUrlForTests(std::string baseUrl) {
  std::lock_guard lock(overrideLock);
  overrideUrl = std::move(baseUrl);
}

}  // namespace tvn
