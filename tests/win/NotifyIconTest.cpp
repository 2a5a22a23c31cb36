// The icon in the notification area that both tray components show: what it hands the shell and
// when, its return after the taskbar restarts, the session's end, its mouse messages, the menu
// and hiding the program into the tray. What each component adds is tested with it.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <functional>
#include <string>
#include <vector>
#include "framework/Menus.h"
#include "framework/NotifyIcon.h"
#include "framework/StdCtrls.h"
#include "TrayTestSupport.h"

namespace {

const std::vector<DWORD> kAdd{NIM_ADD}, kModify{NIM_MODIFY}, kDelete{NIM_DELETE}, kNone{};

class TRecordingMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  std::vector<POINT> Shown;
  HWND Foreground = nullptr, Focus = nullptr;
  std::function<void()> WhileShown;
  void Popup(int x, int y) override {
    Shown.push_back(POINT{x, y});
    Foreground = GetForegroundWindow();
    Focus = GetFocus();
    if (WhileShown) WhileShown();
  }
};

// The smallest component with such an icon.
class TTestTrayIcon : public TNotifyIconComponent<TComponent> {
 public:
  explicit TTestTrayIcon(TComponent* AOwner) : TNotifyIconComponent(AOwner, 7, kMessage) {}
  static constexpr UINT kMessage = WM_USER + 7;
  TNotifyIcon& Core() { return Tray(); }
  int Entered = 0;

 protected:
  void EnterTray() override {
    ++Entered;
    TNotifyIcon::HideApplication();
  }
};

class NotifyIcon : public TrayTest {
 protected:
  void SetUp() override {
    menu = new TRecordingMenu(form);
    icon = new TTestTrayIcon(form);
    icon->SetHint("Velmora is running");
    icon->SetShowHint(true);
    icon->SetPopupMenu(menu);
    icon->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int, int) { log.push_back("down " + Button(b, s)); };
    icon->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int, int) { log.push_back("up " + Button(b, s)); };
    icon->OnMouseMove = [this](TObject*, TShiftState, int, int) { log.push_back("move"); };
    icon->OnClick = [this](TObject*) { log.push_back("click"); };
    icon->OnDblClick = [this](TObject*) { log.push_back("dblclick"); };
  }
  static std::string Button(TMouseButton b, TShiftState s) {
    std::string n = b == mbLeft ? "left" : b == mbRight ? "right" : "middle";
    bool flag = (b == mbLeft && (s & ssLeft)) || (b == mbRight && (s & ssRight)) || (b == mbMiddle && (s & ssMiddle));
    return flag ? n : n + "?";
  }
  // Shown with the program's icon.
  void Show() {
    icon->Core().Icon().SetResource("MAINICON");
    icon->Core().SetVisible(true);
  }
  void Mouse(UINT msg) { SendMessageA(icon->Handle(), TTestTrayIcon::kMessage, 7, msg); }
  void TaskbarCreated() { SendMessageA(icon->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0); }
  void AddItem(const char* caption, bool isDefault) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    item->SetDefault(isDefault);
    item->OnClick = [this, caption](TObject*) { log.push_back(caption); };
    menu->Items()->Add(item);
  }
  int NullsPosted(HWND h) {
    int n = 0;
    MSG m;
    while (PeekMessageA(&m, h, 0, 0, PM_REMOVE)) n += m.message == WM_NULL;
    return n;
  }
  TRecordingMenu* menu = nullptr;
  TTestTrayIcon* icon = nullptr;
  std::vector<std::string> log;
};

}  // namespace

TEST_F(NotifyIcon, TheShellGetsTheIconOnceItIsVisibleAndHasAnImageAndLosesItAtTheEnd) {
  // Visible without an image: no blank slot in the tray.
  icon->Core().SetVisible(true);
  EXPECT_EQ(shell.Messages(), kNone);
  // Nothing while the component loads; the image then adds it.
  icon->BeginLoading();
  icon->Core().Icon().SetResource("MAINICON");
  EXPECT_EQ(shell.Messages(), kNone);
  icon->Loaded();
  EXPECT_EQ(shell.Messages(), kNone);
  EXPECT_TRUE(icon->Core().Apply());
  ASSERT_EQ(shell.Messages(), kAdd);
  const TNotifyIconData& add = shell.calls[0].data;
  EXPECT_EQ(add.cbSize, 88u);
  EXPECT_EQ(add.hWnd, icon->Handle());
  EXPECT_EQ(add.uID, 7u);
  EXPECT_EQ(add.uFlags, 7u);
  EXPECT_EQ(add.uCallbackMessage, TTestTrayIcon::kMessage);
  EXPECT_EQ(add.hIcon, icon->Core().Icon().Handle());
  EXPECT_STREQ(add.szTip, "Velmora is running");
  EXPECT_TRUE(icon->Added());

  // The tip: cut to 63 characters, all zeros without ShowHint; an equal value sends nothing.
  shell.calls.clear();
  std::string hint(64, 'x');
  hint.back() = 'y';
  icon->SetHint(hint);
  icon->SetHint(hint);
  icon->SetShowHint(false);
  ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}));
  EXPECT_EQ(std::string(shell.calls[0].data.szTip), std::string(63, 'x'));
  EXPECT_EQ(std::string(shell.calls[1].data.szTip, 64), std::string(64, '\0'));

  // Hidden: deleted once; a hidden icon that never went to the shell sends nothing.
  shell.calls.clear();
  EXPECT_TRUE(icon->Core().SetVisible(false));
  EXPECT_FALSE(icon->Core().SetVisible(false));
  EXPECT_EQ(shell.Messages(), kDelete);
  EXPECT_FALSE(icon->Added());

  // The end removes the icon even when the shell refused its add (it may have taken it all the
  // same), and the window goes with it.
  shell.answer = FALSE;
  EXPECT_FALSE(icon->Core().SetVisible(true));
  shell.answer = TRUE;
  shell.calls.clear();
  HWND h = icon->Handle();
  delete icon;
  ASSERT_EQ(shell.Messages(), kDelete);
  EXPECT_EQ(shell.calls[0].data.hWnd, h);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(NotifyIcon, ARefusedAddOrChangeIsTriedAgainAndTheTaskbarsReturnAddsTheIconAgain) {
  shell.answer = FALSE;  // no taskbar yet, as at logon
  Show();
  EXPECT_FALSE(icon->Added());
  shell.answer = TRUE;
  icon->SetHint("next");
  EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
  EXPECT_TRUE(icon->Added());
  // A change the shell refuses (its icon went with the taskbar) becomes an add.
  shell.calls.clear();
  shell.answer = FALSE;
  icon->SetHint("again");
  EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_ADD}));
  EXPECT_FALSE(icon->Added());
  shell.answer = TRUE;
  // The shell's broadcast after the taskbar restarts adds a shown icon, and only that.
  shell.calls.clear();
  TaskbarCreated();
  EXPECT_EQ(shell.Messages(), kAdd);
  EXPECT_TRUE(icon->Added());
  icon->Core().SetVisible(false);
  shell.calls.clear();
  TaskbarCreated();
  EXPECT_EQ(shell.Messages(), kNone);
}

TEST_F(NotifyIcon, TheSessionsEndTakesTheIconOutUntilTheSessionGoesOnAfterAll) {
  Show();
  shell.calls.clear();
  // Windows may end the process once the question is answered: no icon may be left behind.
  EXPECT_EQ(SendMessageA(icon->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  ASSERT_EQ(shell.Messages(), kDelete);
  EXPECT_EQ(shell.calls[0].data.uID, 7u);
  EXPECT_FALSE(icon->Added());
  // Nothing brings it back meanwhile: a new hint or image, the taskbar's return, another notice.
  icon->SetHint("changed");
  icon->Core().Icon().SetResource("MAINICON");
  TaskbarCreated();
  SendMessageA(app->Handle(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_EQ(shell.Messages(), kDelete);
  EXPECT_TRUE(icon->Core().Visible());
  // Another program said no: the session goes on, and the icon comes back as it is now.
  SendMessageA(app->Handle(), WM_ENDSESSION, FALSE, 0);
  ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  EXPECT_STREQ(shell.calls[1].data.szTip, "changed");
  EXPECT_TRUE(icon->Added());
}

TEST_F(NotifyIcon, MouseMessagesBecomeEventsAndOnlyTheLeftButtonDoubleClicks) {
  Show();
  form->Show();
  Mouse(WM_MOUSEMOVE);
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  Mouse(WM_LBUTTONDBLCLK);
  Mouse(WM_LBUTTONUP);
  // The double-click's own release makes no second click.
  EXPECT_EQ(log, (std::vector<std::string>{"move", "down left", "click", "up left", "dblclick", "up left"}));
  EXPECT_TRUE(menu->Shown.empty());
  // The right press opens the menu at once; its double-click is no double-click (its press has
  // opened the menu already), nor is the middle one's.
  log.clear();
  Mouse(WM_RBUTTONDOWN);
  EXPECT_EQ(menu->Shown.size(), 1u);
  Mouse(WM_RBUTTONUP);
  Mouse(WM_RBUTTONDBLCLK);
  Mouse(WM_MBUTTONDOWN);
  Mouse(WM_MBUTTONUP);
  Mouse(WM_MBUTTONDBLCLK);
  EXPECT_EQ(log, (std::vector<std::string>{"down right", "up right", "down middle", "up middle"}));
  EXPECT_EQ(menu->Shown.size(), 1u);
  // Disabled: nothing at all.
  log.clear();
  icon->SetEnabled(false);
  Mouse(WM_RBUTTONDOWN);
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(menu->Shown.size(), 1u);
}

TEST_F(NotifyIcon, ADoubleClickRunsTheMenusDefaultItemUnlessTheLeftButtonOpensTheMenu) {
  Show();
  AddItem("first", false);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, std::vector<std::string>{"dblclick"});
  AddItem("second", true);
  AddItem("third", true);
  log.clear();
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, (std::vector<std::string>{"dblclick", "second"}));
  // With the menu on the left button the press opens it and makes no click; the double-click
  // leaves the default item alone.
  log.clear();
  icon->Core().SetLeftPopup(true);
  Mouse(WM_LBUTTONDOWN);
  Mouse(WM_LBUTTONUP);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, (std::vector<std::string>{"down left", "up left", "dblclick"}));
  EXPECT_EQ(menu->Shown.size(), 1u);
  // A menu that does not pop up by itself is left to its owner.
  menu->SetAutoPopup(false);
  icon->Core().SetLeftPopup(false);
  log.clear();
  Mouse(WM_RBUTTONDOWN);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(menu->Shown.size(), 1u);
  EXPECT_EQ(log, (std::vector<std::string>{"down right", "dblclick"}));
}

TEST_F(NotifyIcon, TheMenuOpensAtThePointerWithItsWindowInTheForegroundAndThatWindowGetsANullMessageAfter) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  Show();
  form->Show();
  edit->SetFocus();
  ::SetFocus(nullptr);  // the keyboard went nowhere meanwhile
  NullsPosted(form->Handle());
  Mouse(WM_RBUTTONDOWN);
  ASSERT_EQ(menu->Shown.size(), 1u);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(menu->Shown[0].x, cursor.x);
  EXPECT_EQ(menu->Shown[0].y, cursor.y);
  // The window the menu reports to: the main form.
  EXPECT_EQ(menu->OwnerWindow(), form->Handle());
  EXPECT_EQ(menu->Foreground, form->Handle());
  EXPECT_EQ(menu->Focus, edit->Handle());
  EXPECT_EQ(menu->PopupComponent(), icon);
  EXPECT_EQ(NullsPosted(form->Handle()), 1);
  // No pointer position (a locked workstation): no menu.
  TMousePosSource old = SetMousePosSource([](LPPOINT) WINAPI -> BOOL { return FALSE; });
  Mouse(WM_RBUTTONDOWN);
  SetMousePosSource(old);
  EXPECT_EQ(menu->Shown.size(), 1u);
  // The menu's end lets it go.
  delete menu;
  EXPECT_EQ(icon->PopupMenu(), nullptr);
  Mouse(WM_RBUTTONDOWN);
  EXPECT_EQ(log.back(), "down right");
}

TEST_F(NotifyIcon, HandlersAndMenuItemsMayFreeTheComponent) {
  Show();
  auto freeIcon = [this](TObject*) {
    delete icon;
    icon = nullptr;
  };
  // Each handler frees it; nothing of the icon is touched after.
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN}) {
    icon = new TTestTrayIcon(form);
    icon->SetPopupMenu(menu);
    HWND h = icon->Handle();
    if (m == WM_LBUTTONUP) SendMessageA(h, TTestTrayIcon::kMessage, 0, WM_LBUTTONDOWN);
    icon->OnMouseDown = [&](TObject* s, TMouseButton, TShiftState, int, int) { freeIcon(s); };
    if (m == WM_LBUTTONUP) {
      icon->OnMouseDown = nullptr;
      icon->OnClick = freeIcon;
    }
    if (m == WM_LBUTTONDBLCLK) icon->OnDblClick = freeIcon;
    size_t shown = menu->Shown.size();
    SendMessageA(h, TTestTrayIcon::kMessage, 0, m);
    EXPECT_EQ(icon, nullptr) << m;
    EXPECT_FALSE(IsWindow(h)) << m;
    EXPECT_EQ(menu->Shown.size(), shown) << m;
  }
  // A menu item that ends the program's icon while the menu is up.
  icon = new TTestTrayIcon(form);
  icon->SetPopupMenu(menu);
  menu->WhileShown = [&] { freeIcon(nullptr); };
  SendMessageA(icon->Handle(), TTestTrayIcon::kMessage, 0, WM_RBUTTONDOWN);
  EXPECT_EQ(icon, nullptr);
  EXPECT_EQ(menu->PopupComponent(), nullptr);
}

TEST_F(NotifyIcon, MinimisingTheApplicationHidesItIntoTheTrayWhenAsked) {
  Show();
  form->Show();
  ASSERT_TRUE(IsWindowVisible(app->Handle()));
  app->Minimize();
  EXPECT_EQ(icon->Entered, 0);
  app->Restore();
  icon->Core().SetMinimizeToTray(true);
  app->Minimize();
  EXPECT_EQ(icon->Entered, 1);
  EXPECT_FALSE(IsWindowVisible(app->Handle()));  // no taskbar button
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  app->Restore();
  EXPECT_TRUE(IsWindowVisible(app->Handle()));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}
