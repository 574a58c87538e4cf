// A gallery of the widget layer's controls, so that their look can be
// checked at a glance.
#include "button.h"
#include "check_box.h"
#include "edit.h"
#include "grid.h"
#include "image.h"
#include "label.h"
#include "page_control.h"
#include "panel.h"
#include "radio_group.h"
#include "scenes.h"
#include "trend_chart.h"

namespace tvn::screenshot {

namespace {

class WidgetGallery : public vcl::Form {
 public:
  explicit WidgetGallery(int page)
      : vcl::Form({.class_name = "TvnWidgetGallery",
                   .position = vcl::Position::kScreenCenter,
                   .client_width = 640,
                   .client_height = 420,
                   .color = vcl::kWhite}) {
    band_.SetBounds(0, 0, 640, 40);
    band_.SetBrushColor(vcl::kBlack);
    band_.SetPenColor(vcl::kBlack);
    title_.SetBounds(44, 10, 400, 22);
    vcl::Font font = title_.GetFont();
    font.size = 12;
    font.color = vcl::kWhite;
    title_.SetFont(font);
    logo_.SetBounds(10, 8, 24, 24);
    logo_.SetPicture("LOGO");
    logo_.SetTransparent(true);
    pages_.SetBounds(0, 40, 640, 380);
    pages_.SetTabPosition(vcl::TabPosition::kLeft, 84, 80);
    const char* glyphs[] = {"TAB_TRAFIC", "TAB_CONFIGURATION", "TAB_REGLES", "TAB_AIDE"};
    for (int i = 0; i < 4; ++i) sheets_[i].SetGlyph(glyphs[i]);
    FillControls();
    FillGrid();
    pages_.SetActivePageIndex(page);
  }

 private:
  void FillControls() {
    info_.SetBounds(12, 12, 250, 110);
    info_.SetTitle("  Informations");
    text_.SetBounds(8, 26, 234, 80);
    text_.SetWordWrap(true);
    levels_.SetBounds(280, 12, 200, 90);
    levels_.SetItems({"Strict", "Intelligent", "Faible"});
    levels_.SetItemIndex(1);
    local_.SetBounds(12, 135, 400, 18);
    local_.SetChecked(true);
    port_.SetBounds(12, 165, 60, 21);
    address_.SetBounds(90, 165, 130, 21);
    address_.SetText("192.168.1.20");
    apply_.SetBounds(240, 163, 90, 25);
    apply_.SetGlyph("ICON_START");
    apply_.SetHint("Appliquer la nouvelle configuration");
    chart_.SetBounds(12, 200, 260, 80);
    for (int v : {5, 20, 35, 80, 120, 60, 45, 30, 10, 70, 90, 100, 40, 25}) chart_.AddValue(v);
    progress_.SetBounds(290, 200, 250, 18);
    progress_.SetRange(0, 100);
    progress_.SetPosition(65);
  }

  void FillGrid() {
    grid_.SetBounds(8, 8, 540, 300);
    grid_.SetColWidths({70, 90, 115, 260});
    const char* header[] = {"Heure", "Sens", "Statut", "Application"};
    for (int c = 0; c < 4; ++c) grid_.SetCell(c, 0, header[c]);
    for (int c = 0; c < 3; ++c) grid_.SetColAlignment(c, vcl::Alignment::kCenter);
    grid_.SetRowCount(4);
    const char* rows[3][4] = {{"10:42:07", "sortant", "AUTORISE", "c:\\program files\\navigateur\\nav.exe"},
                              {"10:42:09", "entrant", "BLOQUE", "c:\\windows\\système32\\svc.exe"},
                              {"10:43:15", "e/s", "AUTORISE", "c:\\program files\\messagerie\\mél.exe"}};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c) grid_.SetCell(c, r + 1, rows[r][c]);
    grid_.SelectRow(2);
  }

  vcl::Shape band_{this};
  vcl::Image logo_{this};
  vcl::Label title_{this, "Galerie des contrôles — é è à ç ù ô"};
  vcl::PageControl pages_{this};
  vcl::TabSheet sheets_[4] = {vcl::TabSheet{&pages_, "Contrôles"}, vcl::TabSheet{&pages_, "Grille"},
                              vcl::TabSheet{&pages_, "Règles"}, vcl::TabSheet{&pages_, "Aide||Mise à jour"}};
  vcl::Panel info_{&sheets_[0]};
  vcl::Label text_{&info_, "Blocage intelligent : les applications et ports standards sont autorisés."};
  vcl::RadioGroup levels_{&sheets_[0], "Mode de blocage"};
  vcl::CheckBox local_{&sheets_[0], "Autoriser automatiquement les accès au réseau local"};
  vcl::MaskedEdit port_{&sheets_[0], "99999;1; "};
  vcl::IpAddressEdit address_{&sheets_[0]};
  vcl::Button apply_{&sheets_[0], "&Appliquer"};
  vcl::TrendChart chart_{&sheets_[0]};
  vcl::ProgressBar progress_{&sheets_[0]};
  vcl::Grid grid_{&sheets_[1]};
};

}  // namespace

void AddWidgetScenes(SceneList& scenes) {
  scenes.push_back({"WidgetGallery", [] { return std::make_unique<WidgetGallery>(0); }});
  scenes.push_back({"WidgetGalleryGrid", [] { return std::make_unique<WidgetGallery>(1); }});
}

}  // namespace tvn::screenshot
