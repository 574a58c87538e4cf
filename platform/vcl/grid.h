// A grid of text cells over the common list view: one header row (row 0,
// bold), no fixed column, whole-row selection, column widths and alignment,
// an icon in a cell, and a comment per cell shown while the mouse rests on it.
// Rows are numbered as in the forms: row 0 is the header, data rows from 1.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "control.h"

namespace vcl {

class Grid : public WinControl {
 public:
  explicit Grid(WinControl* parent);
  ~Grid() override;

  void SetColCount(int count);
  int ColCount() const { return static_cast<int>(alignments_.size()); }
  // Rows including the header row; at least 1.
  void SetRowCount(int count);
  int RowCount() const;
  void SetColWidths(const std::vector<int>& widths);
  void SetColAlignment(int col, Alignment alignment);
  Alignment ColAlignment(int col) const { return alignments_.at(col); }
  void SetGridLines(bool lines);

  void SetCell(int col, int row, const std::string& text);
  std::string Cell(int col, int row) const;
  // Empties every cell of the data rows (row count kept).
  void ClearCells();
  // Icons come from an image list the form owns.
  void SetImageList(HIMAGELIST images);
  void SetCellImage(int col, int row, int image_index);
  int CellImage(int col, int row) const;

  void SetComment(int col, int row, const std::string& comment);
  std::string Comment(int col, int row) const;
  void ClearComments();
  // The comment under a point of the grid's client area, shown as a tip;
  // empty when the cell has none. Mouse moves call it.
  std::string ShowCommentAt(POINT point);
  const std::string& ShownComment() const { return shown_comment_; }

  void RemoveRow(int row);
  // The selected data row, 0 when none.
  int Row() const;
  void SelectRow(int row);
  // A row was selected by the user or the program.
  std::function<void(int row)> on_select_row;

  LRESULT Notify(NMHDR* header) override;

 private:
  // List view column 0 cannot be aligned: it is kept empty and zero wide, and
  // grid column c is list view column c + 1.
  static int ListColumn(int col) { return col + 1; }
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  void UpdateHeader(int col);

  std::vector<Alignment> alignments_;
  std::map<std::pair<int, int>, std::string> comments_;
  HWND tip_ = nullptr;
  std::string shown_comment_;
  FontHandle header_font_;
};

}  // namespace vcl
