// FileMd5Hex: the MD5 digest of a file as 32 upper-case hexadecimal digits,
// or "" when the file cannot be opened. Other processes may keep reading and
// writing the file meanwhile (it is opened with read and write sharing).
//
//   std::string digest = tvn::FileMd5Hex("c:\\prog\\a.exe");
#pragma once

#include <string>

namespace tvn {

std::string FileMd5Hex(const std::string& path);

}  // namespace tvn
