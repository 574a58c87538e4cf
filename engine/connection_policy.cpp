#include "engine/connection_policy.h"

#include <algorithm>
#include <array>

#include "engine/decision_tables.h"
#include "engine/driver_port.h"
#include "support/ansi_text.h"

namespace tvn {

namespace {

// Entries 1-17 serve the intelligent level, 18-23 the strict level.
constexpr std::array<std::string_view, 23> kKnownProgramsTable = {
    "msedge.exe",         "chrome.exe",      "firefox.exe",           "microsoftedgecp.exe",    "microsoftedge.exe",
    "browser_broker.exe", "smartscreen.exe", "dashost.exe",           "explorer.exe",           "spoolsv.exe",
    "svchost.exe",        "searchui.exe",    "searchapp.exe",         "backgroundtaskhost.exe", "ombrix.exe",
    "ob_scanfile.exe",    "ob_scanint.exe",  "dashost.exe",           "explorer.exe",           "spoolsv.exe",
    "svchost.exe",        "searchui.exe",    "backgroundtaskhost.exe"};
constexpr std::size_t kFirstStrictEntry = 17;

bool ContainsAny(std::string_view lowerPath, std::size_t first, std::size_t last) {
  return std::any_of(kKnownProgramsTable.begin() + first, kKnownProgramsTable.begin() + last,
                     [&](std::string_view entry) { return lowerPath.find(entry) != std::string_view::npos; });
}

constexpr std::string_view kUnknownProgram = "Inconnu";

}  // namespace

bool IsKnownProgram(std::string_view lowerPath) { return ContainsAny(lowerPath, 0, kFirstStrictEntry); }

bool IsKnownStrictProgram(std::string_view lowerPath) {
  return ContainsAny(lowerPath, kFirstStrictEntry, kKnownProgramsTable.size());
}

bool IsDottedAddress(std::string_view text) {
  return text.size() >= 7 && std::count(text.begin(), text.end(), '.') == 3;
}

std::string_view NetworkPrefix(std::string_view text) {
  std::size_t dots = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '.' && ++dots == 3) return text.substr(0, i);
  return text;
}

bool IsLocalNetwork(std::string_view local, std::string_view remote) {
  if (remote.find("127.0.0.1") != std::string_view::npos) return true;
  return IsDottedAddress(local) && IsDottedAddress(remote) && NetworkPrefix(local) == NetworkPrefix(remote);
}

HostAndPort SplitRemoteAddress(std::string_view text) {
  const std::size_t colon = text.find(':');
  // The separator must follow at least one character of host, and a text
  // shorter than 9 characters is taken whole.
  if (colon == std::string_view::npos || colon < 1 || text.size() < 9) return {std::string(text), ""};
  return {std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
}

std::string_view DirectionText(uint8_t direction) {
  switch (direction) {
    case NF_DIRECTION_IN:
      return "entrant";
    case NF_DIRECTION_OUT:
      return "sortant";
    case NF_DIRECTION_BOTH:
      return "e/s";
    default:
      return "";
  }
}

ConnectionPolicy::ConnectionPolicy(DecisionTables& tables, DriverPort& driver, PolicyEnvironment environment)
    : tables_(tables), driver_(driver), environment_(std::move(environment)) {}

void ConnectionPolicy::OnConnectRequest(nf_endpoint_id id, NfConnection* connection) {
  if (tables_.EmergencyStop) return;
  if (connection->processId == environment_.OwnProcessId) return;
  if (tables_.IsPassedConnection(id) || tables_.IsTrustedProcess(connection->processId)) {
    tables_.RecordProgramActivity(connection->processId, "");
    return;
  }
  DecideByLevel(connection, id);
}

void ConnectionPolicy::OnConnected(nf_endpoint_id id, NfConnection* connection) {
  if (tables_.EmergencyStop) return;
  bool allowed = true;
  if (tables_.IsPassedConnection(id)) {
    tables_.RecordProgramActivity(connection->processId, "");
  } else {
    if (connection->processId == environment_.OwnProcessId) {
      // Exempt from deciding, but its bytes are counted like any other.
    } else if (tables_.IsTrustedProcess(connection->processId)) {
      tables_.RecordProgramActivity(connection->processId, "");
    } else {
      allowed = DecideByLevel(connection, id);
    }
    driver_.SetTcpFlowCtl(id, tables_.FlowControlHandle);
  }
  if (tables_.ConnectionLogEnabled) LogConnection(*connection, allowed);
}

bool ConnectionPolicy::DecideByLevel(NfConnection* connection, nf_endpoint_id id) {
  switch (tables_.Settings.BlockingLevel.load()) {
    case 0:
      return DecideWeak(connection, id);
    case 1:
      return DecideIntelligent(connection, id);
    case 2:
      return DecideStrict(connection, id);
    default:
      return true;
  }
}

bool ConnectionPolicy::DecideWeak(NfConnection* connection, nf_endpoint_id id) {
  const std::optional<std::string> path = ProgramPath(connection->processId);
  if (!path) return true;
  if (environment_.Rules->HasAppRule(LowerAsciiLetters(*path), false)) return Block(connection, id);
  return true;
}

bool ConnectionPolicy::DecideStrict(NfConnection* connection, nf_endpoint_id id) {
  const std::optional<std::string> path = ProgramPath(connection->processId);
  if (!path) return true;
  const std::string lowerPath = LowerAsciiLetters(*path);
  if (environment_.Rules->HasAppRule(lowerPath, true) || IsKnownStrictProgram(lowerPath)) {
    Pass(id, connection->processId, *path);
    return true;
  }
  return Block(connection, id);
}

bool ConnectionPolicy::DecideIntelligent(NfConnection* connection, nf_endpoint_id id) {
  const uint32_t processId = connection->processId;
  if (tables_.Settings.AutoAllowLocal &&
      IsLocalNetwork(AddressText(connection->localAddress), AddressText(connection->remoteAddress))) {
    const std::optional<std::string> path = ProgramPath(processId);
    Pass(id, processId, path ? std::string_view(*path) : kUnknownProgram);
    return true;
  }
  const std::optional<std::string> path = ProgramPath(processId);
  if (!path) return true;
  const std::string lowerPath = LowerAsciiLetters(*path);
  // The allow rule is looked at first: a program with both rules is allowed.
  if (environment_.Rules->HasAppRule(lowerPath, true)) {
    Pass(id, processId, *path);
    return true;
  }
  if (environment_.Rules->HasAppRule(lowerPath, false)) return Block(connection, id);
  if (IsKnownProgram(lowerPath)) {
    Pass(id, processId, *path);
    return true;
  }
  if (tables_.Settings.AllowKnownPrograms && CloudVouchesFor(lowerPath)) {
    Pass(id, processId, *path);
    environment_.Rules->AddAppRule(lowerPath, true);
    return true;
  }
  return Hold(connection, id, *path);
}

bool ConnectionPolicy::CloudVouchesFor(const std::string& lowerPath) {
  CloudTrust* cloud = environment_.Cloud;
  if (cloud == nullptr) return false;
  const int64_t size = cloud->FileSizeByName(lowerPath);
  if (size <= 0) return false;
  return cloud->TrustQuery(cloud->EscapeUrlText(lowerPath), cloud->FileMd5Hex(lowerPath), size);
}

std::optional<std::string> ConnectionPolicy::ProgramPath(uint32_t processId) {
  return driver_.GetProcessName(processId);
}

std::string ConnectionPolicy::AddressText(const uint8_t* socketAddress) const {
  return environment_.AddressText(socketAddress).value_or("");
}

void ConnectionPolicy::Pass(nf_endpoint_id id, uint32_t processId, std::string_view path) {
  tables_.AddPassedConnection(id);
  tables_.AddTrustedProcess(processId);
  tables_.RecordProgramActivity(processId, path);
}

bool ConnectionPolicy::Block(NfConnection* connection, nf_endpoint_id id) {
  driver_.TcpSetConnectionState(id, true);
  return Refuse(connection, id);
}

bool ConnectionPolicy::Refuse(NfConnection* connection, nf_endpoint_id id) {
  connection->filteringFlag = NF_BLOCK;
  driver_.TcpClose(id);
  return false;
}

bool ConnectionPolicy::Hold(NfConnection* connection, nf_endpoint_id id, std::string_view path) {
  driver_.TcpSetConnectionState(id, true);
  // While an earlier connection of the program waits for the user, later ones
  // stay held without a second prompt.
  if (tables_.IsProgramQueued(path)) return false;
  PendingPrompt entry;
  entry.ProgramPath = path;
  entry.ProcessId = connection->processId;
  entry.ConnectionId = id;
  entry.LocalAddress = AddressText(connection->localAddress);
  entry.RemoteAddress = AddressText(connection->remoteAddress);
  if (!tables_.EnqueuePendingPrompt(entry)) {
    // No room left to ask the user: a connection nobody will ever answer for
    // is closed rather than left suspended.
    return Refuse(connection, id);
  }
  if (environment_.RequestPromptTimer) environment_.RequestPromptTimer();
  return false;
}

void ConnectionPolicy::LogConnection(const NfConnection& connection, bool allowed) {
  LogInf entry;
  entry.Time = environment_.LongTime ? environment_.LongTime() : std::string();
  entry.Direction = DirectionText(connection.direction);
  entry.Verdict = allowed ? "ALLOW" : "DENY";
  HostAndPort remote = SplitRemoteAddress(AddressText(connection.remoteAddress));
  entry.RemoteHost = std::move(remote.Host);
  entry.RemotePort = remote.Port;
  entry.ProgramPath = driver_.GetProcessName(connection.processId).value_or("");
  tables_.AppendConnectionLog(entry);
}

}  // namespace tvn
