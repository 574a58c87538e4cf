// torvane.exe as a user starts it, under Wine, with tvn_drvsim as its driver:
// the single instance, the driver error at start, a scenario of allowed,
// blocked and held connections through the running program, and the stop
// from the tray menu.
#include <winsock2.h>  // before windows.h

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "rules/glmfw_rule.h"

namespace tvn {
namespace {

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

// A program started by the test, ended by it when still running.
class Process {
 public:
  Process(const std::string& program, const std::string& arguments = "") {
    std::string command = "\"" + ProgramFolder() + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      handle_ = info.hProcess;
      id_ = info.dwProcessId;
      CloseHandle(info.hThread);
    }
  }
  ~Process() {
    if (!handle_) return;
    // Ended and gone before the next test starts: its mutex is released.
    if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(handle_, 99);
      WaitForSingleObject(handle_, 10000);
    }
    CloseHandle(handle_);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return handle_ != nullptr; }
  DWORD Id() const { return id_; }
  // The exit code once the program has ended within the time; none otherwise.
  std::optional<DWORD> WaitFor(DWORD milliseconds) const {
    if (WaitForSingleObject(handle_, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(handle_, &code);
    return code;
  }

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// A top-level window of a process with a class and caption, waited for.
HWND WaitForWindow(const char* window_class, const char* caption, DWORD process, DWORD milliseconds) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(50)) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, window_class, caption))) {
      DWORD owner = 0;
      GetWindowThreadProcessId(found, &owner);
      if (owner == process && IsWindowVisible(found)) return found;
    }
  }
  return nullptr;
}

constexpr char kConsoleClass[] = "TTVN_MAIN";
constexpr char kConsoleCaption[] = "Torvane Firewall 2025";
constexpr char kDriverError[] = "Torvane Firewall : erreur driver";

class TorvaneEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // A private rendezvous with the simulated driver, and a cloud server
    // that refuses at once: nothing leaves the machine.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "tvn-torvane-e2e-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    SetEnvironmentVariableA("TVN_NFAPI_DIR", folder_.c_str());
    SetEnvironmentVariableA("TVN_DEMO_CLOUD_URL", "http://127.0.0.1:1");
  }

  // The console of a started firewall, hidden in the tray.
  HWND Console(const Process& firewall) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(50)) {
      HWND console = FindWindowA(kConsoleClass, kConsoleCaption);
      DWORD owner = 0;
      if (console) GetWindowThreadProcessId(console, &owner);
      if (owner == firewall.Id()) return console;
    }
    return nullptr;
  }

  std::string folder_;
};

TEST_F(TorvaneEndToEnd, SecondStartShowsTheFirstConsoleAndEndsWithZero) {
  Process drvsim("tvn_drvsim.exe", "--timeout 60 \"" + ProgramFolder() + "torvane_session.scn\"");
  Process first("torvane.exe");
  HWND console = Console(first);
  ASSERT_NE(console, nullptr);
  EXPECT_FALSE(IsWindowVisible(console));  // only the tray icon at start

  Process second("torvane.exe");
  EXPECT_EQ(second.WaitFor(20000), std::optional<DWORD>(0));
  EXPECT_TRUE(IsWindowVisible(console));
  EXPECT_FALSE(first.WaitFor(0).has_value());  // the first one goes on
}

TEST_F(TorvaneEndToEnd, WithoutDriverTheErrorBoxComesOnceAboutThreeSecondsAfterStart) {
  const DWORD launched = GetTickCount();
  Process firewall("torvane.exe");
  HWND box = WaitForWindow("#32770", kDriverError, firewall.Id(), 30000);
  ASSERT_NE(box, nullptr);
  EXPECT_GE(GetTickCount() - launched, 2500u);  // the driver is opened 3000 ms after start
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 5000;) Sleep(50);
  EXPECT_EQ(WaitForWindow("#32770", kDriverError, firewall.Id(), 5000), nullptr);  // no second attempt
  EXPECT_FALSE(firewall.WaitFor(0).has_value());                                   // still running
}

TEST_F(TorvaneEndToEnd, AllowedBlockedAndHeldConnectionsThroughTheRunningFirewall) {
  TGLMFWRule store;
  store.AddAppRule("c:\\jeux\\bloque.exe", false);
  Process drvsim("tvn_drvsim.exe", "--timeout 60 \"" + ProgramFolder() + "firewall_e2e.scn\"");
  Process firewall("torvane.exe");
  EXPECT_EQ(drvsim.WaitFor(90000), std::optional<DWORD>(0));
  store.RemoveAppRule("c:\\jeux\\bloque.exe");
}

TEST_F(TorvaneEndToEnd, StopFromTheTrayMenuAnsweredYesEndsWithZero) {
  Process drvsim("tvn_drvsim.exe", "--timeout 60 \"" + ProgramFolder() + "torvane_session.scn\"");
  Process firewall("torvane.exe");
  ASSERT_NE(Console(firewall), nullptr);
  Sleep(4000);  // the filter is open

  // A right click on the firewall's icon in Wine's system tray (one small
  // window per icon) opens the menu.
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  HWND icon = FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr);
  if (!icon) icon = FindWindowA("__winex11_tray_icon", nullptr);
  ASSERT_NE(icon, nullptr);
  PostMessageA(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageA(icon, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  HWND menu = WaitForWindow("#32768", nullptr, firewall.Id(), 10000);
  ASSERT_NE(menu, nullptr);
  PostMessageA(menu, WM_CHAR, 'f', 0);  // "Arrêter et &fermer le firewall"

  HWND question = WaitForWindow("#32770", "Torvane Firewall : confirmation", firewall.Id(), 10000);
  ASSERT_NE(question, nullptr);
  PostMessageA(question, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(firewall.WaitFor(20000), std::optional<DWORD>(0));
  EXPECT_FALSE(IsWindow(question));
}

}  // namespace
}  // namespace tvn
