#include "grid.h"

#include <windowsx.h>

namespace vcl {

namespace {

int FormatOf(Alignment a) {
  switch (a) {
    case Alignment::kCenter:
      return LVCFMT_CENTER;
    case Alignment::kRight:
      return LVCFMT_RIGHT;
    default:
      return LVCFMT_LEFT;
  }
}

}  // namespace

Grid::Grid(WinControl* parent) : WinControl(parent) {
  CreateStandard(WC_LISTVIEWA, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                 WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = 0;
  ListView_InsertColumn(Handle(), 0, &column);
  Font bold = GetFont();
  bold.bold = true;
  SendMessageA(ListView_GetHeader(Handle()), WM_SETFONT, reinterpret_cast<WPARAM>(header_font_.Get(bold)), TRUE);
  tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0,
                         Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  TTTOOLINFOA info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  info.hwnd = Handle();
  info.lpszText = const_cast<char*>("");
  SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, 600);
  SetWindowSubclass(Handle(), SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

Grid::~Grid() {
  RemoveWindowSubclass(Handle(), SubclassProc, 1);
  if (tip_) DestroyWindow(tip_);
}

void Grid::SetColCount(int count) {
  while (ColCount() > count) {
    ListView_DeleteColumn(Handle(), ColCount());
    alignments_.pop_back();
  }
  while (ColCount() < count) {
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH | LVCF_FMT | LVCF_TEXT;
    column.cx = 64;
    column.fmt = LVCFMT_LEFT;
    column.pszText = const_cast<char*>("");
    ListView_InsertColumn(Handle(), ListColumn(ColCount()), &column);
    alignments_.push_back(Alignment::kLeft);
  }
}

void Grid::SetRowCount(int count) {
  const int items = count > 1 ? count - 1 : 0;
  while (ListView_GetItemCount(Handle()) > items) ListView_DeleteItem(Handle(), ListView_GetItemCount(Handle()) - 1);
  while (ListView_GetItemCount(Handle()) < items) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(Handle());
    item.pszText = const_cast<char*>("");
    ListView_InsertItem(Handle(), &item);
  }
}

int Grid::RowCount() const { return ListView_GetItemCount(Handle()) + 1; }

void Grid::SetColWidths(const std::vector<int>& widths) {
  if (static_cast<int>(widths.size()) > ColCount()) SetColCount(static_cast<int>(widths.size()));
  for (size_t c = 0; c < widths.size(); ++c) ListView_SetColumnWidth(Handle(), ListColumn(c), widths[c]);
}

void Grid::SetColAlignment(int col, Alignment alignment) {
  alignments_.at(col) = alignment;
  UpdateHeader(col);
}

void Grid::UpdateHeader(int col) {
  LVCOLUMNA column{};
  column.mask = LVCF_FMT;
  column.fmt = FormatOf(alignments_.at(col));
  ListView_SetColumn(Handle(), ListColumn(col), &column);
}

void Grid::SetGridLines(bool lines) {
  ListView_SetExtendedListViewStyleEx(Handle(), LVS_EX_GRIDLINES, lines ? LVS_EX_GRIDLINES : 0);
}

void Grid::SetCell(int col, int row, const std::string& text) {
  if (col < 0 || col >= ColCount() || row < 0) return;
  if (row == 0) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<char*>(text.c_str());
    ListView_SetColumn(Handle(), ListColumn(col), &column);
    return;
  }
  if (row >= RowCount()) return;
  ListView_SetItemText(Handle(), row - 1, ListColumn(col), const_cast<char*>(text.c_str()));
}

std::string Grid::Cell(int col, int row) const {
  char text[1024] = "";
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return "";
  if (row == 0) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    ListView_GetColumn(Handle(), ListColumn(col), &column);
    return text;
  }
  ListView_GetItemText(Handle(), row - 1, ListColumn(col), text, sizeof text);
  return text;
}

void Grid::ClearCells() {
  for (int row = 1; row < RowCount(); ++row)
    for (int col = 0; col < ColCount(); ++col) {
      SetCell(col, row, "");
      SetCellImage(col, row, -1);
    }
}

void Grid::SetImageList(HIMAGELIST images) { ListView_SetImageList(Handle(), images, LVSIL_SMALL); }

void Grid::SetCellImage(int col, int row, int image_index) {
  if (col < 0 || col >= ColCount() || row < 1 || row >= RowCount()) return;
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row - 1;
  item.iSubItem = ListColumn(col);
  item.iImage = image_index < 0 ? I_IMAGENONE : image_index;
  ListView_SetItem(Handle(), &item);
}

int Grid::CellImage(int col, int row) const {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row - 1;
  item.iSubItem = ListColumn(col);
  if (!ListView_GetItem(Handle(), &item)) return -1;
  return item.iImage == I_IMAGENONE ? -1 : item.iImage;
}

void Grid::SetComment(int col, int row, const std::string& comment) {
  if (comment.empty())
    comments_.erase({col, row});
  else
    comments_[{col, row}] = comment;
}

std::string Grid::Comment(int col, int row) const {
  auto it = comments_.find({col, row});
  return it == comments_.end() ? "" : it->second;
}

void Grid::ClearComments() {
  comments_.clear();
  ShowCommentAt(POINT{-1, -1});
}

std::string Grid::ShowCommentAt(POINT point) {
  LVHITTESTINFO hit{};
  hit.pt = point;
  std::string comment;
  if (ListView_SubItemHitTest(Handle(), &hit) >= 0 && hit.iSubItem > 0)
    comment = Comment(hit.iSubItem - 1, hit.iItem + 1);
  if (comment == shown_comment_) return comment;
  shown_comment_ = comment;
  TTTOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = Handle();
  info.lpszText = const_cast<char*>(shown_comment_.c_str());
  SendMessageA(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
  if (comment.empty()) return comment;
  SendMessageA(tip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  POINT screen{point.x + 12, point.y + 16};
  ClientToScreen(Handle(), &screen);
  SendMessageA(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
  SendMessageA(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  return comment;
}

void Grid::RemoveRow(int row) {
  if (row < 1 || row >= RowCount()) return;
  ListView_DeleteItem(Handle(), row - 1);
  // Comments below move up with their rows.
  std::map<std::pair<int, int>, std::string> moved;
  for (auto& [cell, text] : comments_) {
    if (cell.second == row) continue;
    moved[{cell.first, cell.second > row ? cell.second - 1 : cell.second}] = text;
  }
  comments_ = std::move(moved);
}

int Grid::Row() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED) + 1; }

void Grid::SelectRow(int row) {
  if (row < 1 || row >= RowCount()) return;
  ListView_SetItemState(Handle(), row - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(Handle(), row - 1, FALSE);
}

LRESULT Grid::Notify(NMHDR* header) {
  if (header->code == LVN_ITEMCHANGED) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    const bool selected = (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED);
    if (selected && change->iItem >= 0 && on_select_row) on_select_row(change->iItem + 1);
  }
  return 0;
}

LRESULT CALLBACK Grid::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<Grid*>(ref);
  if (msg == WM_MOUSEMOVE) {
    self->ShowCommentAt(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&tme);
  } else if (msg == WM_MOUSELEAVE) {
    self->ShowCommentAt(POINT{-1, -1});
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace vcl
