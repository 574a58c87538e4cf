// Pages with tabs, drawn by the layer itself: tabs across the top, or down
// the left side with a glyph over the caption (a caption's "||" starts a
// second line). Each sheet has a show event, run when it becomes the active
// page.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control.h"

namespace vcl {

class PageControl;

class TabSheet : public WinControl {
 public:
  explicit TabSheet(PageControl* owner, std::string caption = "");
  ~TabSheet() override;

  void SetCaption(std::string caption);
  const std::string& Caption() const { return caption_; }
  // A 32 x 32 bitmap resource drawn on the tab (left tabs).
  void SetGlyph(const char* resource_name);
  HBITMAP Glyph() const { return glyph_; }

  std::function<void()> on_show;

 private:
  PageControl* owner_;
  std::string caption_;
  HBITMAP glyph_ = nullptr;
};

enum class TabPosition { kTop, kLeft };

class PageControl : public WinControl {
 public:
  explicit PageControl(WinControl* parent);

  void SetTabPosition(TabPosition position, int tab_width, int tab_height);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TabSheet& Page(int index) const { return *pages_.at(index); }
  void SetActivePageIndex(int index);
  int ActivePageIndex() const { return active_; }
  TabSheet* ActivePage() const { return active_ < 0 ? nullptr : pages_[active_]; }

  // The active page changed.
  std::function<void()> on_change;

  // The tab under a point of the control, -1 when none.
  int TabAt(POINT point) const;
  RECT TabRect(int index) const;

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void BoundsChanged() override;
  void PaintBackground(HDC dc, const RECT& client) override;

 private:
  friend class TabSheet;
  void AddPage(TabSheet* page);
  void RemovePage(TabSheet* page);
  void Arrange();
  void PaintTab(HDC dc, int index);

  std::vector<TabSheet*> pages_;
  int active_ = -1;
  TabPosition position_ = TabPosition::kTop;
  int tab_width_ = 80;
  int tab_height_ = 22;
};

}  // namespace vcl
