// Push buttons, check boxes, radio buttons and radio groups.
#include <windows.h>

#include <commctrl.h>

#include "button.h"
#include "check_box.h"
#include "form.h"
#include "radio_button.h"
#include "radio_group.h"

namespace vcl {

// ---- Button -------------------------------------------------------------------

Button::Button(WinControl* parent, const std::string& caption) : WinControl(parent) {
  CreateStandard(WC_BUTTONA, WS_TABSTOP | BS_PUSHBUTTON, 0, caption.c_str());
}

Button::~Button() {
  if (glyphs_) ImageList_Destroy(glyphs_);
}

void Button::SetGlyph(const char* resource_name) {
  SetGlyph(resource_name && *resource_name
               ? static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), resource_name, IMAGE_BITMAP, 0, 0, 0))
               : nullptr);
}

void Button::SetGlyph(HBITMAP bitmap) {
  if (glyphs_) ImageList_Destroy(glyphs_);
  glyphs_ = nullptr;
  BUTTON_IMAGELIST list{};
  list.himl = nullptr;
  if (bitmap) {
    BITMAP info;
    GetObject(bitmap, sizeof info, &info);
    glyphs_ = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 0);
    // The glyph's lower-left pixel gives its transparent colour.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF transparent = GetPixel(dc, 0, info.bmHeight - 1);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(glyphs_, bitmap, transparent);
    list.himl = glyphs_;
    list.margin = RECT{4, 0, 0, 0};
    list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  }
  SendMessageA(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Button::SetDefault(bool is_default) {
  SendMessageA(Handle(), BM_SETSTYLE, is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Button::Click() {
  Form* form = ParentForm();
  if (form && modal_result_ != 0) form->SetModalResult(modal_result_);
  WinControl::Click();
}

void Button::Command(WORD code) {
  if (code == BN_CLICKED) Click();
}

// ---- CheckBox and RadioButton ---------------------------------------------------

CheckableButton::CheckableButton(WinControl* parent, const std::string& caption, DWORD style) : WinControl(parent) {
  // Not automatic buttons: the state changes in one place, SetChecked.
  CreateStandard(WC_BUTTONA, WS_TABSTOP | style, 0, caption.c_str());
}

bool CheckableButton::ChangeState(bool checked) {
  if (checked == checked_) return false;
  checked_ = checked;
  SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  return true;
}

CheckBox::CheckBox(WinControl* parent, const std::string& caption) : CheckableButton(parent, caption, BS_CHECKBOX) {}

void CheckBox::SetChecked(bool checked) {
  if (ChangeState(checked)) Click();
}

void CheckBox::Command(WORD code) {
  if (code == BN_CLICKED) SetChecked(!Checked());
}

RadioButton::RadioButton(WinControl* parent, const std::string& caption)
    : CheckableButton(parent, caption, BS_RADIOBUTTON) {}

void RadioButton::TurnSiblingsOff() {
  if (!Parent()) return;
  for (Control* c : Parent()->Controls())
    if (auto* other = dynamic_cast<RadioButton*>(c); other && other != this) other->SetChecked(false);
}

void RadioButton::SetChecked(bool checked) {
  if (!ChangeState(checked) || !checked) return;
  TurnSiblingsOff();
  Click();
}

void RadioButton::Command(WORD code) {
  if (code == BN_CLICKED) SetChecked(true);
}

// ---- RadioGroup --------------------------------------------------------------------

RadioGroup::RadioGroup(WinControl* parent, const std::string& caption) : GroupBox(parent, caption) {}

void RadioGroup::SetItems(const std::vector<std::string>& items) {
  buttons_.clear();
  item_index_ = -1;
  for (size_t i = 0; i < items.size(); ++i) {
    auto button = std::make_unique<RadioButton>(this, items[i]);
    button->on_click = [this, i] {
      if (item_index_ == static_cast<int>(i)) return;
      item_index_ = static_cast<int>(i);
      Click();
    };
    buttons_.push_back(std::move(button));
  }
  Arrange();
}

void RadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(buttons_.size())) {
    for (auto& b : buttons_) b->SetChecked(false);
    item_index_ = -1;
    return;
  }
  buttons_[index]->SetChecked(true);
}

void RadioGroup::BoundsChanged() {
  GroupBox::BoundsChanged();
  Arrange();
}

void RadioGroup::Arrange() {
  if (buttons_.empty()) return;
  const int top = 18;
  const int step = std::max(17, (Height() - top - 4) / static_cast<int>(buttons_.size()));
  for (size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i]->SetBounds(8, top + static_cast<int>(i) * step, Width() - 16, 17);
}

}  // namespace vcl
