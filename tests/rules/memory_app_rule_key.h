// An AppRuleKey in memory for native tests (the rule cache's and the
// connection policy's): behaves like the registry key "Rules1" -- names
// unique ignoring case, enumeration in insertion order, substring removal
// case-sensitive -- and can play a key that cannot be opened.
#pragma once

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "rules/app_rule_cache.h"
#include "support/ansi_text.h"

namespace tvn::testing {

class MemoryAppRuleKey : public AppRuleKey {
 public:
  bool ListNames(std::vector<std::string>& names) override {
    if (unavailable) return false;
    std::lock_guard lock(mutex_);
    names = names_;
    return true;
  }

  bool WriteName(const std::string& name) override {
    if (unavailable) return false;
    std::lock_guard lock(mutex_);
    if (std::ranges::none_of(names_, [&](const std::string& n) { return AnsiSameText(n, name); }))
      names_.push_back(name);
    return true;
  }

  bool DeleteFirstContaining(std::string_view text) override {
    if (unavailable) return false;
    std::lock_guard lock(mutex_);
    const auto match = std::ranges::find_if(names_, [&](const std::string& n) { return n.find(text) != n.npos; });
    if (match == names_.end()) return false;
    names_.erase(match);
    return true;
  }

  std::vector<std::string> Stored() {
    std::lock_guard lock(mutex_);
    return names_;
  }

  std::atomic<bool> unavailable{false};

 private:
  std::mutex mutex_;
  std::vector<std::string> names_;
};

}  // namespace tvn::testing
