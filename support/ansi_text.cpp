#include "support/ansi_text.h"

#include <algorithm>

namespace tvn {

char AnsiLowerChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  // Latin-1 capitals À..Þ, except the multiplication sign.
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);
  switch (b) {
    case 0x8A:
      return static_cast<char>(0x9A);  // Š
    case 0x8C:
      return static_cast<char>(0x9C);  // Œ
    case 0x8E:
      return static_cast<char>(0x9E);  // Ž
    case 0x9F:
      return static_cast<char>(0xFF);  // Ÿ
    default:
      return c;
  }
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return AnsiLowerChar(x) == AnsiLowerChar(y); });
}

std::string LowerAsciiLetters(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

}  // namespace tvn
