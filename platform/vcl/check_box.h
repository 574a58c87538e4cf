// Check boxes and radio buttons: a caption and a checked state that changes
// in one place, SetChecked, whether the user clicks or the program sets it.
#pragma once

#include <string>

#include "control.h"

namespace vcl {

class CheckableButton : public WinControl {
 public:
  void SetCaption(const std::string& caption) { SetText(caption); }
  bool Checked() const { return checked_; }
  virtual void SetChecked(bool checked) = 0;

 protected:
  CheckableButton(WinControl* parent, const std::string& caption, DWORD style);
  // Records a new state and shows it; false when the state is unchanged.
  bool ChangeState(bool checked);

 private:
  bool checked_ = false;
};

// A check box. Its click handler runs whenever its checked state changes;
// setting the state it already has runs nothing.
class CheckBox : public CheckableButton {
 public:
  explicit CheckBox(WinControl* parent, const std::string& caption = "");
  void SetChecked(bool checked) override;
  void Command(WORD code) override;
};

}  // namespace vcl
