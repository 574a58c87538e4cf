// A top-level window: bordered or borderless, placed centred or where the
// form says, shown plainly or modally with its own message loop, and the form
// events create, show, activate, close query, close, hide, destroy and help.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "control.h"

namespace vcl {

enum class BorderStyle { kNone, kSingle, kSizeable, kDialog };
enum class Position { kDesigned, kScreenCenter };
enum class CloseAction { kNone, kHide, kFree };

// Modal results, as the buttons of a modal form give them.
inline constexpr int kMrNone = 0;
inline constexpr int kMrOk = 1;
inline constexpr int kMrCancel = 2;
inline constexpr int kMrYes = 6;
inline constexpr int kMrNo = 7;

struct FormOptions {
  // Window class name; a second instance looks the main window up by it.
  std::string class_name = "TvnForm";
  BorderStyle border = BorderStyle::kNone;
  bool border_icons = true;  // system menu and close box on a bordered form
  Position position = Position::kDesigned;
  Form* owner = nullptr;
  bool tool_window = false;  // not shown on the taskbar
  // The form's design: caption, client size (0: not set), colour, icon resource.
  std::string caption{};
  int client_width = 0;
  int client_height = 0;
  Color color = kTransparent;
  const char* icon = nullptr;
};

class Form : public WinControl {
 public:
  explicit Form(const FormOptions& options = {});
  ~Form() override;

  // Runs the create handler: a form calls it at the end of its constructor,
  // when every control exists.
  void Created();
  // Runs the destroy handler: a form calls it first in its destructor, while
  // its controls still exist.
  void Destroying();

  void SetCaption(const std::string& caption) { SetText(caption); }
  std::string Caption() const { return Text(); }
  void SetClientSize(int width, int height);
  int ClientWidth() const;
  int ClientHeight() const;
  // Places the form's outer frame at a screen position.
  void MoveTo(int left, int top);
  // The product icon from the program's resources.
  void SetIcon(const char* resource_name);

  void Show();
  void Hide();
  // Asks to close: the close-query handler may refuse; the close handler then
  // chooses to hide (the default) or to do nothing.
  void Close();
  int ShowModal();
  bool Modal() const { return modal_; }
  void SetModalResult(int result);
  int ModalResult() const { return modal_result_; }
  // Drags the window as if by its caption: a borderless window's controls
  // call this from their mouse-down handler.
  void DragMove();

  std::function<void()> on_create;
  std::function<void()> on_show;
  std::function<void()> on_activate;
  std::function<void(bool& can_close)> on_close_query;
  std::function<void(CloseAction& action)> on_close;
  std::function<void()> on_hide;
  std::function<void()> on_destroy;
  // Help requests sent to this form while it is active; returns whether the
  // request was handled, and may turn off the application's own help.
  std::function<bool(WORD command, ULONG_PTR data, bool& call_help)> on_help;
  // Sees every message of the form's window first; returns true when it
  // handled one (result set), false to let the form handle it.
  std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)> on_message;

  // The tooltip of a window or of a rectangle of it (graphic controls).
  void SetToolTip(HWND window, UINT_PTR id, const RECT* rect, const std::string& text);
  HWND ToolTips() const { return tooltip_; }

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void VisibleChanged() override;

 private:
  void PlaceOnScreen();
  // The form becomes the application's active form: the activate event runs
  // once per activation.
  void Activated();
  void SetOtherWindowsEnabled(bool enabled);

  FormOptions options_;
  HWND tooltip_ = nullptr;
  bool placed_ = false;
  bool modal_ = false;
  bool active_ = false;
  int modal_result_ = kMrNone;
  std::vector<HWND> disabled_for_modal_;
};

}  // namespace vcl
