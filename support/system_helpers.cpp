#include "support/system_helpers.h"

// windows.h first (included by the header), then these.
#include <lm.h>
#include <shellapi.h>
#include <softpub.h>
#include <wintrust.h>

namespace tvn {

bool IsWindows10 = false;
std::string Windows10Version;

namespace {

HWND shellOpenOwner = nullptr;

// The shell gets each text in a buffer of 512 characters and its terminator.
constexpr size_t kShellTextMax = 512;

std::wstring Utf16FromAnsi(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(length > 0 ? length : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), length);
  out.resize(out.size() - 1);
  return out;
}

bool AdjustDebugPrivilege(HANDLE process) {
  // All token rights but adjusting the session id.
  constexpr DWORD kTokenAccess = 0xF00FF;
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, kTokenAccess, &token)) return false;
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = false;
  if (LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &wanted.Privileges[0].Luid)) {
    TOKEN_PRIVILEGES previous{};
    DWORD previousSize = sizeof previous;
    AdjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &previousSize);
    // A privilege not held, or held in part, leaves ERROR_NOT_ALL_ASSIGNED.
    enabled = GetLastError() == ERROR_SUCCESS;
  }
  CloseHandle(token);
  return enabled;
}

}  // namespace

void SetShellOpenOwner(HWND owner) { shellOpenOwner = owner; }

bool ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory, int show) {
  if (file.size() > kShellTextMax || parameters.size() > kShellTextMax || directory.size() > kShellTextMax)
    return false;
  ShellExecuteA(shellOpenOwner, "open", file.c_str(), parameters.c_str(), directory.c_str(), show);
  return true;
}

bool IsFileSigned(const std::string& path) {
  const std::wstring widePath = Utf16FromAnsi(path);
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = widePath.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data) == 0;
}

// The Win32 calls below report failure by their results and raise nothing.
bool EnableDebugPrivilege() {
  const HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, GetCurrentProcessId());
  if (!process) return false;
  const bool enabled = AdjustDebugPrivilege(process);
  CloseHandle(process);
  return enabled;
}

bool KillProcessById(DWORD processId) {
  EnableDebugPrivilege();
  const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
  if (!process) return false;
  const bool terminated = TerminateProcess(process, 0) != 0;
  CloseHandle(process);
  return terminated;
}

std::string GetWorkstationVersion() {
  BYTE* buffer = nullptr;
  if (NetWkstaGetInfo(nullptr, 100, &buffer) != NERR_Success || !buffer) return "";
  const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
  const std::string version = std::to_string(info->wki100_ver_major) + "." + std::to_string(info->wki100_ver_minor);
  NetApiBufferFree(buffer);
  return version;
}

bool NamesWindows10(std::string_view version) { return version.find("10.") != std::string_view::npos; }

void DetectWindows10() {
  const std::string version = GetWorkstationVersion();
  IsWindows10 = NamesWindows10(version);
  Windows10Version = IsWindows10 ? version : "";
}

}  // namespace tvn
