#include "rules/app_rule_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/rules/memory_app_rule_key.h"

namespace tvn {
namespace {

using testing::MemoryAppRuleKey;

TEST(AppRuleCache, LookupsIgnoreCaseRemovalsDoNot) {
  MemoryAppRuleKey key;
  AppRuleCache cache(key);
  cache.AddAppRule("c:\\prog\\a.exe", true);
  EXPECT_TRUE(cache.HasAppRule("C:\\PROG\\A.EXE", true));
  EXPECT_FALSE(cache.HasAppRule("c:\\prog\\a.exe", false));
  EXPECT_FALSE(cache.HasAppRule("c:\\prog\\a.ex", true));  // whole names only

  cache.RemoveAppRule("C:\\PROG\\A.EXE");
  EXPECT_TRUE(cache.HasAppRule("c:\\prog\\a.exe", true));
  cache.RemoveAppRule("");
  EXPECT_EQ(key.Stored().size(), 1u);
  cache.RemoveAppRule("c:\\prog\\a.exe");
  EXPECT_FALSE(cache.HasAppRule("c:\\prog\\a.exe", true));
  EXPECT_TRUE(key.Stored().empty());
}

TEST(AppRuleCache, AccentedLettersMatchInEitherCase) {
  MemoryAppRuleKey key;
  AppRuleCache cache(key);
  cache.AddAppRule(
      "c:\\donn\xE9"
      "es\\\xE9t\xE9.exe",
      false);
  EXPECT_TRUE(
      cache.HasAppRule("C:\\DONN\xC9"
                       "ES\\\xC9T\xC9.EXE",
                       false));
}

TEST(AppRuleCache, AllowAndBlockRulesLiveSideBySide) {
  MemoryAppRuleKey key;
  AppRuleCache cache(key);
  cache.AddAppRule("c:\\p.exe", true);
  cache.AddAppRule("c:\\p.exe", false);
  EXPECT_TRUE(cache.HasAppRule("c:\\p.exe", true));
  EXPECT_TRUE(cache.HasAppRule("c:\\p.exe", false));
  EXPECT_EQ(cache.Names(), (std::vector<std::string>{"c:\\p.exe|1", "c:\\p.exe|0"}));
  // The first match in enumeration order goes, and only that one.
  cache.RemoveAppRule("c:\\p.exe");
  EXPECT_EQ(cache.Names(), (std::vector<std::string>{"c:\\p.exe|0"}));
}

TEST(AppRuleCache, AnotherInstancesChangeIsSeenOnlyAfterARebuild) {
  MemoryAppRuleKey key;
  AppRuleCache main(key);
  AppRuleCache editor(key);
  editor.AddAppRule("c:\\b.exe", true);
  EXPECT_FALSE(main.HasAppRule("c:\\b.exe", true));
  main.ReloadAppRules();
  EXPECT_TRUE(main.HasAppRule("c:\\b.exe", true));
}

TEST(AppRuleCache, AnUnavailableKeyChangesNothingOnAdd) {
  MemoryAppRuleKey key;
  AppRuleCache cache(key);
  cache.AddAppRule("c:\\a.exe", true);
  key.unavailable = true;
  cache.AddAppRule("c:\\b.exe", true);
  EXPECT_TRUE(cache.HasAppRule("c:\\a.exe", true));
  EXPECT_FALSE(cache.HasAppRule("c:\\b.exe", true));
  // A reload that cannot read the key leaves the cache empty.
  cache.ReloadAppRules();
  EXPECT_FALSE(cache.HasAppRule("c:\\a.exe", true));
}

// Driver threads look rules up while the GUI thread and a worker rebuild;
// under ThreadSanitizer this shows the lookups and rebuilds never race. Rules
// present from the start must be found by every lookup, mid-rebuild included.
TEST(AppRuleCache, ConcurrentLookupsAndRebuilds) {
  MemoryAppRuleKey key;
  AppRuleCache cache(key);
  for (int i = 0; i < 200; ++i) cache.AddAppRule("c:\\fixed\\p" + std::to_string(i) + ".exe", true);

  std::atomic<bool> stop{false};
  std::atomic<int> misses{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t)
    readers.emplace_back([&] {
      for (int i = 0; !stop; i = (i + 7) % 200)
        if (!cache.HasAppRule("C:\\FIXED\\P" + std::to_string(i) + ".EXE", true)) ++misses;
    });
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) cache.AddAppRule("c:\\worker\\w" + std::to_string(i) + ".exe", true);
  });
  for (int i = 0; i < 100; ++i) {
    cache.AddAppRule("c:\\gui\\g" + std::to_string(i) + ".exe", false);
    cache.ReloadAppRules();
  }
  worker.join();
  stop = true;
  for (auto& r : readers) r.join();

  EXPECT_EQ(misses, 0);
  EXPECT_TRUE(cache.HasAppRule("c:\\worker\\w99.exe", true));
  EXPECT_TRUE(cache.HasAppRule("c:\\gui\\g99.exe", false));
  EXPECT_EQ(cache.Names().size(), 400u);
}

}  // namespace
}  // namespace tvn
