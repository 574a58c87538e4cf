// Edits, masked edits, the IP-address control and the progress bar.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "edit.h"

namespace vcl {

// ---- Edit -------------------------------------------------------------------------

Edit::Edit(WinControl* parent, const std::string& text) : WinControl(parent) {
  CreateStandard(WC_EDITA, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, text.c_str());
}

void Edit::SetMaxLength(int length) { SendMessageA(Handle(), EM_SETLIMITTEXT, length, 0); }

void Edit::SetReadOnly(bool read_only) { SendMessageA(Handle(), EM_SETREADONLY, read_only, 0); }

void Edit::Command(WORD code) {
  if (code == EN_CHANGE && on_change) on_change();
}

// ---- MaskedEdit ---------------------------------------------------------------------

MaskedEdit::MaskedEdit(WinControl* parent, const std::string& mask) : Edit(parent), mask_(mask) {
  SetText(mask_.BlankText());
  SetMaxLength(mask_.Length());
  SetWindowSubclass(Handle(), SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

bool MaskedEdit::TypeChar(char c) {
  DWORD start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  int position = static_cast<int>(start);
  while (position < mask_.Length() && mask_.IsLiteral(position)) ++position;
  if (!mask_.Accepts(position, c)) {
    MessageBeep(MB_OK);
    return false;
  }
  // Overwrites the position and moves the caret past it.
  std::string text = Text();
  text.resize(mask_.Length(), mask_.Blank());
  text[position] = c;
  SetText(text);
  SendMessageA(Handle(), EM_SETSEL, position + 1, position + 1);
  return true;
}

LRESULT CALLBACK MaskedEdit::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<MaskedEdit*>(ref);
  if (msg == WM_CHAR) {
    const char c = static_cast<char>(wp);
    if (c == '\b') {
      DWORD start = 0;
      SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
      if (start > 0 && !self->mask_.IsLiteral(start - 1)) {
        std::string text = self->Text();
        text[start - 1] = self->mask_.Blank();
        self->SetText(text);
      }
      if (start > 0) SendMessageA(hwnd, EM_SETSEL, start - 1, start - 1);
      return 0;
    }
    if (static_cast<unsigned char>(c) >= 0x20) self->TypeChar(c);
    return 0;  // control keys (copy, paste) are not taken through the mask
  }
  if (msg == WM_PASTE || msg == WM_CUT || msg == WM_CLEAR) return 0;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---- IpAddressEdit ---------------------------------------------------------------------

IpAddressEdit::IpAddressEdit(WinControl* parent) : WinControl(parent) { CreateStandard(WC_IPADDRESSA, WS_TABSTOP); }

std::string IpAddressEdit::Text() const {
  DWORD address = 0;
  SendMessageA(Handle(), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(FIRST_IPADDRESS(address)),
                static_cast<unsigned>(SECOND_IPADDRESS(address)), static_cast<unsigned>(THIRD_IPADDRESS(address)),
                static_cast<unsigned>(FOURTH_IPADDRESS(address)));
  return text;
}

bool IpAddressEdit::SetText(const std::string& text) {
  unsigned a, b, c, d;
  char rest;
  if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &rest) != 4) return false;
  if (a > 255 || b > 255 || c > 255 || d > 255) return false;
  SendMessageA(Handle(), IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
  return true;
}

bool IpAddressEdit::IsBlank() const { return SendMessageA(Handle(), IPM_ISBLANK, 0, 0) != 0; }

void IpAddressEdit::BoundsChanged() {
  const bool blank = IsBlank();
  const std::string address = Text();
  DestroyHandle();
  CreateStandard(WC_IPADDRESSA, WS_TABSTOP);
  if (!blank) SetText(address);
  HintChanged();
}

void IpAddressEdit::Clear() { SendMessageA(Handle(), IPM_CLEARADDRESS, 0, 0); }

// ---- ProgressBar --------------------------------------------------------------------------

ProgressBar::ProgressBar(WinControl* parent) : WinControl(parent) { CreateStandard(PROGRESS_CLASSA, PBS_SMOOTH); }

void ProgressBar::SetRange(int min, int max) { SendMessageA(Handle(), PBM_SETRANGE32, min, max); }

void ProgressBar::SetPosition(int position) { SendMessageA(Handle(), PBM_SETPOS, position, 0); }

int ProgressBar::Position() const { return static_cast<int>(SendMessageA(Handle(), PBM_GETPOS, 0, 0)); }

}  // namespace vcl
