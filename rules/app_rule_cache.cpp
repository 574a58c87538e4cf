#include "rules/app_rule_cache.h"

#include "rules/rule_formats.h"
#include "support/ansi_text.h"

namespace tvn {

namespace {

// Two names are the same rule when their lower-case forms are equal: the
// same test as AnsiSameText, turned into a hash key.
std::string Folded(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = AnsiLowerChar(c);
  return out;
}

}  // namespace

AppRuleCache::AppRuleCache(AppRuleKey& key) : key_(key) { Rebuild(); }

bool AppRuleCache::HasAppRule(std::string_view path, bool allow) const {
  const std::string wanted = Folded(BuildAppRuleName(path, allow));
  std::shared_lock lock(listLock_);
  return folded_.contains(wanted);
}

void AppRuleCache::AddAppRule(std::string_view path, bool allow) {
  if (key_.WriteName(BuildAppRuleName(path, allow))) Rebuild();
}

void AppRuleCache::RemoveAppRule(std::string_view text) {
  if (text.empty()) return;
  if (key_.DeleteFirstContaining(text)) Rebuild();
}

void AppRuleCache::ReloadAppRules() { Rebuild(); }

std::vector<std::string> AppRuleCache::Names() const {
  std::shared_lock lock(listLock_);
  return names_;
}

void AppRuleCache::Rebuild() {
  std::lock_guard rebuilding(rebuildLock_);
  // A key that cannot be opened leaves the rebuilt cache empty.
  std::vector<std::string> names;
  key_.ListNames(names);
  std::unordered_set<std::string> folded;
  folded.reserve(names.size());
  for (const std::string& name : names) folded.insert(Folded(name));

  std::unique_lock swapping(listLock_);
  names_.swap(names);
  folded_.swap(folded);
}

}  // namespace tvn
