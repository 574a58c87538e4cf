// The windows the screenshot tool can render, each made and filled with
// sample data by a scene. Each subsystem adds its scenes in a file of its own.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "form.h"

namespace tvn::screenshot {

struct Scene {
  std::string name;  // also the PNG file's name
  std::function<std::unique_ptr<vcl::Form>()> make;
};

using SceneList = std::vector<Scene>;

void AddShellScenes(SceneList& scenes);
void AddWidgetScenes(SceneList& scenes);

// Brings the running firewall's console up on a page (0 "Trafic" ... 3).
int ShowConsolePage(int index);
// The console's tray menu, opened in this process.
int SnapTrayMenu(const std::string& dir);

}  // namespace tvn::screenshot
