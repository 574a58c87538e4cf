#include "page_control.h"

#include <windowsx.h>

#include <algorithm>

#include "image.h"

namespace vcl {

namespace {

std::string TwoLines(const std::string& caption) {
  std::string text;
  for (size_t i = 0; i < caption.size(); ++i) {
    const bool pair = caption[i] == '|' && i + 1 < caption.size() && caption[i + 1] == '|';
    text += pair ? '\n' : caption[i];
    if (pair) ++i;
  }
  return text;
}

}  // namespace

// ---- TabSheet --------------------------------------------------------------------------

TabSheet::TabSheet(PageControl* owner, std::string caption)
    : WinControl(owner), owner_(owner), caption_(std::move(caption)) {
  CreateContainer();
  SetColor(kWhite);
  owner_->AddPage(this);
}

TabSheet::~TabSheet() {
  owner_->RemovePage(this);
  if (glyph_) DeleteObject(glyph_);
}

void TabSheet::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  InvalidateRect(owner_->Handle(), nullptr, TRUE);
}

void TabSheet::SetGlyph(const char* resource_name) {
  if (glyph_) DeleteObject(glyph_);
  glyph_ = LoadBitmapResource(resource_name);
  InvalidateRect(owner_->Handle(), nullptr, TRUE);
}

// ---- PageControl -------------------------------------------------------------------------

PageControl::PageControl(WinControl* parent) : WinControl(parent) { CreateContainer(); }

void PageControl::SetTabPosition(TabPosition position, int tab_width, int tab_height) {
  position_ = position;
  tab_width_ = tab_width;
  tab_height_ = tab_height;
  Arrange();
}

void PageControl::AddPage(TabSheet* page) {
  pages_.push_back(page);
  page->SetVisible(false);
  Arrange();
  if (active_ < 0) SetActivePageIndex(0);
}

void PageControl::RemovePage(TabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  const int index = static_cast<int>(it - pages_.begin());
  pages_.erase(it);
  if (active_ >= index) active_ = std::min(active_, PageCount() - 1);
}

void PageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount() || index == active_) return;
  if (active_ >= 0) pages_[active_]->SetVisible(false);
  active_ = index;
  pages_[active_]->SetVisible(true);
  InvalidateRect(Handle(), nullptr, TRUE);
  if (pages_[active_]->on_show) pages_[active_]->on_show();
  if (on_change) on_change();
}

RECT PageControl::TabRect(int index) const {
  if (position_ == TabPosition::kLeft) return RECT{0, index * tab_height_, tab_width_, (index + 1) * tab_height_};
  return RECT{index * tab_width_, 0, (index + 1) * tab_width_, tab_height_};
}

int PageControl::TabAt(POINT point) const {
  for (int i = 0; i < PageCount(); ++i) {
    RECT r = TabRect(i);
    if (PtInRect(&r, point)) return i;
  }
  return -1;
}

void PageControl::BoundsChanged() {
  WinControl::BoundsChanged();
  Arrange();
}

void PageControl::Arrange() {
  for (TabSheet* page : pages_) {
    if (position_ == TabPosition::kLeft)
      page->SetBounds(tab_width_, 0, std::max(0, Width() - tab_width_), Height());
    else
      page->SetBounds(0, tab_height_, Width(), std::max(0, Height() - tab_height_));
  }
}

void PageControl::PaintTab(HDC dc, int index) {
  const TabSheet& page = *pages_[index];
  const bool active = index == active_;
  RECT r = TabRect(index);
  HBRUSH brush = CreateSolidBrush(active ? kWhite : RGB(228, 232, 240));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  DrawEdge(dc, &r, active ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  RECT text = r;
  if (page.Glyph() && position_ == TabPosition::kLeft) {
    BITMAP info;
    GetObject(page.Glyph(), sizeof info, &info);
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, page.Glyph());
    const int x = r.left + (tab_width_ - info.bmWidth) / 2;
    TransparentBlt(dc, x, r.top + 8, info.bmWidth, info.bmHeight, src, 0, 0, info.bmWidth, info.bmHeight,
                   GetPixel(src, 0, info.bmHeight - 1));
    SelectObject(src, old);
    DeleteDC(src);
    text.top += 12 + info.bmHeight;
  }
  Font font = GetFont();
  font.bold = active;
  FontHandle handle;
  HGDIOBJ old = SelectObject(dc, handle.Get(font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, font.color);
  const std::string caption = TwoLines(page.Caption());
  const bool single = caption.find('\n') == std::string::npos;
  UINT format = DT_CENTER | DT_NOPREFIX | (single ? DT_SINGLELINE : 0);
  if (single && !(page.Glyph() && position_ == TabPosition::kLeft)) format |= DT_VCENTER;
  DrawTextA(dc, caption.c_str(), -1, &text, format);
  SelectObject(dc, old);
}

void PageControl::PaintBackground(HDC dc, const RECT& client) {
  WinControl::PaintBackground(dc, client);
  for (int i = 0; i < PageCount(); ++i) PaintTab(dc, i);
}

LRESULT PageControl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) {
    const int tab = TabAt(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
    if (tab >= 0) {
      SetFocus();
      SetActivePageIndex(tab);
      return 0;
    }
  }
  return WinControl::WindowProc(msg, wp, lp);
}

}  // namespace vcl
