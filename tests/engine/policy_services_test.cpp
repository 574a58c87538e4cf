// The policy with the real rule cache and cloud trust query behind its
// interfaces: only the registry key (in memory) and the GET are fakes.
#include "engine/policy_services_impl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/connection_policy.h"
#include "engine/decision_tables.h"
#include "fake_driver.h"
#include "policy_fixtures.h"
#include "rules/app_rule_cache.h"
#include "support/ansi_text.h"
#include "tests/rules/memory_app_rule_key.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tvn {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// A program file whose path needs escaping (a blank and an apostrophe).
std::string MakeProgramFile() {
#ifdef _WIN32
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path =
      LowerAsciiLetters(std::string(folder) + "tool's app " + std::to_string(GetCurrentProcessId()) + ".exe");
#else
  const std::string path = "/tmp/tool's app " + std::to_string(getpid()) + ".exe";
#endif
  std::ofstream(path, std::ios::binary) << "hello";
  return path;
}

class PolicyServicesTest : public ::testing::Test {
 protected:
  PolicyServicesTest() : cache_(key_), store_(cache_), programPath_(MakeProgramFile()) {
    tables_->Settings.BlockingLevel = 1;
    tables_->Settings.AllowKnownPrograms = true;
    driver_.processNames[10] = programPath_;
  }
  ~PolicyServicesTest() override { std::remove(programPath_.c_str()); }

  ConnectionPolicy Policy(CloudTrust& cloud) {
    PolicyEnvironment environment;
    environment.Rules = &store_;
    environment.Cloud = &cloud;
    environment.AddressText = FormatSocketAddress;
    environment.RequestPromptTimer = [this] { ++promptRequests_; };
    return ConnectionPolicy(*tables_, driver_, environment);
  }

  testing::MemoryAppRuleKey key_;
  AppRuleCache cache_;
  AppRuleCacheStore store_;
  testing::FakeDriver driver_;
  std::unique_ptr<DecisionTables> tables_ = std::make_unique<DecisionTables>();
  std::string programPath_;
  std::vector<std::string> urls_;
  std::vector<long long> pauses_;
  int promptRequests_ = 0;
};

TEST_F(PolicyServicesTest, TrustedAnswerAllowsAndWritesAnAllowRule) {
  CloudTrustService cloud(
      [this](const std::string& url, std::string& body) {
        urls_.push_back(url);
        body = "OK\r\nAAS:1\r\nfin\r\n";
        return true;
      },
      [this](std::chrono::milliseconds pause) { pauses_.push_back(pause.count()); });
  ConnectionPolicy policy = Policy(cloud);
  NfConnection connection = testing::InternetConnection(10);

  policy.OnConnectRequest(1, &connection);

  EXPECT_THAT(driver_.TakeCalls(), IsEmpty());
  EXPECT_TRUE(cache_.HasAppRule(programPath_, true));
  EXPECT_TRUE(tables_->IsTrustedProcess(10));
  ASSERT_EQ(urls_.size(), 1u);
  // Size, MD5 of "hello", and the name escaped by the caller and once more.
  EXPECT_THAT(urls_[0], HasSubstr("/tvn_cloud/tvn_is_trusted_file.php?fs=5&fm=5D41402ABC4B2A76B9719D911017C592&fn="));
  EXPECT_THAT(urls_[0], HasSubstr("tool%2560s%2520app%2520"));
}

TEST_F(PolicyServicesTest, UnreachableCloudHoldsAndQueuesAfterTwoAttempts) {
  CloudTrustService cloud(
      [this](const std::string& url, std::string&) {
        urls_.push_back(url);
        return false;
      },
      [this](std::chrono::milliseconds pause) { pauses_.push_back(pause.count()); });
  ConnectionPolicy policy = Policy(cloud);
  NfConnection connection = testing::InternetConnection(10);

  policy.OnConnectRequest(1, &connection);

  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("suspend 1"));
  EXPECT_EQ(urls_.size(), 2u);
  EXPECT_THAT(pauses_, ElementsAre(500));
  EXPECT_EQ(tables_->PendingPromptCount(), 1);
  EXPECT_EQ(promptRequests_, 1);
  EXPECT_FALSE(cache_.HasAppRule(programPath_, true));
}

TEST_F(PolicyServicesTest, RulesOfTheCacheDecideInEveryLetterCase) {
  cache_.AddAppRule(programPath_, false);
  CloudTrustService cloud([this](const std::string& url, std::string&) {
    urls_.push_back(url);
    return false;
  });
  ConnectionPolicy policy = Policy(cloud);
  NfConnection connection = testing::InternetConnection(10);

  policy.OnConnectRequest(1, &connection);

  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("suspend 1", "close 1"));
  EXPECT_THAT(urls_, IsEmpty());
}

}  // namespace
}  // namespace tvn
