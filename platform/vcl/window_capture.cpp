#include "window_capture.h"

namespace vcl {

RgbImage CaptureWindow(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  RgbImage image;
  image.width = r.right - r.left;
  image.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bitmap);
  // What the screen shows where the window is: the caller keeps the window
  // on top while it captures.
  BitBlt(mem, 0, 0, image.width, image.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  image.pixels.resize(static_cast<size_t>(image.width) * image.height * 3);
  const auto* bgra = static_cast<const uint8_t*>(bits);
  for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
    image.pixels[i * 3] = bgra[i * 4 + 2];
    image.pixels[i * 3 + 1] = bgra[i * 4 + 1];
    image.pixels[i * 3 + 2] = bgra[i * 4];
  }
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return image;
}

}  // namespace vcl
