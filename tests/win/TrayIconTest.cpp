// The plain tray icon: the records it hands the shell, its mouse messages, the menu, hiding the
// program into the tray and coming back after the taskbar is re-created.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "shell/TrayIcon.h"

namespace {

struct ShellCall {
  DWORD message;
  TNotifyIconData data;
};
std::vector<ShellCall> g_calls;
BOOL g_shellAnswer = TRUE;
BOOL WINAPI RecordShell(DWORD message, TNotifyIconData* data) {
  g_calls.push_back({message, *data});
  return g_shellAnswer;
}

class TRecordingMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  std::vector<POINT> Shown;
  HWND Foreground = nullptr, Focus = nullptr;
  void Popup(int x, int y) override {
    Shown.push_back(POINT{x, y});
    Foreground = GetForegroundWindow();
    Focus = GetFocus();
  }
};

class Tray : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_shellAnswer = TRUE;
    TTrayIcon::ShellNotify = RecordShell;
    app = new TApplication(nullptr);
    app->Initialize();
    form = new TForm(app);
    form->SetBounds(50, 50, 200, 100);
    app->AddForm(form);
    menu = new TRecordingMenu(form);
    icon = new TTrayIcon(form);
    icon->BeginLoading();
    icon->SetHint("Velmora is running...");
    icon->SetShowHint(true);
    icon->Icon()->SetResource("MAINICON");
    icon->SetPopupMenu(menu);
    icon->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int, int) { log.push_back("down " + Button(b, s)); };
    icon->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int, int) { log.push_back("up " + Button(b, s)); };
    icon->OnClick = [this](TObject*) { log.push_back("click"); };
    icon->OnDblClick = [this](TObject*) { log.push_back("dblclick"); };
  }
  void TearDown() override {
    delete app;
    TTrayIcon::ShellNotify = saved;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  static std::string Button(TMouseButton b, TShiftState s) {
    std::string n = b == mbLeft ? "left" : b == mbRight ? "right" : "middle";
    bool flag = (b == mbLeft && (s & ssLeft)) || (b == mbRight && (s & ssRight)) || (b == mbMiddle && (s & ssMiddle));
    return flag ? n : n + "?";
  }
  void Mouse(UINT msg) { SendMessageA(icon->Handle(), TTrayIcon::WM_TRAYNOTIFY, 1, msg); }
  TTrayIcon::TShellNotify saved = TTrayIcon::ShellNotify;
  TApplication* app = nullptr;
  TForm* form = nullptr;
  TRecordingMenu* menu = nullptr;
  TTrayIcon* icon = nullptr;
  std::vector<std::string> log;
};

}  // namespace

TEST_F(Tray, LoadingAddsTheIconWithItsHintCutTo63CharactersAndDestructionRemovesIt) {
  EXPECT_TRUE(g_calls.empty());  // nothing while loading
  std::string hint(64, 'x');
  hint.back() = 'y';
  icon->SetHint(hint);
  icon->Loaded();
  ASSERT_EQ(g_calls.size(), 2u);  // the update (which the shell refuses while there is no icon) and the add
  const ShellCall& add = g_calls[1];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.data.cbSize, 88u);
  EXPECT_EQ(add.data.hWnd, icon->Handle());
  EXPECT_EQ(add.data.uID, 1u);
  EXPECT_EQ(add.data.uFlags, 7u);
  EXPECT_EQ(add.data.uCallbackMessage, 2048u);
  EXPECT_NE(add.data.hIcon, nullptr);
  EXPECT_EQ(std::string(add.data.szTip), std::string(63, 'x'));
  EXPECT_TRUE(icon->IconVisible());

  icon->SetShowHint(false);
  EXPECT_EQ(g_calls.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(std::string(g_calls.back().data.szTip, 64), std::string(64, '\0'));
  icon->SetIconVisible(false);
  EXPECT_EQ(g_calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(icon->IconVisible());
  // A refused icon is not an error.
  g_shellAnswer = FALSE;
  EXPECT_FALSE(icon->AddTrayIcon());
  g_shellAnswer = TRUE;
  g_calls.clear();
  HWND h = icon->Handle();
  delete icon;
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(g_calls[0].data.hWnd, h);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(Tray, MouseMessagesBecomeEventsAndARightPressOpensTheMenuAtOnce) {
  icon->Loaded();
  form->Show();
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  Mouse(WM_LBUTTONDBLCLK);
  Mouse(WM_LBUTTONUP);
  EXPECT_EQ(log, (std::vector<std::string>{"down left", "click", "up left", "dblclick", "up left"}));
  EXPECT_TRUE(menu->Shown.empty());
  log.clear();
  Mouse(WM_RBUTTONDOWN);
  EXPECT_EQ(log, std::vector<std::string>{"down right"});
  ASSERT_EQ(menu->Shown.size(), 1u);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(menu->Shown[0].x, cursor.x);
  EXPECT_EQ(menu->Foreground, form->Handle());
  EXPECT_EQ(menu->PopupComponent(), icon);
  Mouse(WM_RBUTTONUP);
  Mouse(WM_MBUTTONDOWN);
  Mouse(WM_RBUTTONDBLCLK);
  EXPECT_EQ(log, (std::vector<std::string>{"down right", "up right", "down middle"}));
  // Disabled: nothing at all.
  log.clear();
  icon->SetEnabled(false);
  Mouse(WM_RBUTTONDOWN);
  Mouse(WM_LBUTTONDOWN);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(menu->Shown.size(), 1u);
}

TEST_F(Tray, ADoubleClickRunsTheMenusDefaultItemAfterItsOwnEvent) {
  icon->Loaded();
  auto add = [&](const char* caption, bool isDefault) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    item->SetDefault(isDefault);
    item->OnClick = [this, caption](TObject*) { log.push_back(caption); };
    menu->Items()->Add(item);
  };
  add("first", false);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, std::vector<std::string>{"dblclick"});
  add("second", true);
  add("third", true);
  log.clear();
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, (std::vector<std::string>{"dblclick", "second"}));
  // With the menu on the left button the double-click is left alone.
  log.clear();
  icon->SetLeftPopup(true);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, std::vector<std::string>{"dblclick"});
}

TEST_F(Tray, MinimisingHidesTheProgramIntoTheTrayAndRestoringBringsItBack) {
  icon->SetMinimizeToTray(true);
  icon->SetIconVisible(false);
  icon->Loaded();
  form->Show();
  ASSERT_TRUE(IsWindowVisible(app->Handle()));
  g_calls.clear();
  app->Minimize();
  EXPECT_FALSE(IsWindowVisible(app->Handle()));  // no taskbar button
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  ASSERT_FALSE(g_calls.empty());
  EXPECT_EQ(g_calls.back().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(icon->IconVisible());
  app->Restore();
  EXPECT_TRUE(IsWindowVisible(app->Handle()));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // Without MinimizeToTray minimising leaves the icon alone.
  icon->SetMinimizeToTray(false);
  g_calls.clear();
  app->Minimize();
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(Tray, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
  icon->Loaded();
  g_calls.clear();
  UINT created = RegisterWindowMessageA("TaskbarCreated");
  SendMessageA(icon->Handle(), created, 0, 0);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].message, static_cast<DWORD>(NIM_ADD));
  icon->SetIconVisible(false);
  g_calls.clear();
  SendMessageA(icon->Handle(), created, 0, 0);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(SendMessageA(icon->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
}

TEST_F(Tray, CyclingShowsTheListsImagesInTurn) {
  icon->Loaded();
  auto* list = new TImageList(form);
  for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION}) ASSERT_GE(list->AddIcon(LoadIconA(nullptr, id)), 0);
  std::vector<int> cycled;
  icon->OnCycle = [&](TObject*, int current) { cycled.push_back(current); };
  icon->SetIconList(list);
  icon->SetCycleInterval(10);
  g_calls.clear();
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
  ASSERT_GE(g_calls.size(), 4u);
  EXPECT_EQ(g_calls[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_NE(g_calls[0].data.hIcon, g_calls[1].data.hIcon);
  delete list;
  EXPECT_EQ(icon->IconList(), nullptr);
}

TEST_F(Tray, TheMenuOpensWithTheFocusOnTheWindowsFocusedControl) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  icon->Loaded();
  form->Show();
  edit->SetFocus();
  ::SetFocus(nullptr);  // the keyboard went nowhere meanwhile
  Mouse(WM_RBUTTONDOWN);
  ASSERT_EQ(menu->Shown.size(), 1u);
  EXPECT_EQ(menu->Focus, edit->Handle());
}

TEST_F(Tray, TheSessionsEndTakesTheIconOutUntilTheSessionGoesOnAfterAll) {
  icon->Loaded();
  g_calls.clear();
  // Windows may end the process once the question is answered: no icon may be left behind.
  EXPECT_EQ(SendMessageA(icon->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(g_calls[0].data.uID, 1u);
  // Nothing brings it back meanwhile: a new hint, the taskbar's return, another notice.
  icon->SetHint("changed");
  SendMessageA(icon->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  SendMessageA(app->Handle(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_EQ(g_calls.size(), 1u);
  EXPECT_TRUE(icon->IconVisible());
  // Another program said no: the session goes on, and the icon comes back.
  SendMessageA(app->Handle(), WM_ENDSESSION, FALSE, 0);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_STREQ(g_calls[1].data.szTip, "changed");
}
