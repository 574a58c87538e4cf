#include "application.h"

#include <commctrl.h>

#include <algorithm>

#include "form.h"
#include "system_ui.h"

namespace vcl {

Application& Application::Instance() {
  static Application app;
  static const bool controls_ready = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc);
  }();
  (void)controls_ready;
  return app;
}

void Application::SetTitle(const char* title) {
  title_ = title;
  SetWindowTextA(UtilityWindow(), title);
}

void Application::HandleException(const std::exception& error) {
  if (on_exception) {
    on_exception(error);
    return;
  }
  HWND owner = main_form_ && IsWindowVisible(main_form_->Handle()) ? main_form_->Handle() : nullptr;
  Ui().ShowMessageBox(owner, error.what(), title_, MB_OK | MB_ICONERROR);
}

void Application::AddForm(Form* form) {
  forms_.push_back(form);
  if (!main_form_) main_form_ = form;
}

void Application::RemoveForm(Form* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (main_form_ == form) main_form_ = nullptr;
  if (active_form_ == form) active_form_ = nullptr;
}

bool Application::HandleMessage() {
  MSG msg;
  if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
    PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop ends too
    return false;
  }
  // Tab and arrow keys move between controls of the active form.
  if (active_form_ && IsDialogMessageA(active_form_->Handle(), &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Application::Run() {
  while (HandleMessage()) {
  }
}

bool Application::HelpContext(ULONG_PTR context) {
  Form* form = active_form_ ? active_form_ : main_form_;
  if (!form || !form->on_help) return false;
  bool call_help = true;
  // The application's own help system is never used: a form that leaves
  // call_help set has nothing else to answer with.
  return form->on_help(HELP_CONTEXT, context, call_help);
}

HWND Application::UtilityWindow() {
  if (utility_) return utility_;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = UtilityProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TvnUtility";
  RegisterClassExA(&wc);
  // A hidden top-level window rather than a message-only one: the tray icon
  // and the shell's broadcasts need a window that receives them.
  utility_ = CreateWindowExA(WS_EX_TOOLWINDOW, "TvnUtility", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  std::lock_guard<std::mutex> lock(posted_lock_);
  posting_window_ = utility_;
  return utility_;
}

namespace {
constexpr UINT kRunPostedTasks = WM_APP + 1;
}

bool Application::Post(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(posted_lock_);
  if (!posting_window_) return false;
  posted_.push_back(std::move(task));
  // One message per task: a task that runs a modal loop lets the next in.
  return PostMessageA(posting_window_, kRunPostedTasks, 0, 0) != 0;
}

void Application::RunPostedTasks() {
  std::function<void()> task;
  {
    std::lock_guard<std::mutex> lock(posted_lock_);
    if (posted_.empty()) return;
    task = std::move(posted_.front());
    posted_.pop_front();
  }
  task();
}

int Application::AddUtilityHook(MessageHook hook) {
  hooks_.emplace_back(next_hook_, std::move(hook));
  return next_hook_++;
}

void Application::RemoveUtilityHook(int id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; }),
               hooks_.end());
}

LRESULT CALLBACK Application::UtilityProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Application& app = Instance();
  if (msg == kRunPostedTasks)
    return Guarded([&]() -> LRESULT {
      app.RunPostedTasks();
      return 0;
    });
  // A copy: a hook may add or remove hooks (a timer handler freeing a form).
  const auto hooks = app.hooks_;
  return Guarded([&]() -> LRESULT {
    for (const auto& [id, hook] : hooks) {
      LRESULT result = 0;
      if (hook(msg, wp, lp, result)) return result;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  });
}

HourglassCursor::HourglassCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}

HourglassCursor::~HourglassCursor() { SetCursor(previous_); }

}  // namespace vcl
