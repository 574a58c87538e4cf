// The console: the borderless main window with its status line, the four
// pages (traffic, configuration, rules, help and update), the tray icon with
// its menu, and the program's life around them: the delayed start of the
// filter, activate/deactivate, the emergency stop, the traffic meter, the
// close to the tray and the stop from the tray.
//
//   tvn::TTVN_MAIN main(services);     // hidden; FormCreate has run
//   main.SetCaption(tvn::kMainWindowCaption);
//   vcl::Application::Instance().Run();
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "button.h"
#include "check_box.h"
#include "engine/connection_policy.h"
#include "engine/filter_session.h"
#include "engine/policy_services_impl.h"
#include "engine/traffic_meter.h"
#include "form.h"
#include "image.h"
#include "label.h"
#include "page_control.h"
#include "panel.h"
#include "popup_menu.h"
#include "rules/glmfw_rule.h"
#include "seccenter/binding/state_library_binding.h"
#include "timer.h"
#include "tray_icon.h"
#include "trend_chart.h"

namespace tvn {

class DecisionTables;
class DriverPort;

inline constexpr char kMainWindowClass[] = "TTVN_MAIN";
inline constexpr char kMainWindowCaption[] = "Torvane Firewall 2025";
// Sent by a second start of the program: show the console.
inline constexpr UINT ShowMainWindowMessage = WM_USER + 10;  // 1034
// Posted by a driver thread: arm the prompt timer on the GUI thread.
inline constexpr UINT ArmPromptTimerMessage = WM_USER + 11;

// Texts of the status display.
inline constexpr char kStatusActive[] = "Torvane Firewall est ACTIF et protège votre ordinateur";
inline constexpr char kStatusInactive[] = "Torvane Firewall est DESACTIVE et ne protège pas votre ordinateur";
inline constexpr char kHintEmergencyEngage[] = "Stopper tout le trafic : couper toutes les communications";
inline constexpr char kHintEmergencyRelease[] = "Remettre le pare-feu en mode normal (mettre fin à l'arrêt d'urgence)";

// Indices of the tray menu's items.
enum TrayItem { kTrayOpen, kTrayN1, kTrayToggle, kTrayClose, kTrayN3, kTrayHelp, kTrayN2, kTrayAbout };

// What the console reaches outside the windows; production fills it in the
// entry point, a test with fakes.
struct MainWindowServices {
  DecisionTables* Tables = nullptr;
  DriverPort* Driver = nullptr;
  const StateLibraryBinding* StateLibrary = nullptr;
  // Makes the rule and settings store (the fixed registry paths in the firewall).
  std::function<std::unique_ptr<TGLMFWRule>()> MakeStore;
  // The cloud's opinion of unknown programs; null trusts nothing.
  CloudTrust* Cloud = nullptr;
  // Milliseconds since system start (GetTickCount).
  std::function<uint32_t()> TickCount;
  // The stop from the tray: ends the program with code 0, the windows
  // destroyed and the Security Center library released.
  std::function<void()> EndProcess;
  // TimerQuit: ends the own process at once, no clean-up.
  std::function<void()> KillOwnProcess;
};

// The entry point's production services over the process-wide tables.
MainWindowServices SystemMainWindowServices(DriverPort& driver, const StateLibraryBinding& binding, CloudTrust* cloud);

class TTVN_MAIN : public vcl::Form {
 public:
  explicit TTVN_MAIN(MainWindowServices services);
  ~TTVN_MAIN() override;

  // Title band.
  vcl::Shape Shape4{this};
  vcl::Label Label1{this, "Parefeu : Torvane Firewall 2025"};
  vcl::Image Image12{this};
  vcl::Image ImageReduitFenetre{this};
  // Status panel.
  vcl::Panel PanelStatus{this};
  vcl::Label StatusLabel{&PanelStatus, "Torvane Firewall est ACTIF et protège votre ordinateur."};
  vcl::Button buttonActiveDesactive{&PanelStatus, "&Désactiver"};
  vcl::Image ImageIconStop{this};
  vcl::Image ImageIconStart{this};
  vcl::Image ImageBoutonArret{this};
  vcl::Image ImageBoutonRedemarrage{this};

  vcl::PageControl xpPageControl1{this};
  vcl::TabSheet xpTabSheet1{&xpPageControl1, "Trafic"};
  vcl::TabSheet xpTabSheet2{&xpPageControl1, "Configuration"};
  vcl::TabSheet xpTabSheet3{&xpPageControl1, "Règles"};
  vcl::TabSheet xpTabSheet4{&xpPageControl1, "Aide||Mise à jour"};

  // "Trafic": the meter, the emergency stop and the monitoring links.
  vcl::Label LabelTraficReseau{&xpTabSheet1, "Trafic réseau"};
  vcl::Label LabelTraficEntrant{&xpTabSheet1, "Trafic entrant"};
  vcl::TrendChart barTraficIn{&xpTabSheet1};
  vcl::Label LabelOctetsIn{&xpTabSheet1};
  vcl::Label LabelTraficSortant{&xpTabSheet1, "Trafic sortant"};
  vcl::TrendChart barTraficOut{&xpTabSheet1};
  vcl::Label LabelOctetsOut{&xpTabSheet1};
  vcl::Image ButtonArretUrgence{&xpTabSheet1};
  vcl::Label LabelArretUrgenceActive{&xpTabSheet1, "ARRET D'URGENCE ACTIVE : tout le trafic est bloqué"};
  vcl::Label LabelMonitoring{&xpTabSheet1, "Monitoring"};
  vcl::Image ImageMonitoringReseau{&xpTabSheet1};
  vcl::Label Label24{&xpTabSheet1, "Monitoring réseau"};
  vcl::Label Label25{&xpTabSheet1, "Afficher la liste des communications réseaux en temps réel"};
  vcl::Image ImageMonitoringProgrammes{&xpTabSheet1};
  vcl::Label Label28{&xpTabSheet1, "Monitoring programmes"};
  vcl::Label Label29{&xpTabSheet1, "Afficher la liste des programmes qui ont échangés des données sur le réseau"};
  vcl::Image ImagePortsEnCours{&xpTabSheet1};
  vcl::Label Label32{&xpTabSheet1, "Ports en cours d'utilisation"};
  vcl::Label Label33{&xpTabSheet1, "Afficher la liste des ports en cours d'utilisation "};
  vcl::Image Image17{&xpTabSheet1};
  vcl::Label Label_HistoriqueAttaques{&xpTabSheet1, "Journal des alertes"};
  vcl::Label Label35{&xpTabSheet1, "Afficher la liste des alertes et des évènements."};

  // "Configuration": the options FormCreate sets; the page's logic lands
  // with the configuration page.
  vcl::CheckBox CheckBoxReseauLocal{&xpTabSheet2, "Autoriser automatiquement les accès au réseau local"};
  vcl::CheckBox CheckAutoriseConnusLegitimes{&xpTabSheet2,
                                             "Autoriser automatiquement les programmes connus de confiance"};
  vcl::CheckBox checkDoNotMonitorAllowedPrograms{
      &xpTabSheet2, "Ne pas surveiller du tout les programmes autorisés (performances maximales)"};
  vcl::Button buttonAppliquerConfiguration{&xpTabSheet2, "&Appliquer"};

  // "Règles": the rule grids land with the rules pages.
  vcl::Label LabelReglesIP{&xpTabSheet3, "Règles sur adresse IP"};
  vcl::Label LabelReglesApp{&xpTabSheet3, "Règles sur applications"};

  // "Aide||Mise à jour".
  vcl::Label LabelAideDocumentation{&xpTabSheet4, "Aide et documentation"};
  vcl::Image Image1{&xpTabSheet4};
  vcl::Label linkAbout{&xpTabSheet4, "A propos de Torvane ..."};
  vcl::Image Image2{&xpTabSheet4};
  vcl::Label Link_Decouvrir{&xpTabSheet4, "Découvrir Torvane..."};
  vcl::Image Image3{&xpTabSheet4};
  vcl::Label Link_ToutCeQuilFautSavoir{&xpTabSheet4, "Tout ce qu'il faut savoir sur un firewall"};
  vcl::Label LabelMiseAJourTitre{&xpTabSheet4, "Mise à jour"};
  vcl::Image Image4{&xpTabSheet4};
  vcl::Label Label_MiseAJour{&xpTabSheet4, "Rechercher mise à jour ..."};

  vcl::TrayIcon CoolTray2;
  vcl::PopupMenu Popup_Tray;

  vcl::Timer TimerStartDriver{3000, false};
  vcl::Timer Timer1{1000, false};
  vcl::Timer TimerNewProcessNotify{500, false};
  vcl::Timer TimerQuit{500, false};

  bool FilterSessionOpen = false;
  bool ConfigUpdateGuard = false;
  bool UpdateInProgress = false;

  // Events and operations, named as the window's design names them.
  void FormCreate();
  void FormDestroy();
  void FormShow();
  void FormHide();
  void FormCloseQuery(bool& can_close);
  void GLMFW_InitActionExecute();
  void StartFirewall();
  void ToggleFirewall();
  void ShowActiveDisplay() { ShowDisplay(true); }
  void ShowInactiveDisplay() { ShowDisplay(false); }
  void TimerStartDriverTimer();
  void buttonActiveDesactiveClick() { ToggleFirewall(); }
  void Dsactiverlefirewall1Click() { ToggleFirewall(); }
  void ButtonArretUrgenceClick();
  void Timer1Timer();
  void TimerQuitTimer();
  void Tray_OpenClick() { CoolTray2DblClick(); }
  void CoolTray2DblClick();
  void CoolTray2Startup(bool& show_main_form) { show_main_form = false; }
  void Tray_CloseClick();
  void mnuTrayAboutClick() { ShowAboutBox(); }
  void linkAboutClick() { ShowAboutBox(); }
  void Link_DecouvrirClick();
  void Link_ToutCeQuilFautSavoirClick();
  void ImageReduitFenetreClick() { Close(); }
  void TitleBandMouseDown() { DragMove(); }
  void PlaceAtBottomRight();

  // The rule and settings store this window owns for the whole run.
  TGLMFWRule& Store() { return *store_; }
  FilterSession& Session() { return *session_; }
  // Which hidden image's picture each glyph shows now.
  const vcl::Image* ActiveDesactiveGlyph() const { return active_desactive_glyph_; }
  const vcl::Image* ArretUrgenceGlyph() const { return arret_urgence_glyph_; }

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void BuildFrame();
  void BuildTrafficPage();
  void BuildConfigurationPage();
  void BuildHelpPage();
  void BuildTray();
  void MakeLink(vcl::Label& link, vcl::Image& image, const char* picture, int left, int top,
                std::function<void()> action);
  void MakeEngine();
  // The status line's, the button's and the tray item's texts.
  void ShowStatusTexts(bool active);
  // Those texts with the glyph and the status line's colour.
  void ShowDisplay(bool active);
  // Meter stopped, session closed, inactive display and report.
  void StopFiltering();
  void SetActiveDesactiveGlyph(const vcl::Image& source);
  void SetArretUrgenceGlyph(const vcl::Image& source);
  void ShowEmergencyLabel(bool visible);
  void ShowAboutBox();
  void ReportState(bool active);

  MainWindowServices services_;
  std::unique_ptr<TGLMFWRule> store_;
  std::unique_ptr<AppRuleCacheStore> app_rules_;
  std::unique_ptr<ConnectionPolicy> policy_;
  std::unique_ptr<FilterSession> session_;
  TrafficStats traffic_stats_;
  const vcl::Image* active_desactive_glyph_ = nullptr;
  const vcl::Image* arret_urgence_glyph_ = nullptr;
};

// The user's decimal separator from the regional settings ('.' when unread).
char UserDecimalSeparator();
// FormatByteCount with the user's decimal separator.
std::string FormatByteCountForUser(uint32_t bytes);

}  // namespace tvn
