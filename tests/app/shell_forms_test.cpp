// The about box and the product message box on real windows.
#include <gtest/gtest.h>

#include "app/about_box.h"
#include "app/ob_message_box_dlg.h"
#include "application.h"
#include "timer.h"

namespace tvn {
namespace {

// Shows a form modally and runs an action from inside its loop.
int ShowModalAndThen(vcl::Form& form, std::function<void()> action) {
  vcl::Timer timer(30);
  timer.on_timer = [&] {
    timer.SetEnabled(false);
    action();
  };
  return form.ShowModal();
}

TEST(TAboutBox, FrameVersionAndLink) {
  TAboutBox box;
  EXPECT_EQ(box.Caption(), "A propos de Torvane Firewall");
  EXPECT_EQ(box.ClientWidth(), 507);
  EXPECT_EQ(box.ClientHeight(), 307);
  const LONG style = GetWindowLongA(box.Handle(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & WS_SYSMENU, 0);  // no border icons
  EXPECT_EQ(box.VersionNum.Caption(), "Version 12.0.0 du 26/04/2024");
  EXPECT_NE(box.Image1.Picture(), nullptr);

  std::vector<std::string> opened;
  box.open_web_page = [&](const std::string& url) { opened.push_back(url); };
  box.Label1.Click();
  EXPECT_EQ(opened, (std::vector<std::string>{kProductWebPage}));
}

TEST(TAboutBox, OkClosesTheModalBox) {
  TAboutBox box;
  EXPECT_EQ(ShowModalAndThen(box, [&] { box.buttonOK.Click(); }), vcl::kMrOk);
  EXPECT_FALSE(box.Visible());
}

TEST(TOBMessageBoxDlg, ShowsTheCallersCaptionAndText) {
  TOBMessageBoxDlg dialog;
  EXPECT_EQ(dialog.ClientWidth(), 479);
  EXPECT_EQ(dialog.ClientHeight(), 355);
  EXPECT_EQ(GetWindowLongA(dialog.Handle(), GWL_STYLE) & WS_CAPTION, 0);  // borderless
  EXPECT_EQ(dialog.LMessage.Caption(), "Voici les informations concernant ce fichier :");

  dialog.MessageCaption = "Torvane : mise \xE0 jour";
  dialog.MessageText = "Une nouvelle version est disponible.";
  std::string caption_seen, text_seen;
  ShowModalAndThen(dialog, [&] {
    caption_seen = dialog.Caption();
    text_seen = dialog.LMessage.Caption();
    dialog.Button1.Click();
  });
  EXPECT_EQ(caption_seen, "Torvane : mise \xE0 jour");
  EXPECT_EQ(text_seen, "Une nouvelle version est disponible.");
  EXPECT_FALSE(dialog.Visible());

  // Reused with another message; the close image closes it too.
  dialog.MessageText = "Aucune mise \xE0 jour.";
  ShowModalAndThen(dialog, [&] {
    text_seen = dialog.LMessage.Caption();
    dialog.ImageReduitFenetre.Click();
  });
  EXPECT_EQ(text_seen, "Aucune mise \xE0 jour.");
  EXPECT_FALSE(dialog.Visible());
}

}  // namespace
}  // namespace tvn
