// Texts in the Windows Western code page (1252): the program's tables,
// registry names and program paths are single-byte strings in it.
#pragma once

#include <string>
#include <string_view>

namespace tvn {

// Lower case of one Western code page character, accented letters included
// (what Windows does for ANSI text in a Western locale).
char AnsiLowerChar(char c);

// Equal texts when letter case is ignored, accented letters included.
bool AnsiSameText(std::string_view a, std::string_view b);

// The text with A-Z lowered and every other byte kept: the form in which
// program paths are stored in application rules.
std::string LowerAsciiLetters(std::string_view text);

}  // namespace tvn
