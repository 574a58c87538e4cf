// FileSizeByName: the size of the file found by a directory search on the
// expanded name, its low 32 bits as a signed number; -1 when nothing is
// found. A directory gives its entry's size (0). Builds in every tree (the
// native build answers from stat), so the connection policy's native tests
// can call it.
//
//   int32_t size = tvn::FileSizeByName("c:\\prog\\a.exe");   // -1: absent
#pragma once

#include <cstdint>
#include <string>

namespace tvn {

int32_t FileSizeByName(const std::string& name);

}  // namespace tvn
