// The widget layer's event semantics, run on real windows under Wine.
#include <gtest/gtest.h>

#include <thread>

#include "application.h"
#include "button.h"
#include "check_box.h"
#include "edit.h"
#include "form.h"
#include "grid.h"
#include "image.h"
#include "label.h"
#include "page_control.h"
#include "popup_menu.h"
#include "radio_button.h"
#include "radio_group.h"
#include "timer.h"
#include "tray_icon.h"

namespace vcl {
namespace {

class WidgetsTest : public ::testing::Test {
 protected:
  Form form{FormOptions{}};
};

TEST_F(WidgetsTest, CheckBoxClickRunsOnEveryChangeAndOnlyThen) {
  CheckBox box(&form, "Toujours bloquer ce programme");
  std::vector<bool> seen;
  box.on_click = [&] { seen.push_back(box.Checked()); };
  box.SetChecked(true);     // set by the program: runs
  box.SetChecked(true);     // already on: nothing
  box.Command(BN_CLICKED);  // the user's click turns it off
  box.SetChecked(false);    // already off: nothing
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  EXPECT_EQ(SendMessageA(box.Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(WidgetsTest, RadioClickRunsOnlyWhenTurnedOn) {
  RadioButton weak(&form, "Faible"), strict(&form, "Strict");
  std::vector<std::string> clicks;
  weak.on_click = [&] { clicks.push_back("weak"); };
  strict.on_click = [&] { clicks.push_back("strict"); };
  weak.SetChecked(true);
  weak.SetChecked(true);       // no change
  strict.Command(BN_CLICKED);  // the user: strict on, weak off silently
  weak.SetChecked(false);      // already off
  strict.SetChecked(false);    // going off runs nothing
  EXPECT_EQ(clicks, (std::vector<std::string>{"weak", "strict"}));
  EXPECT_FALSE(weak.Checked());
  EXPECT_FALSE(strict.Checked());
}

TEST_F(WidgetsTest, RadioGroupsAreSeparatedByTheirParent) {
  RadioGroup levels(&form, "Niveau");
  levels.SetBounds(0, 0, 200, 100);
  levels.SetItems({"Faible", "Intelligent", "Strict"});
  RadioButton outside(&form, "Autre");
  outside.SetChecked(true);
  int clicks = 0;
  levels.on_click = [&] { ++clicks; };
  levels.SetItemIndex(1);
  levels.SetItemIndex(1);
  levels.Item(2).Command(BN_CLICKED);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(levels.ItemIndex(), 2);
  EXPECT_FALSE(levels.Item(1).Checked());
  EXPECT_TRUE(outside.Checked());
}

TEST_F(WidgetsTest, TimerIsEnteredAgainFromAModalLoop) {
  Form dialog(FormOptions{.class_name = "TvnTestDialog", .position = Position::kScreenCenter});
  dialog.SetClientSize(200, 100);
  Timer timer(20);
  int depth = 0, deepest = 0, runs = 0, modal_result = 0;
  timer.on_timer = [&] {
    ++runs;
    ++depth;
    deepest = std::max(deepest, depth);
    if (runs == 1) {
      modal_result = dialog.ShowModal();  // the second tick arrives in here
    } else if (dialog.Modal()) {
      dialog.SetModalResult(kMrOk);
    }
    --depth;
  };
  const DWORD start = GetTickCount();
  while (modal_result == 0 && GetTickCount() - start < 5000) Application::Instance().HandleMessage();
  timer.SetEnabled(false);
  EXPECT_EQ(modal_result, kMrOk);
  EXPECT_EQ(deepest, 2);
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(WidgetsTest, ModalHandlerAnswersWithoutALoop) {
  Form dialog;
  int asked = 0;
  Application::Instance().modal_handler = [&](Form& f) {
    ++asked;
    EXPECT_EQ(&f, &dialog);
    return kMrYes;
  };
  EXPECT_EQ(dialog.ShowModal(), kMrYes);
  Application::Instance().modal_handler = nullptr;
  EXPECT_EQ(asked, 1);
}

TEST_F(WidgetsTest, FormEventsShowActivateCloseQueryHide) {
  std::vector<std::string> events;
  int activations = 0;
  form.on_show = [&] { events.push_back("show"); };
  form.on_activate = [&] { ++activations; };
  form.on_hide = [&] { events.push_back("hide"); };
  bool refuse = true;
  form.on_close_query = [&](bool& can_close) {
    events.push_back("query");
    can_close = !refuse;
  };
  form.SetClientSize(100, 80);
  form.Show();
  Application::Instance().ProcessMessages();
  EXPECT_EQ(activations, 1);
  form.Close();  // refused: stays shown
  EXPECT_TRUE(form.Visible());

  // Activated again after another window: the event runs again.
  Form other;
  other.Show();
  Application::Instance().ProcessMessages();
  SetForegroundWindow(form.Handle());
  Application::Instance().ProcessMessages();
  EXPECT_EQ(activations, 2);

  refuse = false;
  form.Close();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(events, (std::vector<std::string>{"show", "query", "query", "hide"}));
}

TEST_F(WidgetsTest, GridCellsAlignmentCommentsAndRemoval) {
  Grid grid(&form);
  grid.SetBounds(0, 0, 400, 200);
  grid.SetColWidths({70, 90, 200});
  grid.SetColAlignment(0, Alignment::kCenter);
  grid.SetColAlignment(2, Alignment::kRight);
  grid.SetRowCount(4);
  grid.SetCell(0, 0, "Heure");
  for (int row = 1; row <= 3; ++row) grid.SetCell(2, row, "ligne " + std::to_string(row));
  grid.SetComment(2, 2, "C:\\Program Files\\un tr\xE8s long chemin\\programme.exe");

  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Cell(0, 0), "Heure");
  EXPECT_EQ(grid.Cell(2, 3), "ligne 3");
  EXPECT_EQ(grid.ColAlignment(0), Alignment::kCenter);
  // What the list view itself holds: column 1 is grid column 0.
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  ListView_GetColumn(grid.Handle(), 1, &column);
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
  EXPECT_EQ(column.cx, 70);
  ListView_GetColumn(grid.Handle(), 3, &column);
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);

  // Hovering the commented cell shows its comment; another cell shows none.
  RECT cell;
  ListView_GetSubItemRect(grid.Handle(), 1, 3, LVIR_BOUNDS, &cell);
  SendMessageA(grid.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, cell.top + 3));
  EXPECT_EQ(grid.ShownComment(), "C:\\Program Files\\un tr\xE8s long chemin\\programme.exe");
  ListView_GetSubItemRect(grid.Handle(), 0, 3, LVIR_BOUNDS, &cell);
  SendMessageA(grid.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, cell.top + 3));
  EXPECT_EQ(grid.ShownComment(), "");

  // Removing row 1 moves the rows below up, comments with them.
  grid.RemoveRow(1);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.Cell(2, 1), "ligne 2");
  EXPECT_EQ(grid.Comment(2, 1), "C:\\Program Files\\un tr\xE8s long chemin\\programme.exe");
  EXPECT_EQ(grid.Comment(2, 2), "");
}

TEST_F(WidgetsTest, GridRowSelectionAndCellImages) {
  Grid grid(&form);
  grid.SetBounds(0, 0, 300, 200);
  grid.SetColCount(2);
  grid.SetRowCount(3);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
  grid.SetImageList(images);
  grid.SetCellImage(0, 2, 0);
  EXPECT_EQ(grid.CellImage(0, 2), 0);
  EXPECT_EQ(grid.CellImage(0, 1), -1);
  int selected = 0;
  grid.on_select_row = [&](int row) { selected = row; };
  grid.SelectRow(2);
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(grid.Row(), 2);
  ImageList_Destroy(images);
}

TEST_F(WidgetsTest, MaskedEditAndIpAddressControl) {
  MaskedEdit port(&form, "99999;1; ");
  EXPECT_EQ(port.Text(), "     ");
  SendMessageA(port.Handle(), EM_SETSEL, 0, 0);
  for (char c : std::string("8a0")) SendMessageA(port.Handle(), WM_CHAR, static_cast<unsigned char>(c), 0);
  EXPECT_EQ(port.Text(), "80   ");

  IpAddressEdit address(&form);
  char class_name[64];
  GetClassNameA(address.Handle(), class_name, sizeof class_name);
  EXPECT_STREQ(class_name, "SysIPAddress32");
  EXPECT_TRUE(address.IsBlank());
  EXPECT_TRUE(address.SetText("192.168.1.20"));
  EXPECT_EQ(address.Text(), "192.168.1.20");
  EXPECT_FALSE(address.SetText("192.168.1.256"));
  EXPECT_FALSE(address.SetText("10.0.0"));
  EXPECT_EQ(address.Text(), "192.168.1.20");
}

TEST_F(WidgetsTest, LabelLinkStyleFollowsTheMouseAndClicks) {
  form.SetClientSize(300, 100);
  Label link(&form, "www.torvane.example");
  link.SetBounds(10, 10, 150, 16);
  Font hover = link.GetFont();
  hover.underline = true;
  link.SetLinkStyle(hover);
  int clicks = 0;
  link.on_click = [&] { ++clicks; };
  SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 15));
  EXPECT_TRUE(link.Hovered());
  SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 15));
  SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 15));
  SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(250, 80));
  EXPECT_FALSE(link.Hovered());
  // A press that ends elsewhere is no click.
  SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 15));
  SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(250, 80));
  EXPECT_EQ(clicks, 1);
}

TEST_F(WidgetsTest, PageControlShowsOnePageAndRunsItsShowEvent) {
  PageControl pages(&form);
  pages.SetBounds(0, 0, 400, 300);
  pages.SetTabPosition(TabPosition::kLeft, 84, 80);
  TabSheet traffic(&pages, "Trafic"), help(&pages, "Aide||Mise \xE0 jour");
  int shown = 0;
  help.on_show = [&] { ++shown; };
  EXPECT_EQ(pages.ActivePage(), &traffic);
  SendMessageA(pages.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 120));
  EXPECT_EQ(pages.ActivePage(), &help);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(traffic.Visible());
  EXPECT_EQ(help.Left(), 84);
}

TEST_F(WidgetsTest, HintsBecomeTooltipsOfWindowsAndPictures) {
  Button apply(&form, "&Appliquer");
  Image help(&form);
  help.SetBounds(10, 10, 24, 24);
  const auto tools = [&] { return SendMessageA(form.ToolTips(), TTM_GETTOOLCOUNT, 0, 0); };
  apply.SetHint("Appliquer la nouvelle configuration");
  help.SetHint("Afficher de l'aide sur cette rubrique");
  EXPECT_EQ(tools(), 2);
  help.SetVisible(false);  // a hidden picture shows no tip
  EXPECT_EQ(tools(), 1);
  apply.SetHint("");
  EXPECT_EQ(tools(), 0);
}

TEST(TrayIcon, DoubleClickAndMenuComeFromTheShellsMessages) {
  TrayIcon tray;
  tray.SetHint("Torvane Firewall");
  tray.SetVisible(true);
  int double_clicks = 0;
  tray.on_dbl_click = [&] { ++double_clicks; };
  const HWND utility = Application::Instance().UtilityWindow();
  SendMessageA(utility, TrayIcon::kCallbackMessage, tray.Id(), WM_LBUTTONDBLCLK);
  SendMessageA(utility, TrayIcon::kCallbackMessage, tray.Id() + 1, WM_LBUTTONDBLCLK);  // another icon's
  EXPECT_EQ(double_clicks, 1);
  tray.SetVisible(false);
}

TEST_F(WidgetsTest, FormMessageHookSeesMessagesFirst) {
  constexpr UINT kShowMainWindow = WM_USER + 10;
  int shown = 0;
  form.on_message = [&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != kShowMainWindow) return false;
    ++shown;
    result = 1;
    return true;
  };
  EXPECT_EQ(SendMessageA(form.Handle(), kShowMainWindow, 0, 0), 1);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(SendMessageA(form.Handle(), WM_USER + 11, 0, 0), 0);  // passed on
}

TEST(Application, TasksPostedFromWorkersRunOnTheWindowsThread) {
  Application& app = Application::Instance();
  app.UtilityWindow();
  const DWORD gui_thread = GetCurrentThreadId();
  std::vector<DWORD> ran_on;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(app.Post([&] { ran_on.push_back(GetCurrentThreadId()); }));
  });
  worker.join();
  const DWORD start = GetTickCount();
  while (ran_on.size() < 3 && GetTickCount() - start < 5000) app.HandleMessage();
  EXPECT_EQ(ran_on, (std::vector<DWORD>{gui_thread, gui_thread, gui_thread}));
}

TEST(PopupMenu, ChoosingRunsOnlyEnabledItems) {
  PopupMenu menu;
  std::vector<std::string> chosen;
  menu.Add("Afficher &console", [&] { chosen.push_back("console"); });
  const int separator = menu.AddSeparator();
  const int stop = menu.Add("&D\xE9sactiver le firewall", [&] { chosen.push_back("stop"); });
  menu.Choose(0);
  menu.Choose(separator);
  menu.At(stop).enabled = false;
  menu.Choose(stop);
  menu.At(stop).caption = "&Activer le firewall";
  menu.At(stop).enabled = true;
  menu.Choose(stop);
  EXPECT_EQ(chosen, (std::vector<std::string>{"console", "stop"}));
  EXPECT_TRUE(menu.At(separator).IsSeparator());
}

}  // namespace
}  // namespace vcl
