#include "control.h"

#include "application.h"

#include <windowsx.h>

#include <algorithm>

#include "form.h"

namespace vcl {

namespace {

const char kContainerClass[] = "TvnContainer";
const char kControlProp[] = "TvnControl";

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

void RegisterContainerClass(const char* name, WNDPROC proc) {
  WNDCLASSEXA wc{};
  if (GetClassInfoExA(Instance(), name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  wc.hIcon = LoadIconA(Instance(), "MAINICON");
  RegisterClassExA(&wc);
}

MouseButton ButtonOf(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return MouseButton::kRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return MouseButton::kMiddle;
    default:
      return MouseButton::kLeft;
  }
}

}  // namespace

FontHandle::~FontHandle() {
  if (handle_) DeleteObject(handle_);
}

HFONT FontHandle::Get(const Font& font) {
  const bool same = handle_ && made_.name == font.name && made_.size == font.size && made_.bold == font.bold &&
                    made_.italic == font.italic && made_.underline == font.underline;
  if (same) return handle_;
  if (handle_) DeleteObject(handle_);
  const int height = -MulDiv(font.size, 96, 72);
  handle_ = CreateFontA(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, font.name.c_str());
  made_ = font;
  return handle_;
}

// ---- Control ----------------------------------------------------------------

Control::Control(WinControl* parent) : parent_(parent) {
  if (parent_) {
    parent_->AddChild(this);
    font_ = parent_->GetFont();
  }
}

Control::~Control() {
  if (parent_) parent_->RemoveChild(this);
}

Form* Control::ParentForm() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<Form*>(const_cast<Control*>(c));
}

void Control::SetBounds(int left, int top, int width, int height) {
  bounds_ = RECT{left, top, left + width, top + height};
  BoundsChanged();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  VisibleChanged();
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  EnabledChanged();
}

void Control::SetHint(std::string hint) {
  hint_ = std::move(hint);
  HintChanged();
}

void Control::SetFont(const Font& font) {
  font_ = font;
  FontChanged();
}

void Control::Click() {
  if (on_click) on_click();
}

// ---- GraphicControl -----------------------------------------------------------

GraphicControl::GraphicControl(WinControl* parent) : Control(parent) {}

void GraphicControl::Invalidate() {
  WinControl* parent = Parent();
  if (!parent || !parent->Handle()) return;
  // The old place is repainted too, for moves and hides.
  InvalidateRect(parent->Handle(), &painted_, TRUE);
  painted_ = Bounds();
  InvalidateRect(parent->Handle(), &painted_, TRUE);
}

void GraphicControl::BoundsChanged() {
  Invalidate();
  if (!Hint().empty()) HintChanged();  // the tip's rectangle follows
}

void GraphicControl::VisibleChanged() {
  Invalidate();
  HintChanged();
}

void GraphicControl::HintChanged() {
  if (Parent()) Parent()->UpdateGraphicTooltip(this);
}

// ---- WinControl -----------------------------------------------------------------

WinControl::WinControl(WinControl* parent) : Control(parent) {}

WinControl::~WinControl() {
  if (background_brush_) DeleteObject(background_brush_);
  DestroyHandle();
}

void WinControl::DestroyHandle() {
  if (!handle_) return;
  RemovePropA(handle_, kControlProp);
  DestroyWindow(handle_);
  handle_ = nullptr;
}

WinControl* WinControl::FromHandle(HWND handle) {
  return handle ? static_cast<WinControl*>(GetPropA(handle, kControlProp)) : nullptr;
}

void WinControl::AttachHandle(HWND handle) {
  handle_ = handle;
  SetPropA(handle_, kControlProp, this);
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandleNow()), FALSE);
}

void WinControl::CreateStandard(const char* window_class, DWORD style, DWORD ex_style, const char* text) {
  HWND parent = Parent() ? Parent()->Handle() : nullptr;
  if (Visible()) style |= WS_VISIBLE;
  // Made at the control's current bounds: some controls lay out their parts
  // only when they are made.
  AttachHandle(CreateWindowExA(ex_style, window_class, text, WS_CHILD | WS_CLIPSIBLINGS | style, Left(), Top(), Width(),
                               Height(), parent, nullptr, Instance(), nullptr));
}

void WinControl::CreateContainer(DWORD style, DWORD ex_style) {
  RegisterContainerClass(kContainerClass, ContainerProc);
  own_class_ = true;
  HWND parent = Parent() ? Parent()->Handle() : nullptr;
  if (Visible()) style |= WS_VISIBLE;
  AttachHandle(CreateWindowExA(ex_style, kContainerClass, "", style, 0, 0, 0, 0, parent, nullptr, Instance(), nullptr));
}

void WinControl::CreateTopLevel(const std::string& class_name, HWND owner, DWORD style, DWORD ex_style) {
  RegisterContainerClass(class_name.c_str(), ContainerProc);
  own_class_ = true;
  AttachHandle(CreateWindowExA(ex_style, class_name.c_str(), "", style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner,
                               nullptr, Instance(), nullptr));
}

void WinControl::RemoveChild(Control* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
  if (hovered_ == child) hovered_ = nullptr;
  if (pressed_ == child) pressed_ = nullptr;
}

void WinControl::SetColor(Color color) {
  color_ = color;
  if (background_brush_) DeleteObject(background_brush_);
  background_brush_ = nullptr;
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

Color WinControl::BackgroundColor() const {
  for (const WinControl* c = this; c; c = c->Parent())
    if (c->color_ != kTransparent) return c->color_;
  return kButtonFace;
}

void WinControl::SetText(const std::string& text) { SetWindowTextA(handle_, text.c_str()); }

std::string WinControl::Text() const {
  const int length = GetWindowTextLengthA(handle_);
  std::string text(length + 1, '\0');
  text.resize(GetWindowTextA(handle_, text.data(), length + 1));
  return text;
}

void WinControl::SetFocus() {
  if (handle_) ::SetFocus(handle_);
}

bool WinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void WinControl::BoundsChanged() {
  if (handle_) MoveWindow(handle_, Left(), Top(), Width(), Height(), TRUE);
}

void WinControl::VisibleChanged() {
  if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void WinControl::EnabledChanged() {
  if (handle_) EnableWindow(handle_, Enabled());
}

void WinControl::FontChanged() {
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandleNow()), TRUE);
}

void WinControl::HintChanged() {
  if (Form* form = ParentForm(); form && handle_) form->SetToolTip(handle_, 0, nullptr, Hint());
}

void WinControl::UpdateGraphicTooltip(GraphicControl* control) {
  Form* form = ParentForm();
  if (!form || !handle_) return;
  RECT r = control->Bounds();
  form->SetToolTip(handle_, reinterpret_cast<UINT_PTR>(control), &r, control->Visible() ? control->Hint() : "");
}

void WinControl::PaintBackground(HDC dc, const RECT& client) {
  if (!background_brush_) background_brush_ = CreateSolidBrush(BackgroundColor());
  FillRect(dc, &client, background_brush_);
}

GraphicControl* WinControl::GraphicAt(POINT point) const {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    auto* g = dynamic_cast<GraphicControl*>(*it);
    RECT r = (*it)->Bounds();
    if (g && g->Visible() && PtInRect(&r, point)) return g;
  }
  return nullptr;
}

void WinControl::PaintContainer() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  RECT client;
  GetClientRect(handle_, &client);
  // Drawn off screen first, so labels over pictures do not flicker.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ old = SelectObject(mem, bitmap);
  PaintBackground(mem, client);
  for (Control* child : children_) {
    auto* g = dynamic_cast<GraphicControl*>(child);
    if (g && g->Visible()) g->Paint(mem);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  EndPaint(handle_, &ps);
}

void WinControl::TrackHover(GraphicControl* under) {
  if (under == hovered_) return;
  if (hovered_) hovered_->MouseLeave();
  hovered_ = under;
  if (hovered_) {
    hovered_->MouseEnter();
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, handle_, 0};
    TrackMouseEvent(&tme);
  }
}

void WinControl::RouteMouse(UINT msg, LPARAM lp) {
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  GraphicControl* g = GraphicAt(p);
  Control* target = g && g->Enabled() ? static_cast<Control*>(g) : this;
  const int x = p.x - (target == this ? 0 : target->Left());
  const int y = p.y - (target == this ? 0 : target->Top());
  switch (msg) {
    case WM_MOUSEMOVE:
      TrackHover(g);
      if (target->on_mouse_move) target->on_mouse_move(x, y);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      pressed_ = g;
      if (target->on_mouse_down) target->on_mouse_down(ButtonOf(msg), x, y);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      // The handler may close the window: nothing of this is used after it.
      const bool click = msg == WM_LBUTTONUP && g == pressed_ && (!g || g->Enabled());
      pressed_ = nullptr;
      if (target->on_mouse_up) target->on_mouse_up(ButtonOf(msg), x, y);
      if (click) target->Click();
      break;
    }
    case WM_LBUTTONDBLCLK:
      if (target->on_dbl_click) target->on_dbl_click();
      break;
  }
}

LRESULT WinControl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      PaintContainer();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      if (WinControl* child = FromHandle(reinterpret_cast<HWND>(lp))) {
        child->Command(HIWORD(wp));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (WinControl* child = FromHandle(header->hwndFrom)) return child->Notify(header);
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Check boxes and radio buttons take the colour of what they stand on.
      WinControl* child = FromHandle(reinterpret_cast<HWND>(lp));
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkMode(dc, TRANSPARENT);
      if (child) SetTextColor(dc, child->GetFont().color);
      if (!background_brush_) background_brush_ = CreateSolidBrush(BackgroundColor());
      return reinterpret_cast<LRESULT>(background_brush_);
    }
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(handle_, &p);
        if (GraphicControl* g = GraphicAt(p)) {
          ::SetCursor(LoadCursor(nullptr, g->Cursor()));
          return TRUE;
        }
      }
      break;
    case WM_MOUSELEAVE:
      TrackHover(nullptr);
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
      RouteMouse(msg, lp);
      return 0;
  }
  return DefWindowProcA(handle_, msg, wp, lp);
}

LRESULT CALLBACK WinControl::ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WinControl* self = FromHandle(hwnd);
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  // An error never unwinds through the system's frames: it stops here.
  return Application::Guarded([&] { return self->WindowProc(msg, wp, lp); });
}

}  // namespace vcl
