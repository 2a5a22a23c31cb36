// Window placement saved to and restored from the real registry (and an ini file), with what a
// damaged store holds.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include "framework/ExtCtrls.h"
#include "framework/Registry.h"
#include "framework/StdCtrls.h"
#include "shell/FormPlacement.h"
#include "shell/WindowHook.h"

namespace {

const char kKey[] = "VelmoraTest\\Placement";

class TPlacedForm : public TForm {
  VELMORA_CLASS(TPlacedForm, TForm)
 public:
  TPlacedForm(TComponent* owner, const std::string& text) : TForm(owner) {
    BindField("Storage", Storage);
    BindField("Panel1", Panel1);
    RegisterHandler("Shown", TNotifyEvent([this](TObject*) { ++Shown; }));
    LoadDescriptionText(text, "Placed");
  }
  TFormStorage* Storage = nullptr;
  TPanel* Panel1 = nullptr;
  int Shown = 0;
};
VELMORA_CLASS_INFO(TPlacedForm) {}

std::string Describe(const std::string& border, const std::string& storage) {
  return "object Placed: TPlacedForm\n"
         "  BorderStyle = " + border + "\n"
         "  Position = poDesktopCenter\n"
         "  ClientWidth = 300\n  ClientHeight = 150\n"
         "  OnShow = Shown\n"
         "  object Panel1: TPanel\n    Left = 0\n    Top = 0\n    Width = 50\n    Height = 20\n    Caption = 'one'\n  end\n"
         "  object Storage: TFormStorage\n"
         "    IniFileName = 'VelmoraTest\\Placement'\n    IniSection = 'Main'\n" + storage + "  end\nend\n";
}
const std::string kRegistry = "    UseRegistry = True\n";

std::string Suffix() {
  return "(" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ")";
}

class Placement : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterExtControlClasses();
      RegisterPlacementClasses();
      registered = true;
    }
    TRegistry().DeleteKey("VelmoraTest");
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
  }
  void TearDown() override {
    delete app;
    TRegistry().DeleteKey("VelmoraTest");
  }
  TPlacedForm* Make(const std::string& border = "bsSingle", const std::string& storage = kRegistry) {
    return new TPlacedForm(app, Describe(border, storage));
  }
  static void Put(const std::string& name, const std::string& value) {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(std::string(kKey) + "\\Main", true));
    r.WriteString(name, value);
  }
  // Both names of a position, so that neither an earlier save's nor this screen's wins.
  static void PutPos(const std::string& name, const std::string& value) {
    Put(name, value);
    Put(name + Suffix(), value);
  }
  static void PutInt(const std::string& name, int value) {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(std::string(kKey) + "\\Main", true));
    r.WriteInteger(name, value);
  }
  // Every value of the section with its type.
  static std::map<std::string, std::pair<DWORD, std::string>> Stored() {
    std::map<std::string, std::pair<DWORD, std::string>> out;
    TRegistry r(KEY_READ);
    if (!r.OpenKeyReadOnly(std::string(kKey) + "\\Main")) return out;
    TStringList names;
    r.GetValueNames(names);
    for (int i = 0; i < names.Count(); ++i) {
      DWORD type = 0, size = 0;
      r.GetDataInfo(names[i], type, size);
      out[names[i]] = {type, type == REG_SZ ? r.ReadString(names[i]) : std::string()};
    }
    return out;
  }
  static RECT Centred(TForm* f) {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int x = (r.right - f->Width()) / 2, y = (r.bottom - f->Height()) / 2;
    return RECT{x, y, x + f->Width(), y + f->Height()};
  }
  static RECT WindowRect(TForm* f) {
    RECT r;
    GetWindowRect(f->Handle(), &r);
    return r;
  }
  TApplication* app = nullptr;
  std::vector<std::string> errors;
};

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

}  // namespace

TEST_F(Placement, FirstShowCreatesTheKeyAppliesNothingAndTheCloseWritesEveryValueAsText) {
  auto* f = Make();
  f->Show();
  EXPECT_EQ(f->Shown, 1);  // the form's own handler still runs
  EXPECT_TRUE(f->Storage->Restored());
  EXPECT_TRUE(TRegistry().KeyExists(kKey));
  EXPECT_FALSE(TRegistry().KeyExists(std::string(kKey) + "\\Main"));
  EXPECT_TRUE(Same(WindowRect(f), Centred(f)));
  ASSERT_TRUE(f->CloseQuery());
  auto v = Stored();
  RECT r = WindowRect(f);
  std::string norm = std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
  std::map<std::string, std::string> want{{"FormVersion", "0"}, {"Flags", "0"}, {"ShowCmd", "1"}, {"PixelsPerInch", "96"},
                                          {"MinMaxPos", v["MinMaxPos"].second}, {"MinMaxPos" + Suffix(), v["MinMaxPos"].second},
                                          {"NormPos", norm}, {"NormPos" + Suffix(), norm}, {"Visible", "0"}};
  ASSERT_EQ(v.size(), want.size());
  for (auto& [name, text] : want) {
    EXPECT_EQ(v[name].first, static_cast<DWORD>(REG_SZ)) << name;
    EXPECT_EQ(v[name].second, text) << name;
  }
  // Saved at destruction once more only when not saved since the restore.
  delete f;
  EXPECT_EQ(Stored()["Visible"].second, "0");
  EXPECT_TRUE(errors.empty());
}

TEST_F(Placement, AStoredPositionIsAppliedWithTheWindowsOwnSizeAndCentringIsDropped) {
  Put("NormPos", "100,120,105,125");
  auto* f = Make();
  f->Show();
  RECT r = WindowRect(f);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(r.right - r.left, f->Width());
  EXPECT_EQ(f->Position(), poDesigned);
  // A sizeable window takes the stored size too; missing words are its current edges.
  delete f;
  PutPos("NormPos", "40,50,440,350");
  f = Make("bsSizeable");
  f->Show();
  r = WindowRect(f);
  EXPECT_TRUE(Same(r, RECT{40, 50, 440, 350}));
}

TEST_F(Placement, TheValueForThisScreenSizeWinsAndAnotherDensityKeepsOnlyTheState) {
  Put("NormPos" + Suffix(), "50,60,0,0");
  Put("NormPos", "200,210,0,0");
  auto* f = Make();
  f->Show();
  EXPECT_EQ(WindowRect(f).left, 50);
  delete f;
  Put("PixelsPerInch", "120");
  Put("ShowCmd", "3");
  f = Make("bsSizeable");
  f->Show();
  EXPECT_TRUE(IsZoomed(f->Handle()));
  ShowWindow(f->Handle(), SW_RESTORE);
  EXPECT_TRUE(Same(WindowRect(f), Centred(f)));
}

TEST_F(Placement, AWindowWithoutAMaximiseBoxComesBackNormalAtItsStoredPlace) {
  // A stored 3 (maximised) would stretch a fixed window over the whole screen.
  PutPos("NormPos", "100,120,0,0");
  Put("ShowCmd", "3");
  auto* f = Make("bsSingle\n  BorderIcons = [biSystemMenu, biMinimize]");
  f->Show();
  EXPECT_FALSE(IsZoomed(f->Handle()));
  RECT r = WindowRect(f);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(r.right - r.left, f->Width());
  ASSERT_TRUE(f->CloseQuery());
  EXPECT_EQ(Stored()["ShowCmd"].second, "1");
}

TEST_F(Placement, TheSessionsEndSavesThePlacementBeforeItIsAnswered) {
  auto* f = Make();
  auto* hidden = new TPlacedForm(app, Describe("bsSingle", kRegistry).replace(0, 13, "object Other"));
  f->Show();
  SetWindowPos(f->Handle(), nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(SendMessageA(f->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  auto v = Stored();
  EXPECT_EQ(v["NormPos"].second.substr(0, 6), "70,80,");
  EXPECT_EQ(v["Visible"].second, "0");
  // A window never shown keeps what was stored (here: the shown one's data stays).
  EXPECT_FALSE(hidden->Storage->Restored());
  EXPECT_TRUE(errors.empty());
}

TEST_F(Placement, APositionOnNoScreenIsNotAppliedAndIsSavedFromWhereTheWindowIs) {
  for (const char* where : {"5000,5000,5300,5200", "-4000,10,-3600,200", "300,-200,600,10", "2147483600,0,0,0"}) {
    PutPos("NormPos", where);
    auto* f = Make();
    f->Show();
    EXPECT_TRUE(Same(WindowRect(f), Centred(f))) << where;
    ASSERT_TRUE(f->CloseQuery());
    RECT r = Centred(f);
    EXPECT_EQ(Stored()["NormPos"].second, std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                                              std::to_string(r.right) + "," + std::to_string(r.bottom));
    delete f;
  }
  // An empty rectangle is not applied either.
  PutPos("NormPos", "300,300,300,500");
  auto* f = Make("bsSizeable");
  f->Show();
  EXPECT_TRUE(Same(WindowRect(f), Centred(f)));
}

TEST_F(Placement, WrongTypedEmptyAndOversizedValuesCountAsMissingAndTheNextSaveRepairsThem) {
  PutInt("NormPos", 100);
  PutInt("FormVersion", 5);
  PutInt("ShowCmd", 3);
  Put("MinMaxPos", "");
  Put("Flags", std::string(100000, '7'));
  {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(std::string(kKey) + "\\Main", false));
    const BYTE bin[3] = {1, 2, 3};
    r.WriteBinaryData("PixelsPerInch", bin, 3);
  }
  auto* f = Make("bsSizeable");
  f->Show();
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(f->Storage->Restored());
  EXPECT_FALSE(IsZoomed(f->Handle()));
  EXPECT_TRUE(Same(WindowRect(f), Centred(f)));
  ASSERT_TRUE(f->CloseQuery());
  auto v = Stored();
  for (const char* name : {"NormPos", "FormVersion", "ShowCmd", "Flags", "PixelsPerInch"}) EXPECT_EQ(v[name].first, static_cast<DWORD>(REG_SZ)) << name;
  EXPECT_EQ(v["ShowCmd"].second, "1");
}

TEST_F(Placement, NewerVersionsOnlyTrustNewerDataAndAMinimisedMainWindowGoesThroughTheApplication) {
  Put("FormVersion", "1");
  Put("NormPos", "60,70,0,0");
  auto* f = Make("bsSingle", kRegistry + "    Version = 2\n");
  f->Show();
  EXPECT_TRUE(Same(WindowRect(f), Centred(f)));
  delete f;

  PutPos("NormPos", "60,70,0,0");
  Put("ShowCmd", "2");
  f = Make();
  app->AddForm(f);
  f->Show();
  EXPECT_EQ(WindowRect(f).left, 60);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, app->Handle(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  EXPECT_EQ(m.wParam, static_cast<WPARAM>(SC_MINIMIZE));
  EXPECT_FALSE(IsIconic(f->Handle()));
}

TEST_F(Placement, ANeverShownWindowKeepsTheStoredDataAndSavingFromDestructionSaysSo) {
  Put("NormPos", "60,70,0,0");
  delete Make();
  EXPECT_EQ(Stored().size(), 1u);
  auto* f = Make();
  f->Show();
  delete f;
  EXPECT_EQ(Stored()["Visible"].second, "1");
}

TEST_F(Placement, StoredPropertiesGoBesideThePlacementThroughThePropertyTables) {
  const std::string props = kRegistry + "    StoredProps.Strings = (\n      'Panel1.Visible'\n      'Panel1.Color'\n      'Panel1.Caption'\n      'Panel1.Align'\n      'Panel1.Nothing')\n";
  auto* f = Make("bsSingle", props);
  f->Show();
  f->Panel1->SetVisible(false);
  f->Panel1->SetColor(clRed);
  f->Panel1->SetCaption(" two ");
  f->Panel1->SetAlign(alBottom);
  ASSERT_TRUE(f->CloseQuery());
  auto v = Stored();
  EXPECT_EQ(v["Panel1_Visible"].second, "False");
  EXPECT_EQ(v["Panel1_Color"].second, std::to_string(0x0000FF));
  EXPECT_EQ(v["Panel1_Caption"].second, "two");
  EXPECT_EQ(v["Panel1_Align"].second, "alBottom");
  EXPECT_EQ(v.count("Panel1_Nothing"), 0u);
  delete f;
  Put("Panel1_Color", "red");  // not a number: 0
  f = Make("bsSingle", props);
  f->Show();
  EXPECT_FALSE(f->Panel1->Visible());
  EXPECT_EQ(f->Panel1->Color(), 0);
  EXPECT_EQ(f->Panel1->Caption(), "two");
  EXPECT_EQ(f->Panel1->Align(), alBottom);
}

TEST_F(Placement, AnIniFileWorksTooAndAFailedSaveIsReportedNotFatal) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string file = std::string(dir) + "velmora-placement-test.ini";
  DeleteFileA(file.c_str());
  auto storage = [](const std::string& name) { return "    IniFileName = '" + name + "'\n"; };
  auto* f = Make("bsSingle", storage(file));
  f->Show();
  SetWindowPos(f->Handle(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(f->CloseQuery());
  delete f;
  f = Make("bsSingle", storage(file));
  f->Show();
  EXPECT_EQ(WindowRect(f).left, 30);
  delete f;
  DeleteFileA(file.c_str());

  f = Make("bsSingle", storage("Q:\\no\\such\\folder\\x.ini"));
  f->Show();
  EXPECT_TRUE(f->CloseQuery());  // the close goes on
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Cannot write"), std::string::npos);
}

TEST_F(Placement, SizeLimitsAndNoResizeWorkThroughTheFormsOwnHook) {
  auto* f = Make("bsSizeable", kRegistry + "    MinMaxInfo.MinTrackWidth = 250\n    MinMaxInfo.MaxTrackHeight = 400\n");
  f->Show();
  MINMAXINFO mmi{};
  mmi.ptMaxTrackSize = POINT{9999, 9999};
  SendMessageA(f->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize.x, 250);
  EXPECT_EQ(mmi.ptMaxTrackSize.y, 400);
  EXPECT_EQ(mmi.ptMaxTrackSize.x, 9999);  // 0: no limit
  ASSERT_TRUE(GetWindowLongA(f->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
  f->Storage->SetPreventResize(true);
  EXPECT_FALSE(GetWindowLongA(f->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
  RECT r = WindowRect(f);
  SendMessageA(f->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize.x, r.right - r.left);
  EXPECT_EQ(mmi.ptMaxTrackSize.y, r.bottom - r.top);
  EXPECT_EQ(SendMessageA(f->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, r.bottom - 1)), HTNOWHERE);
  EXPECT_EQ(SendMessageA(f->Handle(), WM_NCHITTEST, 0, MAKELPARAM((r.left + r.right) / 2, r.top + 8)), HTCAPTION);
  f->Storage->SetPreventResize(false);
  EXPECT_TRUE(GetWindowLongA(f->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
  f->Storage->MinMaxInfo()->Assign(TWinMinMaxInfo());
  mmi.ptMinTrackSize.x = 1;
  SendMessageA(f->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize.x, 1);  // unhooked
}

TEST_F(Placement, WorkAreasComeFromTheMonitorsOrTheDesktopWithoutMonitorFunctions) {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  TMonitorApi saved = MonitorApi();
  ASSERT_TRUE(saved.Enum && saved.GetInfo);  // Wine has them in every version mode
  auto areas = WorkAreas();
  ASSERT_GE(areas.size(), 1u);
  EXPECT_EQ(areas[0].bottom - areas[0].top, wa.bottom - wa.top);
  MonitorApi() = TMonitorApi{};  // Windows 95, NT 4.0
  areas = WorkAreas();
  MonitorApi() = saved;
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0].right, wa.right);
  EXPECT_EQ(areas[0].bottom, wa.bottom);
}

TEST_F(Placement, AWindowWhoseTitleBarCannotBeTakenHoldOfIsMovedOntoTheScreen) {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  TMonitorApi saved = MonitorApi();
  for (bool monitors : {true, false}) {
    if (!monitors) MonitorApi() = TMonitorApi{};
    // 24 pixels left of the screen at the right and 28 at the bottom: the icon and the frame.
    PutPos("NormPos", std::to_string(wa.right - 24) + "," + std::to_string(wa.bottom - 28) + ",0,0");
    auto* f = Make();
    f->Show();
    RECT r = WindowRect(f);
    EXPECT_EQ(r.right, wa.right) << monitors;
    EXPECT_EQ(r.bottom, wa.bottom) << monitors;
    EXPECT_EQ(r.right - r.left, f->Width());
    ASSERT_TRUE(f->CloseQuery());
    delete f;
    // Its title bar all on the screen, the rest below: left where it was put.
    PutPos("NormPos", "40," + std::to_string(wa.bottom - 60) + ",0,0");
    f = Make();
    f->Show();
    EXPECT_EQ(WindowRect(f).top, wa.bottom - 60) << monitors;
    delete f;
  }
  MonitorApi() = saved;
}

TEST(WindowHook, SeesMessagesBeforeAndAfterTheControlAndLeavesWithIt) {
  auto* app = new TApplication(nullptr);
  app->Initialize();
  auto* form = new TForm(app);
  form->SetBounds(0, 0, 200, 100);
  form->HandleNeeded();
  std::vector<std::string> log;
  {
    TWindowHook hook(nullptr);
    hook.SetWinControl(form);
    hook.BeforeMessage = [&](TObject*, UINT msg, WPARAM, LPARAM, LRESULT& r, bool& handled) {
      if (msg == WM_APP + 1) {
        r = 42;
        handled = true;
      }
    };
    hook.AfterMessage = [&](TObject*, UINT msg, WPARAM, LPARAM, LRESULT& r) {
      if (msg == WM_NCHITTEST) log.push_back("hit " + std::to_string(r));
      if (msg == WM_GETTEXTLENGTH) r = 99;
    };
    EXPECT_EQ(SendMessageA(form->Handle(), WM_APP + 1, 0, 0), 0);  // not active yet
    hook.SetActive(true);
    EXPECT_EQ(SendMessageA(form->Handle(), WM_APP + 1, 0, 0), 42);
    EXPECT_EQ(SendMessageA(form->Handle(), WM_GETTEXTLENGTH, 0, 0), 99);
    SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(-500, -500));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "hit " + std::to_string(HTNOWHERE));
    delete form;  // the hook lets go of a control that goes first
    EXPECT_EQ(hook.WinControl(), nullptr);
  }
  delete app;
}
