// The program's forms, its message loop, help requests and the seams that
// let tests answer modal forms without a loop.
#pragma once

#include <windows.h>

#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vcl {

class Form;

class Application {
 public:
  static Application& Instance();

  void SetMainForm(Form* form) { main_form_ = form; }
  Form* MainForm() const { return main_form_; }
  Form* ActiveForm() const { return active_form_; }
  const std::vector<Form*>& Forms() const { return forms_; }
  void SetTitle(const char* title);

  // Runs the message loop until the main form closes or Terminate.
  void Run();
  void Terminate() { PostQuitMessage(0); }
  // Waits for and handles one message; false when the loop must end.
  bool HandleMessage();
  // Handles every waiting message and returns.
  void ProcessMessages();

  // Asks the active form for help on a context number (HELP_CONTEXT).
  bool HelpContext(ULONG_PTR context);

  // When set, ShowModal hands the form to it instead of running a loop
  // (tests answer modal forms this way).
  std::function<int(Form&)> modal_handler;

  // The program's general error handler: an error that escapes a handler
  // while a message is handled comes here, and the program goes on. Unset,
  // the error is shown in an error box captioned with the title.
  std::function<void(const std::exception&)> on_exception;
  void HandleException(const std::exception& error);
  // Runs one message's handling; an escaping error goes to HandleException
  // and the message counts as handled with `failed` as its result.
  template <typename Handling>
  static LRESULT Guarded(Handling&& handling, LRESULT failed = 0) {
    try {
      return handling();
    } catch (const std::exception& error) {
      Instance().HandleException(error);
      return failed;
    }
  }

  // Runs a task on the thread of the windows (the one that made the
  // utility window), from any thread: worker threads never touch a window
  // themselves. False when the windows' thread has no utility window yet.
  bool Post(std::function<void()> task);

  // A hidden window that receives timer, tray and posted-task messages.
  HWND UtilityWindow();
  using MessageHook = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;
  // Registers a handler for messages of the utility window; returns an id.
  int AddUtilityHook(MessageHook hook);
  void RemoveUtilityHook(int id);

  // Book-keeping of the forms themselves.
  void AddForm(Form* form);
  void RemoveForm(Form* form);
  void SetActiveForm(Form* form) { active_form_ = form; }

 private:
  Application() = default;
  static LRESULT CALLBACK UtilityProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void RunPostedTasks();

  std::vector<Form*> forms_;
  Form* main_form_ = nullptr;
  Form* active_form_ = nullptr;
  HWND utility_ = nullptr;
  std::string title_;
  std::vector<std::pair<int, MessageHook>> hooks_;
  int next_hook_ = 1;
  std::mutex posted_lock_;  // guards posted_ only, never held while a task runs
  std::deque<std::function<void()>> posted_;
  HWND posting_window_ = nullptr;  // utility_, published for other threads under the lock
};

// Shows the hourglass cursor for as long as it lives.
class HourglassCursor {
 public:
  HourglassCursor();
  ~HourglassCursor();
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace vcl
