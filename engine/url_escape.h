// The program's own escaping of URL query values (cloud trust query, file
// report): each byte in a fixed table becomes its "%XX" text -- the
// apostrophe "%60" -- and every other byte, Western code page letters above
// 127 included, is copied as it is.
//
//   EscapeUrlText("c:\\a b\\it's.exe") == "c:%5Ca%20b%5Cit%60s.exe"
#pragma once

#include <string>
#include <string_view>

namespace tvn {

std::string EscapeUrlText(std::string_view text);

}  // namespace tvn
