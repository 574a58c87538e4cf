#include "engine/trust_query.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/cloud_server.h"
#include "engine/file_md5.h"
#include "engine/url_escape.h"

namespace tvn {
namespace {

TEST(EscapeUrlText, EveryTableEntryAndWhatStaysAsItIs) {
  const std::string table = " \"#%'(),/;<>?@[\\]^{|}~\xE0\xE2\xE4\xE7\xE8\xE9\xEA\xEB\xEE\xEF\xF4";
  EXPECT_EQ(EscapeUrlText(table),
            "%20%22%23%25%60%28%29%2C%2F%3B%3C%3E%3F%40%5B%5C%5D%5E%7B%7C%7D%7E"
            "%E0%E2%E4%E7%E8%E9%EA%EB%EE%EF%F4");
  const std::string kept = "azAZ09&=+:!*$.-_\xF9\xE1\xC9\x7F\x01";
  EXPECT_EQ(EscapeUrlText(kept), kept);
  EXPECT_EQ(EscapeUrlText("c:\\program files\\app\\it's.exe"), "c:%5Cprogram%20files%5Capp%5Cit%60s.exe");
}

TEST(TrustQueryUrl, KeysInOrderAndTheNameEscapedOnceMore) {
  EXPECT_EQ(TrustQueryUrl(EscapeUrlText("c:\\program files\\app\\it's.exe"), "0123456789ABCDEF0123456789ABCDEF",
                          5000000000LL),
            CloudServerUrl() +
                "/tvn_cloud/tvn_is_trusted_file.php?fs=5000000000&fm=0123456789ABCDEF0123456789ABCDEF"
                "&fn=c:%255Cprogram%2520files%255Capp%255Cit%2560s.exe");
}

TEST(CloudServer, OneAddressThatOnlyTestsRedirect) {
  EXPECT_EQ(CloudServerUrl(), "http://cloud.zelbar.com");
  SetCloudServerUrlForTests("http://127.0.0.1:1");
  EXPECT_EQ(CloudServerUrl(), "http://127.0.0.1:1");
  SetCloudServerUrlForTests("");
  EXPECT_EQ(CloudServerUrl(), "http://cloud.zelbar.com");
}

TEST(IsTrustedAnswer, ThreeLineRule) {
  const struct {
    const char* body;
    bool trusted;
  } cases[] = {
      {"MS:0\r\nAAS:1\r\nX\r\n", true}, {"x\nAAS:1\ny", true},
      {"x\rAAS:1\ry\rmore", true},      {"\nAAS:1\n\n", true},
      {"MS:1\r\nAAS:1\r\nX", false},    {"MS:0\r\nASS:2\r\nX", false},
      {"MS:0\r\naas:1\r\nX", false},    {"MS:0\r\nAAS:1\r\n", false},
      {"MS:0\r\nAAS:1 \r\nX", false},   {"", false},
      {"AAS:1\nAAS:1\nAAS:1", true},    {"MS:0\n\rAAS:1\nX", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsTrustedAnswer(c.body), c.trusted) << c.body;
}

// A scripted server: each attempt takes the next answer (nullopt: failed).
struct ScriptedGet {
  explicit ScriptedGet(std::vector<std::pair<bool, std::string>> script) : answers(std::move(script)) {}

  std::vector<std::pair<bool, std::string>> answers;
  std::vector<std::string> urls;
  std::vector<std::chrono::milliseconds> pauses;

  bool Query() {
    return TrustQuery(
        "c:%5Ca.exe", "ABC", 10,
        [this](const std::string& url, std::string& body) {
          urls.push_back(url);
          const auto& [ok, text] = answers.at(urls.size() - 1);
          body = text;
          return ok;
        },
        [this](std::chrono::milliseconds pause) { pauses.push_back(pause); });
  }
};

TEST(TrustQuery, TwoAttemptsHalfASecondApart) {
  ScriptedGet down({{false, ""}, {false, ""}});
  EXPECT_FALSE(down.Query());
  EXPECT_EQ(down.urls.size(), 2u);
  EXPECT_EQ(down.urls[0], down.urls[1]);
  EXPECT_EQ(down.pauses, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(500)});

  // A broken first attempt leaves nothing in front of the second's answer.
  ScriptedGet recovers({{false, "MS:0\n"}, {true, "MS:0\nAAS:1\nX\n"}});
  EXPECT_TRUE(recovers.Query());

  ScriptedGet answered({{true, "MS:0\nASS:2\nX\n"}, {true, "MS:0\nAAS:1\nX\n"}});
  EXPECT_FALSE(answered.Query());
  EXPECT_EQ(answered.urls.size(), 1u);  // an answer ends the loop, trusted or not
  EXPECT_TRUE(answered.pauses.empty());
}

class FileMd5Test : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    const auto path = std::filesystem::temp_directory_path() / ("tvn_md5_" + name);
    std::ofstream(path, std::ios::binary) << content;
    written_.push_back(path);
    return path.string();
  }
  ~FileMd5Test() override {
    for (const auto& p : written_) std::filesystem::remove(p);
  }
  std::vector<std::filesystem::path> written_;
};

TEST_F(FileMd5Test, UpperCaseDigestOfWholeFiles) {
  EXPECT_EQ(FileMd5Hex(Write("empty", "")), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(FileMd5Hex(Write("abc", "abc")), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(FileMd5Hex(Write("digest", "message digest")), "F96B697D7CB7938D525A2F31AAF161D0");
  // 250000 bytes: two full blocks of 102400 and a shorter last one.
  std::string blocks(250000, '\0');
  for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = static_cast<char>(i % 251);
  EXPECT_EQ(FileMd5Hex(Write("blocks", blocks)), "00840FE0FBB10BFF606C37FC4B6C4877");
  EXPECT_EQ(FileMd5Hex((std::filesystem::temp_directory_path() / "tvn_md5_missing.exe").string()), "");
}

}  // namespace
}  // namespace tvn
