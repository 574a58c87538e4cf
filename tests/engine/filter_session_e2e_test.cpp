// The engine against the simulated driver: a minimal host opens the filter
// session through the real nfapi library and serves the prompt queue the way
// the main window will, while tvn_drvsim plays a scenario and checks what
// the driver saw.
#ifdef _WIN32
#include <winsock2.h>  // before anything that brings windows.h
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "child_process.h"
#include "engine/connection_policy.h"
#include "engine/decision_tables.h"
#include "engine/emergency_stop.h"
#include "engine/filter_session.h"
#include "engine/nfapi_driver_port.h"
#include "policy_fixtures.h"
#include "support/ansi_text.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tvn {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kNoSimulatedProcess = 0xFFFFFFF1u;

#ifdef _WIN32
constexpr const char* kExe = ".exe";
uint32_t OwnProcessId() { return GetCurrentProcessId(); }
std::string TempFolder() {
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  return path;
}
void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }
#else
constexpr const char* kExe = "";
uint32_t OwnProcessId() { return static_cast<uint32_t>(getpid()); }
std::string TempFolder() { return "/tmp/"; }
void MakeFolder(const std::string& path) { mkdir(path.c_str(), 0700); }
#endif

// A private rendezvous folder, so that parallel runs never meet.
std::string PrivateChannelFolder() {
  const std::string folder = TempFolder() + "tvn-e2e-" + std::to_string(OwnProcessId());
  MakeFolder(folder);
  testing::SetEnvironment("TVN_NFAPI_DIR", folder);
  return folder;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// What the main window will do: the prompt timer's request arrives from a
// driver thread; the queue is served on this ("GUI") thread.
class Host {
 public:
  Host() : tables_(std::make_unique<DecisionTables>()) {
    rules_.AddAppRule("c:\\jeux\\bloque.exe", false);
    PolicyEnvironment environment;
    environment.Rules = &rules_;
    environment.RequestPromptTimer = [this] {
      std::lock_guard lock(mutex_);
      ++promptRequests_;
      requested_.notify_all();
    };
    environment.LongTime = [] { return std::string("12:00:00"); };
    // The host makes no connection of its own through the driver, and its
    // real process id could be one the scenario simulates (Wine hands out
    // small ids such as 400): no simulated process may count as the host.
    environment.OwnProcessId = kNoSimulatedProcess;
    policy_ = std::make_unique<ConnectionPolicy>(*tables_, driver_, std::move(environment));
    session_ = std::make_unique<FilterSession>(*tables_, driver_, *policy_);
    tables_->SetDriver(&driver_);
  }

  bool OpenWithin(std::chrono::milliseconds limit) {
    for (auto deadline = Clock::now() + limit; Clock::now() < deadline; std::this_thread::sleep_for(50ms))
      if (session_->OpenFilterSession()) return true;
    return false;
  }

  // One answer of the user: given once the meter's totals satisfy `when`.
  struct Answer {
    std::function<bool(const NfFlowStat&)> When;
    std::function<void(Host&, const PendingPrompt&)> Act;
  };

  // Serves the queued prompts in order with the answers, as the prompt
  // timer does once it is armed.
  void AnswerPrompts(const std::vector<Answer>& answers, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    std::size_t answered = 0;
    while (answered < answers.size() && Clock::now() < deadline) {
      {
        std::unique_lock lock(mutex_);
        requested_.wait_for(lock, 100ms, [this] { return promptRequests_ > 0; });
      }
      for (int32_t number = 1; number <= tables_->PendingPromptCount() && answered < answers.size(); ++number) {
        const PendingPrompt entry = tables_->PendingPromptEntry(number);
        if (entry.Answered || !WaitForTotals(answers[answered].When, deadline)) continue;
        answers[answered++].Act(*this, entry);
        tables_->MarkPromptAnswered(number);
      }
    }
  }

  // "Autoriser l'acc\xE8s" : an allow rule, then the connection resumes.
  void Allow(const PendingPrompt& entry) {
    rules_.AddAppRule(LowerAsciiLetters(entry.ProgramPath.View()), true);
    driver_.TcpSetConnectionState(entry.ConnectionId, false);
  }
  void KeepBlocked(const PendingPrompt& entry) { driver_.TcpClose(entry.ConnectionId); }
  void EngageEmergency() { EngageEmergencyStop(*tables_, driver_); }
  void ReleaseEmergency() { ReleaseEmergencyStop(*tables_, driver_, *session_); }

  void Close() { session_->CloseFilterSession(); }
  DecisionTables& Tables() { return *tables_; }
  int PromptRequests() {
    std::lock_guard lock(mutex_);
    return promptRequests_;
  }

 private:
  bool WaitForTotals(const std::function<bool(const NfFlowStat&)>& reached, Clock::time_point deadline) {
    for (; Clock::now() < deadline; std::this_thread::sleep_for(20ms)) {
      NfFlowStat totals{};
      if (driver_.GetFlowCtlStat(tables_->FlowControlHandle, &totals) == 0 && reached(totals)) return true;
    }
    return false;
  }

  std::unique_ptr<DecisionTables> tables_;
  NfapiDriverPort driver_;
  testing::FakeAppRuleStore rules_;
  std::unique_ptr<ConnectionPolicy> policy_;
  std::unique_ptr<FilterSession> session_;
  std::mutex mutex_;
  std::condition_variable requested_;
  int promptRequests_ = 0;
};

class FilterSessionEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    folder_ = PrivateChannelFolder();
  }
  std::string Drvsim() const { return testing::ProgramFolder() + "tvn_drvsim" + kExe; }

  struct Played {
    int ExitCode = -1;
    std::string Transcript;
  };

  // Plays a scenario (next to the test program) against the host, which
  // opens its session and answers the prompts; prints the transcript.
  Played Play(const std::string& scenario, Host& host, const std::vector<Host::Answer>& answers) {
    const std::string transcript = folder_ + "/" + scenario + ".txt";
    testing::ChildProcess drvsim(Drvsim(), {"--timeout", "30", testing::ProgramFolder() + scenario}, transcript);
    if (!drvsim.Started()) return {-1, "tvn_drvsim did not start"};
    if (!host.OpenWithin(20s)) return {drvsim.Wait(), "the session did not open"};
    host.AnswerPrompts(answers, 60s);
    Played played{drvsim.Wait(), ReadFile(transcript)};
    host.Close();
    std::printf("%s", played.Transcript.c_str());
    return played;
  }

  std::string folder_;
};

TEST_F(FilterSessionEndToEnd, DriverSeesHeldBlockedAllowedAndEmergencyStoppedConnections) {
  Host host;
  const Played played = Play("session_demo.scn", host,
                             {{[](const NfFlowStat& totals) { return totals.outBytes >= 300; },
                               [](Host& h, const PendingPrompt& entry) { h.Allow(entry); }},
                              {[](const NfFlowStat& totals) { return totals.inBytes >= 5000; },
                               [](Host& h, const PendingPrompt& entry) {
                                 h.EngageEmergency();
                                 h.KeepBlocked(entry);
                               }}});

  EXPECT_EQ(played.ExitCode, 0);
  EXPECT_NE(played.Transcript.find("12 passed, 0 failed"), std::string::npos);
  ASSERT_EQ(host.Tables().PendingPromptCount(), 2);
  EXPECT_EQ(host.PromptRequests(), 2);
  const PendingPrompt first = host.Tables().PendingPromptEntry(1);
  EXPECT_EQ(first.ProgramPath, "C:\\Outils\\Nouveau Programme.exe");
  EXPECT_EQ(first.LocalAddress, "192.168.1.5:50004");
  EXPECT_EQ(first.RemoteAddress, "8.8.8.8:443");
  EXPECT_EQ(host.Tables().PendingPromptEntry(2).RemoteAddress, "[2001:db8::1]:8080");
  EXPECT_TRUE(host.Tables().EmergencyStop);
}

TEST_F(FilterSessionEndToEnd, ReleasingTheEmergencyStopReopensTheSessionWithANewCountingContext) {
  Host host;
  const Played played = Play("emergency_release.scn", host,
                             {{[](const NfFlowStat& totals) { return totals.outBytes >= 800; },
                               [](Host& h, const PendingPrompt& entry) {
                                 h.EngageEmergency();
                                 h.ReleaseEmergency();
                                 h.Allow(entry);
                               }}});

  EXPECT_EQ(played.ExitCode, 0);
  EXPECT_NE(played.Transcript.find("8 passed, 0 failed"), std::string::npos);
  EXPECT_FALSE(host.Tables().EmergencyStop);
  EXPECT_EQ(host.Tables().FlowControlHandle, 2u);  // the simulator numbers its contexts from 1
}

TEST_F(FilterSessionEndToEnd, SimulatorGivesUpWhenNoFirewallComes) {
  testing::ChildProcess drvsim(
      Drvsim(), {"--driver", "personne", "--timeout", "1", testing::ProgramFolder() + "session_demo.scn"},
      folder_ + "/alone.txt");
  ASSERT_TRUE(drvsim.Started());
  EXPECT_EQ(drvsim.Wait(), 2);
}

TEST_F(FilterSessionEndToEnd, OpeningFailsWhenNoDriverAnswers) {
  testing::SetEnvironment("TVN_NFAPI_DIR", folder_ + "/nowhere");
  Host host;
  EXPECT_FALSE(host.OpenWithin(100ms));
  testing::SetEnvironment("TVN_NFAPI_DIR", folder_);
}

}  // namespace
}  // namespace tvn
