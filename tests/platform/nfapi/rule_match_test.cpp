#include <gtest/gtest.h>

#include "scenario.h"
#include "sim_driver.h"

namespace drvsim {
namespace {

struct Endpoints {
  SocketAddress local, remote;
  Endpoints(const char* localText, const char* remoteText) {
    ParseSocketAddress(localText, &local);
    ParseSocketAddress(remoteText, &remote);
  }
  Traffic Tcp(uint32_t processId, uint8_t direction) const {
    return {NF_PROTOCOL_TCP, processId, direction, local.Bytes, remote.Bytes};
  }
};

TEST(RuleMatchTest, ZeroFieldsMatchEverythingAndSetFieldsMustAgree) {
  const Endpoints web("192.168.1.5:50000", "93.184.216.34:443");
  const Endpoints v6("[fe80::1]:50000", "[2001:db8::1]:443");
  NfRule any{};
  EXPECT_TRUE(RuleMatches(any, web.Tcp(10, NF_DIRECTION_OUT)));
  EXPECT_TRUE(RuleMatches(any, {NF_PROTOCOL_UDP, 10, NF_DIRECTION_OUT, web.local.Bytes, web.remote.Bytes}));

  NfRule tcpOnly{};
  tcpOnly.protocol = NF_PROTOCOL_TCP;
  EXPECT_TRUE(RuleMatches(tcpOnly, v6.Tcp(10, NF_DIRECTION_IN)));
  EXPECT_FALSE(RuleMatches(tcpOnly, {NF_PROTOCOL_UDP, 10, NF_DIRECTION_OUT, web.local.Bytes, web.remote.Bytes}));

  NfRule process{};
  process.processId = 10;
  EXPECT_TRUE(RuleMatches(process, web.Tcp(10, NF_DIRECTION_OUT)));
  EXPECT_FALSE(RuleMatches(process, web.Tcp(11, NF_DIRECTION_OUT)));

  NfRule inbound{};
  inbound.direction = NF_DIRECTION_IN;
  EXPECT_FALSE(RuleMatches(inbound, web.Tcp(10, NF_DIRECTION_OUT)));
  EXPECT_TRUE(RuleMatches(inbound, web.Tcp(10, NF_DIRECTION_BOTH)));

  NfRule https{};
  https.remotePort = static_cast<uint16_t>(443 >> 8 | (443 & 0xFF) << 8);  // network byte order
  EXPECT_TRUE(RuleMatches(https, web.Tcp(10, NF_DIRECTION_OUT)));
  https.remotePort = static_cast<uint16_t>(80 << 8);
  EXPECT_FALSE(RuleMatches(https, web.Tcp(10, NF_DIRECTION_OUT)));

  NfRule network{};
  network.remoteAddress[0] = 93;
  network.remoteAddressMask[0] = 0xFF;
  EXPECT_TRUE(RuleMatches(network, web.Tcp(10, NF_DIRECTION_OUT)));
  network.remoteAddress[0] = 94;
  EXPECT_FALSE(RuleMatches(network, web.Tcp(10, NF_DIRECTION_OUT)));

  NfRule ipv4Only{};
  ipv4Only.ipFamily = 2;
  EXPECT_TRUE(RuleMatches(ipv4Only, web.Tcp(10, NF_DIRECTION_OUT)));
  EXPECT_FALSE(RuleMatches(ipv4Only, v6.Tcp(10, NF_DIRECTION_OUT)));
}

}  // namespace
}  // namespace drvsim
