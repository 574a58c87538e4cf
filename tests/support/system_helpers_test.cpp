#include "support/system_helpers.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>
#include <vector>

namespace tvn {
namespace {

namespace fs = std::filesystem;

fs::path ExeDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

bool WaitForFile(const fs::path& file) {
  for (int i = 0; i < 200 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return fs::exists(file);
}

TEST(ShellOpen, StartsAProgramInTheGivenDirectory) {
  const fs::path dir = fs::temp_directory_path() / ("tvn_shell_open_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  EXPECT_TRUE(ShellOpen("cmd.exe", "/c echo ok> marker.txt", dir.string(), SW_HIDE));
  EXPECT_TRUE(WaitForFile(dir / "marker.txt"));
  // cmd may still hold the directory for a moment; what is left is only a temp folder.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

TEST(ShellOpen, RefusesTextsLongerThan512Characters) {
  EXPECT_FALSE(ShellOpen("cmd.exe", "/c rem " + std::string(506, 'x'), "", SW_HIDE));  // 513 characters
  EXPECT_FALSE(ShellOpen(std::string(513, 'a'), "", "", SW_HIDE));
}

DWORD RunAndWait(const fs::path& program) {
  std::string commandLine = "\"" + program.string() + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(KillProcessById, OwnIdEndsTheProcessWithCodeZeroInsideTheCall) {
  EXPECT_EQ(RunAndWait(ExeDir() / "kill_self_helper.exe"), 0u);
}

TEST(KillProcessById, UnknownIdIsFalse) { EXPECT_FALSE(KillProcessById(0x7FFFFFFC)); }

TEST(WorkstationVersion, MajorDotMinorAndWindows10Detection) {
  const std::string version = GetWorkstationVersion();
  EXPECT_TRUE(std::regex_match(version, std::regex(R"(\d+\.\d+)"))) << version;
  DetectWindows10();
  EXPECT_EQ(IsWindows10, NamesWindows10(version));
  EXPECT_EQ(Windows10Version, IsWindows10 ? version : "");

  for (const char* yes : {"10.0", "10.1"}) EXPECT_TRUE(NamesWindows10(yes)) << yes;
  for (const char* no : {"6.3", "6.1", "", "6.10"}) EXPECT_FALSE(NamesWindows10(no)) << no;
}

std::string SigningFixture(const char* name) { return (ExeDir() / "signing" / name).string(); }

// The fixtures are made at build time (make_signing_fixture.sh): a test root
// trusted here for the test's length, a file it signed, the same file with
// one byte changed, and the file unsigned. The signed file carries only the
// signer's certificate: its chain reaches the root through the trusted store.
// (Wine 8 accepts a chain that stops short of a trusted root, so under Wine
// this test shows integrity and presence, not the root check.)
class IsFileSignedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in(Fixture("test_root.der"), std::ios::binary);
    const std::vector<char> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(der.empty());
    root_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    ASSERT_NE(root_, nullptr);
    ASSERT_TRUE(CertAddEncodedCertificateToStore(root_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                                 static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                 &added_));
  }
  void TearDown() override {
    if (added_) CertDeleteCertificateFromStore(added_);
    if (root_) CertCloseStore(root_, 0);
  }
  static std::string Fixture(const char* name) { return SigningFixture(name); }

  HCERTSTORE root_ = nullptr;
  PCCERT_CONTEXT added_ = nullptr;
};

TEST_F(IsFileSignedTest, OnlyAnIntactSignatureFromATrustedRootCounts) {
  EXPECT_TRUE(IsFileSigned(Fixture("signed.exe")));
  EXPECT_FALSE(IsFileSigned(Fixture("tampered.exe")));
  EXPECT_FALSE(IsFileSigned(Fixture("unsigned.exe")));
  EXPECT_FALSE(IsFileSigned(Fixture("missing.exe")));
}

}  // namespace
}  // namespace tvn
