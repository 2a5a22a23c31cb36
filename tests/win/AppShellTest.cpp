// The application as a whole: its events through components, its settings, one running copy,
// and the fade.
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "flat/FlatHints.h"
#include "shell/AppComponents.h"
#include "shell/AppProps.h"
#include "shell/WindowFade.h"

namespace {

class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    app = new TApplication(nullptr);
    app->Initialize();
    app->SetTitle(title);
  }
  void TearDown() override {
    delete app;
    InstanceApi() = TInstanceApi{};
    SetMessageBoxHook(nullptr);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  // Runs what the application has posted itself.
  void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        quit = true;
        continue;
      }
      DispatchMessageA(&m);
    }
  }
  TApplication* app = nullptr;
  std::string title = "VelmoraTest " + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
  bool quit = false;
};

struct Events : TCustomApplicationEvents {
  using TCustomApplicationEvents::TCustomApplicationEvents;
};

// Stand-ins for the system's mutex calls.
DWORD WINAPI WaitTimesOut(HANDLE, DWORD) { return WAIT_TIMEOUT; }
DWORD WINAPI WaitAbandoned(HANDLE, DWORD) { return WAIT_ABANDONED; }
HANDLE WINAPI CreateExisting(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) {
  HANDLE h = CreateMutexA(nullptr, FALSE, name);
  SetLastError(ERROR_ALREADY_EXISTS);
  return h;
}
HANDLE WINAPI CreateRefused(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) {
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}
HANDLE WINAPI CreateInstanceRefused(LPSECURITY_ATTRIBUTES sa, BOOL owner, LPCSTR name) {
  if (std::string(name).rfind("Default.", 0) == 0) return CreateRefused(sa, owner, name);
  return CreateMutexA(sa, owner, name);
}

}  // namespace

TEST_F(Shell, ApplicationEventsReachTheComponentsNewestFirstUntilOneCancels) {
  std::vector<std::string> log;
  bool ownCalled = false;
  app->OnMinimize = [&](TObject*) {
    log.push_back("own");
    ownCalled = true;
  };
  auto* older = new Events(app);
  auto* newer = new Events(app);
  older->OnMinimize = [&](TObject*) { log.push_back("older"); };
  newer->OnMinimize = [&](TObject*) { log.push_back("newer"); };
  app->OnMinimize(app);
  // The handler the application had before the chain (a flat hint's, say) comes last.
  EXPECT_EQ(log, (std::vector<std::string>{"newer", "older", "own"}));

  log.clear();
  newer->OnMinimize = [&](TObject*) {
    log.push_back("newer");
    newer->CancelDispatch();
  };
  app->OnMinimize(app);
  EXPECT_EQ(log, (std::vector<std::string>{"newer"}));

  // One that goes while the event is on its way is skipped; a failing handler is contained.
  log.clear();
  newer->OnMinimize = [&](TObject*) {
    delete older;
    throw std::runtime_error("handler failed");
  };
  app->OnMinimize(app);
  EXPECT_EQ(log, (std::vector<std::string>{"own"}));
  EXPECT_EQ(ApplicationEventsCount(), 1);
  delete newer;
  EXPECT_EQ(ApplicationEventsCount(), 0);
  ownCalled = false;
  app->OnMinimize(app);
  EXPECT_TRUE(ownCalled);  // the application's own handler is back
}

TEST_F(Shell, ActivationIsRaisedOnceAfterTheSystemsNoticeAndErrorsAreDropped) {
  auto* props = new TApplicationProperties(app);
  int activations = 0, deactivations = 0;
  props->OnActivate = [&](TObject*) { ++activations; };
  props->OnDeactivate = [&](TObject*) { ++deactivations; };
  SendMessageA(app->Handle(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(activations, 0);
  Pump();
  EXPECT_EQ(activations, 1);
  SendMessageA(app->Handle(), WM_ACTIVATEAPP, FALSE, 0);
  Pump();
  EXPECT_EQ(deactivations, 1);
  EXPECT_EQ(activations, 1);
  // Nobody binds OnException: a failure is dropped and the program goes on.
  app->HandleException(app, std::runtime_error("dropped"));
  // A component with Chained off stops every event.
  auto* gate = new TApplicationProperties(app);
  gate->SetChained(false);
  SendMessageA(app->Handle(), WM_ACTIVATEAPP, TRUE, 0);
  Pump();
  EXPECT_EQ(activations, 1);
  delete gate;
  SendMessageA(app->Handle(), WM_ACTIVATEAPP, TRUE, 0);
  Pump();
  EXPECT_EQ(activations, 2);
}

TEST_F(Shell, ApplicationPropertiesApplyTheirSettingsWhenLoaded) {
  app->HintPause = 1;
  auto* props = new TApplicationProperties(app);
  props->BeginLoading();
  props->SetHintPause(700);
  props->SetHintColor(clYellow);
  props->SetShowMainForm(false);
  props->SetHidden(true);
  EXPECT_EQ(app->HintPause, 1);  // waits for the loaded step
  props->Loaded();
  EXPECT_EQ(app->HintPause, 700);
  EXPECT_EQ(app->HintShortPause, 50);
  EXPECT_EQ(app->HintHidePause, 2500);
  EXPECT_EQ(app->HintColor, clYellow);
  EXPECT_FALSE(app->ShowMainForm());
  EXPECT_TRUE(GetWindowLongA(app->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(IsWindowVisible(app->Handle()));
  props->SetTitle("Renamed");
  EXPECT_EQ(app->Title(), "Renamed");
}

TEST_F(Shell, TheFirstCopyHoldsTheInstanceAndALaterCheckFindsItRunning) {
  auto* first = new TOneInstance(app);
  EXPECT_FALSE(first->CheckRunning());
  EXPECT_TRUE(first->OwnsInstance());
  // Another process holds it: the wait times out.
  InstanceApi().Wait = WaitTimesOut;
  auto* second = new TOneInstance(app);
  EXPECT_TRUE(second->CheckRunning());
  EXPECT_FALSE(second->OwnsInstance());
  // A copy that died left it abandoned: taken over.
  InstanceApi().Wait = WaitAbandoned;
  auto* third = new TOneInstance(app);
  EXPECT_FALSE(third->CheckRunning());
  EXPECT_TRUE(third->OwnsInstance());
}

TEST_F(Shell, AGuardInUseOrAnInstanceMutexThatCannotBeOpenedMeansACopyRuns) {
  // Another copy is checking right now.
  InstanceApi().Create = CreateExisting;
  auto* one = new TOneInstance(app);
  EXPECT_TRUE(one->CheckRunning());
  // The guard cannot be made at all.
  InstanceApi().Create = CreateRefused;
  EXPECT_TRUE(one->CheckRunning());
  // The instance mutex exists but is not ours to open (an elevated copy, another session).
  InstanceApi().Create = CreateInstanceRefused;
  auto* two = new TOneInstance(app);
  EXPECT_TRUE(two->CheckRunning());
  EXPECT_FALSE(two->OwnsInstance());
}

TEST_F(Shell, ADuplicateStartWarnsIfAskedBringsTheRunningCopyBackAndEnds) {
  // The running copy: another application window of this title, minimised.
  HWND other = CreateWindowExA(0, "TApplication", title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100,
                               50, 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  ShowWindow(other, SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsIconic(other));
  std::vector<std::string> boxes;
  SetMessageBoxHook([&](const std::string& text, const std::string& caption, UINT flags) {
    boxes.push_back(text + "|" + caption + "|" + std::to_string(flags & MB_ICONMASK));
    return IDOK;
  });
  auto* dup = new TOneInstance(app);
  dup->SetShowMessage(true);
  dup->DuplicateStart();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Application \"" + title + "\" is already running.|" + title + "|" + std::to_string(MB_ICONWARNING));
  EXPECT_FALSE(IsIconic(other));
  EXPECT_FALSE(app->ShowMainForm());
  EXPECT_TRUE(EndingDuplicate());
  Pump();
  EXPECT_TRUE(quit);
  // What loads later does not show the main window.
  auto* props = new TApplicationProperties(app);
  props->Loaded();
  EXPECT_FALSE(app->ShowMainForm());
  delete dup;
  EXPECT_FALSE(EndingDuplicate());
  DestroyWindow(other);
}

TEST_F(Shell, ADuplicateMayBeLetRunByItsMessageHandler) {
  auto* dup = new TOneInstance(app);
  dup->SetShowMessage(true);
  dup->SetActivatePrevInstance(false);
  dup->OnShowMessage = [](TObject*, bool& terminate) { terminate = false; };
  SetMessageBoxHook([](const std::string&, const std::string&, UINT) -> int {
    ADD_FAILURE() << "no box when a handler is bound";
    return IDOK;
  });
  dup->DuplicateStart();
  EXPECT_TRUE(app->ShowMainForm());
  EXPECT_FALSE(EndingDuplicate());
  Pump();
  EXPECT_FALSE(quit);
}

namespace {
struct Probe {
  std::string name;
  bool free = false;
};
DWORD WINAPI ProbeMutex(LPVOID p) {
  auto* pr = static_cast<Probe*>(p);
  HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, pr->name.c_str());
  if (m && WaitForSingleObject(m, 0) == WAIT_OBJECT_0) {
    pr->free = true;
    ReleaseMutex(m);
  }
  if (m) CloseHandle(m);
  return 0;
}
// Whether another thread could take the named mutex now (ownership is per thread).
bool FreeForOthers(const std::string& name) {
  Probe probe{name};
  HANDLE t = CreateThread(nullptr, 0, ProbeMutex, &probe, 0, nullptr);
  WaitForSingleObject(t, 5000);
  CloseHandle(t);
  return probe.free;
}
}  // namespace

TEST_F(Shell, TheInstanceIsLetGoOnceTheMainWindowsCloseIsAcceptedAndTakenBackWhenCalledOff) {
  auto* form = new TForm(app);
  app->AddForm(form);
  TCloseAction action = caNone;
  form->OnClose = [&](TObject*, TCloseAction& a) { a = action; };
  auto* one = new TOneInstance(form);
  one->Loaded();
  const std::string name = "Default.OneInstance." + title;
  ASSERT_TRUE(one->OwnsInstance());
  EXPECT_FALSE(FreeForOthers(name));
  form->Close();  // called off by the window
  EXPECT_TRUE(one->OwnsInstance());
  EXPECT_FALSE(FreeForOthers(name));
  action = caHide;
  form->Close();
  EXPECT_FALSE(one->OwnsInstance());
  EXPECT_TRUE(FreeForOthers(name));
}

TEST_F(Shell, TheSessionsEndIsToldOnceFromAnyWindowAndTheInstanceGoesOnlyWhenItIsCertain) {
  // Windows sends the notices to every top-level window: the application's, the forms', and the
  // hidden ones; whichever comes first acts, once per notice.
  auto* form = new TForm(app);
  app->AddForm(form);
  form->HandleNeeded();
  auto* one = new TOneInstance(form);
  one->Loaded();
  ASSERT_TRUE(one->OwnsInstance());
  const std::string name = "Default.OneInstance." + title;
  std::vector<std::string> told;
  int key = 0;
  app->HookMainWindow(&key, [&](UINT msg, WPARAM wp, LPARAM lp, LRESULT&) {
    if (msg == CM_SESSIONEND) told.push_back(!wp ? "goes on" : lp ? "ends" : "may end");
    return false;
  });
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(SendMessageA(app->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(told, std::vector<std::string>{"may end"});
  // While the question is out a start still finds this copy.
  EXPECT_TRUE(one->OwnsInstance());
  EXPECT_FALSE(FreeForOthers(name));
  // Another program refused: the session goes on, and so does this copy, the only one.
  SendMessageA(app->Handle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(told, (std::vector<std::string>{"may end", "goes on"}));
  EXPECT_TRUE(one->OwnsInstance());
  EXPECT_FALSE(FreeForOthers(name));
  Pump();
  EXPECT_FALSE(quit);
  // The real end: asked, then ended (told again, in case the question never came), and the
  // message loop ends without waiting for anything.
  SendMessageA(app->Handle(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_TRUE(one->OwnsInstance());
  SendMessageA(form->Handle(), WM_ENDSESSION, TRUE, 0);
  SendMessageA(app->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(told, (std::vector<std::string>{"may end", "goes on", "may end", "ends"}));
  EXPECT_FALSE(one->OwnsInstance());
  EXPECT_TRUE(FreeForOthers(name));
  EXPECT_TRUE(app->SessionEnding());
  Pump();
  EXPECT_TRUE(quit);
  app->UnhookMainWindow(&key);
}

TEST_F(Shell, TheProgramsOtherWindowsGoWithItWhenItIsMinimisedAndComeBackWithIt) {
  auto* main = new TForm(app);
  app->AddForm(main);
  auto* dialog = new TForm(app);
  auto* closed = new TForm(app);
  main->Show();
  dialog->Show();
  closed->Show();
  closed->Hide();
  app->Minimize();
  EXPECT_FALSE(IsWindowVisible(main->Handle()));
  EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
  EXPECT_TRUE(dialog->Visible());  // still open, only out of sight
  app->Restore();
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
  EXPECT_FALSE(IsWindowVisible(closed->Handle()));  // what was closed stays closed
  // Restored from outside (a second start's OpenIcon): the same.
  app->Minimize();
  OpenIcon(app->Handle());
  Pump();
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
  EXPECT_FALSE(IsWindowVisible(closed->Handle()));
}

TEST_F(Shell, TheFlatHintsShowHintHandlerWorksBehindTheApplicationEvents) {
  // The flat hint takes the application's event first; the main window's application events
  // come after it and must not cut it off.
  auto* hint = new TFlatHint(app);
  std::vector<std::string> log;
  hint->OnShowHint = [&](std::string& text, bool&, THintInfo&) {
    log.push_back("flat");
    text += "!";
  };
  auto* props = new TApplicationProperties(app);
  props->OnShowHint = [&](std::string&, bool&, THintInfo&) { log.push_back("props"); };
  std::string text = "hint";
  bool canShow = true;
  THintInfo info;
  app->OnShowHint(text, canShow, info);
  EXPECT_EQ(log, (std::vector<std::string>{"props", "flat"}));
  EXPECT_EQ(text, "hint!");
  delete props;
  log.clear();
  app->OnShowHint(text, canShow, info);
  EXPECT_EQ(log, std::vector<std::string>{"flat"});
}

// ---------------------------------------------------------------- fade

namespace {
class TRecordingFade : public TWindowFade {
 public:
  using TWindowFade::TWindowFade;
  std::vector<int> Steps;
  void SetOpacity(HWND, int Percent) override { Steps.push_back(Percent); }
};
}  // namespace

TEST(Fade, AlphaIsThePercentOf255WithinZeroTo100) {
  EXPECT_EQ(FadeAlpha(0), 0);
  EXPECT_EQ(FadeAlpha(1), 2);
  EXPECT_EQ(FadeAlpha(50), 127);
  EXPECT_EQ(FadeAlpha(90), 229);
  EXPECT_EQ(FadeAlpha(99), 252);
  EXPECT_EQ(FadeAlpha(100), 255);
  EXPECT_EQ(FadeAlpha(156), 255);  // would overflow the byte
  EXPECT_EQ(FadeAlpha(-56), 0);
}

TEST_F(Shell, FadesStepThroughEveryPercentAndOddTransparenciesStayInRange) {
  auto* form = new TForm(app);
  form->SetBounds(0, 0, 100, 50);
  auto* fade = new TRecordingFade(form);
  fade->SetFadeTime(0);
  fade->FadeInTo(0);
  ASSERT_EQ(fade->Steps.size(), 102u);  // invisible first, then 101 steps
  EXPECT_EQ(fade->Steps[0], 0);
  EXPECT_EQ(fade->Steps[1], 0);
  EXPECT_EQ(fade->Steps.back(), 100);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(fade->Transparency(), 0);

  fade->Steps.clear();
  fade->SetTransparency(100);
  fade->FadeOutAll();
  EXPECT_EQ(fade->Steps, std::vector<int>{0});

  // A byte above 127 reads as negative; a negative pause is no pause.
  fade->Steps.clear();
  fade->SetTransparency(200);
  fade->SetFadeTime(250);
  EXPECT_EQ(fade->Transparency(), -56);
  fade->FadeOutAll();
  EXPECT_EQ(fade->Steps.size(), 157u);
  EXPECT_EQ(fade->Steps.front(), 156);
  EXPECT_EQ(fade->Transparency(), 100);

  fade->Steps.clear();
  fade->FadeInTo(101);
  EXPECT_EQ(fade->Steps, std::vector<int>{0});
  EXPECT_EQ(fade->Transparency(), 101);
}

TEST_F(Shell, FadeIsLayeredOnlyOnWindows2000PerVersion) {
  auto* form = new TForm(app);
  form->SetBounds(0, 0, 100, 50);
  auto* fade = new TWindowFade(form);
  fade->SetFadeTime(0);
  fade->FadeInTo(1);
  HWND h = form->Handle();
  DWORD v = GetVersion();
  bool win2k = (v & 0xFF) == 5 && ((v >> 8) & 0xFF) == 0;
  EXPECT_EQ((GetWindowLongA(h, GWL_EXSTYLE) & 0x80000) != 0, win2k);
  if (win2k) {
    using GetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
    auto get = reinterpret_cast<GetLayeredFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetLayeredWindowAttributes")));
    ASSERT_NE(get, nullptr);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(get(h, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 252);
  }
  // An owner that is not a form is an error of use.
  TWindowFade stray(app);
  EXPECT_THROW(stray.FadeOutAll(), Exception);
}
