#include "form.h"

#include <commctrl.h>

#include "application.h"

namespace vcl {

namespace {

DWORD StyleOf(const FormOptions& o) {
  switch (o.border) {
    case BorderStyle::kNone:
      return WS_POPUP | WS_CLIPCHILDREN;
    case BorderStyle::kSingle:
    case BorderStyle::kDialog:
      return WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (o.border_icons ? WS_SYSMENU : 0);
    case BorderStyle::kSizeable:
      return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  }
  return WS_POPUP;
}

DWORD ExStyleOf(const FormOptions& o) {
  DWORD ex = o.border == BorderStyle::kDialog ? WS_EX_DLGMODALFRAME : 0;
  if (o.tool_window) ex |= WS_EX_TOOLWINDOW;
  return ex;
}

}  // namespace

Form::Form(const FormOptions& options) : WinControl(nullptr), options_(options) {
  CreateTopLevel(options.class_name, options.owner ? options.owner->Handle() : nullptr, StyleOf(options),
                 ExStyleOf(options));
  SetVisible(false);
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                             0, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  Application::Instance().AddForm(this);
  SetCaption(options.caption);
  if (options.client_width > 0) SetClientSize(options.client_width, options.client_height);
  if (options.color != kTransparent) SetColor(options.color);
  if (options.icon) SetIcon(options.icon);
}

Form::~Form() {
  Application::Instance().RemoveForm(this);
  if (modal_) SetOtherWindowsEnabled(true);
}

void Form::Created() {
  if (on_create) on_create();
}

void Form::Destroying() {
  if (on_destroy) on_destroy();
}

void Form::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, GetWindowLongA(Handle(), GWL_STYLE), FALSE, GetWindowLongA(Handle(), GWL_EXSTYLE));
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

int Form::ClientWidth() const {
  RECT r;
  GetClientRect(Handle(), &r);
  return r.right;
}

int Form::ClientHeight() const {
  RECT r;
  GetClientRect(Handle(), &r);
  return r.bottom;
}

void Form::MoveTo(int left, int top) {
  placed_ = true;
  SetBounds(left, top, Width(), Height());
}

void Form::SetIcon(const char* resource_name) {
  HICON big = LoadIconA(GetModuleHandleA(nullptr), resource_name);
  HICON small = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), resource_name, IMAGE_ICON, 16, 16, 0));
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void Form::PlaceOnScreen() {
  if (placed_ || options_.position != Position::kScreenCenter) return;
  placed_ = true;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
  SetBounds(left, top, Width(), Height());
}

void Form::Show() {
  PlaceOnScreen();
  SetVisible(true);
}

void Form::Hide() { SetVisible(false); }

void Form::Activated() {
  if (active_) return;
  active_ = true;
  Application::Instance().SetActiveForm(this);
  if (on_activate) on_activate();
}

void Form::VisibleChanged() {
  if (!Visible()) active_ = false;
  // WM_SHOWWINDOW brings the show and hide events.
  ShowWindow(Handle(), Visible() ? SW_SHOW : SW_HIDE);
  if (Visible()) SetForegroundWindow(Handle());
}

void Form::Close() {
  bool can_close = true;
  if (on_close_query) on_close_query(can_close);
  if (!can_close) return;
  CloseAction action = CloseAction::kHide;
  if (on_close) on_close(action);
  if (action == CloseAction::kNone) return;
  if (modal_) {
    if (modal_result_ == kMrNone) modal_result_ = kMrCancel;
    return;  // the modal loop hides the form
  }
  Hide();
  if (Application::Instance().MainForm() == this) PostQuitMessage(0);
}

void Form::SetModalResult(int result) {
  modal_result_ = result;
  if (!modal_ && result != kMrNone) Close();
}

void Form::SetOtherWindowsEnabled(bool enabled) {
  if (!enabled) {
    disabled_for_modal_.clear();
    for (Form* f : Application::Instance().Forms())
      if (f != this && IsWindowVisible(f->Handle()) && IsWindowEnabled(f->Handle())) {
        disabled_for_modal_.push_back(f->Handle());
        EnableWindow(f->Handle(), FALSE);
      }
    return;
  }
  for (HWND h : disabled_for_modal_)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  disabled_for_modal_.clear();
}

int Form::ShowModal() {
  Application& app = Application::Instance();
  if (app.modal_handler) return app.modal_handler(*this);
  modal_result_ = kMrNone;
  modal_ = true;
  SetOtherWindowsEnabled(false);
  Show();
  // A modal form is the application's active form even when another program
  // keeps the foreground (the system then does not activate the window).
  Activated();
  while (modal_result_ == kMrNone && Visible()) {
    if (!app.HandleMessage()) {
      if (modal_result_ == kMrNone) modal_result_ = kMrCancel;
      break;
    }
  }
  SetOtherWindowsEnabled(true);
  modal_ = false;
  Hide();
  return modal_result_ == kMrNone ? kMrCancel : modal_result_;
}

void Form::DragMove() {
  ReleaseCapture();
  SendMessageA(Handle(), WM_SYSCOMMAND, 0xF012, 0);
}

void Form::SetToolTip(HWND window, UINT_PTR id, const RECT* rect, const std::string& text) {
  TTTOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = window;
  info.uId = rect ? id : reinterpret_cast<UINT_PTR>(window);
  info.uFlags = TTF_SUBCLASS | (rect ? 0 : TTF_IDISHWND);
  SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  if (text.empty()) return;
  if (rect) info.rect = *rect;
  info.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT Form::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (LRESULT result = 0; on_message && on_message(msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp && on_show) on_show();
      if (!wp && on_hide) on_hide();
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE)
        Activated();
      else
        active_ = false;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_MOVE:
    case WM_SIZE: {
      RECT r;
      GetWindowRect(Handle(), &r);
      // Keep the control's bounds in step with moves made by the user.
      RECT b = Bounds();
      if (r.left != b.left || r.top != b.top || r.right != b.right || r.bottom != b.bottom) KeepBounds(r);
      break;
    }
  }
  return WinControl::WindowProc(msg, wp, lp);
}

}  // namespace vcl
