#include "scenario.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace drvsim {
namespace {

TEST(ScenarioTest, ReadsEveryStepAndSkipsBlanksAndComments) {
  const std::string text =
      "# a comment\r\n"
      "\n"
      "process 12 C:\\Program Files\\Mon Appli\\appli.exe  \r\n"
      "connect 7 12 both 192.168.1.5:50210 [2001:db8::1]:443\n"
      "  send 7 1000\n"
      "recv 7 20\n"
      "udp 12 8.8.8.8:53 64\n"
      "wait 250\n"
      "expect 7 held\n"
      "expect 7 allowed 5000\n"
      "expect-bytes in 20\n";
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario(text, &scenario, &error)) << error;
  ASSERT_EQ(scenario.Lines.size(), 9u);

  EXPECT_EQ(std::get<ProcessStep>(scenario.Lines[0].Action).Path, "C:\\Program Files\\Mon Appli\\appli.exe");
  EXPECT_EQ(scenario.Lines[0].Number, 3);
  const auto& connect = std::get<ConnectStep>(scenario.Lines[1].Action);
  EXPECT_EQ(connect.Id, 7u);
  EXPECT_EQ(connect.Direction, NF_DIRECTION_BOTH);
  EXPECT_EQ(connect.Local.Bytes[0], 2);  // AF_INET as Windows numbers it
  EXPECT_EQ(connect.Local.Bytes[3], 50210 & 0xFF);
  EXPECT_EQ(connect.Local.Bytes[4], 192);
  EXPECT_EQ(connect.Remote.Bytes[0], 23);  // AF_INET6
  EXPECT_EQ(connect.Remote.Bytes[8], 0x20);
  EXPECT_EQ(connect.Remote.Bytes[23], 1);
  EXPECT_FALSE(std::get<DataStep>(scenario.Lines[2].Action).Inbound);
  EXPECT_TRUE(std::get<DataStep>(scenario.Lines[3].Action).Inbound);
  EXPECT_EQ(std::get<UdpStep>(scenario.Lines[4].Action).Bytes, 64u);
  EXPECT_EQ(std::get<WaitStep>(scenario.Lines[5].Action).Milliseconds, 250u);
  EXPECT_EQ(std::get<ExpectStep>(scenario.Lines[6].Action).WithinMs, 0u);
  EXPECT_EQ(std::get<ExpectStep>(scenario.Lines[7].Action).State, ConnectionState::Allowed);
  EXPECT_EQ(std::get<ExpectBytesStep>(scenario.Lines[8].Action).Bytes, 20u);
  EXPECT_EQ(scenario.Lines[2].Text, "send 7 1000");
}

TEST(ScenarioTest, RefusesBadLinesNamingTheLine) {
  const char* bad[] = {
      "connect 1 2 sideways 1.2.3.4:5 6.7.8.9:10",
      "connect 1 2 out 1.2.3.4 6.7.8.9:10",
      "connect 1 2 out 1.2.3.400:5 6.7.8.9:10",
      "connect 1 2 out [zz::1]:5 6.7.8.9:10",
      "connect 1 2 out 1.2.3.4:70000 6.7.8.9:10",
      "send x 10",
      "send 1 -5",
      "expect 1 open",
      "expect 1 held soon",
      "expect-bytes both 3",
      "process 12",
      "udp 1 8.8.8.8:53",
      "dance 1",
  };
  for (const char* line : bad) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(ParseScenario(std::string("wait 1\n") + line + "\n", &scenario, &error)) << line;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

}  // namespace
}  // namespace drvsim
