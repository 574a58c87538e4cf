#include "rules/rule_formats.h"

#include <gtest/gtest.h>

#include "rules/store_error.h"

namespace tvn {
namespace {

TEST(NormalizeIpAddress, ZeroFillsEveryGroupWithoutCutting) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"192.168.1.10", "192.168.001.010"},
      {"0.0.0.0", "000.000.000.000"},
      {"000.000.000.001", "000.000.000.001"},
      {"1234.1.1.1", "1234.001.001.001"},
      {"1..2", "001.002"},
      {" 10. 2 .3.4", "010.002.003.004"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeIpAddress(c.in), c.out) << c.in;
}

TEST(BuildIpRuleName, FixedWidthFields) {
  EXPECT_EQ(BuildIpRuleName("192.168.1.10", "192.168.1.10", 80, 80, true),
            "192.168.001.010|192.168.001.010|00080|00080|0|1");
  EXPECT_EQ(BuildIpRuleName("10.0.0.1", "10.0.0.255", 0, 65535, false),
            "010.000.000.001|010.000.000.255|00000|65535|0|0");
  EXPECT_EQ(BuildIpRuleName("192.168.1.10", "192.168.1.10", 80, 80, true).size(), 47u);
  // Ports wider than five digits: the port text is cut at 11 characters.
  EXPECT_EQ(BuildIpRuleName("1.1.1.1", "1.1.1.1", 123456, 1, true), "001.001.001.001|001.001.001.001|123456|0000|0|1");
}

TEST(ParseIpRule, RoundTripsWhatBuildWrites) {
  const IpRule rule = ParseIpRule(BuildIpRuleName("192.168.1.10", "192.168.1.10", 80, 80, true));
  EXPECT_EQ(rule.firstAddress, "192.168.001.010");
  EXPECT_EQ(rule.lastAddress, "192.168.001.010");
  EXPECT_EQ(rule.firstPort, 80);
  EXPECT_EQ(rule.lastPort, 80);
  EXPECT_EQ(rule.permission, 1);

  const IpRule block = ParseIpRule(BuildIpRuleName("1.2.3.4", "5.6.7.8", 0, 65535, false));
  EXPECT_EQ(block.lastAddress, "005.006.007.008");
  EXPECT_EQ(block.lastPort, 65535);
  EXPECT_EQ(block.permission, 0);
}

void ExpectStoreError(auto&& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no error, expected " << message;
  } catch (const StoreError& e) {
    EXPECT_EQ(e.what(), message);
  }
}

TEST(ParseIpRule, BadNamesRaiseTheirFrenchErrors) {
  ExpectStoreError([] { ParseIpRule("1|2|x|4|0|1"); }, "'x' n'est pas une valeur enti\xE8re correcte");
  ExpectStoreError([] { ParseIpRule("1|2|3|4|0"); }, "Indice de liste hors limites (5)");
  ExpectStoreError([] { ParseIpRule(""); }, "Indice de liste hors limites (0)");
  // Empty fields are dropped, so a missing port shifts the permission out.
  ExpectStoreError([] { ParseIpRule("1|2||3|0|1"); }, "Indice de liste hors limites (5)");
}

TEST(ParseAppRule, SplitsAtTheFirstBar) {
  const AppRule rule = ParseAppRule(BuildAppRuleName("c:\\windows\\system32\\svchost.exe", true));
  EXPECT_EQ(rule.path, "c:\\windows\\system32\\svchost.exe");
  EXPECT_EQ(rule.permission, 1);
  EXPECT_EQ(ParseAppRule("c:\\a.exe|0").permission, 0);
  ExpectStoreError([] { ParseAppRule("c:\\a.exe|x|1"); }, "'x|1' n'est pas une valeur enti\xE8re correcte");
  ExpectStoreError([] { ParseAppRule("c:\\a.exe"); }, "'c:\\a.exe' n'est pas une valeur enti\xE8re correcte");
}

TEST(ExtractField, OnlyFieldsEndedByASeparator) {
  const struct {
    const char* text;
    int n;
    const char* field;
  } cases[] = {
      {"a|b|1;", 1, "a"}, {"a|b|1;", 2, "b"}, {"a|b|1;", 3, "1"}, {"a|b|1", 3, ""}, {"a|b|1;", 0, ""},
      {"a|b|1;", 4, ""},  {"a;b|", 2, "b"},   {"||;", 2, ""},     {"", 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractField(c.text, c.n), c.field) << c.text << " " << c.n;
}

TEST(IsNumeric, FloatingPointTexts) {
  for (const char* yes : {"1", "-12", "+3", "1.5", "1,5", " 7 ", ".5", "2e3", "1E-2"})
    EXPECT_TRUE(IsNumeric(yes)) << yes;
  for (const char* no : {"", " ", "a", "1a", "e5", "1e", "-", "1.2.3", "0x10"}) EXPECT_FALSE(IsNumeric(no)) << no;
}

TEST(ToInteger, SignedThirtyTwoBits) {
  EXPECT_EQ(ToInteger(" 42"), 42);
  EXPECT_EQ(ToInteger("-2147483648"), -2147483648LL);
  EXPECT_EQ(ToInteger("2147483647"), 2147483647);
  for (const char* bad : {"2147483648", "", "-", "4 ", "1.0"})
    ExpectStoreError([&] { ToInteger(bad); }, "'" + std::string(bad) + "' n'est pas une valeur enti\xE8re correcte");
}

TEST(ParseJournalEntry, ReadsDateProgramAndCode) {
  const std::string line = BuildJournalEntry("11/12/2026 14:03:12", "C:\\Prog\\App.exe", 1);
  EXPECT_EQ(line, "11/12/2026 14:03:12|C:\\Prog\\App.exe|1;");
  int code = 9;
  const JournalEntry entry = ParseJournalEntry(line, code);
  EXPECT_EQ(entry.dateTime, "11/12/2026 14:03:12");
  EXPECT_EQ(entry.program, "C:\\Prog\\App.exe");
  EXPECT_EQ(code, 1);

  int kept = 7;
  ParseJournalEntry("d|p|x;", kept);
  EXPECT_EQ(kept, 7);
  ParseJournalEntry("d|p|2", kept);  // no closing ";": no third field
  EXPECT_EQ(kept, 7);
  ExpectStoreError([&] { ParseJournalEntry("d|p|1,5;", kept); }, "'1,5' n'est pas une valeur enti\xE8re correcte");
}

}  // namespace
}  // namespace tvn
