#include "engine/connection_policy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/decision_tables.h"
#include "fake_driver.h"
#include "policy_fixtures.h"

namespace tvn {
namespace {

using ::testing::ElementsAre;
using testing::FakeAppRuleStore;
using testing::FakeCloudTrust;
using testing::FakeDriver;
using testing::InternetConnection;
using testing::Ipv4Connection;
using ::testing::IsEmpty;

constexpr uint32_t kOwnProcess = 4242;
constexpr uint32_t kNamelessProcess = 66;

class PolicyTest : public ::testing::Test {
 protected:
  PolicyTest() : tables_(std::make_unique<DecisionTables>([] { return std::string("11/12/2026 14:03:27"); })) {
    PolicyEnvironment environment;
    environment.Rules = &rules_;
    environment.Cloud = &cloud_;
    environment.AddressText = FormatSocketAddress;
    environment.RequestPromptTimer = [this] { ++promptTimerRequests_; };
    environment.LongTime = [] { return std::string("14:03:27"); };
    environment.OwnProcessId = kOwnProcess;
    policy_ = std::make_unique<ConnectionPolicy>(*tables_, driver_, std::move(environment));
    tables_->SetDriver(&driver_);
  }

  void SetLevel(int level, bool autoAllowLocal = false, bool allowKnownPrograms = false) {
    tables_->Settings.BlockingLevel = level;
    tables_->Settings.AutoAllowLocal = autoAllowLocal;
    tables_->Settings.AllowKnownPrograms = allowKnownPrograms;
  }
  void Program(uint32_t processId, std::string path) { driver_.processNames[processId] = std::move(path); }

  // Runs the request handler; returns the driver calls it made.
  testing::CallLog Request(nf_endpoint_id id, NfConnection& connection) {
    policy_->OnConnectRequest(id, &connection);
    return driver_.TakeCalls();
  }

  FakeDriver driver_;
  FakeAppRuleStore rules_;
  FakeCloudTrust cloud_;
  std::unique_ptr<DecisionTables> tables_;
  std::unique_ptr<ConnectionPolicy> policy_;
  int promptTimerRequests_ = 0;
};

enum class Outcome { Allowed, Blocked, Held };

struct DecisionCase {
  const char* name;
  int level;
  bool autoAllowLocal;
  bool allowKnownPrograms;
  std::optional<std::string> path;  // nullopt: the driver cannot name the process
  std::vector<std::pair<std::string, bool>> appRules;
  std::vector<std::string> cloudTrusts;
  NfConnection connection;
  Outcome outcome;
  bool processTrustedAfter;
  int queuedAfter;
};

const uint8_t kLan5[4] = {192, 168, 1, 5};
const uint8_t kLan20[4] = {192, 168, 1, 20};
const uint8_t kOtherLan[4] = {192, 168, 2, 1};
const uint8_t kLoopback[4] = {127, 0, 0, 1};

const char* kFirefox = "C:\\Program Files\\Mozilla Firefox\\firefox.exe";
const char* kTool = "C:\\Outils\\Tool.exe";

std::vector<DecisionCase> DecisionCases() {
  const NfConnection internet = InternetConnection(10);
  return {
      {"LocalLoopbackAllowedAndTrusted",
       1,
       true,
       false,
       kTool,
       {},
       {},
       Ipv4Connection(10, NF_DIRECTION_OUT, kLoopback, 50000, kLoopback, 80),
       Outcome::Allowed,
       true,
       0},
      {"SameLanPrefixAllowedAndTrusted",
       1,
       true,
       false,
       kTool,
       {},
       {},
       Ipv4Connection(10, NF_DIRECTION_OUT, kLan5, 50210, kLan20, 445),
       Outcome::Allowed,
       true,
       0},
      {"NamelessProcessOnLanStillTrusted",
       1,
       true,
       false,
       std::nullopt,
       {},
       {},
       Ipv4Connection(10, NF_DIRECTION_OUT, kLan5, 50210, kLan20, 445),
       Outcome::Allowed,
       true,
       0},
      {"OtherLanPrefixIsNotLocal",
       1,
       true,
       false,
       kTool,
       {},
       {},
       Ipv4Connection(10, NF_DIRECTION_OUT, kLan5, 50210, kOtherLan, 445),
       Outcome::Held,
       false,
       1},
      {"LanNotAutoAllowedWhenOptionOff",
       1,
       false,
       false,
       kTool,
       {},
       {},
       Ipv4Connection(10, NF_DIRECTION_OUT, kLan5, 50210, kLan20, 445),
       Outcome::Held,
       false,
       1},
      {"AllowRuleBeatsBlockRule",
       1,
       false,
       false,
       kTool,
       {{"c:\\outils\\tool.exe", false}, {"c:\\outils\\tool.exe", true}},
       {},
       internet,
       Outcome::Allowed,
       true,
       0},
      {"BlockRuleBeatsKnownList",
       1,
       false,
       false,
       kFirefox,
       {{"c:\\program files\\mozilla firefox\\firefox.exe", false}},
       {},
       internet,
       Outcome::Blocked,
       false,
       0},
      {"KnownListIsSubstringTest",
       1,
       false,
       false,
       "c:\\temp\\notfirefox.exe",
       {},
       {},
       internet,
       Outcome::Allowed,
       true,
       0},
      {"IntelligentNamelessAllowedUnrecorded",
       1,
       false,
       false,
       std::nullopt,
       {},
       {},
       internet,
       Outcome::Allowed,
       false,
       0},
      {"CloudTrustAllows", 1, false, true, kTool, {}, {"c:\\outils\\tool.exe"}, internet, Outcome::Allowed, true, 0},
      {"CloudDistrustHoldsAndQueues", 1, false, true, kTool, {}, {}, internet, Outcome::Held, false, 1},
      {"StrictAllowsExplorer",
       2,
       false,
       false,
       "C:\\Windows\\explorer.exe",
       {},
       {},
       internet,
       Outcome::Allowed,
       true,
       0},
      {"StrictBlocksUnruledFirefoxWithoutQueuing",
       2,
       false,
       false,
       kFirefox,
       {},
       {},
       internet,
       Outcome::Blocked,
       false,
       0},
      {"StrictAllowRule",
       2,
       false,
       false,
       kTool,
       {{"c:\\outils\\tool.exe", true}},
       {},
       internet,
       Outcome::Allowed,
       true,
       0},
      {"StrictNamelessAllowed", 2, false, false, std::nullopt, {}, {}, internet, Outcome::Allowed, false, 0},
      {"WeakAllowsUnknownWithoutTrusting", 0, false, false, kTool, {}, {}, internet, Outcome::Allowed, false, 0},
      {"WeakBlockRuleBlocks",
       0,
       false,
       false,
       kTool,
       {{"c:\\outils\\tool.exe", false}},
       {},
       internet,
       Outcome::Blocked,
       false,
       0},
      {"UnknownLevelAllows", 7, false, false, kTool, {}, {}, internet, Outcome::Allowed, false, 0},
  };
}

class DecisionTableTest : public PolicyTest, public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(DecisionTableTest, RequestEndsInTheExpectedOutcome) {
  const DecisionCase& c = GetParam();
  SetLevel(c.level, c.autoAllowLocal, c.allowKnownPrograms);
  if (c.path) Program(10, *c.path);
  for (const auto& [path, allow] : c.appRules) rules_.AddAppRule(path, allow);
  cloud_.trusted.insert(c.cloudTrusts.begin(), c.cloudTrusts.end());
  NfConnection connection = c.connection;

  const testing::CallLog calls = Request(77, connection);

  switch (c.outcome) {
    case Outcome::Allowed:
      EXPECT_THAT(calls, IsEmpty());
      EXPECT_EQ(+connection.filteringFlag, 0u);
      break;
    case Outcome::Blocked:
      EXPECT_THAT(calls, ElementsAre("suspend 77", "close 77"));
      EXPECT_EQ(+connection.filteringFlag, static_cast<uint32_t>(NF_BLOCK));
      break;
    case Outcome::Held:
      EXPECT_THAT(calls, ElementsAre("suspend 77"));
      EXPECT_EQ(+connection.filteringFlag, 0u);
      break;
  }
  EXPECT_EQ(tables_->IsTrustedProcess(10), c.processTrustedAfter);
  EXPECT_EQ(tables_->IsPassedConnection(77), c.processTrustedAfter);
  EXPECT_EQ(tables_->PendingPromptCount(), c.queuedAfter);
  EXPECT_EQ(promptTimerRequests_, c.queuedAfter);
  // Only a passed connection records its program.
  EXPECT_EQ(tables_->ProgramActivityCount(), c.processTrustedAfter ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Levels, DecisionTableTest, ::testing::ValuesIn(DecisionCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PolicyTest, LocalNetworkTrustLastsForInternetConnectionsAndAcrossALevelChange) {
  SetLevel(1, true);
  Program(10, kTool);
  NfConnection lan = Ipv4Connection(10, NF_DIRECTION_OUT, kLan5, 50210, kLan20, 445);
  Request(1, lan);
  const auto activity = tables_->ProgramActivitySnapshot();
  ASSERT_EQ(activity.size(), 1u);
  EXPECT_EQ(activity[0].ProgramPath, kTool);

  SetLevel(2);
  NfConnection internet = InternetConnection(10);
  EXPECT_THAT(Request(2, internet), IsEmpty());
  EXPECT_EQ(tables_->ProgramActivitySnapshot()[0].RequestCount, 2);
  EXPECT_EQ(rules_.lookups, 0);  // decided without any rule
}

TEST_F(PolicyTest, NamelessProcessOnTheLanIsRecordedAsUnknown) {
  SetLevel(1, true);
  NfConnection lan = Ipv4Connection(kNamelessProcess, NF_DIRECTION_OUT, kLan5, 50210, kLan20, 445);
  Request(1, lan);
  EXPECT_EQ(tables_->ProgramActivitySnapshot().at(0).ProgramPath, "Inconnu");
}

TEST_F(PolicyTest, SecondConnectionOfAQueuedProgramIsHeldWithoutASecondPrompt) {
  SetLevel(1);
  Program(10, kTool);
  NfConnection first = InternetConnection(10);
  NfConnection second = InternetConnection(10);

  EXPECT_THAT(Request(1, first), ElementsAre("suspend 1"));
  Program(10, "c:\\OUTILS\\tool.EXE");  // another letter case still counts as queued
  EXPECT_THAT(Request(2, second), ElementsAre("suspend 2"));

  ASSERT_EQ(tables_->PendingPromptCount(), 1);
  const PendingPrompt entry = tables_->PendingPromptEntry(1);
  EXPECT_EQ(entry.ProgramPath, kTool);
  EXPECT_EQ(entry.ProcessId, 10u);
  EXPECT_EQ(entry.ConnectionId, 1u);
  EXPECT_EQ(entry.LocalAddress, "192.168.1.5:50210");
  EXPECT_EQ(entry.RemoteAddress, "93.184.216.34:443");
  EXPECT_FALSE(entry.Answered);
  EXPECT_EQ(promptTimerRequests_, 1);
}

TEST_F(PolicyTest, FullPromptQueueClosesTheConnectionInsteadOfHoldingItForever) {
  SetLevel(1);
  for (uint32_t i = 0; i < DecisionTables::kPromptQueueCapacity; ++i) {
    PendingPrompt entry;
    entry.ProgramPath = "c:\\p" + std::to_string(i) + ".exe";
    tables_->EnqueuePendingPrompt(entry);
  }
  Program(10, kTool);
  NfConnection connection = InternetConnection(10);
  EXPECT_THAT(Request(5, connection), ElementsAre("suspend 5", "close 5"));
  EXPECT_EQ(+connection.filteringFlag, static_cast<uint32_t>(NF_BLOCK));
  EXPECT_EQ(promptTimerRequests_, 0);
}

TEST_F(PolicyTest, CloudIsAskedWithEscapedNameDigestAndSizeAndItsVerdictBecomesARule) {
  SetLevel(1, false, true);
  Program(10, kTool);
  cloud_.trusted.insert("c:\\outils\\tool.exe");
  NfConnection connection = InternetConnection(10);
  Request(1, connection);

  EXPECT_THAT(cloud_.queries, ElementsAre("esc:c:\\outils\\tool.exe|0123456789ABCDEF0123456789ABCDEF|4096"));
  EXPECT_TRUE(rules_.HasAppRule("c:\\outils\\tool.exe", true));
}

TEST_F(PolicyTest, MissingOrEmptyFileIsNeverQueriedAndIsHeld) {
  SetLevel(1, false, true);
  cloud_.missingFile = "c:\\outils\\tool.exe";
  cloud_.emptyFile = "c:\\vide.exe";
  Program(10, kTool);
  Program(11, "C:\\vide.exe");
  NfConnection missing = InternetConnection(10);
  NfConnection empty = InternetConnection(11);

  EXPECT_THAT(Request(1, missing), ElementsAre("suspend 1"));
  EXPECT_THAT(Request(2, empty), ElementsAre("suspend 2"));
  EXPECT_THAT(cloud_.queries, IsEmpty());
  EXPECT_EQ(tables_->PendingPromptCount(), 2);
}

TEST_F(PolicyTest, OwnProcessIsNeverDecidedNorHeldBehindATrustQuery) {
  SetLevel(2);
  Program(kOwnProcess, "C:\\Program Files\\Torvane\\torvane.exe");
  tables_->ConnectionLogEnabled = true;
  NfConnection connection = InternetConnection(kOwnProcess);

  EXPECT_THAT(Request(1, connection), IsEmpty());
  policy_->OnConnected(1, &connection);

  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("flowctl 1 0"));
  EXPECT_EQ(rules_.lookups, 0);
  EXPECT_EQ(tables_->ProgramActivityCount(), 0);
  EXPECT_EQ(tables_->ConnectionLogSnapshot().at(0).Verdict, "ALLOW");
}

TEST_F(PolicyTest, EmergencyStopSilencesBothHandlers) {
  SetLevel(2);
  Program(10, kFirefox);
  tables_->ConnectionLogEnabled = true;
  tables_->EmergencyStop = true;
  NfConnection connection = InternetConnection(10);

  policy_->OnConnectRequest(1, &connection);
  policy_->OnConnected(1, &connection);

  EXPECT_THAT(driver_.TakeCalls(), IsEmpty());
  EXPECT_EQ(+connection.filteringFlag, 0u);
  EXPECT_EQ(tables_->ConnectionLogCount(), 0);
  EXPECT_EQ(tables_->ProgramActivityCount(), 0);
}

TEST_F(PolicyTest, ConnectedEventCountsBytesOnlyForConnectionsNotPassedAtTheirRequest) {
  SetLevel(1);
  tables_->FlowControlHandle = 3;
  Program(10, kFirefox);
  NfConnection first = InternetConnection(10);
  NfConnection second = InternetConnection(10);

  Request(1, first);  // passed: the connection id is listed
  policy_->OnConnected(1, &first);
  Request(2, second);  // trusted process: the id itself is not listed
  policy_->OnConnected(2, &second);

  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("flowctl 2 3"));
  EXPECT_EQ(tables_->ProgramActivitySnapshot().at(0).RequestCount, 4);
}

TEST_F(PolicyTest, ConnectedEventLogsVerdictDirectionAndSplitRemoteAddress) {
  SetLevel(1);
  Program(10, kFirefox);
  Program(11, kTool);
  NfConnection allowed = InternetConnection(10);
  NfConnection held = Ipv4Connection(11, NF_DIRECTION_BOTH, kLan5, 50211, {10, 0, 0, 1}, 8080);
  policy_->OnConnected(1, &allowed);  // logging off: nothing appended
  tables_->ConnectionLogEnabled = true;

  policy_->OnConnected(2, &allowed);
  policy_->OnConnected(3, &held);  // a second full decision: held, logged as denied

  const std::vector<LogInf> log = tables_->ConnectionLogSnapshot();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].Time, "14:03:27");
  EXPECT_EQ(log[0].Direction, "sortant");
  EXPECT_EQ(log[0].Verdict, "ALLOW");
  EXPECT_EQ(log[0].RemoteHost, "93.184.216.34");
  EXPECT_EQ(log[0].RemotePort, "443");
  EXPECT_EQ(log[0].ProgramPath, kFirefox);
  EXPECT_EQ(log[1].Direction, "e/s");
  EXPECT_EQ(log[1].Verdict, "DENY");
  EXPECT_EQ(log[1].RemoteHost, "10.0.0.1");
  EXPECT_EQ(log[1].RemotePort, "8080");
  EXPECT_TRUE(tables_->ConnectionLogChanged);
}

TEST(LocalNetworkTest, ComparesLoopbackOrFirstThreeOctets) {
  struct Case {
    const char* local;
    const char* remote;
    bool local_network;
  } cases[] = {
      {"192.168.1.5:50000", "127.0.0.1:80", true},
      {"", "127.0.0.1", true},
      {"192.168.1.5:50210", "192.168.1.20:445", true},
      {"192.168.1.5:50210", "192.168.2.1:445", false},
      {"10.0.0.5:1", "10.0.0.200:2", true},
      {"[fe80::1]:5000", "[fe80::2]:80", false},
      {"[::1]:5000", "[::1]:80", false},
      {"", "", false},
      {"1.2.3", "1.2.3", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsLocalNetwork(c.local, c.remote), c.local_network) << c.local << " " << c.remote;
  EXPECT_EQ(NetworkPrefix("192.168.1.5:50210"), "192.168.1");
  EXPECT_EQ(NetworkPrefix("a.b"), "a.b");
  EXPECT_TRUE(IsDottedAddress("1.2.3.4"));
  EXPECT_FALSE(IsDottedAddress("1.2.3."));
}

TEST(KnownProgramsTest, IntelligentAndStrictListsAreSubstringTests) {
  EXPECT_TRUE(IsKnownProgram("c:\\temp\\notfirefox.exe"));
  EXPECT_TRUE(IsKnownProgram("c:\\program files\\ombrix\\ob_scanint.exe"));
  EXPECT_FALSE(IsKnownStrictProgram("c:\\program files\\mozilla firefox\\firefox.exe"));
  EXPECT_TRUE(IsKnownStrictProgram("c:\\windows\\system32\\svchost.exe"));
  EXPECT_FALSE(IsKnownProgram("c:\\windows\\system32\\SVCHOST.EXE"));  // callers lower the path
}

TEST(SplitRemoteAddressTest, SplitsAtTheFirstColonOfTextsOfNineCharactersOrMore) {
  struct Case {
    const char* text;
    const char* host;
    const char* port;
  } cases[] = {
      {"93.184.216.34:443", "93.184.216.34", "443"},
      {"1.2.3.4:5", "1.2.3.4", "5"},
      {"1.2.3.4", "1.2.3.4", ""},
      {"[::1]:80", "[::1]:80", ""},
      {":12345678", ":12345678", ""},
      {"[2001:db8::1]:443", "[2001", "db8::1]:443"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    const HostAndPort split = SplitRemoteAddress(c.text);
    EXPECT_EQ(split.Host, c.host) << c.text;
    EXPECT_EQ(split.Port, c.port) << c.text;
  }
}

TEST(SocketAddressTextTest, WritesIpv4AndIpv6LikeWindows) {
  uint8_t address[NF_ADDRESS_SIZE] = {};
  testing::PutIpv4(address, {192, 168, 1, 5}, 49731);
  EXPECT_EQ(FormatSocketAddress(address), "192.168.1.5:49731");
  testing::PutIpv4(address, {10, 0, 0, 1}, 0);
  EXPECT_EQ(FormatSocketAddress(address), "10.0.0.1");

  uint8_t v6[NF_ADDRESS_SIZE] = {kWindowsAfInet6, 0, 0x01, 0xBB};
  const uint8_t bytes[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  std::memcpy(v6 + 8, bytes, 16);
  EXPECT_EQ(FormatSocketAddress(v6), "[2001:db8::1]:443");
  uint8_t unknown[NF_ADDRESS_SIZE] = {99};
  EXPECT_EQ(FormatSocketAddress(unknown), std::nullopt);
}

}  // namespace
}  // namespace tvn
