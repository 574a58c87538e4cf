#include "app/sibling.h"

#include <windows.h>

#include "app/program_dir.h"
#include "app/shell_paths.h"

namespace tvn {

std::string SiblingFolder;

namespace {

std::vector<std::string> ValueNames(HKEY key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD length = sizeof name;
    const LONG status = RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_SUCCESS) names.emplace_back(name, length);
  }
  return names;
}

}  // namespace

void LocateSibling() {
  SiblingFolder.clear();
  HKEY run;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ | KEY_WOW64_32KEY, &run) != ERROR_SUCCESS) return;
  const std::vector<std::string> names = ValueNames(run);
  RegCloseKey(run);
  RegistryValues values;
  for (const std::string& name : names)
    values.emplace_back(name, ReadRegistryString(HKEY_LOCAL_MACHINE, std::string(kRunKey) + name));
  SiblingFolder = SiblingFolderFromRunValues(values);
}

bool IsSiblingRunning() {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kSiblingMutex);
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}

}  // namespace tvn
