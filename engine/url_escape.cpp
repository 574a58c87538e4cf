#include "engine/url_escape.h"

#include <array>

namespace tvn {

namespace {

// Which bytes are escaped. The apostrophe is the one entry not escaped as
// its own value: servers of this protocol expect "%60" for it.
constexpr std::array<unsigned char, 33> kEscaped = {' ',  '"',  '#',  '%',  '\'', '(',  ')',  ',',  '/',  ';',  '<',
                                                    '>',  '?',  '@',  '[',  '\\', ']',  '^',  '{',  '|',  '}',  '~',
                                                    0xE0, 0xE2, 0xE4, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEE, 0xEF, 0xF4};

bool IsEscaped(unsigned char b) {
  for (unsigned char e : kEscaped)
    if (e == b) return true;
  return false;
}

}  // namespace

std::string EscapeUrlText(std::string_view text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (!IsEscaped(b)) {
      out += c;
      continue;
    }
    const unsigned char code = b == '\'' ? 0x60 : b;
    out += '%';
    out += kDigits[code >> 4];
    out += kDigits[code & 15];
  }
  return out;
}

}  // namespace tvn
