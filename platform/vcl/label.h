// A text on its parent: font, colour, alignment, word wrap, and a link style
// whose font changes while the mouse is over it.
#pragma once

#include <optional>
#include <string>

#include "control.h"

namespace vcl {

class Label : public GraphicControl {
 public:
  explicit Label(WinControl* parent, std::string caption = "");

  void SetCaption(std::string caption);
  const std::string& Caption() const { return caption_; }
  void SetAlignment(Alignment alignment);
  void SetWordWrap(bool wrap);
  // Grows or shrinks to the text (one line unless word-wrapped).
  void SetAutoSize(bool auto_size);
  // The background colour; kTransparent lets the parent show through.
  void SetColor(Color color);
  // Link style: the hand cursor, and this font while the mouse is over it.
  void SetLinkStyle(const Font& hover_font);
  bool Hovered() const { return hovered_; }

  void Paint(HDC dc) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  void Resize();
  FontHandle hover_handle_;
  std::string caption_;
  Alignment alignment_ = Alignment::kLeft;
  bool word_wrap_ = false;
  bool auto_size_ = false;
  Color color_ = kTransparent;
  std::optional<Font> hover_font_;
  bool hovered_ = false;
};

}  // namespace vcl
