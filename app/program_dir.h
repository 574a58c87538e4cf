// The program's folder, the Windows folder and drive, and one registry
// string: what the shell's services and the update read from the system.
#pragma once

#include <windows.h>

#include <string>

namespace tvn {

// Computes ProgramDir once; the entry point calls it before any window
// exists. Later calls keep the first value.
void InitProgramDir();
// Folder of the running program file, ending with a backslash.
const std::string& ProgramDir();

// GetWindowsDirectoryA ending with a backslash; "?\" when the call fails.
std::string WindowsDir();
// First character of WindowsDir; "C" when the Windows folder cannot be read.
std::string SystemDriveLetter();

// The string value named by the path's last part, in the key named by the
// rest (32-bit view); empty when the key or the value does not exist.
std::string ReadRegistryString(HKEY root, const std::string& path);

}  // namespace tvn
