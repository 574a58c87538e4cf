// The trust query against a real HTTP server on 127.0.0.1, through THttpCli.
// Winsock before windows.h.
#include "tests/platform/http/loopback_http_server.h"
// The rest.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "engine/cloud_server.h"
#include "engine/file_md5.h"
#include "engine/trust_query.h"
#include "engine/url_escape.h"

namespace tvn {
namespace {

using std::chrono::milliseconds;
using testing::HttpRequest;
using testing::LoopbackHttpServer;

constexpr const char* kQueryPath = "/tvn_cloud/tvn_is_trusted_file.php";
const std::string kTrusted = "MS:0\r\nAAS:1\r\nX\r\n";

// Points the cloud server at a loopback server for one test.
class TrustQueryLoopbackTest : public ::testing::Test {
 protected:
  void Serve(LoopbackHttpServer::Handler handler) {
    server_ = std::make_unique<LoopbackHttpServer>(std::move(handler));
    SetCloudServerUrlForTests(server_->BaseUrl());
  }
  ~TrustQueryLoopbackTest() override { SetCloudServerUrlForTests(""); }

  static bool Query() { return TrustQuery(EscapeUrlText("c:\\a.exe"), "ABC", 1234); }

  std::unique_ptr<LoopbackHttpServer> server_;
};

TEST_F(TrustQueryLoopbackTest, SendsTheDoublyEscapedNameAndReadsTheAnswer) {
  Serve([](const HttpRequest&) { return LoopbackHttpServer::Reply(200, kTrusted); });
  EXPECT_TRUE(TrustQuery(EscapeUrlText("c:\\program files\\app\\it's.exe"), "D41D8CD98F00B204E9800998ECF8427E", 4096));
  ASSERT_EQ(server_->Requests().size(), 1u);
  EXPECT_EQ(server_->Requests()[0].target,
            std::string(kQueryPath) +
                "?fs=4096&fm=D41D8CD98F00B204E9800998ECF8427E&fn=c:%255Cprogram%2520files%255Capp%255Cit%2560s.exe");
}

TEST_F(TrustQueryLoopbackTest, OnlyTheThreeLineRuleTrusts) {
  std::string body;
  Serve([&](const HttpRequest&) { return LoopbackHttpServer::Reply(200, body); });
  const struct {
    const char* body;
    bool trusted;
  } cases[] = {{"MS:1\r\nAAS:1\r\nX\r\n", false},
               {"x\nAAS:1\ny", true},
               {"MS:0\r\nAAS:1\r\n", false},
               {"MS:0\r\nASS:2\r\nX\r\n", false}};
  for (const auto& c : cases) {
    body = c.body;
    EXPECT_EQ(Query(), c.trusted) << c.body;
  }
}

TEST_F(TrustQueryLoopbackTest, ServerDownTwoAttemptsHalfASecondApart) {
  // Accepts and hangs up without a word: each attempt is a broken exchange.
  Serve([](const HttpRequest&) { return std::string(); });
  EXPECT_FALSE(Query());
  const auto requests = server_->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_GE(requests[1].at - requests[0].at, milliseconds(450));

  // Nothing listening at all: refused twice, not trusted after the pause.
  const std::string closedUrl = server_->BaseUrl();
  server_.reset();
  SetCloudServerUrlForTests(closedUrl);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Query());
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(450));
}

TEST_F(TrustQueryLoopbackTest, FollowsARedirect) {
  Serve([](const HttpRequest& r) {
    if (r.target.starts_with(kQueryPath)) return LoopbackHttpServer::Reply(302, "", "Location: /moved\r\n");
    return LoopbackHttpServer::Reply(200, kTrusted);
  });
  EXPECT_TRUE(Query());
  ASSERT_EQ(server_->Requests().size(), 2u);
  EXPECT_EQ(server_->Requests()[1].target, "/moved");
}

TEST_F(TrustQueryLoopbackTest, A401IsExaminedAsABodyA500IsAFailedAttempt) {
  int status = 401;
  Serve([&](const HttpRequest&) { return LoopbackHttpServer::Reply(status, kTrusted); });
  EXPECT_TRUE(Query());
  EXPECT_EQ(server_->Requests().size(), 1u);

  status = 500;
  EXPECT_FALSE(Query());
  EXPECT_EQ(server_->Requests().size(), 3u);  // both attempts
}

TEST(FileMd5HexOnWindows, HashesAFileAnotherProcessKeepsOpenForWriting) {
  const auto path = std::filesystem::temp_directory_path() / "tvn_md5_shared.bin";
  std::ofstream(path, std::ios::binary) << "abc";
  const HANDLE writer = CreateFileA(path.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileMd5Hex(path.string()), "900150983CD24FB0D6963F7D28E17F72");
  CloseHandle(writer);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace tvn
