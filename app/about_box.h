// "A propos de Torvane Firewall": the product picture with the version, the
// product's web address and an OK button. Created for each showing.
#pragma once

#include <functional>
#include <string>

#include "button.h"
#include "form.h"
#include "image.h"
#include "label.h"

namespace tvn {

inline constexpr char kVersionText[] = "Version 12.0.0 du 26/04/2024";
inline constexpr char kProductWebAddress[] = "www.torvane.example";
inline constexpr char kProductWebPage[] = "https://www.torvane.example/";

class TAboutBox : public vcl::Form {
 public:
  explicit TAboutBox(vcl::Form* owner = nullptr);

  vcl::Image Image1{this};
  vcl::Label VersionNum{this, "Version"};
  vcl::Label Label1{this, kProductWebAddress};
  vcl::Button buttonOK{this, "&OK"};

  void FormCreate();
  void Label1Click();
  void OKButtonClick();

  // Opens a web page; the shell's "open" by default, a test's own otherwise.
  std::function<void(const std::string& url)> open_web_page;
};

}  // namespace tvn
