// Pictures: an image (a bitmap resource, drawn as is, stretched or centred,
// optionally with a transparent colour), and a shape (filled rectangle).
#pragma once

#include "control.h"

namespace vcl {

// Loads a bitmap resource of the program; null when it does not exist.
HBITMAP LoadBitmapResource(const char* name);

class Image : public GraphicControl {
 public:
  explicit Image(WinControl* parent);
  ~Image() override;

  // The image keeps the bitmap and frees it.
  void SetPicture(HBITMAP bitmap);
  void SetPicture(const char* resource_name) { SetPicture(LoadBitmapResource(resource_name)); }
  // Shares another image's picture (the glyphs of a button kept on the form).
  HBITMAP Picture() const { return bitmap_; }
  void SetStretch(bool stretch);
  void SetCenter(bool center);
  // The lower-left pixel's colour is not drawn.
  void SetTransparent(bool transparent);

  void Paint(HDC dc) override;

 private:
  HBITMAP bitmap_ = nullptr;
  bool stretch_ = false;
  bool center_ = false;
  bool transparent_ = false;
};

enum class ShapeKind { kRectangle, kRoundRect, kEllipse };

class Shape : public GraphicControl {
 public:
  explicit Shape(WinControl* parent, ShapeKind kind = ShapeKind::kRectangle);
  void SetBrushColor(Color color);
  void SetPenColor(Color color);
  void Paint(HDC dc) override;

 private:
  ShapeKind kind_;
  Color brush_ = kWhite;
  Color pen_ = kBlack;
};

}  // namespace vcl
