// tvn_drvsim [--driver NAME] [--timeout SECONDS] SCENARIO
// Serves as the packet-filter driver NAME (default torvane), waits for a
// firewall's nf_init (default 30 s), plays the scenario and prints one line
// per expectation and a last line "N passed, N failed". Exit status: 0 when
// every expectation held, 1 when one failed, 2 on a bad scenario or when no
// firewall came.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "nf_channel.h"
#include "scenario.h"
#include "sim_driver.h"

namespace drvsim {
namespace {

using std::chrono::milliseconds;

struct Options {
  std::string DriverName = "torvane";
  int TimeoutSeconds = 30;
  std::string ScenarioPath;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--driver" && i + 1 < argc) {
      options->DriverName = argv[++i];
    } else if (argument == "--timeout" && i + 1 < argc) {
      options->TimeoutSeconds = std::atoi(argv[++i]);
      if (options->TimeoutSeconds <= 0) return false;
    } else if (options->ScenarioPath.empty() && argument.rfind("--", 0) != 0) {
      options->ScenarioPath = argument;
    } else {
      return false;
    }
  }
  return !options->ScenarioPath.empty() && !options->DriverName.empty();
}

// Accepts every library that connects until stopped; each is served by the
// driver, which keeps the one that greets it with its name.
class Acceptor {
 public:
  Acceptor(nfapi::SocketHandle listener, SimDriver& driver)
      : listener_(listener), driver_(driver), thread_([this] { Run(); }) {}
  ~Acceptor() {
    stop_ = true;
    thread_.join();
    for (auto& channel : channels_) channel->Close();
    nfapi::CloseSocket(listener_);
  }

 private:
  void Run() {
    while (!stop_) {
      const nfapi::SocketHandle accepted = nfapi::AcceptWithin(listener_, 100);
      if (accepted == nfapi::kNoSocket) continue;
      channels_.push_back(std::make_shared<nfapi::Channel>(accepted));
      driver_.Serve(channels_.back());
    }
  }

  nfapi::SocketHandle listener_;
  SimDriver& driver_;
  std::atomic<bool> stop_{false};
  std::vector<std::shared_ptr<nfapi::Channel>> channels_;
  std::thread thread_;
};

struct Tally {
  int Passed = 0;
  int Failed = 0;
  void Report(bool held, const std::string& line, const std::string& seen) {
    ++(held ? Passed : Failed);
    if (held)
      std::printf("ok    %s\n", line.c_str());
    else
      std::printf("FAIL  %s (got %s)\n", line.c_str(), seen.c_str());
    std::fflush(stdout);
  }
};

// Byte totals settle once the handlers have posted released data.
constexpr milliseconds kBytesSettle{2000};

void Play(const Scenario& scenario, SimDriver& driver, Tally& tally) {
  for (const ScenarioLine& line : scenario.Lines) {
    std::visit(
        [&](const auto& step) {
          using T = std::decay_t<decltype(step)>;
          if constexpr (std::is_same_v<T, ProcessStep>) {
            driver.DeclareProcess(step);
          } else if constexpr (std::is_same_v<T, ConnectStep>) {
            driver.Connect(step);
          } else if constexpr (std::is_same_v<T, DataStep>) {
            driver.Data(step);
          } else if constexpr (std::is_same_v<T, UdpStep>) {
            driver.Udp(step);
          } else if constexpr (std::is_same_v<T, WaitStep>) {
            std::this_thread::sleep_for(milliseconds(step.Milliseconds));
          } else if constexpr (std::is_same_v<T, ExpectStep>) {
            const std::string seen = driver.WaitForState(step.Id, step.State, milliseconds(step.WithinMs));
            tally.Report(seen == StateName(step.State), line.Text, seen);
          } else if constexpr (std::is_same_v<T, ExpectBytesStep>) {
            const uint64_t seen = driver.WaitForBytes(step.Inbound, step.Bytes, kBytesSettle);
            tally.Report(seen == step.Bytes, line.Text, std::to_string(seen));
          }
        },
        line.Action);
  }
}

int Run(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: tvn_drvsim [--driver NAME] [--timeout SECONDS] SCENARIO\n");
    return 2;
  }
  std::ifstream file(options.ScenarioPath, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "tvn_drvsim: cannot read %s\n", options.ScenarioPath.c_str());
    return 2;
  }
  std::stringstream text;
  text << file.rdbuf();
  Scenario scenario;
  std::string error;
  if (!ParseScenario(text.str(), &scenario, &error)) {
    std::fprintf(stderr, "tvn_drvsim: %s\n", error.c_str());
    return 2;
  }

  uint16_t port = 0;
  nfapi::SocketHandle listener = nfapi::kNoSocket;
  if (nfapi::StartSockets()) listener = nfapi::ListenOnLoopback(&port);
  if (listener == nfapi::kNoSocket || !nfapi::PublishPort(options.DriverName, port)) {
    std::fprintf(stderr, "tvn_drvsim: cannot open the driver channel\n");
    return 2;
  }
  SimDriver driver(options.DriverName);
  Tally tally;
  bool firewallCame;
  {
    Acceptor acceptor(listener, driver);
    firewallCame = driver.WaitForSession(std::chrono::seconds(options.TimeoutSeconds));
    if (firewallCame) {
      // The firewall installs its rules right after nf_init returns.
      driver.WaitForFirstRule(milliseconds(2000));
      Play(scenario, driver, tally);
    }
    nfapi::WithdrawPort(options.DriverName);
  }
  if (!firewallCame) {
    std::fprintf(stderr, "tvn_drvsim: no firewall opened driver %s within %d s\n", options.DriverName.c_str(),
                 options.TimeoutSeconds);
    return 2;
  }
  std::printf("%d passed, %d failed\n", tally.Passed, tally.Failed);
  return tally.Failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace drvsim

int main(int argc, char** argv) { return drvsim::Run(argc, argv); }
