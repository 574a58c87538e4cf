// Folder and drive texts of the application shell, as plain functions of
// what the system returned (the Windows calls are in program_dir.h and
// sibling.h).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tvn {

// The path cut after its last backslash or colon, with a backslash appended
// when it does not end with one; empty when the path has no folder part.
std::string FolderOfPath(std::string_view path);

// The Windows folder ending with a backslash, or "?\" when it could not be
// read (read_ok false).
std::string WindowsDirFrom(bool read_ok, std::string_view folder);

// The first character of a WindowsDir text; "C" when the folder was unreadable.
std::string SystemDriveLetterOf(std::string_view windows_dir);

// The sibling product's folder from the values of the Run key, in registry
// order: the first value whose name is "OMBRIX" in any letter case gives it.
using RegistryValues = std::vector<std::pair<std::string, std::string>>;
std::string SiblingFolderFromRunValues(const RegistryValues& values);

inline constexpr char kSiblingRunValue[] = "OMBRIX";
inline constexpr char kSiblingMutex[] = "Ombrix";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

}  // namespace tvn
