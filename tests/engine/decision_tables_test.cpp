#include "engine/decision_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "fake_driver.h"

namespace tvn {
namespace {

// Tables whose clock gives "t1", "t2", ... so first and last sightings can be told apart.
class DecisionTablesTest : public ::testing::Test {
 protected:
  DecisionTablesTest() : tables_(std::make_unique<DecisionTables>([this] { return "t" + std::to_string(++ticks_); })) {}

  int ticks_ = 0;
  std::unique_ptr<DecisionTables> tables_;
};

TEST_F(DecisionTablesTest, PassListStopsAtCapacityAndKeepsAnsweringFromStoredIds) {
  const uint64_t base = 0xFFFF'0000'0000'0000ull;
  for (uint64_t i = 0; i < DecisionTables::kPassListCapacity; ++i) tables_->AddPassedConnection(base + i);
  const uint64_t extra = base + DecisionTables::kPassListCapacity;
  tables_->AddPassedConnection(extra);

  EXPECT_EQ(tables_->PassedConnectionCount(), 16384);
  EXPECT_FALSE(tables_->IsPassedConnection(extra));
  EXPECT_TRUE(tables_->IsPassedConnection(base));
  EXPECT_TRUE(tables_->IsPassedConnection(base + 16383));
  EXPECT_FALSE(tables_->IsPassedConnection(0));
}

TEST_F(DecisionTablesTest, TrustedListStopsAtCapacityAndKeepsAnsweringFromStoredIds) {
  for (uint32_t pid = 1; pid <= DecisionTables::kTrustedProcessCapacity; ++pid) tables_->AddTrustedProcess(pid * 4);
  tables_->AddTrustedProcess(8193 * 4);

  EXPECT_EQ(tables_->TrustedProcessCount(), 8192);
  EXPECT_FALSE(tables_->IsTrustedProcess(8193 * 4));
  EXPECT_TRUE(tables_->IsTrustedProcess(4));
  EXPECT_TRUE(tables_->IsTrustedProcess(8192 * 4));
  EXPECT_FALSE(tables_->IsTrustedProcess(6));
}

TEST_F(DecisionTablesTest, DuplicatesTakeRoomAndClearingForgetsEverything) {
  tables_->AddPassedConnection(7);
  tables_->AddPassedConnection(7);
  tables_->AddTrustedProcess(0);  // process id 0 is an id like any other here
  EXPECT_EQ(tables_->PassedConnectionCount(), 2);
  EXPECT_TRUE(tables_->IsTrustedProcess(0));

  tables_->ClearPassLists();

  EXPECT_EQ(tables_->PassedConnectionCount(), 0);
  EXPECT_EQ(tables_->TrustedProcessCount(), 0);
  EXPECT_FALSE(tables_->IsPassedConnection(7));
  EXPECT_FALSE(tables_->IsTrustedProcess(0));
  tables_->AddPassedConnection(9);
  EXPECT_TRUE(tables_->IsPassedConnection(9));
  EXPECT_FALSE(tables_->IsPassedConnection(7));
}

TEST_F(DecisionTablesTest, ReusedProcessIdCountsOnTheOldEntryWhosePathStays) {
  tables_->RecordProgramActivity(1200, "C:\\Program Files\\Old\\old.exe");
  tables_->RecordProgramActivity(1200, "C:\\Windows\\new.exe");
  tables_->RecordProgramActivity(1200, "");

  const auto activity = tables_->ProgramActivitySnapshot();
  ASSERT_EQ(activity.size(), 1u);
  EXPECT_EQ(activity[0].ProcessId, 1200u);
  EXPECT_EQ(activity[0].ProgramPath.View(), "C:\\Program Files\\Old\\old.exe");
  EXPECT_EQ(activity[0].FirstSeen.View(), "t1");
  EXPECT_EQ(activity[0].LastSeen.View(), "t3");
  EXPECT_EQ(activity[0].RequestCount, 3);
}

TEST_F(DecisionTablesTest, ActivityNeverRecordsProcessZeroAndDropsNewProcessesWhenFull) {
  tables_->RecordProgramActivity(0, "system");
  EXPECT_EQ(tables_->ProgramActivityCount(), 0);

  for (uint32_t pid = 1; pid <= DecisionTables::kActivityCapacity; ++pid) tables_->RecordProgramActivity(pid, "p");
  tables_->RecordProgramActivity(5000, "late.exe");
  tables_->RecordProgramActivity(2048, "");

  const auto activity = tables_->ProgramActivitySnapshot();
  ASSERT_EQ(activity.size(), 2048u);
  EXPECT_EQ(activity.back().ProcessId, 2048u);
  EXPECT_EQ(activity.back().RequestCount, 2);
}

TEST_F(DecisionTablesTest, TextsAreCutToTheirMaximumLength) {
  const std::string longPath(300, 'x');
  tables_->RecordProgramActivity(3, longPath);
  LogInf entry;
  entry.Direction = "entrant-et-sortant";
  entry.RemoteHost = std::string(400, 'h');  // the host has no limit
  tables_->ConnectionLogEnabled = true;
  tables_->AppendConnectionLog(entry);

  EXPECT_EQ(tables_->ProgramActivitySnapshot()[0].ProgramPath.View(), std::string(255, 'x'));
  const auto log = tables_->ConnectionLogSnapshot();
  EXPECT_EQ(log[0].Direction.View(), "entrant-et");
  EXPECT_EQ(log[0].RemoteHost.size(), 400u);
}

TEST_F(DecisionTablesTest, QueuedProgramIsFoundIgnoringCaseEvenOnceAnswered) {
  PendingPrompt prompt;
  prompt.ProgramPath = "C:\\Jeux\\\xC9lan\\Client.EXE";  // \xC9 is É in the Western code page
  prompt.ProcessId = 42;
  prompt.ConnectionId = 99;
  prompt.Answered = true;  // the queue takes every entry unanswered
  ASSERT_TRUE(tables_->EnqueuePendingPrompt(prompt));
  EXPECT_FALSE(tables_->PendingPromptEntry(1).Answered);
  tables_->MarkPromptAnswered(1);

  struct Case {
    const char* path;
    bool queued;
  };
  const Case cases[] = {
      {"C:\\Jeux\\\xC9lan\\Client.EXE", true},
      {"c:\\jeux\\\xE9lan\\client.exe", true},  // é
      {"c:\\jeux\\elan\\client.exe", false},
      {"c:\\jeux\\\xE9lan\\client.ex", false},
  };
  for (const Case& c : cases) EXPECT_EQ(tables_->IsProgramQueued(c.path), c.queued) << c.path;
  EXPECT_TRUE(tables_->PendingPromptEntry(1).Answered);
}

TEST_F(DecisionTablesTest, FullPromptQueueRefusesTheEntry) {
  PendingPrompt prompt;
  for (int i = 0; i < DecisionTables::kPromptQueueCapacity; ++i) {
    prompt.ConnectionId = static_cast<uint64_t>(i);
    ASSERT_TRUE(tables_->EnqueuePendingPrompt(prompt));
  }
  prompt.ProgramPath = "c:\\late.exe";

  EXPECT_FALSE(tables_->EnqueuePendingPrompt(prompt));
  EXPECT_EQ(tables_->PendingPromptCount(), 512);
  EXPECT_FALSE(tables_->IsProgramQueued("c:\\late.exe"));
}

TEST_F(DecisionTablesTest, LogAppendsOnlyWhileEnabledAndStaysFullUntilEmptied) {
  LogInf entry;
  entry.Verdict = "ALLOW";
  tables_->AppendConnectionLog(entry);
  EXPECT_EQ(tables_->ConnectionLogCount(), 0);
  EXPECT_FALSE(tables_->ConnectionLogChanged);

  tables_->ConnectionLogEnabled = true;
  for (int i = 0; i < 501; ++i) {
    entry.RemotePort = std::to_string(i);
    tables_->AppendConnectionLog(entry);
  }
  EXPECT_TRUE(tables_->ConnectionLogChanged);
  const auto log = tables_->ConnectionLogSnapshot();
  ASSERT_EQ(log.size(), 500u);
  EXPECT_EQ(log.back().RemotePort.View(), "499");

  tables_->ConnectionLogChanged = false;
  tables_->AppendConnectionLog(entry);
  EXPECT_FALSE(tables_->ConnectionLogChanged);

  tables_->ClearConnectionLog();
  tables_->AppendConnectionLog(entry);
  EXPECT_EQ(tables_->ConnectionLogCount(), 1);
}

TEST_F(DecisionTablesTest, DoNotMonitorRuleAllowsOnlyTheTrustedProcess) {
  struct Case {
    int32_t level;
    bool doNotMonitor;
    bool ruleAdded;
  };
  const Case cases[] = {{1, true, true}, {1, false, false}, {0, true, false}, {2, true, false}};
  for (const Case& c : cases) {
    testing::FakeDriver driver;
    DecisionTables tables;
    tables.SetDriver(&driver);
    tables.Settings.BlockingLevel = c.level;
    tables.Settings.DoNotMonitorAllowed = c.doNotMonitor;

    tables.AddTrustedProcess(4321);

    SCOPED_TRACE(::testing::Message() << "level " << c.level << " option " << c.doNotMonitor);
    ASSERT_EQ(driver.rules.size(), c.ruleAdded ? 1u : 0u);
    if (!c.ruleAdded) continue;
    NfRule expected{};
    expected.processId = 4321;
    expected.filteringFlag = NF_ALLOW;
    EXPECT_EQ(std::memcmp(&driver.rules[0].rule, &expected, sizeof expected), 0);
    EXPECT_TRUE(driver.rules[0].atHead);
  }
}

TEST_F(DecisionTablesTest, FullTrustedListAddsNoRule) {
  testing::FakeDriver driver;
  for (uint32_t pid = 1; pid <= DecisionTables::kTrustedProcessCapacity; ++pid) tables_->AddTrustedProcess(pid);
  tables_->SetDriver(&driver);
  tables_->Settings.BlockingLevel = 1;
  tables_->Settings.DoNotMonitorAllowed = true;

  tables_->AddTrustedProcess(9999);

  EXPECT_TRUE(driver.rules.empty());
}

TEST_F(DecisionTablesTest, ResetAllEmptiesTablesAndFlags) {
  tables_->AddPassedConnection(1);
  tables_->RecordProgramActivity(1, "a");
  tables_->EnqueuePendingPrompt(PendingPrompt{});
  tables_->ConnectionLogEnabled = true;
  tables_->AppendConnectionLog(LogInf{});
  tables_->EmergencyStop = true;

  tables_->ResetAll();

  EXPECT_EQ(tables_->PassedConnectionCount(), 0);
  EXPECT_EQ(tables_->ProgramActivityCount(), 0);
  EXPECT_EQ(tables_->PendingPromptCount(), 0);
  EXPECT_EQ(tables_->ConnectionLogCount(), 0);
  EXPECT_FALSE(tables_->EmergencyStop);
  EXPECT_FALSE(tables_->ConnectionLogEnabled);
  tables_->RecordProgramActivity(1, "b");
  EXPECT_EQ(tables_->ProgramActivitySnapshot()[0].ProgramPath.View(), "b");
}

}  // namespace
}  // namespace tvn
