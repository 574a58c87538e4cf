#include "app/ttvn_main.h"

#include "app/about_box.h"
#include "app/byte_count.h"
#include "app/help.h"
#include "application.h"
#include "engine/decision_tables.h"
#include "engine/emergency_stop.h"
#include "engine/local_time.h"
#include "support/system_helpers.h"
#include "system_ui.h"

namespace tvn {

namespace {

constexpr int kWidth = 591;
constexpr int kHeight = 530;
constexpr int kBandHeight = 57;
constexpr int kStatusHeight = 44;
constexpr int kTabWidth = 84;
constexpr int kTabHeight = 80;

constexpr char kStopCaption[] = "Torvane Firewall : confirmation";
constexpr char kStopQuestion[] =
    "Etes-vous sûr de vouloir arrêter et fermer Torvane firewall ?\r"
    "En arrêtant Torvane vous arrêtez votre protection firewall";
constexpr char kDriverErrorCaption[] = "Torvane Firewall : erreur driver";
constexpr char kDriverErrorText[] = "Impossible d'activer le driver de Torvane Firewall.";

vcl::Font Styled(vcl::Font font, int size, bool bold, vcl::Color color, bool underline = false) {
  font.size = size;
  font.bold = bold;
  font.color = color;
  font.underline = underline;
  return font;
}

// A copy of a hidden image's picture: an image frees the picture it holds.
HBITMAP CopyPicture(const vcl::Image& source) {
  return static_cast<HBITMAP>(CopyImage(source.Picture(), IMAGE_BITMAP, 0, 0, 0));
}

void HiddenPicture(vcl::Image& image, const char* resource, int size) {
  image.SetPicture(resource);
  image.SetBounds(0, 0, size, size);
  image.SetVisible(false);
}

}  // namespace

char UserDecimalSeparator() {
  char separator[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) < 2) return '.';
  return separator[0];
}

std::string FormatByteCountForUser(uint32_t bytes) { return FormatByteCount(bytes, UserDecimalSeparator()); }

MainWindowServices SystemMainWindowServices(DriverPort& driver, const StateLibraryBinding& binding, CloudTrust* cloud) {
  MainWindowServices services;
  services.Tables = &Tables();
  services.Driver = &driver;
  services.StateLibrary = &binding;
  services.MakeStore = [] { return std::make_unique<TGLMFWRule>(); };
  services.Cloud = cloud;
  services.TickCount = [] { return static_cast<uint32_t>(GetTickCount()); };
  services.EndProcess = [] { vcl::Application::Instance().Terminate(); };
  services.KillOwnProcess = [] { KillProcessById(GetCurrentProcessId()); };
  return services;
}

TTVN_MAIN::TTVN_MAIN(MainWindowServices services)
    : vcl::Form({.class_name = kMainWindowClass, .border = vcl::BorderStyle::kNone}), services_(std::move(services)) {
  BuildFrame();
  BuildTrafficPage();
  BuildConfigurationPage();
  BuildHelpPage();
  BuildTray();

  TimerStartDriver.on_timer = [this] { TimerStartDriverTimer(); };
  Timer1.on_timer = [this] { Timer1Timer(); };
  TimerQuit.on_timer = [this] { TimerQuitTimer(); };

  on_create = [this] { FormCreate(); };
  on_destroy = [this] { FormDestroy(); };
  on_show = [this] { FormShow(); };
  on_hide = [this] { FormHide(); };
  on_close_query = [this](bool& can_close) { FormCloseQuery(can_close); };
  on_help = [](WORD command, ULONG_PTR data, bool& call_help) { return FormHelp(command, data, call_help); };
  Created();
}

TTVN_MAIN::~TTVN_MAIN() { Destroying(); }

void TTVN_MAIN::BuildFrame() {
  SetClientSize(kWidth, kHeight);
  SetColor(vcl::kWhite);
  SetIcon("MAINICON");

  Shape4.SetBounds(0, 0, kWidth, kBandHeight);
  Shape4.SetBrushColor(vcl::kBlack);
  Shape4.SetPenColor(vcl::kBlack);
  Shape4.on_mouse_down = [this](vcl::MouseButton, int, int) { TitleBandMouseDown(); };
  Image12.SetBounds(12, 16, 24, 24);
  Image12.SetPicture("LOGO");
  Image12.SetTransparent(true);
  Label1.SetBounds(46, 19, 400, 19);
  Label1.SetFont(Styled(Label1.GetFont(), 11, true, vcl::kWhite));
  Label1.on_mouse_down = [this](vcl::MouseButton, int, int) { TitleBandMouseDown(); };
  ImageReduitFenetre.SetBounds(kWidth - 34, 16, 24, 24);
  ImageReduitFenetre.SetPicture("REDUIT_FENETRE");
  ImageReduitFenetre.SetTransparent(true);
  ImageReduitFenetre.SetHint("Réduire en icône Torvane Firewall");
  ImageReduitFenetre.SetCursor(IDC_HAND);
  ImageReduitFenetre.on_click = [this] { ImageReduitFenetreClick(); };

  PanelStatus.SetBounds(0, kBandHeight, kWidth, kStatusHeight);
  PanelStatus.SetColor(vcl::kWhite);
  StatusLabel.SetBounds(12, 14, 452, 18);
  StatusLabel.SetFont(Styled(StatusLabel.GetFont(), 8, true, vcl::kBlack));
  buttonActiveDesactive.SetBounds(470, 8, 108, 28);
  buttonActiveDesactive.on_click = [this] { buttonActiveDesactiveClick(); };

  HiddenPicture(ImageIconStop, "ICON_STOP", 16);
  HiddenPicture(ImageIconStart, "ICON_START", 16);
  HiddenPicture(ImageBoutonArret, "BOUTON_ARRET", 48);
  HiddenPicture(ImageBoutonRedemarrage, "BOUTON_REDEMARRAGE", 48);
  SetActiveDesactiveGlyph(ImageIconStop);

  xpPageControl1.SetBounds(0, kBandHeight + kStatusHeight, kWidth, kHeight - kBandHeight - kStatusHeight);
  xpPageControl1.SetTabPosition(vcl::TabPosition::kLeft, kTabWidth, kTabHeight);
  xpTabSheet1.SetGlyph("TAB_TRAFIC");
  xpTabSheet2.SetGlyph("TAB_CONFIGURATION");
  xpTabSheet3.SetGlyph("TAB_REGLES");
  xpTabSheet4.SetGlyph("TAB_AIDE");
  for (vcl::TabSheet* sheet : {&xpTabSheet1, &xpTabSheet2, &xpTabSheet3, &xpTabSheet4}) sheet->SetColor(vcl::kWhite);
}

void TTVN_MAIN::MakeLink(vcl::Label& link, vcl::Image& image, const char* picture, int left, int top,
                         std::function<void()> action) {
  image.SetBounds(left, top, 32, 32);
  image.SetPicture(picture);
  image.SetTransparent(true);
  image.SetCursor(IDC_HAND);
  image.on_click = action;
  link.SetBounds(left + 42, top, 300, 16);
  link.SetFont(Styled(link.GetFont(), 9, true, vcl::kNavy));
  link.SetLinkStyle(Styled(link.GetFont(), 9, true, vcl::kBlue, true));
  link.on_click = std::move(action);
}

void TTVN_MAIN::BuildTrafficPage() {
  const vcl::Font plain = LabelTraficReseau.GetFont();
  LabelTraficReseau.SetBounds(16, 10, 300, 18);
  LabelTraficReseau.SetFont(Styled(plain, 10, true, vcl::kBlack));

  LabelTraficEntrant.SetBounds(16, 36, 150, 16);
  barTraficIn.SetBounds(16, 54, 150, 60);
  LabelOctetsIn.SetBounds(16, 116, 150, 16);
  LabelTraficSortant.SetBounds(180, 36, 150, 16);
  barTraficOut.SetBounds(180, 54, 150, 60);
  LabelOctetsOut.SetBounds(180, 116, 150, 16);
  for (vcl::Label* label : {&LabelTraficEntrant, &LabelTraficSortant, &LabelOctetsIn, &LabelOctetsOut})
    label->SetFont(Styled(plain, 8, true, vcl::kBlack));

  ButtonArretUrgence.SetBounds(372, 46, 48, 48);
  ButtonArretUrgence.SetTransparent(true);
  ButtonArretUrgence.SetCursor(IDC_HAND);
  ButtonArretUrgence.on_click = [this] { ButtonArretUrgenceClick(); };
  SetArretUrgenceGlyph(ImageBoutonArret);
  LabelArretUrgenceActive.SetBounds(16, 140, 480, 16);
  LabelArretUrgenceActive.SetFont(Styled(plain, 9, true, vcl::kRed));
  LabelArretUrgenceActive.SetVisible(false);

  LabelMonitoring.SetBounds(16, 172, 300, 18);
  LabelMonitoring.SetFont(Styled(plain, 10, true, vcl::kBlack));
  // The monitoring windows come with their own views; until then the links
  // are shown and do nothing.
  struct Entry {
    vcl::Label& link;
    vcl::Label& under;
    vcl::Image& image;
    const char* picture;
  };
  const Entry entries[] = {{Label24, Label25, ImageMonitoringReseau, "LINK_MONITORING_RESEAU"},
                           {Label28, Label29, ImageMonitoringProgrammes, "LINK_MONITORING_PROGRAMMES"},
                           {Label32, Label33, ImagePortsEnCours, "LINK_PORTS"},
                           {Label_HistoriqueAttaques, Label35, Image17, "LINK_JOURNAL"}};
  int top = 200;
  for (const Entry& entry : entries) {
    MakeLink(entry.link, entry.image, entry.picture, 16, top, nullptr);
    entry.under.SetBounds(58, top + 17, 440, 28);
    entry.under.SetWordWrap(true);
    entry.under.SetFont(Styled(plain, 8, false, vcl::kGray));
    top += 48;
  }
}

void TTVN_MAIN::BuildConfigurationPage() {
  CheckBoxReseauLocal.SetBounds(16, 150, 470, 20);
  CheckAutoriseConnusLegitimes.SetBounds(16, 176, 470, 20);
  checkDoNotMonitorAllowedPrograms.SetBounds(16, 202, 470, 20);
  buttonAppliquerConfiguration.SetBounds(400, 370, 90, 26);
  buttonAppliquerConfiguration.SetHint("Appliquer la nouvelle configuration");
  const vcl::Font heading = Styled(LabelReglesIP.GetFont(), 10, true, vcl::kBlack);
  LabelReglesIP.SetBounds(16, 10, 300, 18);
  LabelReglesIP.SetFont(heading);
  LabelReglesApp.SetBounds(16, 200, 300, 18);
  LabelReglesApp.SetFont(heading);
}

void TTVN_MAIN::BuildHelpPage() {
  const vcl::Font heading = Styled(LabelAideDocumentation.GetFont(), 10, true, vcl::kBlack);
  LabelAideDocumentation.SetBounds(16, 10, 300, 18);
  LabelAideDocumentation.SetFont(heading);
  MakeLink(linkAbout, Image1, "LINK_ABOUT", 16, 40, [this] { linkAboutClick(); });
  MakeLink(Link_Decouvrir, Image2, "LINK_DECOUVRIR", 16, 84, [this] { Link_DecouvrirClick(); });
  MakeLink(Link_ToutCeQuilFautSavoir, Image3, "LINK_FIREWALL", 16, 128, [this] { Link_ToutCeQuilFautSavoirClick(); });
  LabelMiseAJourTitre.SetBounds(16, 190, 300, 18);
  LabelMiseAJourTitre.SetFont(heading);
  // The update check lands with the update dialogs.
  MakeLink(Label_MiseAJour, Image4, "LINK_MISE_A_JOUR", 16, 220, nullptr);
}

void TTVN_MAIN::BuildTray() {
  Popup_Tray.Add("Afficher &console", [this] { Tray_OpenClick(); });
  Popup_Tray.AddSeparator();
  Popup_Tray.Add("&Désactiver le firewall", [this] { Dsactiverlefirewall1Click(); });
  Popup_Tray.Add("Arrêter et &fermer le firewall", [this] { Tray_CloseClick(); });
  Popup_Tray.AddSeparator();
  Popup_Tray.Add("A&ide");
  Popup_Tray.AddSeparator();
  Popup_Tray.Add("A &propos de Torvane", [this] { mnuTrayAboutClick(); });
  CoolTray2.SetIcon("MAINICON");
  CoolTray2.SetHint("Torvane Firewall");
  CoolTray2.SetPopupMenu(&Popup_Tray);
  CoolTray2.on_dbl_click = [this] { CoolTray2DblClick(); };
  CoolTray2.minimize_to_tray = true;
  bool show_main_form = true;
  CoolTray2Startup(show_main_form);
  CoolTray2.SetVisible(true);
}

void TTVN_MAIN::MakeEngine() {
  app_rules_ = std::make_unique<AppRuleCacheStore>(store_->AppRules());
  PolicyEnvironment environment;
  environment.Rules = app_rules_.get();
  environment.Cloud = services_.Cloud;
  HWND window = Handle();
  // The only hand-off from a driver thread: a posted request.
  environment.RequestPromptTimer = [window] { PostMessageA(window, ArmPromptTimerMessage, 0, 0); };
  environment.LongTime = LocalLongTime;
  environment.OwnProcessId = GetCurrentProcessId();
  policy_ = std::make_unique<ConnectionPolicy>(*services_.Tables, *services_.Driver, std::move(environment));
  session_ = std::make_unique<FilterSession>(*services_.Tables, *services_.Driver, *policy_);
  services_.Tables->SetDriver(services_.Driver);
}

void TTVN_MAIN::FormCreate() {
  FilterSessionOpen = false;
  for (vcl::Timer* timer : {&TimerQuit, &Timer1, &TimerNewProcessNotify, &TimerStartDriver}) timer->SetEnabled(false);

  DecisionTables& tables = *services_.Tables;
  tables.ResetAll();  // the flags and every table, as at start
  LabelArretUrgenceActive.SetVisible(false);
  ConfigUpdateGuard = false;
  UpdateInProgress = false;

  store_ = services_.MakeStore();
  MakeEngine();

  tables.Settings.BlockingLevel = store_->ReadBlockingLevel();
  tables.Settings.AutoAllowLocal = store_->ReadAutoAllowLocal();
  tables.Settings.AllowKnownPrograms = store_->ReadAllowKnownPrograms();
  tables.Settings.DoNotMonitorAllowed = store_->ReadDoNotMonitorAllowed();
  CheckBoxReseauLocal.SetChecked(tables.Settings.AutoAllowLocal);
  CheckAutoriseConnusLegitimes.SetChecked(tables.Settings.AllowKnownPrograms);
  checkDoNotMonitorAllowedPrograms.SetChecked(tables.Settings.DoNotMonitorAllowed);

  xpPageControl1.SetActivePageIndex(0);
  xpPageControl1.SetFocus();
  buttonAppliquerConfiguration.SetEnabled(false);
  LabelOctetsIn.SetCaption("");
  LabelOctetsOut.SetCaption("");

  // ShowMainWindowMessage is answered by WindowProc below.
  PlaceAtBottomRight();
  TimerStartDriver.SetEnabled(true);
  GLMFW_InitActionExecute();
}

void TTVN_MAIN::FormDestroy() { Help().CloseAll(); }

void TTVN_MAIN::PlaceAtBottomRight() {
  MoveTo(GetSystemMetrics(SM_CXFULLSCREEN) - kWidth,
         GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - kHeight);
}

void TTVN_MAIN::GLMFW_InitActionExecute() {
  StatusLabel.SetCaption(kStatusActive);
  buttonActiveDesactive.SetCaption("&Désactiver");
  ReportState(true);
}

void TTVN_MAIN::ReportState(bool active) { ReportFirewallState(*services_.StateLibrary, active); }

void TTVN_MAIN::StartFirewall() {
  FilterSessionOpen = false;
  if (session_->OpenFilterSession()) {
    FilterSessionOpen = true;
    ShowStatusTexts(true);
    ReportState(true);
    return;
  }
  // Colour and glyph stay as they were: only the texts change here.
  ShowStatusTexts(false);
  ReportState(false);
  vcl::Ui().ShowMessageBox(Visible() ? Handle() : nullptr, kDriverErrorText, kDriverErrorCaption, MB_OK | MB_ICONERROR);
}

void TTVN_MAIN::ShowStatusTexts(bool active) {
  StatusLabel.SetCaption(active ? kStatusActive : kStatusInactive);
  buttonActiveDesactive.SetCaption(active ? "&Désactiver" : "&Activer");
  Popup_Tray.At(kTrayToggle).caption = active ? "&Désactiver le firewall" : "&Activer le firewall";
}

void TTVN_MAIN::ShowDisplay(bool active) {
  SetActiveDesactiveGlyph(active ? ImageIconStop : ImageIconStart);
  StatusLabel.SetFont(Styled(StatusLabel.GetFont(), 8, true, active ? vcl::kBlack : vcl::kRed));
  ShowStatusTexts(active);
}

void TTVN_MAIN::TimerStartDriverTimer() {
  TimerStartDriver.SetEnabled(false);
  StartFirewall();
}

void TTVN_MAIN::ToggleFirewall() {
  if (FilterSessionOpen) {
    vcl::HourglassCursor hourglass;
    StopFiltering();
    services_.Tables->EmergencyStop = false;
    ShowEmergencyLabel(false);
    SetArretUrgenceGlyph(ImageBoutonArret);
    ButtonArretUrgence.SetHint(kHintEmergencyEngage);
    return;
  }
  StartFirewall();
  if (FilterSessionOpen) {
    ShowActiveDisplay();
    ReportState(true);
    Timer1.SetEnabled(true);
    return;
  }
  StopFiltering();
}

void TTVN_MAIN::StopFiltering() {
  Timer1.SetEnabled(false);
  session_->CloseFilterSession();
  FilterSessionOpen = false;
  ShowInactiveDisplay();
  ReportState(false);
}

void TTVN_MAIN::ShowEmergencyLabel(bool visible) {
  LabelArretUrgenceActive.SetVisible(visible);
  LabelArretUrgenceActive.Invalidate();
  UpdateWindow(xpTabSheet1.Handle());
}

void TTVN_MAIN::ButtonArretUrgenceClick() {
  // Without a session there is no traffic to cut and none to restore: acting
  // would add a rule to nothing, and a release would open a session while
  // the status line reads inactive.
  if (!FilterSessionOpen) return;
  DecisionTables& tables = *services_.Tables;
  const bool engage = !tables.EmergencyStop;
  ShowEmergencyLabel(engage);
  SetArretUrgenceGlyph(engage ? ImageBoutonRedemarrage : ImageBoutonArret);
  ButtonArretUrgence.SetHint(engage ? kHintEmergencyRelease : kHintEmergencyEngage);
  // The change is on screen before the traffic stops.
  vcl::Application::Instance().ProcessMessages();
  if (engage)
    EngageEmergencyStop(tables, *services_.Driver);
  else
    ReleaseEmergencyStop(tables, *services_.Driver, *session_);
}

void TTVN_MAIN::Timer1Timer() {
  Timer1.SetEnabled(false);
  std::optional<MeterSample> sample;
  if (ReadTrafficTotals(*services_.Driver, services_.Tables->FlowControlHandle, services_.TickCount(), traffic_stats_,
                        sample)) {
    if (sample) {
      barTraficIn.AddValue(sample->In);
      barTraficOut.AddValue(sample->Out);
    }
    LabelOctetsIn.SetCaption(FormatByteCountForUser(traffic_stats_.InboundLabelBytes()));
    LabelOctetsOut.SetCaption(FormatByteCountForUser(traffic_stats_.OutboundLabelBytes()));
  }
  Timer1.SetEnabled(true);
}

void TTVN_MAIN::TimerQuitTimer() {
  TimerQuit.SetEnabled(false);
  services_.KillOwnProcess();
}

void TTVN_MAIN::CoolTray2DblClick() {
  CoolTray2.minimize_to_tray = false;
  Show();
  SetForegroundWindow(Handle());
}

void TTVN_MAIN::FormShow() { Timer1.SetEnabled(true); }

void TTVN_MAIN::FormHide() {
  Timer1.SetEnabled(false);
  barTraficIn.Clear();
  barTraficOut.Clear();
}

void TTVN_MAIN::FormCloseQuery(bool& can_close) {
  if (CoolTray2.minimize_to_tray) {
    can_close = true;
    return;
  }
  can_close = false;
  CoolTray2.minimize_to_tray = true;
  Hide();
}

void TTVN_MAIN::Tray_CloseClick() {
  if (vcl::Ui().ShowMessageBox(Visible() ? Handle() : nullptr, kStopQuestion, kStopCaption,
                               MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  {
    vcl::HourglassCursor hourglass;
    StopFiltering();
  }
  services_.EndProcess();
}

void TTVN_MAIN::ShowAboutBox() {
  TAboutBox box(this);
  box.ShowModal();
}

void TTVN_MAIN::Link_DecouvrirClick() { vcl::Application::Instance().HelpContext(kHelpDecouvrirTorvane); }

void TTVN_MAIN::Link_ToutCeQuilFautSavoirClick() { vcl::Application::Instance().HelpContext(kHelpToutSurUnFirewall); }

void TTVN_MAIN::SetActiveDesactiveGlyph(const vcl::Image& source) {
  buttonActiveDesactive.SetGlyph(source.Picture());  // the button keeps its own copy
  active_desactive_glyph_ = &source;
}

void TTVN_MAIN::SetArretUrgenceGlyph(const vcl::Image& source) {
  ButtonArretUrgence.SetPicture(CopyPicture(source));
  arret_urgence_glyph_ = &source;
}

LRESULT TTVN_MAIN::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == ShowMainWindowMessage) {
    CoolTray2DblClick();
    return 0;
  }
  if (msg == ArmPromptTimerMessage) {
    TimerNewProcessNotify.SetEnabled(true);
    return 0;
  }
  return vcl::Form::WindowProc(msg, wp, lp);
}

}  // namespace tvn
