// tvn_unreg's only window: a minimised form that deletes the firewall's
// Security Center instance three seconds after it appears (or at once when
// "Stop" is clicked), waits three more seconds and ends the application.
#pragma once

#include <windows.h>

#include "seccenter/binding/state_library_binding.h"

namespace tvn {

class TForm1 {
 public:
  // The pause before the application ends; a seam for tests.
  using PauseFn = void (*)(DWORD milliseconds);
  static constexpr UINT kTimer1Interval = 3000;
  static constexpr DWORD kPauseBeforeQuit = 3000;

  TForm1(HINSTANCE instance, const StateLibraryBinding& binding, PauseFn pause = &PauseBeforeQuit);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;
  ~TForm1();

  // Creates the window and its controls, arms Timer1 and shows the form
  // minimised; false when the window cannot be created.
  bool Show();
  HWND handle() const { return handle_; }

  void Button1Click();
  void Button2Click();

  HWND Label1 = nullptr;
  HWND Button1 = nullptr;
  HWND Button2 = nullptr;
  static constexpr UINT_PTR Timer1 = 1;  // the form's timer id

 private:
  static void PauseBeforeQuit(DWORD milliseconds) { Sleep(milliseconds); }
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void OnCommand(WORD controlId);

  const HINSTANCE instance_;
  const StateLibraryBinding& binding_;
  const PauseFn pause_;
  HWND handle_ = nullptr;
};

}  // namespace tvn
