// tvn_unreg's form in this process, with recorded library entries and a
// recorded pause: its window and controls, and what Timer1 and the two
// buttons do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "seccenter/tvn_unreg/form1.h"
#include "tests/seccenter/fake_state_library.h"

namespace tvn::test {
namespace {

namespace fake = fake_state_library;

std::vector<DWORD> pauses;
void RecordPause(DWORD milliseconds) { pauses.push_back(milliseconds); }

std::wstring WindowText(HWND window) {
  wchar_t text[64] = L"";
  GetWindowTextW(window, text, 64);
  return text;
}

// True when a quit request is waiting; it is taken off the queue.
bool QuitRequested() {
  MSG message;
  bool quit = false;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) quit = quit || message.message == WM_QUIT;
  return quit;
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    pauses.clear();
    QuitRequested();  // the form of an earlier test asked to quit when it was destroyed
    ASSERT_TRUE(form_.Show());
  }

  StateLibraryBinding binding_ = fake::Binding();
  TForm1 form_{GetModuleHandleW(nullptr), binding_, &RecordPause};
};

TEST_F(Form1Test, IsTheMinimisedObUnregWindowWithItsControls) {
  wchar_t className[32];
  GetClassNameW(form_.handle(), className, 32);
  EXPECT_STREQ(className, L"TForm1");
  EXPECT_EQ(WindowText(form_.handle()), L"ob_unreg");
  EXPECT_TRUE(IsIconic(form_.handle()));
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(form_.handle(), &placement);
  EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 123);
  EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 34);
  EXPECT_EQ(WindowText(form_.Label1), L"Label1");
  EXPECT_EQ(WindowText(form_.Button1), L"Start");
  EXPECT_EQ(WindowText(form_.Button2), L"Stop");
  EXPECT_FALSE(QuitRequested());
}

TEST_F(Form1Test, StartDoesNothing) {
  SendMessageW(form_.Button1, BM_CLICK, 0, 0);
  EXPECT_TRUE(fake::uninstalls.empty());
  EXPECT_TRUE(pauses.empty());
  EXPECT_FALSE(QuitRequested());
}

TEST_F(Form1Test, StopDeletesTheInstancePausesAndEndsWithTheTimerStopped) {
  SendMessageW(form_.Button2, BM_CLICK, 0, 0);

  EXPECT_EQ(fake::uninstalls, std::vector<std::wstring>{ProductInstanceGuid});
  EXPECT_EQ(pauses, std::vector<DWORD>{3000});
  EXPECT_TRUE(QuitRequested());
  EXPECT_FALSE(KillTimer(form_.handle(), TForm1::Timer1)) << "Timer1 still armed";
}

TEST_F(Form1Test, Timer1RunsTheStopHandlerOnce) {
  // Timer1 is armed at creation: its first tick runs Button2Click.
  MSG message;
  const DWORD start = GetTickCount();
  while (fake::uninstalls.empty() && GetTickCount() - start < 10000) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    } else {
      Sleep(10);
    }
  }
  EXPECT_GE(GetTickCount() - start, 2900u);
  EXPECT_EQ(fake::uninstalls.size(), 1u);
  EXPECT_EQ(pauses, std::vector<DWORD>{3000});
  EXPECT_FALSE(KillTimer(form_.handle(), TForm1::Timer1));
}

}  // namespace
}  // namespace tvn::test
