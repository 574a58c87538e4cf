// Containers: a panel (plain, framed, or with a title band) and a group box.
#pragma once

#include <string>

#include "control.h"

namespace vcl {

class Panel : public WinControl {
 public:
  explicit Panel(WinControl* parent);

  // A title drawn in a band across the top of the panel.
  void SetTitle(std::string title, Color band = kNavy, Color text = kWhite);
  void SetBorder(bool border);
  static constexpr int kTitleHeight = 20;

 protected:
  void PaintBackground(HDC dc, const RECT& client) override;

 private:
  std::string title_;
  Color band_ = kNavy;
  Color title_color_ = kWhite;
  bool border_ = false;
};

class GroupBox : public WinControl {
 public:
  explicit GroupBox(WinControl* parent, std::string caption = "");
  void SetCaption(std::string caption);

 protected:
  void PaintBackground(HDC dc, const RECT& client) override;

 private:
  std::string caption_;
};

}  // namespace vcl
