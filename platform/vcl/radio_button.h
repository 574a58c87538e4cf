// A radio button. Buttons with the same parent form one group: turning one on
// turns the others off. Its click handler runs when it goes from off to on,
// by the user or by the program; turning it off or setting the state it
// already has runs nothing.
#pragma once

#include <string>

#include "check_box.h"

namespace vcl {

class RadioButton : public CheckableButton {
 public:
  explicit RadioButton(WinControl* parent, const std::string& caption = "");
  void SetChecked(bool checked) override;
  void Command(WORD code) override;

 private:
  void TurnSiblingsOff();
};

}  // namespace vcl
