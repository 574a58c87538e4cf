#include "rules/glmfw_rule.h"

#include <algorithm>

#include "rules/registry_key.h"

namespace tvn {

namespace {

constexpr const char* kIpRules = "Rules";
constexpr const char* kAppRules = "Rules1";
constexpr const char* kJournal = "Logs";

constexpr const char* kLevel = "Level";
constexpr const char* kAutoAllowLocal = "AUTO_ALLOW_LOCAL";
constexpr const char* kAllowKnownPrograms = "ALLOW_KNOWN_PROGRAMS";
constexpr const char* kDoNotMonitorAllowed = "DO_NOT_MONITOR_ALLOWED_PROGRAMS";

constexpr int kDefaultLevel = 1;

bool ListValueNamesAt(const std::string& path, std::vector<std::string>& names) {
  RegistryKey key;
  if (!key.Open(path, RegistryKey::kCreate)) return false;
  names = key.ValueNames();
  return true;
}

bool WriteEmptyValueAt(const std::string& path, const std::string& name) {
  RegistryKey key;
  if (!key.Open(path, RegistryKey::kCreate)) return false;
  key.WriteEmptyString(name);
  return true;
}

// The removals delete at most one value: the first, in enumeration order,
// whose name contains the text byte for byte.
bool DeleteFirstContainingAt(const std::string& path, std::string_view text) {
  RegistryKey key;
  if (!key.Open(path, RegistryKey::kOpenExisting)) return false;
  const std::vector<std::string> names = key.ValueNames();
  const auto match = std::ranges::find_if(names, [&](const std::string& n) { return n.find(text) != n.npos; });
  return match != names.end() && key.DeleteValue(*match);
}

DWORD AsFlag(bool on) { return on ? 1 : 0; }

}  // namespace

bool RegistryAppRuleKey::ListNames(std::vector<std::string>& names) { return ListValueNamesAt(path_, names); }

bool RegistryAppRuleKey::WriteName(const std::string& name) { return WriteEmptyValueAt(path_, name); }

bool RegistryAppRuleKey::DeleteFirstContaining(std::string_view text) { return DeleteFirstContainingAt(path_, text); }

TGLMFWRule::TGLMFWRule() : TGLMFWRule(kSettingsKeyPath) {}

TGLMFWRule::TGLMFWRule(std::string settingsKeyPath)
    : settingsKeyPath_(std::move(settingsKeyPath)), appRuleKey_(KeyPath(kAppRules)), appRuleCache_(appRuleKey_) {}

std::string TGLMFWRule::KeyPath(const char* subkey) const { return settingsKeyPath_ + "\\" + subkey; }

void TGLMFWRule::AddIpRule(std::string_view firstAddress, std::string_view lastAddress, int firstPort, int lastPort,
                           bool allow) {
  WriteRecord(kIpRules, BuildIpRuleName(firstAddress, lastAddress, firstPort, lastPort, allow));
}

bool TGLMFWRule::HasIpRule(std::string_view firstAddress, std::string_view lastAddress, int firstPort, int lastPort,
                           bool allow) {
  RegistryKey key;
  if (!key.Open(KeyPath(kIpRules), RegistryKey::kCreate)) return false;
  return key.ValueExists(BuildIpRuleName(firstAddress, lastAddress, firstPort, lastPort, allow));
}

void TGLMFWRule::RemoveIpRule(std::string_view firstAddress, std::string_view lastAddress) {
  DeleteFirstContainingAt(KeyPath(kIpRules), NormalizeIpAddress(firstAddress) + "|" + NormalizeIpAddress(lastAddress));
}

void TGLMFWRule::SaveSettings(int level, bool autoAllowLocal, bool allowKnownPrograms, bool doNotMonitorAllowed) {
  level = std::clamp(level, 0, 2);
  RegistryKey key;
  if (!key.Open(settingsKeyPath_, RegistryKey::kCreate)) return;
  key.WriteDword(kLevel, static_cast<DWORD>(level));
  // The options belong to the intelligent level; the other levels keep them.
  if (level != 1) return;
  key.WriteDword(kAutoAllowLocal, AsFlag(autoAllowLocal));
  key.WriteDword(kAllowKnownPrograms, AsFlag(allowKnownPrograms));
  key.WriteDword(kDoNotMonitorAllowed, AsFlag(doNotMonitorAllowed));
}

int TGLMFWRule::ReadBlockingLevel() {
  RegistryKey key;
  if (!key.Open(settingsKeyPath_, RegistryKey::kCreate)) return kDefaultLevel;
  if (!key.ValueExists(kLevel)) {
    key.WriteDword(kLevel, kDefaultLevel);
    return kDefaultLevel;
  }
  return static_cast<int>(key.ReadDword(kLevel));
}

bool TGLMFWRule::ReadAutoAllowLocal() { return ReadOption(kAutoAllowLocal, true); }

bool TGLMFWRule::ReadAllowKnownPrograms() { return ReadOption(kAllowKnownPrograms, true); }

bool TGLMFWRule::ReadDoNotMonitorAllowed() { return ReadOption(kDoNotMonitorAllowed, false); }

// An option is on only when stored as exactly 1; an absent one gets its
// default written back.
bool TGLMFWRule::ReadOption(const char* valueName, bool defaultOn) {
  RegistryKey key;
  if (!key.Open(settingsKeyPath_, RegistryKey::kCreate)) return false;
  if (!key.ValueExists(valueName)) {
    key.WriteDword(valueName, AsFlag(defaultOn));
    return defaultOn;
  }
  return key.ReadDword(valueName) == 1;
}

void TGLMFWRule::ListIpRules(std::vector<std::string>& list) { ListValueNamesAt(KeyPath(kIpRules), list); }

void TGLMFWRule::ListAppRules(std::vector<std::string>& list) { ListValueNamesAt(KeyPath(kAppRules), list); }

void TGLMFWRule::ListJournalEntries(std::vector<std::string>& list) { ListValueNamesAt(KeyPath(kJournal), list); }

void TGLMFWRule::AddJournalEntry(std::string_view line) { WriteRecord(kJournal, std::string(line)); }

void TGLMFWRule::WriteRecord(const char* subkey, const std::string& name) { WriteEmptyValueAt(KeyPath(subkey), name); }

}  // namespace tvn
