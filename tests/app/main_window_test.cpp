// The console through its handlers, on real windows: the status display on
// every start, stop and toggle path with its Security Center reports, the
// emergency stop, the traffic meter, the close to the tray and the stop from
// the tray. The driver is a recording fake; message boxes are answered by a
// recording SystemUi.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/byte_count.h"
#include "app/help.h"
#include "app/ttvn_main.h"
#include "application.h"
#include "engine/decision_tables.h"
#include "recording_ui.h"
#include "tests/engine/fake_driver.h"

namespace tvn {
namespace {

// The reports the window made through the binding's seam, 1 active 0 not.
std::vector<int>& Reports() {
  static std::vector<int> reports;
  return reports;
}

long __cdecl RecordReport(GUID* const, const wchar_t*, const wchar_t*, const wchar_t*, int enabled) {
  Reports().push_back(enabled);
  return 0;
}

std::vector<int> Bars(const vcl::TrendChart& chart) {
  std::vector<int> values;
  for (int i = 0; i < vcl::TrendValues::kCount; ++i) values.push_back(chart.Values().At(i));
  return values;
}
int Newest(const vcl::TrendChart& chart) { return chart.Values().At(vcl::TrendValues::kCount - 1); }

constexpr char kTestStoreRoot[] = "SOFTWARE\\Zelbar\\TorvaneTests\\main_window_test";

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : binding_(StateLibraryBinding::WithEntries({.writefwstatus = RecordReport})) {}

  void SetUp() override {
    Reports().clear();
    MainWindowServices services;
    services.Tables = &tables_;
    services.Driver = &driver_;
    services.StateLibrary = &binding_;
    services.MakeStore = [] { return std::make_unique<TGLMFWRule>(kTestStoreRoot); };
    services.TickCount = [this] { return now_; };
    services.EndProcess = [this] { ++ended_; };
    services.KillOwnProcess = [this] { ++killed_; };
    main_ = std::make_unique<TTVN_MAIN>(std::move(services));
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestStoreRoot); }

  // The display, as the user reads it.
  struct Display {
    std::string status;
    COLORREF color;
    std::string button;
    std::string tray;
    const vcl::Image* glyph;
  };
  Display Shown() const {
    return {main_->StatusLabel.Caption(), main_->StatusLabel.GetFont().color, main_->buttonActiveDesactive.Caption(),
            main_->Popup_Tray.At(kTrayToggle).caption, main_->ActiveDesactiveGlyph()};
  }
  void ExpectDisplay(const Display& shown, bool active) {
    EXPECT_EQ(shown.status, active ? kStatusActive : kStatusInactive);
    EXPECT_EQ(shown.color, active ? vcl::kBlack : vcl::kRed);
    EXPECT_EQ(shown.button, active ? "&D\xE9sactiver" : "&Activer");
    EXPECT_EQ(shown.tray, active ? "&D\xE9sactiver le firewall" : "&Activer le firewall");
    EXPECT_EQ(shown.glyph, active ? &main_->ImageIconStop : &main_->ImageIconStart);
  }
  void ExpectActive(const Display& shown) { ExpectDisplay(shown, true); }
  void ExpectInactive(const Display& shown) { ExpectDisplay(shown, false); }
  // The filter opened three seconds after start.
  void Started() {
    main_->TimerStartDriverTimer();
    ASSERT_TRUE(main_->FilterSessionOpen);
    Reports().clear();
    driver_.TakeCalls();
  }
  std::vector<int> RulesFlags() const {
    std::vector<int> flags;
    for (const testing::RecordedRule& rule : driver_.rules) flags.push_back(rule.rule.filteringFlag);
    return flags;
  }

  DecisionTables tables_;
  testing::FakeDriver driver_;
  StateLibraryBinding binding_;
  vcl::RecordingUi ui_;
  vcl::ScopedSystemUi scoped_ui_{ui_};
  uint32_t now_ = 100000;
  int ended_ = 0;
  int killed_ = 0;
  std::unique_ptr<TTVN_MAIN> main_;
};

TEST_F(MainWindowTest, FrameTrayAndPagesAsDesigned) {
  EXPECT_EQ(main_->ClientWidth(), 591);
  EXPECT_EQ(main_->ClientHeight(), 530);
  char class_name[64] = {};
  GetClassNameA(main_->Handle(), class_name, sizeof class_name);
  EXPECT_STREQ(class_name, "TTVN_MAIN");
  EXPECT_EQ(GetWindowLongA(main_->Handle(), GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_FALSE(main_->Visible());  // the tray icon only
  EXPECT_TRUE(main_->CoolTray2.Visible());
  EXPECT_TRUE(main_->CoolTray2.minimize_to_tray);

  RECT frame;
  GetWindowRect(main_->Handle(), &frame);
  EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXFULLSCREEN) - 591);
  EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - 530);

  const std::vector<std::string> pages = {"Trafic", "Configuration", "R\xE8gles", "Aide||Mise \xE0 jour"};
  ASSERT_EQ(main_->xpPageControl1.PageCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(main_->xpPageControl1.Page(i).Caption(), pages[i]);
  EXPECT_EQ(main_->xpPageControl1.ActivePageIndex(), 0);

  const std::vector<std::string> tray = {
      "Afficher &console",   "-", "&D\xE9sactiver le firewall", "Arr\xEAter et &fermer le firewall", "-", "A&ide", "-",
      "A &propos de Torvane"};
  ASSERT_EQ(main_->Popup_Tray.Count(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(main_->Popup_Tray.At(i).caption, tray[i]);
}

TEST_F(MainWindowTest, CreationReadsActiveReportsItAndWaitsForTheDriverTimer) {
  EXPECT_EQ(main_->StatusLabel.Caption(), kStatusActive);  // before the driver opens
  EXPECT_EQ(main_->buttonActiveDesactive.Caption(), "&D\xE9sactiver");
  EXPECT_EQ(Reports(), std::vector<int>{1});
  EXPECT_TRUE(main_->TimerStartDriver.Enabled());
  EXPECT_FALSE(main_->Timer1.Enabled());
  EXPECT_FALSE(main_->FilterSessionOpen);
  EXPECT_TRUE(driver_.TakeCalls().empty());  // the driver is not opened during creation
  EXPECT_FALSE(main_->buttonAppliquerConfiguration.Enabled());
  EXPECT_EQ(main_->LabelOctetsIn.Caption(), "");
  // Store defaults: intelligent, local network and known programs allowed.
  EXPECT_EQ(tables_.Settings.BlockingLevel, 1);
  EXPECT_TRUE(main_->CheckBoxReseauLocal.Checked());
  EXPECT_TRUE(main_->CheckAutoriseConnusLegitimes.Checked());
  EXPECT_FALSE(main_->checkDoNotMonitorAllowedPrograms.Checked());
}

TEST_F(MainWindowTest, StartSuccessOpensTheSessionAndReportsActive) {
  Reports().clear();
  main_->TimerStartDriverTimer();
  EXPECT_FALSE(main_->TimerStartDriver.Enabled());
  EXPECT_TRUE(main_->FilterSessionOpen);
  ExpectActive(Shown());
  EXPECT_EQ(Reports(), std::vector<int>{1});
  EXPECT_EQ(RulesFlags(), std::vector<int>{2});  // the base filter rule
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(MainWindowTest, StartFailureChangesTextsOnlyAndShowsTheDriverErrorOnce) {
  driver_.initStatus = 1;
  Reports().clear();
  const Display before = Shown();
  main_->TimerStartDriverTimer();
  const Display after = Shown();
  EXPECT_FALSE(main_->FilterSessionOpen);
  EXPECT_EQ(after.status, kStatusInactive);
  EXPECT_EQ(after.color, before.color);  // not red
  EXPECT_EQ(after.glyph, before.glyph);  // the stop glyph stays
  EXPECT_EQ(after.button, "&Activer");
  EXPECT_EQ(after.tray, "&Activer le firewall");
  EXPECT_EQ(Reports(), std::vector<int>{0});
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].caption, "Torvane Firewall : erreur driver");
  EXPECT_EQ(ui_.boxes[0].text, "Impossible d'activer le driver de Torvane Firewall.");
  EXPECT_EQ(ui_.boxes[0].flags & (MB_ICONERROR | MB_YESNO), static_cast<UINT>(MB_ICONERROR));
}

TEST_F(MainWindowTest, ToggleOffThenOnFromButtonAndTray) {
  Started();
  main_->buttonActiveDesactive.Click();
  EXPECT_FALSE(main_->FilterSessionOpen);
  ExpectInactive(Shown());
  EXPECT_FALSE(main_->Timer1.Enabled());
  EXPECT_EQ(driver_.TakeCalls(), testing::CallLog{"free"});
  EXPECT_EQ(Reports(), std::vector<int>{0});

  Reports().clear();
  main_->Popup_Tray.Choose(kTrayToggle);
  EXPECT_TRUE(main_->FilterSessionOpen);
  ExpectActive(Shown());
  EXPECT_TRUE(main_->Timer1.Enabled());
  EXPECT_EQ(Reports(), (std::vector<int>{1, 1}));  // StartFirewall's, then the toggle's
}

TEST_F(MainWindowTest, FailedActivationShowsTheBoxOnceAndReportsInactiveTwice) {
  Started();
  main_->ToggleFirewall();
  Reports().clear();
  driver_.initStatus = 1;
  main_->ToggleFirewall();
  EXPECT_FALSE(main_->FilterSessionOpen);
  ExpectInactive(Shown());
  EXPECT_EQ(Reports(), (std::vector<int>{0, 0}));
  EXPECT_EQ(ui_.boxes.size(), 1u);
  EXPECT_FALSE(main_->Timer1.Enabled());
}

TEST_F(MainWindowTest, EmergencyButtonTwiceBlocksThenRestoresTheBaseRule) {
  Started();
  main_->ButtonArretUrgence.Click();
  EXPECT_TRUE(tables_.EmergencyStop);
  EXPECT_TRUE(main_->LabelArretUrgenceActive.Visible());
  EXPECT_EQ(main_->LabelArretUrgenceActive.Caption(), "ARRET D'URGENCE ACTIVE : tout le trafic est bloqu\xE9");
  EXPECT_EQ(main_->ArretUrgenceGlyph(), &main_->ImageBoutonRedemarrage);
  EXPECT_EQ(main_->ButtonArretUrgence.Hint(), kHintEmergencyRelease);
  ASSERT_EQ(RulesFlags(), (std::vector<int>{2, 1}));  // the base rule, then the block rule
  EXPECT_TRUE(driver_.rules.back().atHead);

  main_->ButtonArretUrgence.Click();
  EXPECT_FALSE(tables_.EmergencyStop);
  EXPECT_FALSE(main_->LabelArretUrgenceActive.Visible());
  EXPECT_EQ(main_->ArretUrgenceGlyph(), &main_->ImageBoutonArret);
  EXPECT_EQ(main_->ButtonArretUrgence.Hint(), kHintEmergencyEngage);
  EXPECT_EQ(RulesFlags(), std::vector<int>{2});  // only the base rule of the new session
  EXPECT_TRUE(Reports().empty());                // the display and the Security Center untouched
  ExpectActive(Shown());
}

TEST_F(MainWindowTest, EmergencyButtonDoesNothingWhileInactive) {
  Started();
  main_->ToggleFirewall();
  driver_.TakeCalls();
  main_->ButtonArretUrgence.Click();
  main_->ButtonArretUrgence.Click();
  EXPECT_FALSE(tables_.EmergencyStop);
  EXPECT_FALSE(main_->LabelArretUrgenceActive.Visible());
  EXPECT_TRUE(driver_.TakeCalls().empty());  // no rule for no session, no session opened
  EXPECT_FALSE(main_->FilterSessionOpen);
}

TEST_F(MainWindowTest, DeactivationDuringEmergencyStopResetsLabelGlyphAndHint) {
  Started();
  main_->ButtonArretUrgence.Click();
  main_->ToggleFirewall();
  EXPECT_FALSE(tables_.EmergencyStop);
  EXPECT_FALSE(main_->LabelArretUrgenceActive.Visible());
  EXPECT_EQ(main_->ArretUrgenceGlyph(), &main_->ImageBoutonArret);
  EXPECT_EQ(main_->ButtonArretUrgence.Hint(), kHintEmergencyEngage);
  driver_.rules.clear();
  main_->ToggleFirewall();  // reactivated without emergency stop
  EXPECT_EQ(RulesFlags(), std::vector<int>{2});
}

TEST_F(MainWindowTest, MeterSamplesEveryFourSecondsAndLabelsEveryTick) {
  Started();
  struct Tick {
    uint32_t advance_ms;
    uint64_t in, out;
    int bar_in, bar_out;  // -1: no new sample
    const char* label_in;
    const char* label_out;
  };
  const Tick ticks[] = {
      {4000, 100000, 3200, 50, 10, "100 Ko", "3 Ko"},
      {1000, 150000, 3300, -1, -1, "150 Ko", "3 Ko"},  // labels only
      {3000, 104000, 6200, 15, 15, "104 Ko", "6 Ko"},
      {4000, 2000000, 6200, 100, 0, "2000 Ko", "6 Ko"},
      {4000, 2000001, 2500000, 0, 100, "2,0 Mo", "2,5 Mo"},
  };
  for (const Tick& tick : ticks) {
    const std::vector<int> bars_before = Bars(main_->barTraficIn);
    now_ += tick.advance_ms;
    driver_.flowStat = {tick.in, tick.out};
    main_->Timer1Timer();
    EXPECT_TRUE(main_->Timer1.Enabled());
    EXPECT_EQ(main_->LabelOctetsIn.Caption(), tick.label_in);
    EXPECT_EQ(main_->LabelOctetsOut.Caption(), tick.label_out);
    if (tick.bar_in < 0) {
      EXPECT_EQ(Bars(main_->barTraficIn), bars_before);
      continue;
    }
    EXPECT_EQ(Newest(main_->barTraficIn), tick.bar_in) << tick.label_in;
    EXPECT_EQ(Newest(main_->barTraficOut), tick.bar_out) << tick.label_out;
  }

  // A failed read leaves labels and bars as they were.
  driver_.flowStatStatus = 1;
  now_ += 4000;
  main_->Timer1Timer();
  EXPECT_EQ(main_->LabelOctetsIn.Caption(), "2,0 Mo");
  EXPECT_TRUE(main_->Timer1.Enabled());
}

TEST_F(MainWindowTest, CloseWhileShownHidesToTrayAndHidingClearsTheBars) {
  main_->Tray_OpenClick();
  EXPECT_TRUE(main_->Visible());
  EXPECT_FALSE(main_->CoolTray2.minimize_to_tray);
  EXPECT_TRUE(main_->Timer1.Enabled());  // the meter runs while shown
  main_->barTraficIn.AddValue(40);

  main_->ImageReduitFenetre.Click();
  EXPECT_FALSE(main_->Visible());
  EXPECT_TRUE(main_->CoolTray2.minimize_to_tray);
  EXPECT_FALSE(main_->Timer1.Enabled());
  EXPECT_EQ(Bars(main_->barTraficIn), std::vector<int>(vcl::TrendValues::kCount, 0));
  EXPECT_EQ(ended_, 0);

  bool can_close = false;
  main_->FormCloseQuery(can_close);  // a close while hidden goes ahead
  EXPECT_TRUE(can_close);
}

TEST_F(MainWindowTest, SecondInstanceMessageShowsTheConsole) {
  SendMessageA(main_->Handle(), ShowMainWindowMessage, 0, 0);
  EXPECT_TRUE(main_->Visible());
  EXPECT_FALSE(main_->CoolTray2.minimize_to_tray);
}

TEST_F(MainWindowTest, PostedRequestArmsThePromptTimer) {
  EXPECT_FALSE(main_->TimerNewProcessNotify.Enabled());
  std::thread driver_thread([window = main_->Handle()] { PostMessageA(window, ArmPromptTimerMessage, 0, 0); });
  driver_thread.join();
  vcl::Application::Instance().ProcessMessages();
  EXPECT_TRUE(main_->TimerNewProcessNotify.Enabled());
}

TEST_F(MainWindowTest, TrayStopAnsweredNoChangesNothingAndYesEndsInactive) {
  Started();
  ui_.box_answers = {IDNO, IDYES};
  main_->Popup_Tray.Choose(kTrayClose);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].caption, "Torvane Firewall : confirmation");
  EXPECT_EQ(ui_.boxes[0].text,
            "Etes-vous s\xFBr de vouloir arr\xEAter et fermer Torvane firewall ?\r"
            "En arr\xEAtant Torvane vous arr\xEAtez votre protection firewall");
  EXPECT_EQ(ui_.boxes[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(main_->FilterSessionOpen);
  EXPECT_TRUE(driver_.TakeCalls().empty());
  EXPECT_EQ(ended_, 0);

  main_->Popup_Tray.Choose(kTrayClose);
  EXPECT_FALSE(main_->FilterSessionOpen);
  ExpectInactive(Shown());
  EXPECT_EQ(driver_.TakeCalls(), testing::CallLog{"free"});
  EXPECT_EQ(Reports(), std::vector<int>{0});
  EXPECT_EQ(ended_, 1);
}

TEST_F(MainWindowTest, QuitTimerKillsTheOwnProcess) {
  main_->TimerQuit.SetEnabled(true);
  main_->TimerQuitTimer();
  EXPECT_FALSE(main_->TimerQuit.Enabled());
  EXPECT_EQ(killed_, 1);
}

TEST_F(MainWindowTest, AboutBoxFromTheMenuAndTheLink) {
  int shown = 0;
  std::string caption;
  vcl::Application::Instance().modal_handler = [&](vcl::Form& form) {
    ++shown;
    caption = form.Caption();
    return vcl::kMrOk;
  };
  main_->Popup_Tray.Choose(kTrayAbout);
  main_->linkAbout.Click();
  vcl::Application::Instance().modal_handler = nullptr;
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(caption, "A propos de Torvane Firewall");
}

// What the help engine was asked: command and data of each call.
std::vector<std::pair<UINT, DWORD_PTR>>& HelpCalls() {
  static std::vector<std::pair<UINT, DWORD_PTR>> calls;
  return calls;
}
HWND WINAPI RecordHelp(HWND, LPCSTR, UINT command, DWORD_PTR data) {
  HelpCalls().emplace_back(command, data);
  return nullptr;
}

TEST_F(MainWindowTest, HelpLinksOpenTheirTopicsAndDestroyClosesHelpWindows) {
  HelpCalls().clear();
  Help().UseFunction(RecordHelp);
  vcl::Application::Instance().SetMainForm(main_.get());
  main_->Link_Decouvrir.Click();
  main_->Link_ToutCeQuilFautSavoir.Click();
  main_.reset();
  Help().UseFunction(nullptr);
  const std::vector<std::pair<UINT, DWORD_PTR>> expected = {
      {kHhHelpContext, kHelpDecouvrirTorvane}, {kHhHelpContext, kHelpToutSurUnFirewall}, {kHhCloseAll, 0}};
  EXPECT_EQ(HelpCalls(), expected);
}

TEST_F(MainWindowTest, AnErrorInAHandlerIsShownAndTheProgramGoesOn) {
  vcl::Application::Instance().SetTitle("Torvane");
  vcl::Timer failing(10);
  failing.on_timer = [&] {
    failing.SetEnabled(false);
    throw std::runtime_error(
        "Type de donn\xE9"
        "es incorrect pour 'Level'");
  };
  for (int i = 0; i < 50 && ui_.boxes.empty(); ++i) {
    Sleep(10);
    vcl::Application::Instance().ProcessMessages();
  }
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text,
            "Type de donn\xE9"
            "es incorrect pour 'Level'");
  EXPECT_EQ(ui_.boxes[0].caption, "Torvane");
  EXPECT_EQ(ui_.boxes[0].flags & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
}

TEST(FormatByteCount, KiloUpToTwoMillionThenMegaWithTheUsersSeparator) {
  struct Case {
    uint32_t bytes;
    const char* text;
  };
  const Case cases[] = {{0, "0 Ko"},         {499, "0 Ko"},        {1499, "1 Ko"},
                        {1500, "2 Ko"},      {2000000, "2000 Ko"}, {2000001, "2,0 Mo"},
                        {2500000, "2,5 Mo"}, {2949999, "2,9 Mo"},  {4294967295u, "4295,0 Mo"}};
  for (const Case& c : cases) EXPECT_EQ(FormatByteCount(c.bytes, ','), c.text) << c.bytes;
  EXPECT_EQ(FormatByteCount(2500000, '.'), "2.5 Mo");
  // Under the French regional settings of the test runs.
  EXPECT_EQ(FormatByteCountForUser(2500000), "2,5 Mo");
}

}  // namespace
}  // namespace tvn
