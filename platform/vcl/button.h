// A push button: caption with an & accelerator, hint, optional glyph, and a
// modal result given to its form when clicked.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "control.h"

namespace vcl {

class Button : public WinControl {
 public:
  explicit Button(WinControl* parent, const std::string& caption = "");
  ~Button() override;

  void SetCaption(const std::string& caption) { SetText(caption); }
  std::string Caption() const { return Text(); }
  // A bitmap resource shown left of the caption (its lower-left pixel's
  // colour is transparent). Empty name removes it.
  void SetGlyph(const char* resource_name);
  void SetGlyph(HBITMAP bitmap);
  void SetModalResult(int result) { modal_result_ = result; }
  void SetDefault(bool is_default);

  void Click() override;
  void Command(WORD code) override;

 private:
  HIMAGELIST glyphs_ = nullptr;
  int modal_result_ = 0;
};

}  // namespace vcl
