#include "rules/glmfw_rule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "rules/registry_key.h"
#include "rules/store_error.h"

namespace tvn {
namespace {

using Names = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// The registry decides the enumeration order (Windows keeps insertion order,
// Wine sorts), so tests compare sets except where "first" matters.

// Each test works under a root of its own and removes it afterwards, so
// tests never see each other's rules nor the machine's real settings.
class StoreTest : public ::testing::Test {
 protected:
  StoreTest()
      : root_(std::string("SOFTWARE\\Zelbar\\TorvaneTests\\") +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
              std::to_string(GetCurrentProcessId())) {
    DeleteRegistryTree(root_);
  }
  ~StoreTest() override { DeleteRegistryTree(root_); }

  Names ValuesOf(const std::string& subkey) {
    RegistryKey key;
    return key.Open(Path(subkey), RegistryKey::kOpenExisting) ? key.ValueNames() : Names{};
  }
  std::string Path(const std::string& subkey) { return subkey.empty() ? root_ : root_ + "\\" + subkey; }
  DWORD StoredDword(const char* name) {
    RegistryKey key;
    EXPECT_TRUE(key.Open(root_, RegistryKey::kOpenExisting));
    return key.ReadDword(name);
  }
  bool Stored(const char* name) {
    RegistryKey key;
    return key.Open(root_, RegistryKey::kOpenExisting) && key.ValueExists(name);
  }
  void Store(const char* name, DWORD value) {
    RegistryKey key;
    ASSERT_TRUE(key.Open(root_, RegistryKey::kCreate));
    key.WriteDword(name, value);
  }

  std::string root_;
};

TEST(StorePaths, ProductionKeysAreFixed) { EXPECT_STREQ(kSettingsKeyPath, "SOFTWARE\\Zelbar\\Torvane"); }

TEST_F(StoreTest, RecordsAreEmptyStringsInThe32BitView) {
  TGLMFWRule store(root_);
  store.AddIpRule("192.168.1.10", "192.168.1.10", 80, 80, true);

  // Through the 64-bit view, the 32-bit part of SOFTWARE is Wow6432Node.
  const std::string redirected = "SOFTWARE\\Wow6432Node" + root_.substr(std::string("SOFTWARE").size()) + "\\Rules";
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, redirected.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
  DWORD type = 0;
  BYTE data[8] = {1, 1};
  DWORD size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "192.168.001.010|192.168.001.010|00080|00080|0|1", nullptr, &type, data, &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(data[0], 0);
}

TEST_F(StoreTest, IpRulesAddTestAndRemove) {
  TGLMFWRule store(root_);
  store.AddIpRule("192.168.1.10", "192.168.1.10", 80, 80, true);
  store.AddIpRule("10.0.0.1", "10.0.0.9", 0, 65535, false);
  EXPECT_THAT(ValuesOf("Rules"), UnorderedElementsAre("192.168.001.010|192.168.001.010|00080|00080|0|1",
                                                      "010.000.000.001|010.000.000.009|00000|65535|0|0"));
  EXPECT_TRUE(store.HasIpRule("192.168.001.010", "192.168.1.10", 80, 80, true));
  EXPECT_FALSE(store.HasIpRule("192.168.1.10", "192.168.1.10", 80, 80, false));

  Names listed;
  store.ListIpRules(listed);
  EXPECT_EQ(listed, ValuesOf("Rules"));
  const IpRule parsed = ParseIpRule(BuildIpRuleName("192.168.1.10", "192.168.1.10", 80, 80, true));
  EXPECT_EQ(parsed.firstAddress, "192.168.001.010");
  EXPECT_EQ(parsed.lastPort, 80);
  EXPECT_EQ(parsed.permission, 1);

  store.RemoveIpRule("10.0.0.1", "10.0.0.9");
  EXPECT_THAT(ValuesOf("Rules"), ElementsAre("192.168.001.010|192.168.001.010|00080|00080|0|1"));
}

TEST_F(StoreTest, RemoveIpRuleDeletesOnlyTheFirstMatch) {
  TGLMFWRule store(root_);
  store.AddIpRule("1.1.1.1", "1.1.1.1", 80, 80, true);
  store.AddIpRule("1.1.1.1", "1.1.1.1", 443, 443, true);
  const Names before = ValuesOf("Rules");
  store.RemoveIpRule("1.1.1.1", "1.1.1.1");
  EXPECT_THAT(ValuesOf("Rules"), ElementsAre(before[1]));
}

TEST_F(StoreTest, AppRulesCaseRulesAndBothPermissions) {
  TGLMFWRule store(root_);
  store.AddAppRule("c:\\prog\\a.exe", true);
  EXPECT_TRUE(store.HasAppRule("C:\\PROG\\A.EXE", true));
  EXPECT_FALSE(store.HasAppRule("c:\\prog\\a.exe", false));
  store.RemoveAppRule("C:\\PROG\\A.EXE");
  EXPECT_EQ(ValuesOf("Rules1"), Names{"c:\\prog\\a.exe|1"});

  store.AddAppRule("c:\\prog\\a.exe", false);
  const Names both = ValuesOf("Rules1");
  EXPECT_THAT(both, UnorderedElementsAre("c:\\prog\\a.exe|1", "c:\\prog\\a.exe|0"));
  EXPECT_TRUE(store.HasAppRule("c:\\prog\\a.exe", true));
  EXPECT_TRUE(store.HasAppRule("c:\\prog\\a.exe", false));

  // The first in enumeration order goes, and only that one.
  store.RemoveAppRule("c:\\prog\\a.exe");
  EXPECT_THAT(ValuesOf("Rules1"), ElementsAre(both[1]));
  EXPECT_NE(store.HasAppRule("c:\\prog\\a.exe", true), store.HasAppRule("c:\\prog\\a.exe", false));
}

TEST_F(StoreTest, SecondInstanceSeenOnlyAfterTheMainInstanceRebuilds) {
  TGLMFWRule main(root_);
  TGLMFWRule editor(root_);
  editor.AddAppRule("c:\\b.exe", true);
  EXPECT_TRUE(editor.HasAppRule("c:\\b.exe", true));
  EXPECT_FALSE(main.HasAppRule("c:\\b.exe", true));
  main.ReloadAppRules();
  EXPECT_TRUE(main.HasAppRule("c:\\b.exe", true));

  // A new instance reads the rules at construction.
  TGLMFWRule later(root_);
  EXPECT_TRUE(later.HasAppRule("c:\\b.exe", true));
}

TEST_F(StoreTest, MissingSettingsAreReadAsDefaultsAndWrittenBack) {
  TGLMFWRule store(root_);
  EXPECT_EQ(store.ReadBlockingLevel(), 1);
  EXPECT_TRUE(store.ReadAutoAllowLocal());
  EXPECT_TRUE(store.ReadAllowKnownPrograms());
  EXPECT_FALSE(store.ReadDoNotMonitorAllowed());
  EXPECT_EQ(StoredDword("Level"), 1u);
  EXPECT_EQ(StoredDword("AUTO_ALLOW_LOCAL"), 1u);
  EXPECT_EQ(StoredDword("ALLOW_KNOWN_PROGRAMS"), 1u);
  EXPECT_EQ(StoredDword("DO_NOT_MONITOR_ALLOWED_PROGRAMS"), 0u);
}

TEST_F(StoreTest, OptionsAreOnOnlyWhenStoredAsOneLevelAsStored) {
  Store("AUTO_ALLOW_LOCAL", 2);
  Store("ALLOW_KNOWN_PROGRAMS", 0);
  Store("DO_NOT_MONITOR_ALLOWED_PROGRAMS", 1);
  Store("Level", 7);
  TGLMFWRule store(root_);
  EXPECT_FALSE(store.ReadAutoAllowLocal());
  EXPECT_FALSE(store.ReadAllowKnownPrograms());
  EXPECT_TRUE(store.ReadDoNotMonitorAllowed());
  EXPECT_EQ(store.ReadBlockingLevel(), 7);
}

TEST_F(StoreTest, SaveSettingsClampsAndWritesOptionsOnlyAtLevelOne) {
  TGLMFWRule store(root_);
  store.SaveSettings(5, false, false, true);
  EXPECT_EQ(StoredDword("Level"), 2u);
  EXPECT_FALSE(Stored("AUTO_ALLOW_LOCAL"));

  store.SaveSettings(1, false, true, true);
  EXPECT_EQ(StoredDword("Level"), 1u);
  EXPECT_EQ(StoredDword("AUTO_ALLOW_LOCAL"), 0u);
  EXPECT_EQ(StoredDword("ALLOW_KNOWN_PROGRAMS"), 1u);
  EXPECT_EQ(StoredDword("DO_NOT_MONITOR_ALLOWED_PROGRAMS"), 1u);

  store.SaveSettings(-1, true, false, false);
  EXPECT_EQ(StoredDword("Level"), 0u);
  EXPECT_EQ(StoredDword("AUTO_ALLOW_LOCAL"), 0u);  // kept from level 1
  EXPECT_EQ(StoredDword("ALLOW_KNOWN_PROGRAMS"), 1u);
  EXPECT_EQ(StoredDword("DO_NOT_MONITOR_ALLOWED_PROGRAMS"), 1u);
}

TEST_F(StoreTest, IdenticalJournalLinesCollapse) {
  TGLMFWRule store(root_);
  const std::string line = BuildJournalEntry("11/12/2026 14:03:12", "C:\\Prog\\App.exe", 1);
  store.AddJournalEntry(line);
  store.AddJournalEntry(line);
  store.AddJournalEntry(BuildJournalEntry("11/12/2026 14:03:12", "C:\\Prog\\App.exe", 0));
  Names lines;
  store.ListJournalEntries(lines);
  EXPECT_THAT(lines, UnorderedElementsAre(line, "11/12/2026 14:03:12|C:\\Prog\\App.exe|0;"));
}

TEST_F(StoreTest, ListsReplaceTheCallersList) {
  TGLMFWRule store(root_);
  store.AddAppRule("c:\\x.exe", false);
  Names list{"old"};
  store.ListAppRules(list);
  EXPECT_EQ(list, Names{"c:\\x.exe|0"});
}

// A key the registry refuses (a name part over 255 characters) stands for a
// key that cannot be opened: nothing is reported, nothing written or listed.
TEST(StoreWithoutItsKeys, FailsQuietly) {
  TGLMFWRule store("SOFTWARE\\Zelbar\\" + std::string(300, 'k'));
  store.AddAppRule("c:\\a.exe", true);
  EXPECT_FALSE(store.HasAppRule("c:\\a.exe", true));
  store.AddIpRule("1.1.1.1", "1.1.1.1", 80, 80, true);
  EXPECT_FALSE(store.HasIpRule("1.1.1.1", "1.1.1.1", 80, 80, true));
  store.RemoveIpRule("1.1.1.1", "1.1.1.1");
  store.RemoveAppRule("c:\\a.exe");
  store.SaveSettings(2, true, true, true);
  store.AddJournalEntry("d|p|1;");
  EXPECT_EQ(store.ReadBlockingLevel(), 1);
  EXPECT_FALSE(store.ReadAutoAllowLocal());
  EXPECT_FALSE(store.ReadAllowKnownPrograms());
  EXPECT_FALSE(store.ReadDoNotMonitorAllowed());
  Names untouched{"kept"};
  store.ListIpRules(untouched);
  store.ListAppRules(untouched);
  store.ListJournalEntries(untouched);
  EXPECT_EQ(untouched, Names{"kept"});
}

TEST_F(StoreTest, ASettingOfTheWrongTypeRaisesItsFrenchError) {
  {
    RegistryKey key;
    ASSERT_TRUE(key.Open(root_, RegistryKey::kCreate));
    key.WriteEmptyString("Level");
  }
  TGLMFWRule store(root_);
  try {
    store.ReadBlockingLevel();
    FAIL() << "no error";
  } catch (const StoreError& e) {
    EXPECT_STREQ(e.what(),
                 "Type de donn\xE9"
                 "es incorrect pour 'Level'");
  }
}

TEST_F(StoreTest, ARefusedWriteRaisesItsFrenchError) {
  TGLMFWRule store(root_);
  // The registry refuses value names over 16383 characters.
  const std::string path = "c:\\" + std::string(16400, 'a');
  try {
    store.AddAppRule(path, true);
    FAIL() << "no error";
  } catch (const StoreError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Echec \xE0 la d\xE9"
              "finition des donn\xE9"
              "es pour '" +
                  path + "|1'");
  }
  EXPECT_FALSE(store.HasAppRule(path, true));
}

}  // namespace
}  // namespace tvn
