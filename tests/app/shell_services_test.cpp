// ProgramDir, the registry string, sibling detection against a Run value and
// a mutex of the test's own, and the help requests through the engine seam.
#include <gtest/gtest.h>

#include <vector>

#include "app/help.h"
#include "app/program_dir.h"
#include "app/shell_paths.h"
#include "app/sibling.h"

namespace tvn {
namespace {

// HKEY_LOCAL_MACHINE is redirected to a scratch key of the user's hive for
// the test's length, so the machine's Run key is never touched.
class ScratchMachineKey {
 public:
  ScratchMachineKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
    RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_);
  }
  ~ScratchMachineKey() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
  }
  void SetRunValue(const char* name, const char* data) {
    HKEY run;
    RegCreateKeyExA(key_, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr);
    RegSetValueExA(run, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(strlen(data) + 1));
    RegCloseKey(run);
  }

 private:
  static constexpr char kScratch[] = "Software\\TorvaneTests\\Machine";
  HKEY key_ = nullptr;
};

TEST(ShellServices, ProgramDirIsTheProgramsFolder) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string dir = ProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  EXPECT_EQ(std::string(path).rfind(dir, 0), 0u);
  EXPECT_EQ(std::string(path).find('\\', dir.size()), std::string::npos);
  EXPECT_EQ(WindowsDir().back(), '\\');
  EXPECT_EQ(SystemDriveLetter(), WindowsDir().substr(0, 1));
}

TEST(ShellServices, ReadRegistryStringSplitsAtTheLastBackslash) {
  ScratchMachineKey machine;
  machine.SetRunValue("Ombrix", "C:\\Ob\\ob.exe");
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, std::string(kRunKey) + "Ombrix"), "C:\\Ob\\ob.exe");
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, std::string(kRunKey) + "Absent"), "");
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, "Software\\Nowhere\\Value"), "");
}

TEST(ShellServices, LocateSiblingReadsTheRunKey) {
  {
    ScratchMachineKey machine;
    LocateSibling();  // no Run key at all
    EXPECT_EQ(SiblingFolder, "");
  }
  {
    ScratchMachineKey machine;
    machine.SetRunValue("OmbrixUpdater", "C:\\Wrong\\upd.exe");
    machine.SetRunValue("ombrix", "\"C:\\Program Files\\Ombrix\\ombrix.exe\" /tray");
    LocateSibling();
    EXPECT_EQ(SiblingFolder, "\"C:\\Program Files\\Ombrix\\");
  }
  {
    ScratchMachineKey machine;
    machine.SetRunValue("OMBRIX", "C:\\Ombrix\\ombrix.exe");
    LocateSibling();
    EXPECT_EQ(SiblingFolder, "C:\\Ombrix\\");
  }
}

TEST(ShellServices, SiblingRunsWhileItsMutexExists) {
  EXPECT_FALSE(IsSiblingRunning());
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kSiblingMutex);
  ASSERT_NE(mutex, nullptr);
  EXPECT_TRUE(IsSiblingRunning());
  CloseHandle(mutex);
  EXPECT_FALSE(IsSiblingRunning());
}

struct HelpCall {
  HWND owner;
  std::string file;
  UINT command;
  DWORD_PTR data;
};
std::vector<HelpCall> help_calls;

HWND WINAPI RecordHtmlHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
  help_calls.push_back({owner, file ? file : "", command, data});
  return nullptr;
}

TEST(ShellServices, FormHelpOpensEachContextOfTheHelpFile) {
  help_calls.clear();
  Help().UseFunction(RecordHtmlHelp);
  for (DWORD context : {kHelpDecouvrirTorvane, kHelpToutSurUnFirewall, kHelpNiveauxDeBlocage, kHelpNouveauProgramme}) {
    bool call_help = true;
    EXPECT_FALSE(FormHelp(HELP_CONTEXT, context, call_help));
    EXPECT_FALSE(call_help);
  }
  Help().CloseAll();
  Help().UseFunction(nullptr);
  ASSERT_EQ(help_calls.size(), 5u);
  const DWORD_PTR contexts[] = {1, 100, 101, 102};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(help_calls[i].owner, GetDesktopWindow());
    EXPECT_EQ(help_calls[i].file, ProgramDir() + "torvane.chm");
    EXPECT_EQ(help_calls[i].command, 0x000Fu);
    EXPECT_EQ(help_calls[i].data, contexts[i]);
  }
  EXPECT_EQ(help_calls[4].owner, nullptr);
  EXPECT_EQ(help_calls[4].file, "");
  EXPECT_EQ(help_calls[4].command, 0x0012u);
  EXPECT_EQ(help_calls[4].data, 0u);
}

TEST(ShellServices, HelpDoesNothingWithoutTheEngine) {
  help_calls.clear();
  HelpEngine engine;
  std::vector<std::string> tried;
  const HelpLibraryLocator nothing{
      [&](const std::string& file) -> HMODULE {
        tried.push_back(file);
        return nullptr;
      },
      [] { return std::string("C:\\Help\\hhctrl.ocx"); },
      [](const std::string&) { return true; },
      [] { return std::string("C:\\windows\\system32\\"); },
  };
  EXPECT_FALSE(engine.Load(nothing));
  EXPECT_EQ(tried,
            (std::vector<std::string>{"hhctrl.ocx", "C:\\Help\\hhctrl.ocx", "C:\\windows\\system32\\hhctrl.ocx"}));
  EXPECT_FALSE(engine.Loaded());
  engine.ShowContext("torvane.chm", 1);
  engine.CloseAll();
  bool call_help = true;
  Help().UseFunction(nullptr);
  FormHelp(HELP_CONTEXT, 1, call_help);
  EXPECT_TRUE(help_calls.empty());
}

TEST(ShellServices, TheSystemsEngineLoads) {
  HelpEngine engine;
  EXPECT_TRUE(engine.Load());
  EXPECT_TRUE(engine.Loaded());
  engine.Unload();
  EXPECT_FALSE(engine.Loaded());
}

TEST(ShellServices, RegisteredServerIsSkippedWhenItsFileIsMissing) {
  HelpEngine engine;
  std::vector<std::string> tried;
  const HelpLibraryLocator locator{
      [&](const std::string& file) -> HMODULE {
        tried.push_back(file);
        // The system folder's copy is the real engine of the prefix.
        return file.find("system32") != std::string::npos ? LoadLibraryA(file.c_str()) : nullptr;
      },
      [] { return std::string("C:\\Absent\\hhctrl.ocx"); },
      [](const std::string&) { return false; },
      [] { return std::string("C:\\windows\\system32\\"); },
  };
  EXPECT_TRUE(engine.Load(locator));
  EXPECT_EQ(tried, (std::vector<std::string>{"hhctrl.ocx", "C:\\windows\\system32\\hhctrl.ocx"}));
  EXPECT_TRUE(engine.Loaded());
}

}  // namespace
}  // namespace tvn
