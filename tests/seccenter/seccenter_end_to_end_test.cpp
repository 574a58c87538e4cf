// The Security Center entry across processes, in a Wine prefix of its own
// where the stand-in WMI service is registered for the WMI locator: a
// program reporting through the binding writes the firewall's instance, and
// tvn_unreg.exe deletes it, with TVN_STATE.DLL beside them or absent; and
// the library as it behaves on the older Windows versions Wine can present.
#include <gtest/gtest.h>
#include <wbemcli.h>

#include <string>

#include "seccenter/binding/state_library_binding.h"
#include "tests/seccenter/test_paths.h"
#include "tests/seccenter/wmi_standin/standin_store.h"

namespace tvn::test {
namespace {

namespace store = standin_store;

constexpr wchar_t kSecurityCenter[] = L"root\\SecurityCenter";
// Untouched, tvn_unreg deletes after its 3 s timer and ends 3 s later.
constexpr DWORD kUnregMinimumRun = 5500;
constexpr DWORD kProgramTimeout = 60000;

// Registers wmi_standin.dll as the WMI locator's in-process server for the
// whole prefix (this test's prefix is its own).
void RegisterStandInForThePrefix() {
  wchar_t clsid[64];
  StringFromGUID2(CLSID_WbemLocator, clsid, 64);
  const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + clsid + L"\\InprocServer32";
  const std::wstring server = TestProgramDir() + L"\\wmi_standin.dll";
  const wchar_t threading[] = L"Both";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, server.c_str(),
                            static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"ThreadingModel", REG_SZ, threading, sizeof(threading)),
            ERROR_SUCCESS);
}

// The programs a stage folder holds, beside TVN_STATE.DLL or not.
constexpr const wchar_t* kStagedTestPrograms[] = {L"report_state_probe.exe", L"windows_version_probe.exe"};

// A folder holding copies of the programs, as an installation would.
std::wstring StageFolder(const wchar_t* name, bool withLibrary) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tvn-seccenter-" + std::to_wstring(GetCurrentProcessId()) + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  CopyFileW(DeliverablePath(L"tvn_unreg.exe").c_str(), (folder + L"\\tvn_unreg.exe").c_str(), FALSE);
  for (const wchar_t* program : kStagedTestPrograms)
    CopyFileW((TestProgramDir() + L"\\" + program).c_str(), (folder + L"\\" + program).c_str(), FALSE);
  if (withLibrary) {
    CopyFileW(DeliverablePath(L"TVN_STATE.DLL").c_str(), (folder + L"\\TVN_STATE.DLL").c_str(), FALSE);
  }
  return folder;
}

void RemoveStageFolder(const std::wstring& folder) {
  for (const wchar_t* program : kStagedTestPrograms) DeleteFileW((folder + L"\\" + program).c_str());
  for (const wchar_t* file : {L"\\tvn_unreg.exe", L"\\TVN_STATE.DLL"}) DeleteFileW((folder + file).c_str());
  RemoveDirectoryW(folder.c_str());
}

struct RunningProgram {
  PROCESS_INFORMATION process{};
  DWORD started = 0;
};

RunningProgram Launch(const std::wstring& folder, const wchar_t* program, const wchar_t* arguments = L"") {
  std::wstring commandLine = L"\"" + folder + L"\\" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  RunningProgram run;
  run.started = GetTickCount();
  EXPECT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                             &run.process));
  return run;
}

struct Finished {
  DWORD exitCode = 0xFFFFFFFF;
  DWORD elapsed = 0;
};

Finished WaitFor(RunningProgram& run) {
  Finished finished;
  if (WaitForSingleObject(run.process.hProcess, kProgramTimeout) != WAIT_OBJECT_0) {
    TerminateProcess(run.process.hProcess, 1);
    ADD_FAILURE() << "program did not end within " << kProgramTimeout << " ms";
  }
  finished.elapsed = GetTickCount() - run.started;
  GetExitCodeProcess(run.process.hProcess, &finished.exitCode);
  CloseHandle(run.process.hThread);
  CloseHandle(run.process.hProcess);
  return finished;
}

Finished RunToEnd(const std::wstring& folder, const wchar_t* program, const wchar_t* arguments = L"") {
  RunningProgram run = Launch(folder, program, arguments);
  return WaitFor(run);
}

std::optional<StoredInstance> FirewallInstance() {
  return store::LoadInstance(kSecurityCenter, L"FirewallProduct", ProductInstanceGuid);
}

class SecurityCenterEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    store::UseStore(L"seccenter_end_to_end_test");
    RegisterStandInForThePrefix();
    store::Reset();
    store::AddNamespace(kSecurityCenter);
    withLibrary_ = StageFolder(L"-with", true);
    withoutLibrary_ = StageFolder(L"-without", false);
  }
  void TearDown() override {
    RemoveStageFolder(withLibrary_);
    RemoveStageFolder(withoutLibrary_);
  }

  std::wstring withLibrary_;
  std::wstring withoutLibrary_;
};

TEST_F(SecurityCenterEndToEnd, ReportedStateIsDeletedByTvnUnregWhichThenFindsNothing) {
  ASSERT_EQ(RunToEnd(withLibrary_, L"report_state_probe.exe", L"active").exitCode, 0u);
  auto instance = FirewallInstance();
  ASSERT_TRUE(instance);
  EXPECT_EQ(instance->properties.at(L"instanceGuid"), PropertyValue(std::wstring(ProductInstanceGuid)));
  EXPECT_EQ(instance->properties.at(L"displayName"), PropertyValue(std::wstring(L"Torvane Firewall")));
  EXPECT_EQ(instance->properties.at(L"companyName"), PropertyValue(std::wstring(L"Zelbar")));
  EXPECT_EQ(instance->properties.at(L"versionNumber"), PropertyValue(std::wstring(L"7.0")));
  EXPECT_EQ(instance->properties.at(L"enabled"), PropertyValue(VARIANT_TRUE));

  ASSERT_EQ(RunToEnd(withLibrary_, L"report_state_probe.exe", L"inactive").exitCode, 0u);
  instance = FirewallInstance();
  ASSERT_TRUE(instance);
  EXPECT_EQ(instance->properties.at(L"enabled"), PropertyValue(VARIANT_FALSE));

  const Finished first = RunToEnd(withLibrary_, L"tvn_unreg.exe");
  EXPECT_EQ(first.exitCode, 0u);
  EXPECT_GE(first.elapsed, kUnregMinimumRun);
  EXPECT_FALSE(FirewallInstance());
  EXPECT_EQ(store::CallCount(L"DeleteInstance"), 1u);

  const Finished second = RunToEnd(withLibrary_, L"tvn_unreg.exe");
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_GE(second.elapsed, kUnregMinimumRun);
  EXPECT_EQ(store::CallCount(L"DeleteInstance"), 2u) << "the second run did not try to delete";
  EXPECT_TRUE(store::InstanceKeys(kSecurityCenter, L"FirewallProduct").empty());
}

// A message box would hold either program open past the wait: ending on
// time with code 0 is what "without error or message" looks like from here.
TEST_F(SecurityCenterEndToEnd, WithoutTheLibraryBothProgramsRunQuietlyAndTouchNothing) {
  ASSERT_EQ(RunToEnd(withLibrary_, L"report_state_probe.exe", L"active").exitCode, 0u);
  const DWORD callsBefore = store::TotalCalls();

  EXPECT_EQ(RunToEnd(withoutLibrary_, L"report_state_probe.exe", L"inactive").exitCode, 0u);
  const Finished unreg = RunToEnd(withoutLibrary_, L"tvn_unreg.exe");
  EXPECT_EQ(unreg.exitCode, 0u);
  EXPECT_GE(unreg.elapsed, kUnregMinimumRun);

  EXPECT_EQ(store::TotalCalls(), callsBefore);
  const auto instance = FirewallInstance();
  ASSERT_TRUE(instance);
  EXPECT_EQ(instance->properties.at(L"enabled"), PropertyValue(VARIANT_TRUE));
}

HWND FindUnregForm(DWORD processId) {
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"TForm1", L"ob_unreg"));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

// Which path deleted (the click or the timer) is checked in-process, where no
// clock is involved (state_binding_test); across processes the test shows
// that a click on "Stop" deletes exactly once and the program ends cleanly.
TEST_F(SecurityCenterEndToEnd, StopDeletesOnceAndEndsCleanly) {
  ASSERT_EQ(RunToEnd(withLibrary_, L"report_state_probe.exe", L"active").exitCode, 0u);
  RunningProgram unreg = Launch(withLibrary_, L"tvn_unreg.exe");

  HWND form = nullptr;
  while (!(form = FindUnregForm(unreg.process.dwProcessId)) && GetTickCount() - unreg.started < kProgramTimeout)
    Sleep(10);
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(FirewallInstance()) << "deleted before Stop was clicked";
  PostMessageW(FindWindowExW(form, nullptr, L"Button", L"Stop"), BM_CLICK, 0, 0);

  const Finished finished = WaitFor(unreg);

  EXPECT_FALSE(FirewallInstance());
  EXPECT_EQ(finished.exitCode, 0u);
  EXPECT_EQ(store::CallCount(L"DeleteInstance"), 1u);
}

// Wine presents the Windows version named in its per-program settings.
class PresentedWindows {
 public:
  explicit PresentedWindows(const wchar_t* version) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Version", REG_SZ, version,
                    static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
  }
  ~PresentedWindows() { RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\windows_version_probe.exe";
};

TEST_F(SecurityCenterEndToEnd, WritesNeedASecurityCenterWhileDeletesAlwaysTry) {
  const struct {
    const wchar_t* windows;
    long written;
  } cases[] = {{L"win2k", kNoSecurityCenter}, {L"win2003", kNoSecurityCenter}, {L"winxp", 0}, {L"vista", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.windows, c.windows + wcslen(c.windows)));
    store::Reset();
    store::AddNamespace(kSecurityCenter);
    PresentedWindows presented(c.windows);

    EXPECT_EQ(static_cast<long>(RunToEnd(withLibrary_, L"windows_version_probe.exe", L"write").exitCode), c.written);
    EXPECT_EQ(FirewallInstance().has_value(), c.written == 0);
    EXPECT_EQ(store::CallCount(L"ConnectServer"), c.written == 0 ? 1u : 0u);

    const long deleted = static_cast<long>(RunToEnd(withLibrary_, L"windows_version_probe.exe", L"delete").exitCode);
    EXPECT_EQ(deleted, c.written == 0 ? S_OK : static_cast<HRESULT>(WBEM_E_NOT_FOUND));
    EXPECT_EQ(store::CallCount(L"DeleteInstance"), 1u);
  }
}

}  // namespace
}  // namespace tvn::test
