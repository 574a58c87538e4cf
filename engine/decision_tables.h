// The filtering engine's working memory: fixed-capacity tables numbered from
// 1 with a signed 32-bit count, and the flags the handlers share with the GUI.
// Driver worker threads append while the GUI thread reads and resets, so each
// table has its own lock, held for one operation only; readers get copies,
// and an entry becomes visible only once it is complete. A full table drops a
// new entry silently.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/id_index.h"
#include "engine/short_text.h"
#include "nfapi_types.h"

namespace tvn {

class DriverPort;

// The live filter options; the deciders read them at every connection.
struct FilterSettings {
  std::atomic<int32_t> BlockingLevel{1};  // 0 weak, 1 intelligent, 2 strict
  std::atomic<bool> AutoAllowLocal{false};
  std::atomic<bool> AllowKnownPrograms{false};
  std::atomic<bool> DoNotMonitorAllowed{false};
};

struct ProgramActivity {
  uint32_t ProcessId = 0;
  ShortText<255> ProgramPath;
  ShortText<32> FirstSeen;
  ShortText<32> LastSeen;
  int64_t RequestCount = 0;
};

struct PendingPrompt {
  ShortText<255> ProgramPath;
  uint32_t ProcessId = 0;
  uint64_t ConnectionId = 0;
  ShortText<255> LocalAddress;
  ShortText<255> RemoteAddress;
  bool Answered = false;
};

struct LogInf {
  ShortText<30> Time;
  ShortText<10> Direction;  // "entrant", "sortant" or "e/s"
  ShortText<5> Verdict;     // "ALLOW" or "DENY"
  std::string RemoteHost;
  ShortText<10> RemotePort;
  ShortText<255> ProgramPath;
};

// An append-only list of ids with a capacity, answered through an index.
template <typename Id, int32_t Capacity>
class IdList {
 public:
  static constexpr int32_t kCapacity = Capacity;

  bool Contains(Id id) const {
    std::shared_lock lock(mutex_);
    return index_.Contains(id, ids_.data());
  }
  // Appends without a duplicate check; false when the list is full.
  bool Append(Id id) {
    std::unique_lock lock(mutex_);
    if (count_ >= Capacity) return false;
    ids_[count_] = id;
    ++count_;
    index_.Insert(id, static_cast<uint32_t>(count_), ids_.data());
    return true;
  }
  void Clear() {
    std::unique_lock lock(mutex_);
    count_ = 0;
    index_.Clear();
  }
  int32_t Count() const {
    std::shared_lock lock(mutex_);
    return count_;
  }
  // Entry 1..Count().
  Id Entry(int32_t number) const {
    std::shared_lock lock(mutex_);
    return ids_.at(static_cast<std::size_t>(number - 1));
  }

 private:
  mutable std::shared_mutex mutex_;
  int32_t count_ = 0;
  std::array<Id, Capacity> ids_{};
  IdIndex<Id, static_cast<std::size_t>(Capacity)> index_;
};

// Gives the local date and time as the activity table stores it.
using DateTimeTextSource = std::function<std::string()>;

class DecisionTables {
 public:
  static constexpr int32_t kPassListCapacity = 16384;
  static constexpr int32_t kTrustedProcessCapacity = 8192;
  static constexpr int32_t kActivityCapacity = 2048;
  static constexpr int32_t kPromptQueueCapacity = 512;
  static constexpr int32_t kConnectionLogCapacity = 500;

  explicit DecisionTables(DateTimeTextSource now = nullptr);
  ~DecisionTables();
  DecisionTables(const DecisionTables&) = delete;
  DecisionTables& operator=(const DecisionTables&) = delete;

  // The driver that receives the do-not-monitor allow rules (may be null).
  void SetDriver(DriverPort* driver) { driver_.store(driver); }

  FilterSettings Settings;
  std::atomic<bool> EmergencyStop{false};
  std::atomic<bool> PromptTimerBusy{false};
  std::atomic<bool> ConnectionLogEnabled{false};
  std::atomic<bool> ConnectionLogChanged{false};
  std::atomic<nf_flowctl_handle> FlowControlHandle{0};

  // Empties every table and clears the flags, as at start.
  void ResetAll();

  // ConnectionPassList
  bool IsPassedConnection(uint64_t connectionId) const;
  void AddPassedConnection(uint64_t connectionId);
  int32_t PassedConnectionCount() const { return passedConnections_->Count(); }

  // TrustedProcessList
  bool IsTrustedProcess(uint32_t processId) const;
  void AddTrustedProcess(uint32_t processId);
  int32_t TrustedProcessCount() const { return trustedProcesses_->Count(); }

  void ClearPassLists();

  // ProgramActivityTable
  void RecordProgramActivity(uint32_t processId, std::string_view programPath);
  int32_t ProgramActivityCount() const;
  std::vector<ProgramActivity> ProgramActivitySnapshot() const;

  // PendingPromptQueue. Returns false when the queue is full and the entry
  // was not taken: the caller must then not leave the connection suspended.
  bool EnqueuePendingPrompt(const PendingPrompt& entry);
  bool IsProgramQueued(std::string_view programPath) const;
  int32_t PendingPromptCount() const;
  PendingPrompt PendingPromptEntry(int32_t number) const;  // 1..count
  void MarkPromptAnswered(int32_t number);

  // ConnectionLog
  void AppendConnectionLog(const LogInf& entry);
  int32_t ConnectionLogCount() const;
  std::vector<LogInf> ConnectionLogSnapshot() const;
  void ClearConnectionLog();

 private:
  DateTimeTextSource now_;
  std::atomic<DriverPort*> driver_{nullptr};

  // Large arrays live on the heap: a table object may sit on a thread's stack.
  std::unique_ptr<IdList<uint64_t, kPassListCapacity>> passedConnections_;
  std::unique_ptr<IdList<uint32_t, kTrustedProcessCapacity>> trustedProcesses_;

  mutable std::mutex activityMutex_;
  int32_t activityCount_ = 0;
  std::vector<ProgramActivity> activity_;  // kActivityCapacity slots
  std::unique_ptr<IdIndex<uint32_t, kActivityCapacity>> activityIndex_;
  std::vector<uint32_t> activityIds_;  // the slots' process ids, for the index

  mutable std::mutex promptMutex_;
  int32_t promptCount_ = 0;
  std::vector<PendingPrompt> prompts_;  // kPromptQueueCapacity slots

  mutable std::mutex logMutex_;
  int32_t logCount_ = 0;
  std::vector<LogInf> log_;  // kConnectionLogCapacity slots
};

// The process-wide tables of the running firewall.
DecisionTables& Tables();

}  // namespace tvn
