#include "support/file_size.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace tvn {

#ifdef _WIN32

int32_t FileSizeByName(const std::string& name) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return -1;
  // Every kind of entry: read-only, hidden, system, volume label, directory,
  // archive (FindFirstFile matches them all).
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(full, &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  FindClose(search);
  return static_cast<int32_t>(found.nFileSizeLow);
}

#else

int32_t FileSizeByName(const std::string& name) {
  struct stat info;
  if (name.empty() || stat(name.c_str(), &info) != 0) return -1;
  if (S_ISDIR(info.st_mode)) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(info.st_size));
}

#endif

}  // namespace tvn
