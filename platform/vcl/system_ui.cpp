#include "system_ui.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <windows.h>

#include <shellapi.h>

#include <vector>

namespace vcl {

namespace {

SystemUi& SystemCalls() {
  static SystemUi system;
  return system;
}

SystemUi* current = nullptr;

}  // namespace

int SystemUi::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

std::optional<std::string> SystemUi::OpenFileName(HWND owner, const OpenFileRequest& request) {
  // The filter's '|' separators become the NULs the dialog expects.
  std::vector<char> filter(request.filter.begin(), request.filter.end());
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.push_back('\0');
  filter.push_back('\0');
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.data();
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.lpstrInitialDir = request.initial_dir.empty() ? nullptr : request.initial_dir.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file);
}

bool SystemUi::ShellExecuteFile(HWND owner, const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory, int show) {
  HINSTANCE result = ShellExecuteA(owner, verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                                   parameters.empty() ? nullptr : parameters.c_str(),
                                   directory.empty() ? nullptr : directory.c_str(), show);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool SystemUi::PlaySoundFile(const std::string& file, UINT flags) { return sndPlaySoundA(file.c_str(), flags); }

SystemUi& Ui() { return current ? *current : SystemCalls(); }

ScopedSystemUi::ScopedSystemUi(SystemUi& ui) : previous_(current) { current = &ui; }

ScopedSystemUi::~ScopedSystemUi() { current = previous_; }

}  // namespace vcl
