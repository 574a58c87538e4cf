// The application rules as the connection policy sees them: HasAppRule
// answers from memory, never from the registry, so it can sit on the path of
// every connection. Portable (builds in every tree); where the rules persist
// is behind AppRuleKey: the registry key "Rules1" in the firewall (see
// TGLMFWRule, whose AppRules() is the main instance's cache), a memory key in
// native tests (tests/rules/memory_app_rule_key.h).
//
//   tvn::AppRuleCache& rules = store.AppRules();
//   if (rules.HasAppRule(lowerPath, true)) ...      // any thread, lock-light
//   rules.AddAppRule(lowerPath, true);              // writes, then rebuilds
//
// Thread safety: lookups run on the driver's worker threads while the GUI
// thread (or a worker, after a cloud verdict) rebuilds. A rebuild reads the
// rules into a new list aside and swaps it in under an exclusive lock, so a
// lookup never sees a half-filled list and never waits on the registry;
// rebuilds are serialised among themselves so the last one always reflects
// the last change.
#pragma once

#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tvn {

// Where application rules persist: one value per rule whose name is the rule.
class AppRuleKey {
 public:
  virtual ~AppRuleKey() = default;
  // Replaces `names` with the value names in enumeration order; false, with
  // `names` untouched, when the key cannot be opened.
  virtual bool ListNames(std::vector<std::string>& names) = 0;
  // Writes an empty value named `name` (creating the key); false when the key
  // cannot be opened. An existing name (case ignored) stays one value.
  virtual bool WriteName(const std::string& name) = 0;
  // Deletes the first value, in enumeration order, whose name contains
  // `text` (case-sensitive); true when one was deleted.
  virtual bool DeleteFirstContaining(std::string_view text) = 0;
};

class AppRuleCache {
 public:
  // Fills the cache from the key at once.
  explicit AppRuleCache(AppRuleKey& key);
  AppRuleCache(const AppRuleCache&) = delete;
  AppRuleCache& operator=(const AppRuleCache&) = delete;

  // True when the rule path|1 (allow) or path|0 is cached; whole names are
  // compared ignoring case as Windows does for Western code page text.
  bool HasAppRule(std::string_view path, bool allow) const;
  // Writes the rule, then rebuilds; nothing at all when the key cannot be opened.
  void AddAppRule(std::string_view path, bool allow);
  // Deletes the first rule containing `text` (case-sensitive substring), then
  // rebuilds when one was deleted. An empty text deletes nothing.
  void RemoveAppRule(std::string_view text);
  // Empties the cache and reads it again (sees other instances' changes).
  void ReloadAppRules();

  // A copy of the cached names in enumeration order.
  std::vector<std::string> Names() const;

 private:
  void Rebuild();

  AppRuleKey& key_;
  std::mutex rebuildLock_;                  // one rebuild at a time
  mutable std::shared_mutex listLock_;      // lookups shared, the swap exclusive
  std::vector<std::string> names_;          // enumeration order
  std::unordered_set<std::string> folded_;  // every name in lower case
};

}  // namespace tvn
