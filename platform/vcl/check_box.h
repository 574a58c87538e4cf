// A check box. Its click handler runs whenever its checked state changes,
// whether the user clicks it or the program sets it; setting the state it
// already has runs nothing.
#pragma once

#include <string>

#include "control.h"

namespace vcl {

class CheckBox : public WinControl {
 public:
  explicit CheckBox(WinControl* parent, const std::string& caption = "");

  void SetCaption(const std::string& caption);
  void SetChecked(bool checked);
  bool Checked() const { return checked_; }

  void Command(WORD code) override;

 private:
  bool checked_ = false;
};

}  // namespace vcl
