#include "engine/filter_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/decision_tables.h"
#include "engine/emergency_stop.h"
#include "engine/traffic_meter.h"
#include "fake_driver.h"
#include "policy_fixtures.h"

namespace tvn {
namespace {

using ::testing::ElementsAre;
using testing::FakeDriver;
using ::testing::IsEmpty;

bool IsZeroRuleExceptFlag(const NfRule& rule) {
  NfRule zero{};
  zero.filteringFlag = rule.filteringFlag;
  return std::memcmp(&zero, &rule, sizeof rule) == 0;
}

class FilterSessionTest : public ::testing::Test {
 protected:
  FilterSessionTest()
      : tables_(std::make_unique<DecisionTables>()),
        policy_(*tables_, driver_, MakeEnvironment()),
        session_(*tables_, driver_, policy_) {}

  PolicyEnvironment MakeEnvironment() {
    PolicyEnvironment environment;
    environment.Rules = &rules_;
    environment.AddressText = FormatSocketAddress;
    return environment;
  }

  FakeDriver driver_;
  testing::FakeAppRuleStore rules_;
  std::unique_ptr<DecisionTables> tables_;
  ConnectionPolicy policy_;
  FilterSession session_;
};

TEST_F(FilterSessionTest, OpeningInstallsHandlersCountingContextAndTheTcpFilterRuleAtTheHead) {
  ASSERT_TRUE(session_.OpenFilterSession());

  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("init", "rule 2"));
  EXPECT_EQ(tables_->FlowControlHandle, 1u);
  ASSERT_EQ(driver_.rules.size(), 1u);
  const NfRule& base = driver_.rules[0].rule;
  EXPECT_TRUE(driver_.rules[0].atHead);
  // Packed fields are compared as values (+): a reference to one may be misaligned.
  EXPECT_EQ(+base.protocol, NF_PROTOCOL_TCP);
  EXPECT_EQ(+base.filteringFlag, static_cast<uint32_t>(NF_FILTER));
  NfRule expected{};
  expected.protocol = NF_PROTOCOL_TCP;
  expected.filteringFlag = NF_FILTER;
  EXPECT_EQ(std::memcmp(&expected, &base, sizeof base), 0);
}

TEST_F(FilterSessionTest, FailedInitOpensNothing) {
  driver_.initStatus = NF_STATUS_FAIL;
  EXPECT_FALSE(session_.OpenFilterSession());
  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("init"));
  EXPECT_EQ(tables_->FlowControlHandle, 0u);
}

TEST_F(FilterSessionTest, HandlerTableRoutesRequestsToThePolicyAndPassesData) {
  ASSERT_TRUE(session_.OpenFilterSession());
  driver_.TakeCalls();
  tables_->Settings.BlockingLevel = 2;
  driver_.processNames[10] = "C:\\Jeux\\jeu.exe";
  const NfEventHandlers& handlers = driver_.initHandlers;
  NfConnection connection = testing::InternetConnection(10);

  handlers.threadStart();
  handlers.tcpConnectRequest(5, &connection);
  handlers.tcpReceive(5, "abc", 3);
  handlers.tcpSend(5, "abcd", 4);
  handlers.udpReceive(6, connection.remoteAddress, "x", 1, nullptr);
  handlers.udpSend(6, connection.remoteAddress, "xy", 2, nullptr);
  handlers.tcpClosed(5, &connection);
  handlers.threadEnd();

  EXPECT_THAT(driver_.TakeCalls(),
              ElementsAre("suspend 5", "close 5", "post-recv 5 3", "post-send 5 4", "udp-recv 6 1", "udp-send 6 2"));
}

TEST_F(FilterSessionTest, EmergencyStopDropsTcpDataButNeverUdp) {
  tables_->EmergencyStop = true;
  NfConnection connection = testing::InternetConnection(10);
  session_.OnTcpReceive(5, "abc", 3);
  session_.OnTcpSend(5, "abc", 3);
  session_.OnUdpReceive(6, connection.remoteAddress, "x", 1, nullptr);
  session_.OnUdpSend(6, connection.remoteAddress, "x", 1, nullptr);
  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("udp-recv 6 1", "udp-send 6 1"));
}

TEST_F(FilterSessionTest, EmergencyStopEngagesABlockEverythingRuleAndReleaseStartsAfresh) {
  ASSERT_TRUE(session_.OpenFilterSession());
  tables_->Settings.BlockingLevel = 1;
  tables_->Settings.DoNotMonitorAllowed = true;
  tables_->SetDriver(&driver_);
  tables_->AddTrustedProcess(10);  // an allow rule the release must drop
  driver_.TakeCalls();

  EngageEmergencyStop(*tables_, driver_);
  EXPECT_TRUE(tables_->EmergencyStop);
  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("rule 1"));
  ASSERT_EQ(driver_.rules.size(), 3u);
  EXPECT_TRUE(driver_.rules.back().atHead);
  EXPECT_TRUE(IsZeroRuleExceptFlag(driver_.rules.back().rule));

  ReleaseEmergencyStop(*tables_, driver_, session_);
  EXPECT_FALSE(tables_->EmergencyStop);
  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("delete-rules", "free", "init", "rule 2"));
  ASSERT_EQ(driver_.rules.size(), 1u);
  EXPECT_EQ(+driver_.rules[0].rule.filteringFlag, static_cast<uint32_t>(NF_FILTER));
  EXPECT_EQ(tables_->FlowControlHandle, 2u);  // a new counting context
}

TEST_F(FilterSessionTest, ReleaseIgnoresAFailedReopening) {
  EngageEmergencyStop(*tables_, driver_);
  driver_.initStatus = NF_STATUS_FAIL;
  ReleaseEmergencyStop(*tables_, driver_, session_);
  EXPECT_FALSE(tables_->EmergencyStop);
  EXPECT_THAT(driver_.TakeCalls(), ElementsAre("rule 1", "delete-rules", "free", "init"));
}

TEST(TrafficMeterTest, BarValuesRoundHalfToEvenAndShowATrickleAs15) {
  struct Case {
    uint32_t bytes;
    double fullBar;
    int bar;
  } cases[] = {
      {100000, kFullInboundBar, 50}, {30000, kFullInboundBar, 15},   {4000, kFullInboundBar, 15},
      {1000, kFullInboundBar, 0},    {400000, kFullInboundBar, 200}, {3200, kFullOutboundBar, 10},
      {3000, kFullOutboundBar, 15},  {320, kFullOutboundBar, 15},    {160, kFullOutboundBar, 0},
      {161, kFullOutboundBar, 1},    {21000, kFullInboundBar, 10},   {23000, kFullInboundBar, 12},
      {5000, kFullOutboundBar, 16},  {3360, kFullOutboundBar, 10},   {3680, kFullOutboundBar, 12},
      {0, kFullInboundBar, 0},
  };
  // 10.5 and 11.5 are exact halves: each goes to its even neighbour.
  for (const Case& c : cases) EXPECT_EQ(MeterBarValue(c.bytes, c.fullBar), c.bar) << c.bytes;
  EXPECT_EQ(ClampBarValue(200), 100);
  EXPECT_EQ(ClampBarValue(-3), 0);
}

TEST(TrafficMeterTest, SamplesEveryFourSecondsAndWrapsOnANewContext) {
  TrafficStats stats;
  EXPECT_FALSE(stats.Tick(3999, {100000, 3200}));
  EXPECT_EQ(stats.InboundLabelBytes(), 100000u);  // labels follow every tick

  const auto first = stats.Tick(4000, {100000, 3200});
  ASSERT_TRUE(first);
  EXPECT_EQ(first->In, 50);
  EXPECT_EQ(first->Out, 10);
  EXPECT_FALSE(stats.Tick(7999, {200000, 3200}));

  // A new, smaller context: the low 32-bit difference wraps and the bar is full.
  const auto wrapped = stats.Tick(8000, {10, 0});
  ASSERT_TRUE(wrapped);
  EXPECT_EQ(ClampBarValue(wrapped->In), 100);
  EXPECT_EQ(ClampBarValue(wrapped->Out), 100);

  // The tick count itself wraps after 49.7 days.
  EXPECT_TRUE(stats.Tick(8000 + 4000, {10, 0}));
  TrafficStats late;
  EXPECT_TRUE(late.Tick(0xFFFFFFFFu, {0, 0}));
  EXPECT_FALSE(late.Tick(2000, {0, 0}));
  EXPECT_TRUE(late.Tick(3999, {0, 0}));
}

TEST(TrafficMeterTest, FailedReadLeavesLabelsAndChartsAsTheyWere) {
  FakeDriver driver;
  TrafficStats stats;
  std::optional<MeterSample> sample;
  driver.flowStat = {100000, 3200};
  ASSERT_TRUE(ReadTrafficTotals(driver, 1, 4000, stats, sample));
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->In, 50);

  driver.flowStatStatus = NF_STATUS_FAIL;
  driver.flowStat = {900000, 9000};
  EXPECT_FALSE(ReadTrafficTotals(driver, 1, 9000, stats, sample));
  EXPECT_FALSE(sample);
  EXPECT_EQ(stats.InboundLabelBytes(), 100000u);

  // The next good read samples against the totals of the last good one.
  driver.flowStatStatus = NF_STATUS_SUCCESS;
  ASSERT_TRUE(ReadTrafficTotals(driver, 1, 9000, stats, sample));
  EXPECT_EQ(sample->In, 400);  // 800000 bytes: the chart clamps it to a full bar
  EXPECT_EQ(sample->Out, 18);  // 5800 bytes
}

TEST(TrafficMeterTest, LabelsShowTotalsModulo2To32) {
  TrafficStats stats;
  stats.Tick(1, {0x1'0000'0005ull, 0xFFFF'FFFFull});
  EXPECT_EQ(stats.InboundLabelBytes(), 5u);
  EXPECT_EQ(stats.OutboundLabelBytes(), 4294967295u);
}

}  // namespace
}  // namespace tvn
