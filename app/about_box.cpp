#include "app/about_box.h"

#include "support/system_helpers.h"

namespace tvn {

TAboutBox::TAboutBox(vcl::Form* owner)
    : vcl::Form({.class_name = "TAboutBox",
                 .border = vcl::BorderStyle::kSingle,
                 .border_icons = false,
                 .position = vcl::Position::kScreenCenter,
                 .owner = owner,
                 .caption = "A propos de Torvane Firewall",
                 .client_width = 507,
                 .client_height = 307,
                 .color = vcl::kWhite,
                 .icon = "MAINICON"}) {
  Image1.SetBounds(3, 3, 500, 260);
  Image1.SetPicture("ABOUT_PICTURE");

  VersionNum.SetBounds(24, 228, 300, 18);
  vcl::Font version = VersionNum.GetFont();
  version.bold = true;
  version.color = vcl::kWhite;
  version.size = 9;
  VersionNum.SetFont(version);

  Label1.SetBounds(12, 278, 250, 16);
  vcl::Font link = Label1.GetFont();
  link.bold = true;
  link.underline = true;
  link.color = vcl::kNavy;
  Label1.SetFont(link);
  link.color = vcl::kBlue;
  Label1.SetLinkStyle(link);
  Label1.on_click = [this] { Label1Click(); };

  buttonOK.SetBounds(420, 273, 75, 25);
  buttonOK.SetDefault(true);
  buttonOK.on_click = [this] { OKButtonClick(); };

  open_web_page = [](const std::string& url) { ShellOpen(url, "", "", SW_SHOWNORMAL); };
  on_create = [this] { FormCreate(); };
  Created();
}

void TAboutBox::FormCreate() { VersionNum.SetCaption(kVersionText); }

void TAboutBox::Label1Click() { open_web_page(kProductWebPage); }

void TAboutBox::OKButtonClick() { SetModalResult(vcl::kMrOk); }

}  // namespace tvn
