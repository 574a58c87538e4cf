#include "label.h"

namespace vcl {

Label::Label(WinControl* parent, std::string caption) : GraphicControl(parent), caption_(std::move(caption)) {}

void Label::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Resize();
  Invalidate();
}

void Label::SetAlignment(Alignment alignment) { Repaint(alignment_, alignment); }

void Label::SetWordWrap(bool wrap) { Repaint(word_wrap_, wrap); }

void Label::SetAutoSize(bool auto_size) {
  auto_size_ = auto_size;
  Resize();
}

void Label::SetColor(Color color) { Repaint(color_, color); }

void Label::SetLinkStyle(const Font& hover_font) {
  hover_font_ = hover_font;
  SetCursor(IDC_HAND);
}

void Label::Resize() {
  if (!auto_size_ || word_wrap_) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontHandleNow());
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, caption_.empty() ? " " : caption_.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  SetBounds(Left(), Top(), r.right, r.bottom);
}

void Label::MouseEnter() {
  hovered_ = true;
  if (hover_font_) Invalidate();
}

void Label::MouseLeave() {
  hovered_ = false;
  if (hover_font_) Invalidate();
}

void Label::Paint(HDC dc) {
  RECT r = Bounds();
  if (color_ != kTransparent) {
    HBRUSH brush = CreateSolidBrush(color_);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  const bool hover = hovered_ && hover_font_;
  const Font& font = hover ? *hover_font_ : GetFont();
  HGDIOBJ old = SelectObject(dc, hover ? hover_handle_.Get(font) : FontHandleNow());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Enabled() ? font.color : GetSysColor(COLOR_GRAYTEXT));
  UINT format = DT_NOPREFIX | (word_wrap_ ? DT_WORDBREAK : DT_SINGLELINE);
  if (alignment_ == Alignment::kCenter) format |= DT_CENTER;
  if (alignment_ == Alignment::kRight) format |= DT_RIGHT;
  DrawTextA(dc, caption_.c_str(), -1, &r, format);
  SelectObject(dc, old);
}

}  // namespace vcl
