// The picture of a window as it is on screen, frame included.
#pragma once

#include <windows.h>

#include "png_writer.h"

namespace vcl {

RgbImage CaptureWindow(HWND window);

}  // namespace vcl
