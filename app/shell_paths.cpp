#include "app/shell_paths.h"

#include "support/ansi_text.h"

namespace tvn {

std::string FolderOfPath(std::string_view path) {
  const size_t cut = path.find_last_of("\\:");
  if (cut == std::string_view::npos) return "";
  std::string folder(path.substr(0, cut + 1));
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

std::string WindowsDirFrom(bool read_ok, std::string_view folder) {
  if (!read_ok || folder.empty()) return "?\\";
  std::string dir(folder);
  if (dir.back() != '\\') dir += '\\';
  return dir;
}

std::string SystemDriveLetterOf(std::string_view windows_dir) {
  if (windows_dir.empty() || windows_dir.front() == '?') return "C";
  return std::string(1, windows_dir.front());
}

std::string SiblingFolderFromRunValues(const RegistryValues& values) {
  for (const auto& [name, data] : values)
    if (AnsiSameText(name, kSiblingRunValue)) return FolderOfPath(data);
  return "";
}

}  // namespace tvn
