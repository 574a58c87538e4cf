#include "app/ob_message_box_dlg.h"

namespace tvn {

TOBMessageBoxDlg::TOBMessageBoxDlg(vcl::Form* owner)
    : vcl::Form({.class_name = "TOBMessageBoxDlg",
                 .border = vcl::BorderStyle::kNone,
                 .position = vcl::Position::kScreenCenter,
                 .owner = owner,
                 .caption = "Torvane Firewall",
                 .client_width = 479,
                 .client_height = 355,
                 .color = vcl::kWhite,
                 .icon = "MAINICON"}) {
  Image1.SetBounds(1, 1, 477, 110);
  Image1.SetPicture("BANNER_MESSAGE");
  Image1.on_mouse_down = [this](vcl::MouseButton, int, int) { Image1MouseDown(); };

  ImageReduitFenetre.SetBounds(449, 6, 24, 24);
  ImageReduitFenetre.SetPicture("REDUIT_FENETRE");
  ImageReduitFenetre.SetTransparent(true);
  ImageReduitFenetre.SetCursor(IDC_HAND);
  ImageReduitFenetre.on_click = [this] { ImageReduitFenetreClick(); };

  LMessage.SetBounds(30, 135, 419, 141);
  LMessage.SetWordWrap(true);
  vcl::Font text = LMessage.GetFont();
  text.size = 9;
  LMessage.SetFont(text);

  Button1.SetBounds(200, 310, 80, 25);
  Button1.SetDefault(true);
  Button1.on_click = [this] { Button1Click(); };

  on_activate = [this] { FormActivate(); };
  Created();
}

void TOBMessageBoxDlg::FormActivate() {
  LMessage.SetCaption(MessageText);
  SetCaption(MessageCaption);
}

void TOBMessageBoxDlg::Button1Click() { Close(); }

void TOBMessageBoxDlg::ImageReduitFenetreClick() { Close(); }

void TOBMessageBoxDlg::Image1MouseDown() { DragMove(); }

}  // namespace tvn
