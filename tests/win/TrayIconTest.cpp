// The plain tray icon: its record, its shell operations and IconVisible, hiding the program into
// the tray and cycling through an image list. What every tray icon does is in NotifyIconTest.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>
#include "framework/ImgList.h"
#include "shell/TrayIcon.h"
#include "TrayTestSupport.h"

namespace {

class Tray : public TrayTest {
 protected:
  void SetUp() override {
    icon = new TTrayIcon(form);
    icon->BeginLoading();
    icon->SetHint("Velmora is running...");
    icon->SetShowHint(true);
    icon->Icon()->SetResource("MAINICON");
    icon->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down"); };
    icon->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    icon->OnClick = [this](TObject*) { log.push_back("click"); };
  }
  void Mouse(UINT msg) { SendMessageA(icon->Handle(), TTrayIcon::WM_TRAYNOTIFY, 1, msg); }
  TTrayIcon* icon = nullptr;
  std::vector<std::string> log;
};

}  // namespace

TEST_F(Tray, LoadingAddsTheIconOnceAndTheShellOperationsFollowIconVisible) {
  EXPECT_TRUE(shell.calls.empty());  // nothing while loading
  icon->Loaded();
  ASSERT_EQ(shell.calls.size(), 1u);
  const ShellRecorder::Call& add = shell.calls[0];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.data.hWnd, icon->Handle());
  EXPECT_EQ(add.data.uID, 1u);
  EXPECT_EQ(add.data.uCallbackMessage, 2048u);
  EXPECT_NE(add.data.hIcon, nullptr);
  EXPECT_STREQ(add.data.szTip, "Velmora is running...");
  EXPECT_TRUE(icon->IconVisible());
  // Its mouse messages are its events.
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "up"}));

  // Shown again: a change, not a second add.
  EXPECT_TRUE(icon->AddTrayIcon());
  EXPECT_TRUE(icon->UpdateTrayIcon());
  EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(shell.calls.size(), 3u);
  icon->SetIconVisible(false);
  EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(icon->IconVisible());
  EXPECT_FALSE(icon->UpdateTrayIcon());  // nothing to change
  EXPECT_EQ(shell.calls.size(), 4u);
  // A refused icon is not an error, and is removed at the end all the same.
  shell.answer = FALSE;
  EXPECT_FALSE(icon->AddTrayIcon());
  EXPECT_TRUE(icon->IconVisible());
  shell.answer = TRUE;
  shell.calls.clear();
  delete icon;
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(Tray, MinimisingHidesTheProgramIntoTheTrayAndRestoringBringsItBack) {
  icon->SetMinimizeToTray(true);
  icon->SetIconVisible(false);
  icon->Loaded();
  form->Show();
  ASSERT_TRUE(IsWindowVisible(app->Handle()));
  shell.calls.clear();
  app->Minimize();
  EXPECT_FALSE(IsWindowVisible(app->Handle()));  // no taskbar button
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  ASSERT_FALSE(shell.calls.empty());
  EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(icon->IconVisible());
  app->Restore();
  EXPECT_TRUE(IsWindowVisible(app->Handle()));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // Without MinimizeToTray minimising leaves the icon alone.
  icon->SetMinimizeToTray(false);
  shell.calls.clear();
  app->Minimize();
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(Tray, CyclingShowsTheListsImagesInTurn) {
  icon->Loaded();
  auto* list = new TImageList(form);
  for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION}) ASSERT_GE(list->AddIcon(LoadIconA(nullptr, id)), 0);
  std::vector<int> cycled;
  icon->OnCycle = [&](TObject*, int current) { cycled.push_back(current); };
  icon->SetIconList(list);
  icon->SetCycleInterval(10);
  shell.calls.clear();
  icon->SetCycleIcons(true);
  DWORD start = GetTickCount();
  MSG m;
  while (cycled.size() < 4 && GetTickCount() - start < 5000) {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(5);
  }
  icon->SetCycleIcons(false);
  ASSERT_GE(cycled.size(), 4u);
  EXPECT_EQ(std::vector<int>(cycled.begin(), cycled.begin() + 4), (std::vector<int>{0, 1, 2, 0}));
  ASSERT_GE(shell.calls.size(), 4u);
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_NE(shell.calls[0].data.hIcon, shell.calls[1].data.hIcon);
  delete list;
  EXPECT_EQ(icon->IconList(), nullptr);
}
