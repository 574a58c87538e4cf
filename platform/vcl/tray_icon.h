// An icon in the notification area with a hint, a popup menu on the right
// button and a double-click handler. The icon is put back when the taskbar
// is created again (explorer restarted).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

#include "popup_menu.h"

namespace vcl {

class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void SetIcon(const char* resource_name);
  void SetHint(const std::string& hint);
  void SetVisible(bool visible);
  bool Visible() const { return visible_; }
  void SetPopupMenu(PopupMenu* menu) { menu_ = menu; }

  std::function<void()> on_dbl_click;
  std::function<void()> on_click;

  // Whether the form behind the icon is hidden in the tray; the forms that
  // use it keep their own state in it.
  bool minimize_to_tray = true;

  // The message the shell sends the utility window about the icon (wParam the
  // icon's id, lParam the mouse message).
  static constexpr UINT kCallbackMessage = WM_APP + 77;
  UINT Id() const { return data_.uID; }

 private:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Update(DWORD action);

  NOTIFYICONDATAA data_{};
  PopupMenu* menu_ = nullptr;
  bool visible_ = false;
  int hook_ = 0;
  UINT taskbar_created_ = 0;
};

}  // namespace vcl
