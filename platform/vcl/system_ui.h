// What the forms ask of the system that a test cannot click through: message
// boxes, the file-open dialog, the shell, sounds. Production calls Windows;
// a test puts its own SystemUi in place with ScopedSystemUi.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vcl {

struct OpenFileRequest {
  std::string title;
  // Pairs of description and pattern separated by '|': "Programmes|*.exe".
  std::string filter;
  std::string initial_dir;
};

class SystemUi {
 public:
  virtual ~SystemUi() = default;
  // MessageBoxA: returns IDYES, IDNO, IDOK...
  virtual int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
  // GetOpenFileNameA: the chosen file, or nothing when cancelled.
  virtual std::optional<std::string> OpenFileName(HWND owner, const OpenFileRequest& request);
  // ShellExecuteA: true when the shell started it.
  virtual bool ShellExecuteFile(HWND owner, const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory, int show);
  // sndPlaySoundA.
  virtual bool PlaySoundFile(const std::string& file, UINT flags);
};

// The SystemUi in use.
SystemUi& Ui();

class ScopedSystemUi {
 public:
  explicit ScopedSystemUi(SystemUi& ui);
  ~ScopedSystemUi();
  ScopedSystemUi(const ScopedSystemUi&) = delete;
  ScopedSystemUi& operator=(const ScopedSystemUi&) = delete;

 private:
  SystemUi* previous_;
};

}  // namespace vcl
