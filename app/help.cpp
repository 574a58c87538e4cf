#include "app/help.h"

#include "app/program_dir.h"

namespace tvn {

namespace {

constexpr char kEngineLibrary[] = "hhctrl.ocx";
constexpr char kEngineServerKey[] = "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";

std::string RegisteredEngineServer() {
  char value[MAX_PATH] = "";
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CLASSES_ROOT, kEngineServerKey, nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, value, &size) != ERROR_SUCCESS)
    return "";
  char expanded[MAX_PATH] = "";
  const DWORD length = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
  return length > 0 && length <= sizeof expanded ? expanded : "";
}

std::string SystemFolder() {
  char folder[MAX_PATH] = "";
  const UINT length = GetSystemDirectoryA(folder, sizeof folder);
  std::string dir(folder, length < sizeof folder ? length : 0);
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir;
}

}  // namespace

HelpLibraryLocator SystemHelpLibraryLocator() {
  return HelpLibraryLocator{
      [](const std::string& file) { return LoadLibraryA(file.c_str()); },
      RegisteredEngineServer,
      [](const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; },
      SystemFolder,
  };
}

bool HelpEngine::Load(const HelpLibraryLocator& locator) {
  Unload();
  library_ = locator.load_library(kEngineLibrary);
  if (!library_) {
    const std::string server = locator.registered_server();
    if (!server.empty() && locator.file_exists(server)) library_ = locator.load_library(server);
  }
  if (!library_) library_ = locator.load_library(locator.system_dir() + kEngineLibrary);
  if (!library_) return false;
  html_help_ = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpA")));
  return html_help_ != nullptr;
}

void HelpEngine::Unload() {
  html_help_ = nullptr;
  if (library_) FreeLibrary(library_);
  library_ = nullptr;
}

void HelpEngine::ShowContext(const std::string& file, DWORD context) const {
  if (html_help_) html_help_(GetDesktopWindow(), file.c_str(), kHhHelpContext, context);
}

void HelpEngine::CloseAll() const {
  if (html_help_) html_help_(nullptr, nullptr, kHhCloseAll, 0);
}

HelpEngine& Help() {
  static HelpEngine engine;
  return engine;
}

bool FormHelp(WORD command, ULONG_PTR data, bool& call_help) {
  call_help = false;
  if (command == HELP_CONTEXT) Help().ShowContext(ProgramDir() + kHelpFileName, static_cast<DWORD>(data));
  return false;
}

}  // namespace tvn
