// A popup menu: items with a caption ("-" makes a separator) and a click
// handler, shown at a screen point.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vcl {

class PopupMenu {
 public:
  struct Item {
    std::string caption;
    std::function<void()> on_click;
    bool enabled = true;
    bool IsSeparator() const { return caption == "-"; }
  };

  PopupMenu() = default;
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  // Returns the index of the new item.
  int Add(std::string caption, std::function<void()> on_click = nullptr);
  int AddSeparator() { return Add("-"); }
  Item& At(int index) { return items_.at(index); }
  int Count() const { return static_cast<int>(items_.size()); }

  // Shows the menu for the window and runs the chosen item's handler.
  void Popup(HWND owner, int x, int y);
  // Runs an item's handler as a choice of the user would.
  void Choose(int index);

 private:
  std::vector<Item> items_;
};

}  // namespace vcl
