// One connection event through the policy, on full tables: the short-cut of
// a process already trusted (request and connected events), and a full
// intelligent decision for a program that a thousand application rules do
// not cover (no cloud). Each against the straightforward design, kept here
// as the baseline: linear scans of the pass lists, the activity table and
// the rule list.
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/connection_policy.h"
#include "engine/decision_tables.h"
#include "engine/policy_services_impl.h"
#include "ratio_reporter.h"
#include "rules/app_rule_cache.h"
#include "support/ansi_text.h"
#include "tests/engine/fake_driver.h"
#include "tests/engine/policy_fixtures.h"
#include "tests/rules/memory_app_rule_key.h"

namespace {

using namespace tvn;

constexpr int kAppRules = 1000;
constexpr uint32_t kTrustedProcess = 4 * DecisionTables::kTrustedProcessCapacity;  // stored last
constexpr uint32_t kUnknownProcess = 3;

// The baseline's tables: arrays scanned from entry 1, one lock each.
struct LinearTables {
  std::mutex passMutex, trustedMutex, activityMutex;
  std::vector<uint64_t> passed;
  std::vector<uint32_t> trusted;
  std::vector<uint32_t> activityIds;
  std::vector<int64_t> requestCounts;

  bool IsPassed(uint64_t id) {
    std::lock_guard lock(passMutex);
    for (uint64_t stored : passed)
      if (stored == id) return true;
    return false;
  }
  bool IsTrusted(uint32_t processId) {
    std::lock_guard lock(trustedMutex);
    for (uint32_t stored : trusted)
      if (stored == processId) return true;
    return false;
  }
  void Record(uint32_t processId) {
    std::lock_guard lock(activityMutex);
    for (std::size_t i = 0; i < activityIds.size(); ++i)
      if (activityIds[i] == processId) {
        ++requestCounts[i];
        return;
      }
  }
};

// Application rules as a list scanned for each lookup.
class LinearRuleStore : public AppRuleStore {
 public:
  bool HasAppRule(std::string_view lowerPath, bool allow) override {
    std::lock_guard lock(mutex_);
    for (const auto& [path, allowed] : rules_)
      if (allowed == allow && path == lowerPath) return true;
    return false;
  }
  void AddAppRule(std::string_view lowerPath, bool allow) override {
    std::lock_guard lock(mutex_);
    rules_.emplace_back(std::string(lowerPath), allow);
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, bool>> rules_;
};

void FillRules(AppRuleStore& rules) {
  for (int i = 0; i < kAppRules; ++i)
    rules.AddAppRule("c:\\program files\\editeur " + std::to_string(i) + "\\programme.exe", i % 3 != 0);
}

// Full tables, a trusted process stored last, and an unknown program already
// queued, so every decision runs to its end without growing a table.
struct Bench {
  testing::FakeDriver driver;
  std::unique_ptr<DecisionTables> tables = std::make_unique<DecisionTables>([] { return std::string("now"); });
  LinearTables linear;

  Bench() {
    driver.processNames[kTrustedProcess] = "C:\\Program Files\\Google\\Chrome\\chrome.exe";
    driver.processNames[kUnknownProcess] = "C:\\Outils\\Inconnu.exe";
    for (int32_t i = 0; i < DecisionTables::kPassListCapacity; ++i) {
      tables->AddPassedConnection(1'000'000 + i);
      linear.passed.push_back(1'000'000 + i);
    }
    for (uint32_t i = 1; i <= static_cast<uint32_t>(DecisionTables::kTrustedProcessCapacity); ++i) {
      tables->AddTrustedProcess(4 * i);
      linear.trusted.push_back(4 * i);
    }
    for (uint32_t i = 1; i <= static_cast<uint32_t>(DecisionTables::kActivityCapacity); ++i) {
      const uint32_t processId = i == DecisionTables::kActivityCapacity ? kTrustedProcess : 4 * i;
      tables->RecordProgramActivity(processId, "c:\\p.exe");
      linear.activityIds.push_back(processId);
      linear.requestCounts.push_back(1);
    }
    PendingPrompt queued;
    queued.ProgramPath = "C:\\Outils\\Inconnu.exe";
    tables->EnqueuePendingPrompt(queued);
    tables->Settings.BlockingLevel = 1;
  }

  ConnectionPolicy Policy(AppRuleStore& rules) {
    PolicyEnvironment environment;
    environment.Rules = &rules;
    environment.AddressText = FormatSocketAddress;
    return ConnectionPolicy(*tables, driver, environment);
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

void Indexed_TrustedProcessEvent(benchmark::State& state) {
  Bench& bench = Shared();
  testing::FakeAppRuleStore rules;
  ConnectionPolicy policy = bench.Policy(rules);
  NfConnection connection = testing::InternetConnection(kTrustedProcess);
  nf_endpoint_id id = 1;
  for (auto _ : state) {
    policy.OnConnectRequest(id, &connection);
    policy.OnConnected(id, &connection);
    ++id;
  }
  bench.driver.TakeCalls();
  state.SetItemsProcessed(state.iterations() * 2);
}

// The same two events: pass list and process list scanned (the id misses,
// the process is found last), the activity table scanned, twice.
void Baseline_TrustedProcessEvent(benchmark::State& state) {
  Bench& bench = Shared();
  LinearTables& linear = bench.linear;
  nf_endpoint_id id = 1;
  for (auto _ : state) {
    for (int event = 0; event < 2; ++event) {
      if (!linear.IsPassed(id)) benchmark::DoNotOptimize(linear.IsTrusted(kTrustedProcess));
      linear.Record(kTrustedProcess);
    }
    ++id;
  }
  state.SetItemsProcessed(state.iterations() * 2);
}

// The store's rule cache, filled from a key in memory.
void Indexed_IntelligentDecision(benchmark::State& state) {
  Bench& bench = Shared();
  testing::MemoryAppRuleKey key;
  AppRuleCache cache(key);
  AppRuleCacheStore rules(cache);
  FillRules(rules);
  ConnectionPolicy policy = bench.Policy(rules);
  NfConnection connection = testing::InternetConnection(kUnknownProcess);
  nf_endpoint_id id = 1;
  for (auto _ : state) policy.OnConnectRequest(id++, &connection);
  bench.driver.TakeCalls();
  state.SetItemsProcessed(state.iterations());
}

void Baseline_IntelligentDecision(benchmark::State& state) {
  Bench& bench = Shared();
  LinearRuleStore rules;
  FillRules(rules);
  ConnectionPolicy policy = bench.Policy(rules);
  NfConnection connection = testing::InternetConnection(kUnknownProcess);
  nf_endpoint_id id = 1;
  for (auto _ : state) {
    if (!bench.linear.IsPassed(id) && !bench.linear.IsTrusted(kUnknownProcess))
      policy.DecideIntelligent(&connection, id);
    ++id;
  }
  bench.driver.TakeCalls();
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(Baseline_TrustedProcessEvent);
BENCHMARK(Indexed_TrustedProcessEvent);
BENCHMARK(Indexed_TrustedProcessEvent)->Threads(2)->Name("Indexed_TrustedProcessEvent_2threads");
BENCHMARK(Baseline_TrustedProcessEvent)->Threads(2)->Name("Baseline_TrustedProcessEvent_2threads");
BENCHMARK(Baseline_IntelligentDecision);
BENCHMARK(Indexed_IntelligentDecision);

}  // namespace

int main(int argc, char** argv) { return tvn::bench::RunWithRatios(argc, argv); }
