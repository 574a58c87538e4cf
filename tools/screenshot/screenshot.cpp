// Renders windows of the product, filled with sample data, to PNG files, so
// that a person can look at every window without clicking through the
// program:
//   screenshot OUTPUT_DIR [SCENE...]     (no scene: all of them)
//   screenshot --list
//   screenshot --console-page INDEX    (the running firewall's console
//                                       brought up on a page, 0 to 3)
//   screenshot --tray-menu OUTPUT_DIR
// Run it under Wine (tools/screenshots does). Exit code 1 when a scene is
// unknown or a picture comes out blank.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "application.h"
#include "png_writer.h"
#include "scenes.h"
#include "window_capture.h"

namespace tvn::screenshot {
namespace {

SceneList AllScenes() {
  SceneList scenes;
  AddWidgetScenes(scenes);
  AddShellScenes(scenes);
  return scenes;
}

// A Unix path given by the shell ("/work/...") is reached through drive Z.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

void LetItPaint(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    vcl::Application::Instance().ProcessMessages();
    Sleep(20);
  }
}

// A capture of one colour means the window never reached the screen.
bool HasContent(const vcl::RgbImage& image) {
  for (size_t i = 3; i < image.pixels.size(); ++i)
    if (image.pixels[i] != image.pixels[i % 3]) return true;
  return false;
}

bool Render(const Scene& scene, const std::string& dir) {
  std::unique_ptr<vcl::Form> form = scene.make();
  form->Show();
  SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  LetItPaint(600);
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  LetItPaint(200);
  const vcl::RgbImage image = vcl::CaptureWindow(form->Handle());
  form->Hide();
  const std::string file = dir + scene.name + ".png";
  if (!HasContent(image)) {
    std::fprintf(stderr, "%s: blank picture\n", scene.name.c_str());
    return false;
  }
  if (!vcl::WritePngFile(file, image)) {
    std::fprintf(stderr, "%s: cannot write %s\n", scene.name.c_str(), file.c_str());
    return false;
  }
  std::printf("%s (%d x %d)\n", file.c_str(), image.width, image.height);
  return true;
}

int Main(int argc, char** argv) {
  const SceneList scenes = AllScenes();
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const Scene& s : scenes) std::printf("%s\n", s.name.c_str());
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--console-page") return ShowConsolePage(std::atoi(argv[2]));
  if (argc == 3 && std::string(argv[1]) == "--tray-menu") {
    CreateDirectoryA(WindowsPath(argv[2]).c_str(), nullptr);
    return SnapTrayMenu(WindowsPath(argv[2]));
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: screenshot OUTPUT_DIR [SCENE...] | --list | --console-page INDEX | --tray-menu DIR\n");
    return 2;
  }
  const std::string dir = WindowsPath(argv[1]);
  CreateDirectoryA(dir.c_str(), nullptr);
  bool ok = true;
  for (const Scene& scene : scenes) {
    const bool wanted = argc == 2 || std::any_of(argv + 2, argv + argc, [&](const char* n) { return scene.name == n; });
    if (wanted) ok = Render(scene, dir) && ok;
  }
  for (int i = 2; i < argc; ++i)
    if (std::none_of(scenes.begin(), scenes.end(), [&](const Scene& s) { return s.name == argv[i]; })) {
      std::fprintf(stderr, "unknown scene: %s\n", argv[i]);
      ok = false;
    }
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace tvn::screenshot

int main(int argc, char** argv) { return tvn::screenshot::Main(argc, argv); }
