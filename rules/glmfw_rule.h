// TGLMFWRule: the firewall's rules and settings in the registry
// (HKEY_LOCAL_MACHINE, 32-bit view). Windows only; the record formats are in
// rules/rule_formats.h, the in-memory application rules in
// rules/app_rule_cache.h.
//
//   SOFTWARE\Zelbar\Torvane          Level, AUTO_ALLOW_LOCAL,
//                                    ALLOW_KNOWN_PROGRAMS,
//                                    DO_NOT_MONITOR_ALLOWED_PROGRAMS (REG_DWORD)
//   SOFTWARE\Zelbar\Torvane\Rules    IP rules          (REG_SZ, empty data)
//   SOFTWARE\Zelbar\Torvane\Rules1   application rules (REG_SZ, empty data)
//   SOFTWARE\Zelbar\Torvane\Logs     alert-journal lines
//
// Every operation opens its key, acts and closes it. A key that cannot be
// opened is not reported (nothing written, nothing listed, false read); a
// value of the wrong type or a refused write raises StoreError.
//
//   tvn::TGLMFWRule store;                         // the fixed paths
//   store.AddAppRule("c:\\prog\\a.exe", true);
//   policy uses store.AppRules() (HasAppRule / AddAppRule on any thread)
//
// Tests point an instance at a root of their own:
//   tvn::TGLMFWRule store("SOFTWARE\\Zelbar\\TorvaneTests\\case1");
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rules/app_rule_cache.h"
#include "rules/rule_formats.h"

namespace tvn {

// The settings key; the three record keys lie under it.
inline constexpr const char* kSettingsKeyPath = "SOFTWARE\\Zelbar\\Torvane";

// The "Rules1" key of one store root, as the application-rule cache reads it.
class RegistryAppRuleKey : public AppRuleKey {
 public:
  explicit RegistryAppRuleKey(std::string path) : path_(std::move(path)) {}
  bool ListNames(std::vector<std::string>& names) override;
  bool WriteName(const std::string& name) override;
  bool DeleteFirstContaining(std::string_view text) override;

 private:
  std::string path_;
};

class TGLMFWRule {
 public:
  // The production store at the fixed paths.
  TGLMFWRule();
  // A store rooted elsewhere under HKEY_LOCAL_MACHINE; only tests use it.
  explicit TGLMFWRule(std::string settingsKeyPath);
  TGLMFWRule(const TGLMFWRule&) = delete;
  TGLMFWRule& operator=(const TGLMFWRule&) = delete;

  void AddIpRule(std::string_view firstAddress, std::string_view lastAddress, int firstPort, int lastPort, bool allow);
  bool HasIpRule(std::string_view firstAddress, std::string_view lastAddress, int firstPort, int lastPort, bool allow);
  void RemoveIpRule(std::string_view firstAddress, std::string_view lastAddress);

  void AddAppRule(std::string_view path, bool allow) { appRuleCache_.AddAppRule(path, allow); }
  bool HasAppRule(std::string_view path, bool allow) const { return appRuleCache_.HasAppRule(path, allow); }
  void RemoveAppRule(std::string_view text) { appRuleCache_.RemoveAppRule(text); }
  void ReloadAppRules() { appRuleCache_.ReloadAppRules(); }
  // The AppRuleCache, for the connection policy.
  AppRuleCache& AppRules() { return appRuleCache_; }

  void SaveSettings(int level, bool autoAllowLocal, bool allowKnownPrograms, bool doNotMonitorAllowed);
  // 1 (intelligent) also when the settings key cannot be opened.
  int ReadBlockingLevel();
  bool ReadAutoAllowLocal();
  bool ReadAllowKnownPrograms();
  bool ReadDoNotMonitorAllowed();

  // Replace `list` with the key's value names; untouched when the key
  // cannot be opened.
  void ListIpRules(std::vector<std::string>& list);
  void ListAppRules(std::vector<std::string>& list);
  void ListJournalEntries(std::vector<std::string>& list);
  void AddJournalEntry(std::string_view line);

 private:
  std::string KeyPath(const char* subkey) const;
  bool ReadOption(const char* valueName, bool defaultOn);
  void ListValueNames(const char* subkey, std::vector<std::string>& list);
  void WriteRecord(const char* subkey, const std::string& name);

  std::string settingsKeyPath_;
  RegistryAppRuleKey appRuleKey_;
  AppRuleCache appRuleCache_;
};

}  // namespace tvn
