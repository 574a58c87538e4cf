// Containers' painting and the picture controls: panels, group boxes,
// images, shapes and the bar chart.
#include <algorithm>

#include "image.h"
#include "panel.h"
#include "trend_chart.h"

namespace vcl {

namespace {

void FillSolid(HDC dc, const RECT& r, Color color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

}  // namespace

// ---- Panel and GroupBox ----------------------------------------------------------

Panel::Panel(WinControl* parent) : WinControl(parent) { CreateContainer(); }

void Panel::SetTitle(std::string title, Color band, Color text) {
  title_ = std::move(title);
  band_ = band;
  title_color_ = text;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Panel::SetBorder(bool border) {
  border_ = border;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Panel::PaintBackground(HDC dc, const RECT& client) {
  WinControl::PaintBackground(dc, client);
  if (!title_.empty()) {
    RECT band{0, 0, client.right, kTitleHeight};
    FillSolid(dc, band, band_);
    Font bold = GetFont();
    bold.bold = true;
    FontHandle font;
    HGDIOBJ old = SelectObject(dc, font.Get(bold));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, title_color_);
    band.left += 6;
    DrawTextA(dc, title_.c_str(), -1, &band, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
  }
  if (border_) {
    RECT frame = client;
    DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
  }
}

GroupBox::GroupBox(WinControl* parent, std::string caption) : WinControl(parent), caption_(std::move(caption)) {
  CreateContainer();
}

void GroupBox::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void GroupBox::PaintBackground(HDC dc, const RECT& client) {
  WinControl::PaintBackground(dc, client);
  RECT frame{client.left, client.top + 7, client.right, client.bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (caption_.empty()) return;
  HGDIOBJ old = SelectObject(dc, FontHandleNow());
  SIZE size;
  GetTextExtentPoint32A(dc, caption_.c_str(), static_cast<int>(caption_.size()), &size);
  RECT text{8, 0, 12 + size.cx, size.cy};
  FillSolid(dc, text, BackgroundColor());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetFont().color);
  text.left += 2;
  DrawTextA(dc, caption_.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
}

// ---- Image -------------------------------------------------------------------------

HBITMAP LoadBitmapResource(const char* name) {
  return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

Image::Image(WinControl* parent) : GraphicControl(parent) {}

Image::~Image() {
  if (bitmap_) DeleteObject(bitmap_);
}

void Image::SetPicture(HBITMAP bitmap) {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  Invalidate();
}

void Image::SetStretch(bool stretch) { Repaint(stretch_, stretch); }

void Image::SetCenter(bool center) { Repaint(center_, center); }

void Image::SetTransparent(bool transparent) { Repaint(transparent_, transparent); }

void Image::Paint(HDC dc) {
  if (!bitmap_) return;
  BITMAP info;
  GetObject(bitmap_, sizeof info, &info);
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(src, bitmap_);
  int w = std::min<int>(info.bmWidth, Width()), h = std::min<int>(info.bmHeight, Height());
  int x = Left(), y = Top();
  if (stretch_) {
    w = Width();
    h = Height();
  } else if (center_) {
    x += (Width() - w) / 2;
    y += (Height() - h) / 2;
  }
  const int sw = stretch_ ? info.bmWidth : w, sh = stretch_ ? info.bmHeight : h;
  if (transparent_) {
    TransparentBlt(dc, x, y, w, h, src, 0, 0, sw, sh, GetPixel(src, 0, info.bmHeight - 1));
  } else {
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, x, y, w, h, src, 0, 0, sw, sh, SRCCOPY);
  }
  SelectObject(src, old);
  DeleteDC(src);
}

// ---- Shape ---------------------------------------------------------------------------

Shape::Shape(WinControl* parent, ShapeKind kind) : GraphicControl(parent), kind_(kind) {}

void Shape::SetBrushColor(Color color) { Repaint(brush_, color); }

void Shape::SetPenColor(Color color) { Repaint(pen_, color); }

void Shape::Paint(HDC dc) {
  HBRUSH brush = CreateSolidBrush(brush_);
  HPEN pen = CreatePen(PS_SOLID, 1, pen_);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  const RECT r = Bounds();
  switch (kind_) {
    case ShapeKind::kRectangle:
      Rectangle(dc, r.left, r.top, r.right, r.bottom);
      break;
    case ShapeKind::kRoundRect:
      RoundRect(dc, r.left, r.top, r.right, r.bottom, 8, 8);
      break;
    case ShapeKind::kEllipse:
      Ellipse(dc, r.left, r.top, r.right, r.bottom);
      break;
  }
  SelectObject(dc, old_brush);
  SelectObject(dc, old_pen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// ---- TrendChart ------------------------------------------------------------------------

TrendChart::TrendChart(WinControl* parent) : GraphicControl(parent) {}

void TrendChart::AddValue(int value) {
  values_.Add(value);
  Invalidate();
}

void TrendChart::Clear() {
  values_.Clear();
  Invalidate();
}

void TrendChart::SetColors(Color background, Color bar, Color grid) {
  background_ = background;
  bar_ = bar;
  grid_ = grid;
  Invalidate();
}

void TrendChart::Paint(HDC dc) {
  const RECT r = Bounds();
  FillSolid(dc, r, background_);
  const int height = r.bottom - r.top;
  for (int line = 1; line < 4; ++line) {
    const int y = r.top + height * line / 4;
    FillSolid(dc, RECT{r.left, y, r.right, y + 1}, grid_);
  }
  const int slot = (r.right - r.left) / TrendValues::kCount;
  for (int i = 0; i < TrendValues::kCount; ++i) {
    const int bar_height = height * values_.At(i) / TrendValues::kMax;
    const int left = r.left + i * slot + 1;
    FillSolid(dc, RECT{left, r.bottom - bar_height, left + std::max(1, slot - 2), r.bottom}, bar_);
  }
}

}  // namespace vcl
