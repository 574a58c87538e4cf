#include "engine/decision_tables.h"

#include <stdexcept>

#include "engine/driver_port.h"
#include "engine/local_time.h"
#include "support/ansi_text.h"

namespace tvn {

DecisionTables::DecisionTables(DateTimeTextSource now)
    : now_(now ? std::move(now) : DateTimeTextSource(LocalShortDateLongTime)),
      passedConnections_(std::make_unique<IdList<uint64_t, kPassListCapacity>>()),
      trustedProcesses_(std::make_unique<IdList<uint32_t, kTrustedProcessCapacity>>()),
      activity_(kActivityCapacity),
      activityIndex_(std::make_unique<IdIndex<uint32_t, kActivityCapacity>>()),
      activityIds_(kActivityCapacity, 0),
      prompts_(kPromptQueueCapacity),
      log_(kConnectionLogCapacity) {}

DecisionTables::~DecisionTables() = default;

void DecisionTables::ResetAll() {
  ClearPassLists();
  {
    std::lock_guard lock(activityMutex_);
    activityCount_ = 0;
    std::fill(activity_.begin(), activity_.end(), ProgramActivity{});
    std::fill(activityIds_.begin(), activityIds_.end(), 0u);
    activityIndex_->Clear();
  }
  {
    std::lock_guard lock(promptMutex_);
    promptCount_ = 0;
  }
  ClearConnectionLog();
  EmergencyStop = false;
  PromptTimerBusy = false;
  ConnectionLogEnabled = false;
  ConnectionLogChanged = false;
}

bool DecisionTables::IsPassedConnection(uint64_t connectionId) const {
  return passedConnections_->Contains(connectionId);
}

void DecisionTables::AddPassedConnection(uint64_t connectionId) { passedConnections_->Append(connectionId); }

bool DecisionTables::IsTrustedProcess(uint32_t processId) const { return trustedProcesses_->Contains(processId); }

void DecisionTables::AddTrustedProcess(uint32_t processId) {
  if (!trustedProcesses_->Append(processId)) return;
  if (Settings.BlockingLevel != 1 || !Settings.DoNotMonitorAllowed) return;
  DriverPort* driver = driver_.load();
  if (driver == nullptr) return;
  // The driver stops reporting this process's traffic: the allow rule names
  // the process just trusted, so other programs stay under the filter.
  NfRule rule{};
  rule.processId = processId;
  rule.filteringFlag = NF_ALLOW;
  driver->AddRule(rule, true);
}

void DecisionTables::ClearPassLists() {
  passedConnections_->Clear();
  trustedProcesses_->Clear();
}

void DecisionTables::RecordProgramActivity(uint32_t processId, std::string_view programPath) {
  // Unused slots hold process id 0, so id 0 can never be told apart from them.
  if (processId == 0) return;
  const std::string now = now_();
  std::lock_guard lock(activityMutex_);
  // A reused process id counts on the old entry, whose path stays.
  if (const uint32_t position = activityIndex_->Find(processId, activityIds_.data())) {
    ProgramActivity& entry = activity_[position - 1];
    entry.LastSeen = now;
    ++entry.RequestCount;
    return;
  }
  if (activityCount_ >= kActivityCapacity) return;
  ProgramActivity& slot = activity_[static_cast<std::size_t>(activityCount_)];
  slot.ProcessId = processId;
  slot.ProgramPath = programPath;
  slot.FirstSeen = now;
  slot.LastSeen = now;
  slot.RequestCount = 1;
  activityIds_[static_cast<std::size_t>(activityCount_)] = processId;
  ++activityCount_;
  activityIndex_->Insert(processId, static_cast<uint32_t>(activityCount_), activityIds_.data());
}

int32_t DecisionTables::ProgramActivityCount() const {
  std::lock_guard lock(activityMutex_);
  return activityCount_;
}

std::vector<ProgramActivity> DecisionTables::ProgramActivitySnapshot() const {
  std::lock_guard lock(activityMutex_);
  return {activity_.begin(), activity_.begin() + activityCount_};
}

bool DecisionTables::EnqueuePendingPrompt(const PendingPrompt& entry) {
  std::lock_guard lock(promptMutex_);
  if (promptCount_ >= kPromptQueueCapacity) return false;
  PendingPrompt& slot = prompts_[static_cast<std::size_t>(promptCount_)];
  slot = entry;
  slot.Answered = false;
  ++promptCount_;
  return true;
}

bool DecisionTables::IsProgramQueued(std::string_view programPath) const {
  std::lock_guard lock(promptMutex_);
  for (int32_t i = 0; i < promptCount_; ++i)
    if (AnsiSameText(prompts_[static_cast<std::size_t>(i)].ProgramPath.View(), programPath)) return true;
  return false;
}

int32_t DecisionTables::PendingPromptCount() const {
  std::lock_guard lock(promptMutex_);
  return promptCount_;
}

PendingPrompt DecisionTables::PendingPromptEntry(int32_t number) const {
  std::lock_guard lock(promptMutex_);
  if (number < 1 || number > promptCount_) throw std::out_of_range("pending prompt number");
  return prompts_[static_cast<std::size_t>(number - 1)];
}

void DecisionTables::MarkPromptAnswered(int32_t number) {
  std::lock_guard lock(promptMutex_);
  if (number < 1 || number > promptCount_) throw std::out_of_range("pending prompt number");
  prompts_[static_cast<std::size_t>(number - 1)].Answered = true;
}

void DecisionTables::AppendConnectionLog(const LogInf& entry) {
  std::lock_guard lock(logMutex_);
  if (!ConnectionLogEnabled || logCount_ >= kConnectionLogCapacity) return;
  log_[static_cast<std::size_t>(logCount_)] = entry;
  ++logCount_;
  ConnectionLogChanged = true;
}

int32_t DecisionTables::ConnectionLogCount() const {
  std::lock_guard lock(logMutex_);
  return logCount_;
}

std::vector<LogInf> DecisionTables::ConnectionLogSnapshot() const {
  std::lock_guard lock(logMutex_);
  return {log_.begin(), log_.begin() + logCount_};
}

void DecisionTables::ClearConnectionLog() {
  std::lock_guard lock(logMutex_);
  logCount_ = 0;
}

DecisionTables& Tables() {
  static DecisionTables tables;
  return tables;
}

}  // namespace tvn
