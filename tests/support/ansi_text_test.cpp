#include "support/ansi_text.h"

#include <gtest/gtest.h>

namespace tvn {
namespace {

TEST(AnsiText, SameTextIgnoresCaseOfWesternLetters) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\explorer.exe", "c:\\windows\\EXPLORER.EXE", true},
      {"\xC0\xC9\xCE\xD4\xDB\xC7", "\xE0\xE9\xEE\xF4\xFB\xE7", true},  // ÀÉÎÔÛÇ / àéîôûç
      {"\x8C\x8A\x9F", "\x9C\x9A\xFF", true},                          // ŒŠŸ / œšÿ
      {"\xD7", "\xF7", false},                                         // × and ÷ are not letters
      {"abc", "abcd", false},
      {"", "", true},
  };
  for (const Case& c : cases) EXPECT_EQ(AnsiSameText(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(AnsiText, LowerAsciiLettersKeepsEveryOtherByte) {
  EXPECT_EQ(LowerAsciiLetters("C:\\Program Files\\\xC9t\xC9\\APP.EXE"), "c:\\program files\\\xC9t\xC9\\app.exe");
}

}  // namespace
}  // namespace tvn
