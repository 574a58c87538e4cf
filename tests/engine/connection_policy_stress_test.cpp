// Several driver threads decide connections, some adding cloud-verdict rules,
// while a GUI-side thread resets the pass lists, serves the prompt queue,
// rebuilds the store's rule cache and reads the log. Under ThreadSanitizer
// this must run clean; in every tree the queue must only ever hold whole
// entries of programs that no rule covered.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/connection_policy.h"
#include "engine/decision_tables.h"
#include "engine/policy_services_impl.h"
#include "fake_driver.h"
#include "policy_fixtures.h"
#include "rules/app_rule_cache.h"
#include "support/ansi_text.h"
#include "tests/rules/memory_app_rule_key.h"

namespace tvn {
namespace {

constexpr int kDriverThreads = 4;
constexpr int kConnectionsPerThread = 5000;
constexpr uint32_t kPrograms = 40;

std::string ProgramPath(uint32_t program) {
  switch (program % 4) {
    case 0:
      return "C:\\Program Files\\Google\\Chrome\\chrome.exe";
    case 1:
      return "C:\\Jeux\\Bloque" + std::to_string(program) + ".exe";
    default:
      return "C:\\Outils\\Inconnu" + std::to_string(program) + ".exe";
  }
}

TEST(ConnectionPolicyStress, DriverThreadsDecideWhileTheGuiResetsServesAndRebuilds) {
  testing::FakeDriver driver;
  testing::MemoryAppRuleKey key;
  AppRuleCache cache(key);
  AppRuleCacheStore rules(cache);
  testing::FakeCloudTrust cloud;
  for (uint32_t program = 1; program <= kPrograms; ++program) {
    driver.processNames[program] = ProgramPath(program);
    if (program % 4 == 1) rules.AddAppRule(LowerAsciiLetters(ProgramPath(program)), false);
    if (program % 8 == 2) cloud.trusted.insert(LowerAsciiLetters(ProgramPath(program)));
  }
  auto tables = std::make_unique<DecisionTables>([] { return std::string("now"); });
  tables->SetDriver(&driver);
  tables->Settings.BlockingLevel = 1;
  tables->Settings.AutoAllowLocal = true;
  tables->Settings.AllowKnownPrograms = true;
  std::atomic<int> promptRequests{0};
  PolicyEnvironment environment;
  environment.Rules = &rules;
  environment.Cloud = &cloud;
  environment.AddressText = FormatSocketAddress;
  environment.RequestPromptTimer = [&] { ++promptRequests; };
  environment.LongTime = [] { return std::string("12:00:00"); };
  ConnectionPolicy policy(*tables, driver, environment);

  std::atomic<int> finished{0};
  std::vector<std::thread> driverThreads;
  for (int t = 0; t < kDriverThreads; ++t) {
    driverThreads.emplace_back([&, t] {
      for (int i = 0; i < kConnectionsPerThread; ++i) {
        const auto id = static_cast<nf_endpoint_id>(t) * kConnectionsPerThread + i + 1;
        const uint32_t program = static_cast<uint32_t>(i % kPrograms) + 1;
        NfConnection connection = i % 5 == 0 ? testing::Ipv4Connection(program, NF_DIRECTION_OUT, {192, 168, 1, 5},
                                                                       50000, {192, 168, 1, 9}, 445)
                                             : testing::InternetConnection(program);
        policy.OnConnectRequest(id, &connection);
        policy.OnConnected(id, &connection);
      }
      ++finished;
    });
  }

  // The GUI thread: the monitors, the prompt timer and the level page.
  int served = 0;
  while (finished < kDriverThreads) {
    tables->ClearPassLists();
    for (int32_t number = served + 1; number <= tables->PendingPromptCount(); ++number) {
      const PendingPrompt entry = tables->PendingPromptEntry(number);
      cache.AddAppRule(LowerAsciiLetters(entry.ProgramPath.View()), true);
      tables->MarkPromptAnswered(number);
      served = number;
    }
    cache.ReloadAppRules();
    tables->ConnectionLogEnabled = !tables->ConnectionLogEnabled;
    if (tables->ConnectionLogCount() > 400) tables->ClearConnectionLog();
    tables->ProgramActivitySnapshot();
    tables->Settings.BlockingLevel = served % 3 == 2 ? 2 : 1;
    std::this_thread::yield();
  }
  for (std::thread& thread : driverThreads) thread.join();

  ASSERT_GT(tables->PendingPromptCount(), 0);
  EXPECT_GE(promptRequests.load(), tables->PendingPromptCount());
  for (int32_t number = 1; number <= tables->PendingPromptCount(); ++number) {
    const PendingPrompt entry = tables->PendingPromptEntry(number);
    const uint32_t program = entry.ProcessId;
    ASSERT_GE(program, 1u);
    ASSERT_LE(program, kPrograms);
    EXPECT_EQ(entry.ProgramPath, ProgramPath(program)) << "torn or foreign queue entry";
    EXPECT_NE(program % 4, 0u) << "a known program was queued";
    EXPECT_NE(program % 4, 1u) << "a blocked program was queued";
  }
  for (const LogInf& entry : tables->ConnectionLogSnapshot())
    EXPECT_TRUE(entry.Verdict == "ALLOW" || entry.Verdict == "DENY");
}

}  // namespace
}  // namespace tvn
