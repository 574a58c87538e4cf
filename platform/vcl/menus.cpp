// Popup menus and the tray icon.
#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "application.h"
#include "popup_menu.h"
#include "tray_icon.h"

namespace vcl {

// ---- PopupMenu ----------------------------------------------------------------------

int PopupMenu::Add(std::string caption, std::function<void()> on_click) {
  items_.push_back(Item{std::move(caption), std::move(on_click)});
  return Count() - 1;
}

void PopupMenu::Popup(HWND owner, int x, int y) {
  HMENU menu = CreatePopupMenu();
  for (int i = 0; i < Count(); ++i) {
    const Item& item = items_[i];
    if (item.IsSeparator())
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuA(menu, MF_STRING | (item.enabled ? 0 : MF_GRAYED), i + 1, item.caption.c_str());
  }
  // The owner comes to the front first, or the menu would not close when the
  // user clicks elsewhere.
  SetForegroundWindow(owner);
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (chosen > 0) Choose(chosen - 1);
}

void PopupMenu::Choose(int index) {
  const Item& item = items_.at(index);
  if (item.enabled && !item.IsSeparator() && item.on_click) item.on_click();
}

// ---- TrayIcon ---------------------------------------------------------------------------

TrayIcon::TrayIcon() {
  Application& app = Application::Instance();
  data_.cbSize = sizeof data_;
  data_.hWnd = app.UtilityWindow();
  data_.uID = reinterpret_cast<UINT_PTR>(this) & 0xFFFF;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kCallbackMessage;
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  hook_ = app.AddUtilityHook([this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    return HandleMessage(msg, wp, lp);
  });
}

TrayIcon::~TrayIcon() {
  SetVisible(false);
  Application::Instance().RemoveUtilityHook(hook_);
}

void TrayIcon::Update(DWORD action) {
  if (visible_) Shell_NotifyIconA(action, &data_);
}

void TrayIcon::SetIcon(const char* resource_name) {
  data_.hIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), resource_name, IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  Update(NIM_MODIFY);
}

void TrayIcon::SetHint(const std::string& hint) {
  std::strncpy(data_.szTip, hint.c_str(), sizeof data_.szTip - 1);
  Update(NIM_MODIFY);
}

void TrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Shell_NotifyIconA(NIM_DELETE, &data_);
  visible_ = visible;
  Update(NIM_ADD);
}

bool TrayIcon::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == taskbar_created_) {
    Update(NIM_ADD);
    return false;  // other icons want it too
  }
  if (msg != kCallbackMessage || wp != data_.uID) return false;
  switch (LOWORD(lp)) {
    case WM_LBUTTONDBLCLK:
      if (on_dbl_click) on_dbl_click();
      break;
    case WM_LBUTTONUP:
      if (on_click) on_click();
      break;
    case WM_RBUTTONUP:
      if (menu_) {
        POINT p;
        GetCursorPos(&p);
        menu_->Popup(data_.hWnd, p.x, p.y);
      }
      break;
  }
  return true;
}

}  // namespace vcl
