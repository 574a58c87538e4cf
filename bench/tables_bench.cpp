// The two lookups on the path of every connection event, on full tables:
// the engine's indexed tables against a plain linear scan of entries
// 1..count (the straightforward design, kept here as the baseline).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/decision_tables.h"
#include "ratio_reporter.h"

namespace {

using tvn::DecisionTables;

template <typename Id, int32_t Capacity>
struct LinearList {
  bool Contains(Id id) const {
    std::lock_guard lock(mutex);
    for (int32_t i = 0; i < count; ++i)
      if (ids[static_cast<std::size_t>(i)] == id) return true;
    return false;
  }
  void Append(Id id) {
    std::lock_guard lock(mutex);
    if (count < Capacity) ids[static_cast<std::size_t>(count++)] = id;
  }
  mutable std::mutex mutex;
  int32_t count = 0;
  std::array<Id, Capacity> ids{};
};

constexpr uint64_t kConnectionBase = 0x0000'7F00'0000'0000ull;

// Ids probed: the last stored (worst hit for a scan), the first, and a miss.
template <typename Id>
Id Probe(int64_t i, Id first, Id last, Id missing) {
  switch (i % 3) {
    case 0:
      return last;
    case 1:
      return first;
    default:
      return missing;
  }
}

DecisionTables& FullTables() {
  static auto tables = [] {
    auto t = std::make_unique<DecisionTables>([] { return std::string("now"); });
    for (uint64_t i = 0; i < DecisionTables::kPassListCapacity; ++i) t->AddPassedConnection(kConnectionBase + i * 7);
    for (uint32_t i = 0; i < static_cast<uint32_t>(DecisionTables::kTrustedProcessCapacity); ++i)
      t->AddTrustedProcess(4 + i * 4);
    return t;
  }();
  return *tables;
}

void Indexed_IsPassedConnection(benchmark::State& state) {
  DecisionTables& tables = FullTables();
  const uint64_t last = kConnectionBase + (DecisionTables::kPassListCapacity - 1) * 7;
  int64_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(tables.IsPassedConnection(Probe<uint64_t>(i++, kConnectionBase, last, 3)));
}

void Baseline_IsPassedConnection(benchmark::State& state) {
  static auto list = [] {
    auto l = std::make_unique<LinearList<uint64_t, DecisionTables::kPassListCapacity>>();
    for (uint64_t i = 0; i < DecisionTables::kPassListCapacity; ++i) l->Append(kConnectionBase + i * 7);
    return l;
  }();
  const uint64_t last = kConnectionBase + (DecisionTables::kPassListCapacity - 1) * 7;
  int64_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(list->Contains(Probe<uint64_t>(i++, kConnectionBase, last, 3)));
}

void Indexed_IsTrustedProcess(benchmark::State& state) {
  DecisionTables& tables = FullTables();
  const uint32_t last = 4 + (DecisionTables::kTrustedProcessCapacity - 1) * 4;
  int64_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(tables.IsTrustedProcess(Probe<uint32_t>(i++, 4, last, 6)));
}

void Baseline_IsTrustedProcess(benchmark::State& state) {
  static auto list = [] {
    auto l = std::make_unique<LinearList<uint32_t, DecisionTables::kTrustedProcessCapacity>>();
    for (uint32_t i = 0; i < static_cast<uint32_t>(DecisionTables::kTrustedProcessCapacity); ++i) l->Append(4 + i * 4);
    return l;
  }();
  const uint32_t last = 4 + (DecisionTables::kTrustedProcessCapacity - 1) * 4;
  int64_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(list->Contains(Probe<uint32_t>(i++, 4, last, 6)));
}

BENCHMARK(Baseline_IsPassedConnection);
BENCHMARK(Indexed_IsPassedConnection);
BENCHMARK(Indexed_IsPassedConnection)->Threads(2)->Name("Indexed_IsPassedConnection_2threads");
BENCHMARK(Baseline_IsPassedConnection)->Threads(2)->Name("Baseline_IsPassedConnection_2threads");
BENCHMARK(Baseline_IsTrustedProcess);
BENCHMARK(Indexed_IsTrustedProcess);

}  // namespace

int main(int argc, char** argv) { return tvn::bench::RunWithRatios(argc, argv); }
