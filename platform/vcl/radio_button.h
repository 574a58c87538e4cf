// A radio button. Buttons with the same parent form one group: turning one on
// turns the others off. Its click handler runs when it goes from off to on,
// by the user or by the program; turning it off or setting the state it
// already has runs nothing.
#pragma once

#include <string>

#include "control.h"

namespace vcl {

class RadioButton : public WinControl {
 public:
  explicit RadioButton(WinControl* parent, const std::string& caption = "");

  void SetCaption(const std::string& caption);
  void SetChecked(bool checked);
  bool Checked() const { return checked_; }

  void Command(WORD code) override;

 private:
  void TurnSiblingsOff();
  bool checked_ = false;
};

}  // namespace vcl
