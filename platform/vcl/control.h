// Base classes of the widget layer: a control has bounds, visibility, an
// enabled state, a hint and mouse events. Windowed controls own a window
// handle; graphic controls (labels, images, shapes, charts) have none and are
// painted and hit-tested by the windowed control that holds them, so they can
// lie transparently on a picture.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vcl {

using Color = COLORREF;
inline constexpr Color kWhite = RGB(255, 255, 255);
inline constexpr Color kBlack = RGB(0, 0, 0);
inline constexpr Color kBlue = RGB(0, 0, 255);
inline constexpr Color kNavy = RGB(0, 0, 128);
inline constexpr Color kRed = RGB(255, 0, 0);
inline constexpr Color kGreen = RGB(0, 128, 0);
inline constexpr Color kGray = RGB(128, 128, 128);
inline constexpr Color kSilver = RGB(192, 192, 192);
inline constexpr Color kButtonFace = RGB(240, 240, 240);
// "No colour": the parent's background shows through.
inline constexpr Color kTransparent = 0xFF000000;

enum class Alignment { kLeft, kCenter, kRight };
enum class MouseButton { kLeft, kRight, kMiddle };

struct Font {
  std::string name = "Tahoma";
  int size = 8;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  Color color = kBlack;
};

// A GDI font made from a Font description, freed with it.
class FontHandle {
 public:
  FontHandle() = default;
  ~FontHandle();
  FontHandle(const FontHandle&) = delete;
  FontHandle& operator=(const FontHandle&) = delete;
  HFONT Get(const Font& font);

 private:
  Font made_{};
  HFONT handle_ = nullptr;
};

class WinControl;
class Form;

class Control {
 public:
  explicit Control(WinControl* parent);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  WinControl* Parent() const { return parent_; }
  Form* ParentForm() const;

  void SetBounds(int left, int top, int width, int height);
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  RECT Bounds() const { return bounds_; }

  void SetVisible(bool visible);
  bool Visible() const { return visible_; }
  // Visible and every parent visible too.
  bool Showing() const;
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }

  // The hint is shown as a tooltip when the mouse rests on the control.
  void SetHint(std::string hint);
  const std::string& Hint() const { return hint_; }

  void SetFont(const Font& font);
  const Font& GetFont() const { return font_; }

  std::function<void()> on_click;
  std::function<void()> on_dbl_click;
  std::function<void(MouseButton, int x, int y)> on_mouse_down;
  std::function<void(MouseButton, int x, int y)> on_mouse_up;
  std::function<void(int x, int y)> on_mouse_move;

  // Runs the click handler as a user's click would.
  virtual void Click();

 protected:
  virtual void BoundsChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void FontChanged() {}
  virtual void HintChanged() {}
  HFONT FontHandleNow() { return font_handle_.Get(font_); }
  // Records bounds the window system already gave the control.
  void KeepBounds(const RECT& bounds) { bounds_ = bounds; }

 private:
  WinControl* parent_;
  RECT bounds_{0, 0, 0, 0};
  bool visible_ = true;
  bool enabled_ = true;
  std::string hint_;
  Font font_;
  FontHandle font_handle_;
};

// A control without a window: its parent paints it and sends it the mouse.
class GraphicControl : public Control {
 public:
  explicit GraphicControl(WinControl* parent);

  void Invalidate();
  // Sets a field of the control's look and repaints it.
  template <class T, class V>
  void Repaint(T& field, V&& value) {
    field = std::forward<V>(value);
    Invalidate();
  }
  // Cursor shown over the control (IDC_ARROW, IDC_HAND...).
  void SetCursor(LPCSTR cursor) { cursor_ = cursor; }
  LPCSTR Cursor() const { return cursor_; }

  // Called by the parent with a device context whose origin is the parent's.
  virtual void Paint(HDC dc) = 0;
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

 protected:
  void BoundsChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override { Invalidate(); }
  void FontChanged() override { Invalidate(); }
  void HintChanged() override;

 private:
  LPCSTR cursor_ = IDC_ARROW;
  RECT painted_{0, 0, 0, 0};
};

// A control with its own window. Containers (forms, panels, group boxes, tab
// sheets) are windows of the layer's own class; the others wrap a standard
// or common control class.
class WinControl : public Control {
 public:
  explicit WinControl(WinControl* parent);
  ~WinControl() override;

  HWND Handle() const { return handle_; }
  void SetColor(Color color);
  Color GetColor() const { return color_; }
  // The colour that shows behind this control's graphic children and text.
  Color BackgroundColor() const;

  void SetFocus();
  bool Focused() const;

  // The window's text: a caption, or an edit's contents.
  void SetText(const std::string& text);
  std::string Text() const;

  const std::vector<Control*>& Controls() const { return children_; }

  // Control that owns a window handle, or null.
  static WinControl* FromHandle(HWND handle);

  // Messages a parent passes on to the child they concern.
  virtual void Command(WORD /*code*/) {}
  virtual LRESULT Notify(NMHDR* /*header*/) { return 0; }

  // The layer's container window procedure, for subclasses that need more.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

 protected:
  // Makes the window: standard classes by name, containers with
  // CreateContainer. Subclasses call one of them in their constructor.
  void CreateStandard(const char* window_class, DWORD style, DWORD ex_style = 0, const char* text = "");
  void CreateContainer(DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, DWORD ex_style = 0);
  void AttachHandle(HWND handle);
  // Destroys the window (a control that must be made again at a new size).
  void DestroyHandle();
  // Top-level containers (forms) give their own class name, owner and frame.
  void CreateTopLevel(const std::string& class_name, HWND owner, DWORD style, DWORD ex_style);

  void BoundsChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void FontChanged() override;
  void HintChanged() override;

  // Containers paint their background and decorations here, then their
  // graphic children are painted over it.
  virtual void PaintBackground(HDC dc, const RECT& client);
  GraphicControl* GraphicAt(POINT point) const;

 private:
  friend class Control;
  friend class GraphicControl;
  void AddChild(Control* child) { children_.push_back(child); }
  void RemoveChild(Control* child);
  void PaintContainer();
  void RouteMouse(UINT msg, LPARAM lp);
  void TrackHover(GraphicControl* under);
  void UpdateGraphicTooltip(GraphicControl* control);
  static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HWND handle_ = nullptr;
  bool own_class_ = false;
  Color color_ = kTransparent;
  HBRUSH background_brush_ = nullptr;
  std::vector<Control*> children_;
  GraphicControl* hovered_ = nullptr;
  GraphicControl* pressed_ = nullptr;
};

}  // namespace vcl
