// A framed group of radio buttons made from a list of items; ItemIndex is the
// one that is on (-1 for none). The click handler runs when it changes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "panel.h"
#include "radio_button.h"

namespace vcl {

class RadioGroup : public GroupBox {
 public:
  explicit RadioGroup(WinControl* parent, const std::string& caption = "");

  void SetItems(const std::vector<std::string>& items);
  void SetItemIndex(int index);
  int ItemIndex() const { return item_index_; }
  RadioButton& Item(int index) { return *buttons_.at(index); }

 protected:
  void BoundsChanged() override;

 private:
  void Arrange();
  std::vector<std::unique_ptr<RadioButton>> buttons_;
  int item_index_ = -1;
};

}  // namespace vcl
