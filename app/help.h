// The HTML Help engine and the help handler shared by the main window and
// the new-program prompt. Help is asked for by context number.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tvn {

// Context numbers of the topics of "torvane.chm".
inline constexpr DWORD kHelpDecouvrirTorvane = 1;
inline constexpr DWORD kHelpToutSurUnFirewall = 100;
inline constexpr DWORD kHelpNiveauxDeBlocage = 101;
inline constexpr DWORD kHelpNouveauProgramme = 102;

inline constexpr char kHelpFileName[] = "torvane.chm";
inline constexpr UINT kHhHelpContext = 0x000F;
inline constexpr UINT kHhCloseAll = 0x0012;

using HtmlHelpFunction = HWND(WINAPI*)(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);

// How the engine's library is found; production uses the system, a test its
// own functions.
struct HelpLibraryLocator {
  std::function<HMODULE(const std::string& file)> load_library;
  // The file registered as in-process server of the engine's class,
  // environment variables expanded; empty when none.
  std::function<std::string()> registered_server;
  std::function<bool(const std::string& file)> file_exists;
  // The system folder, ending with a backslash.
  std::function<std::string()> system_dir;
};

HelpLibraryLocator SystemHelpLibraryLocator();

class HelpEngine {
 public:
  ~HelpEngine() { Unload(); }

  // Loads the engine: "hhctrl.ocx" by name, else the registered server of
  // its class when that file exists, else "hhctrl.ocx" in the system folder;
  // then looks up "HtmlHelpA". False when none of them gives it.
  bool Load(const HelpLibraryLocator& locator = SystemHelpLibraryLocator());
  void Unload();
  bool Loaded() const { return html_help_ != nullptr; }
  // Puts a function in place of the engine's (tests), or none.
  void UseFunction(HtmlHelpFunction function) { html_help_ = function; }

  // Opens the topic of a context number of a help file, owned by the desktop.
  void ShowContext(const std::string& file, DWORD context) const;
  // Closes every help window the program opened.
  void CloseAll() const;

 private:
  HMODULE library_ = nullptr;
  HtmlHelpFunction html_help_ = nullptr;
};

// The program's help engine, loaded at start.
HelpEngine& Help();

// The help handler of the main window and of the prompt: answers
// HELP_CONTEXT with the topic of ProgramDir + "torvane.chm"; the
// application's own help is never called.
bool FormHelp(WORD command, ULONG_PTR data, bool& call_help);

}  // namespace tvn
