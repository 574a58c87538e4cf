// Driver threads append to every table while a GUI-side thread reads and
// resets. Under ThreadSanitizer this must run clean; in every tree, readers
// must never see a torn entry or a count above the capacity.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/decision_tables.h"
#include "fake_driver.h"

namespace tvn {
namespace {

constexpr int kAppenders = 4;
constexpr int kRounds = 3000;

// A log entry whose fields all derive from one number, so a torn copy shows.
LogInf MakeLogEntry(int n) {
  LogInf entry;
  entry.Verdict = (n % 2) ? "ALLOW" : "DENY";
  entry.RemoteHost = "10.0." + std::to_string(n % 256) + "." + std::to_string(n % 7);
  entry.RemotePort = std::to_string(n);
  entry.ProgramPath = "c:\\p\\" + std::to_string(n) + ".exe";
  return entry;
}

bool IsWhole(const LogInf& entry) {
  const int n = std::stoi(entry.RemotePort.Str());
  const LogInf expected = MakeLogEntry(n);
  return entry.Verdict == expected.Verdict.View() && entry.RemoteHost == expected.RemoteHost &&
         entry.ProgramPath == expected.ProgramPath.View();
}

TEST(DecisionTablesStress, AppendersReaderAndResetterRunTogether) {
  testing::FakeDriver driver;
  auto tables = std::make_unique<DecisionTables>([] { return std::string("now"); });
  tables->SetDriver(&driver);
  tables->Settings.BlockingLevel = 1;
  tables->Settings.DoNotMonitorAllowed = true;
  tables->ConnectionLogEnabled = true;

  std::atomic<bool> done{false};
  std::atomic<int> tornEntries{0};

  std::vector<std::thread> appenders;
  for (int t = 0; t < kAppenders; ++t) {
    appenders.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        const int n = t * kRounds + i;
        const auto pid = static_cast<uint32_t>(n % 3000 + 1);
        if (!tables->IsPassedConnection(static_cast<uint64_t>(n)))
          tables->AddPassedConnection(static_cast<uint64_t>(n));
        if (!tables->IsTrustedProcess(pid)) tables->AddTrustedProcess(pid);
        tables->RecordProgramActivity(pid, "c:\\p\\" + std::to_string(pid) + ".exe");
        if (!tables->IsProgramQueued("C:\\P\\" + std::to_string(n % 600) + ".EXE")) {
          PendingPrompt prompt;
          prompt.ProgramPath = "c:\\p\\" + std::to_string(n % 600) + ".exe";
          prompt.ConnectionId = static_cast<uint64_t>(n);
          tables->EnqueuePendingPrompt(prompt);
        }
        tables->AppendConnectionLog(MakeLogEntry(n));
      }
    });
  }

  std::thread reader([&] {
    while (!done) {
      for (const LogInf& entry : tables->ConnectionLogSnapshot())
        if (!IsWhole(entry)) ++tornEntries;
      for (const ProgramActivity& activity : tables->ProgramActivitySnapshot())
        if (activity.ProgramPath != "c:\\p\\" + std::to_string(activity.ProcessId) + ".exe") ++tornEntries;
      const int32_t prompts = tables->PendingPromptCount();
      EXPECT_LE(prompts, DecisionTables::kPromptQueueCapacity);
      if (prompts > 0) {
        tables->MarkPromptAnswered(prompts);
        if (tables->PendingPromptEntry(prompts).ProgramPath.Empty()) ++tornEntries;
      }
      EXPECT_LE(tables->PassedConnectionCount(), DecisionTables::kPassListCapacity);
    }
  });

  std::thread resetter([&] {
    while (!done) {
      tables->ClearPassLists();
      tables->ClearConnectionLog();
      tables->ConnectionLogChanged = false;
      std::this_thread::yield();
    }
  });

  for (auto& appender : appenders) appender.join();
  done = true;
  reader.join();
  resetter.join();

  EXPECT_EQ(tornEntries.load(), 0);
  EXPECT_EQ(tables->ProgramActivityCount(), DecisionTables::kActivityCapacity);
  EXPECT_EQ(tables->PendingPromptCount(), 512);
}

}  // namespace
}  // namespace tvn
