#include "seccenter/tvn_unreg/form1.h"

namespace tvn {
namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr wchar_t kCaption[] = L"ob_unreg";
constexpr int kWidth = 123;
constexpr int kHeight = 34;

constexpr WORD kButton1Id = 1;
constexpr WORD kButton2Id = 2;

bool RegisterFormClass(HINSTANCE instance, WNDPROC windowProc) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateChild(HWND parent, HINSTANCE instance, const wchar_t* className, const wchar_t* text, DWORD style,
                 RECT bounds, WORD id) {
  HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                               bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return child;
}

// Runs the messages already waiting, as a form does before it blocks; a
// quit request met on the way is put back for the message loop.
void ProcessQueuedMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

TForm1::TForm1(HINSTANCE instance, const StateLibraryBinding& binding, PauseFn pause)
    : instance_(instance), binding_(binding), pause_(pause) {}

TForm1::~TForm1() {
  if (handle_) DestroyWindow(handle_);
}

bool TForm1::Show() {
  if (!RegisterFormClass(instance_, &WindowProc)) return false;
  handle_ = CreateWindowExW(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight,
                            nullptr, nullptr, instance_, this);
  if (!handle_) return false;
  CreateControls();
  SetTimer(handle_, Timer1, kTimer1Interval, nullptr);
  ShowWindow(handle_, SW_SHOWMINIMIZED);
  return true;
}

// The controls keep the places they had when the form was laid out larger;
// the form is only ever seen minimised.
void TForm1::CreateControls() {
  Label1 = CreateChild(handle_, instance_, L"STATIC", L"Label1", SS_LEFT, {8, 8, 39, 21}, 0);
  Button1 = CreateChild(handle_, instance_, L"BUTTON", L"Start", BS_PUSHBUTTON, {8, 32, 83, 57}, kButton1Id);
  Button2 = CreateChild(handle_, instance_, L"BUTTON", L"Stop", BS_PUSHBUTTON, {96, 32, 171, 57}, kButton2Id);
}

void TForm1::Button1Click() {}

// Run by Timer1 and by "Stop".
void TForm1::Button2Click() {
  KillTimer(handle_, Timer1);
  UnregisterFirewall(binding_);
  ProcessQueuedMessages();
  pause_(kPauseBeforeQuit);
  PostQuitMessage(0);
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->handle_ = window;
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return form ? form->Dispatch(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TForm1::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == Timer1) Button2Click();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      // Closing the only form ends the application.
      SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
      handle_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(handle_, message, wParam, lParam);
  }
}

void TForm1::OnCommand(WORD controlId) {
  if (controlId == kButton1Id) Button1Click();
  if (controlId == kButton2Id) Button2Click();
}

}  // namespace tvn
