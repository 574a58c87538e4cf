// Small operations on the Windows system shared by several subsystems.
// Windows only. None shows anything to the user or raises: each reports
// failure through its result (false, empty). FileSizeByName is in
// support/file_size.h.
//
//   tvn::SetShellOpenOwner(mainWindow);                     // once, at start
//   tvn::ShellOpen("ob_scanint.exe", "/scan c:\\x", dir, SW_SHOWNORMAL);
//   if (tvn::IsFileSigned(path)) ...
//   tvn::DetectWindows10();   // at program start, then read IsWindows10
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tvn {

// The window that owns what ShellOpen starts: the main window once it exists.
void SetShellOpenOwner(HWND owner);

// ShellExecuteA "open" with the owner above. Texts longer than 512
// characters are refused -- nothing is started and the result is false --
// because a cut path or command line could start something else; otherwise
// true, whatever the shell then does.
bool ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory, int show);

// Authenticode test through WinVerifyTrust: no user interface at all, no
// revocation checks. False for unsigned, tampered, untrusted or missing files.
bool IsFileSigned(const std::string& path);

// Enables SeDebugPrivilege in the process token; false when it is not
// granted in full.
bool EnableDebugPrivilege();

// Terminates the process with exit code 0. On the caller's own id the
// process ends at once, before the call returns, with no shutdown code run.
bool KillProcessById(DWORD processId);

// The workstation service's "major.minor" (10.0 on Windows 10 and 11), or "".
std::string GetWorkstationVersion();

// True when a workstation version text names Windows 10 or later ("10.").
bool NamesWindows10(std::string_view version);

// Set once by DetectWindows10 at program start, before any reader runs.
extern bool IsWindows10;
extern std::string Windows10Version;  // e.g. "10.0"; empty unless IsWindows10
void DetectWindows10();

}  // namespace tvn
