// Text entry: a plain edit, a masked edit, and the IP-address control of the
// common controls ("SysIPAddress32").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "control.h"
#include "edit_mask.h"

namespace vcl {

class Edit : public WinControl {
 public:
  explicit Edit(WinControl* parent, const std::string& text = "");

  void SetMaxLength(int length);
  void SetReadOnly(bool read_only);

  std::function<void()> on_change;
  void Command(WORD code) override;
};

// Keys that do not fit the mask are refused; the text keeps the mask's
// length, with the blank character in empty positions.
class MaskedEdit : public Edit {
 public:
  MaskedEdit(WinControl* parent, const std::string& mask);

  // The text as the mask gives it to the program.
  std::string MaskedText() const { return mask_.TextOf(Text()); }
  bool IsComplete() const { return mask_.IsComplete(Text()); }
  const EditMask& Mask() const { return mask_; }
  // Types one character at the caret, as the keyboard would.
  bool TypeChar(char c);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  EditMask mask_;
};

class IpAddressEdit : public WinControl {
 public:
  explicit IpAddressEdit(WinControl* parent);

  // "a.b.c.d"; empty fields read as 0, a blank control as "0.0.0.0".
  std::string Text() const;
  // Accepts only four numbers 0-255 separated by dots; false otherwise.
  bool SetText(const std::string& text);
  bool IsBlank() const;
  void Clear();

 protected:
  // The control places its four fields only when it is made: a new size
  // makes it again, keeping the address.
  void BoundsChanged() override;
};

class ProgressBar : public WinControl {
 public:
  explicit ProgressBar(WinControl* parent);
  void SetRange(int min, int max);
  void SetPosition(int position);
  int Position() const;
};

}  // namespace vcl
