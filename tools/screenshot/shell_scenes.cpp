// The shell's shared windows: the about box and the product message box.
#include "app/about_box.h"
#include "app/ob_message_box_dlg.h"
#include "scenes.h"

namespace tvn::screenshot {

void AddShellScenes(SceneList& scenes) {
  scenes.push_back({"TAboutBox", [] { return std::make_unique<TAboutBox>(); }});
  scenes.push_back({"TOBMessageBoxDlg", [] {
                      auto dialog = std::make_unique<TOBMessageBoxDlg>();
                      dialog->MessageCaption = "Torvane : mise à jour";
                      dialog->MessageText =
                          "Une nouvelle version de Torvane Firewall est disponible (12.0.1).\n\n"
                          "Le téléchargement a réussi : le programme va être mis à jour et redémarré. "
                          "Vos règles, vos réglages et le journal des alertes sont conservés.";
                      return dialog;
                    }});
}

}  // namespace tvn::screenshot
