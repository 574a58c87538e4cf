#include "app/program_dir.h"

#include <vector>

#include "app/shell_paths.h"

namespace tvn {

namespace {

std::string& StoredProgramDir() {
  static std::string dir;
  return dir;
}

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // long paths are cut, not refused
  }
}

}  // namespace

void InitProgramDir() {
  if (StoredProgramDir().empty()) StoredProgramDir() = FolderOfPath(ModuleFileName());
}

const std::string& ProgramDir() {
  InitProgramDir();
  return StoredProgramDir();
}

std::string WindowsDir() {
  char folder[1024];
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  const bool ok = length > 0 && length < sizeof folder;
  return WindowsDirFrom(ok, ok ? std::string(folder, length) : std::string());
}

std::string SystemDriveLetter() { return SystemDriveLetterOf(WindowsDir()); }

std::string ReadRegistryString(HKEY root, const std::string& path) {
  const size_t cut = path.rfind('\\');
  const std::string key = cut == std::string::npos ? "" : path.substr(0, cut + 1);
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  HKEY handle;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &handle) != ERROR_SUCCESS) return "";
  std::string value;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    value.resize(size);
    if (RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
      size = 0;
    value.resize(size);
    while (!value.empty() && value.back() == '\0') value.pop_back();
  }
  RegCloseKey(handle);
  return value;
}

}  // namespace tvn
