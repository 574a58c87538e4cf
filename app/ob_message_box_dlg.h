// The product-styled message box: a banner, a word-wrapped message and a
// close button. Created once at start-up; a caller sets MessageCaption and
// MessageText, then shows it modally.
#pragma once

#include <string>

#include "button.h"
#include "form.h"
#include "image.h"
#include "label.h"

namespace tvn {

class TOBMessageBoxDlg : public vcl::Form {
 public:
  explicit TOBMessageBoxDlg(vcl::Form* owner = nullptr);

  vcl::Image Image1{this};
  vcl::Label LMessage{this, "Voici les informations concernant ce fichier :"};
  vcl::Image ImageReduitFenetre{this};
  vcl::Button Button1{this, "&Fermer"};

  std::string MessageCaption;
  std::string MessageText;

  void FormActivate();
  void Button1Click();
  void ImageReduitFenetreClick();
  void Image1MouseDown();
};

}  // namespace tvn
