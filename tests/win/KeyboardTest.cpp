// Windows worked from the keyboard as dialogs are: Tab and Shift+Tab through every enabled tab
// stop, also inside group boxes, panels and page controls; Enter on the focused push button or
// the default one; the focus a window had (or was given while hidden) when it comes back; and the
// accelerators of the program's windows, one letter per control.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <set>
#include "TestSupport.h"
#include "app/AppClasses.h"
#include "app/MainUnit.h"
#include "app/OptForm.h"
#include "flat/FlatButtons.h"
#include "flat/FlatCheckBoxes.h"
#include "framework/Accelerators.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "instruments/MtButtons.h"
#include "sysinfo/KSI_DetailDlg.h"
#include "sysinfo/KSI_Overview.h"
#include "wizard/Wizard.h"

namespace {

class TKeyForm : public TForm {
  VELMORA_CLASS(TKeyForm, TForm)
 public:
  explicit TKeyForm(TComponent* owner) : TForm(owner) {
    for (const char* n : {"Edit1", "Edit2", "Edit3", "Edit4", "Memo1"}) BindEdit(n);
    BindField("Group1", Group1);
    BindField("Check1", Check1);
    BindField("Panel1", Panel1);
    BindField("Panel2", Panel2);
    BindField("Flat1", Flat1);
    BindField("Pages", Pages);
    BindField("Sheet1", Sheet1);
    BindField("Sheet2", Sheet2);
    BindField("Ok", Ok);
    BindField("Other", Other);
    RegisterHandler("Clicked", TNotifyEvent([this](TObject* s) { Clicks.push_back(static_cast<TComponent*>(s)->Name()); }));
    LoadDescriptionText(R"(object KeyForm: TKeyForm
  BorderStyle = bsSingle
  Caption = 'Keys'
  ClientWidth = 400
  ClientHeight = 300
  object Edit1: TEdit
  end
  object Group1: TGroupBox
    object Check1: TFlatCheckBox
      Caption = '&Check'
      OnClick = Clicked
    end
    object Off1: TFlatCheckBox
      Enabled = False
    end
    object Edit2: TEdit
    end
  end
  object Panel1: TPanel
    object Panel2: TPanel
      object Flat1: TFlatButton
        Caption = '&Go'
        TabStop = True
        OnClick = Clicked
      end
      object Flat2: TFlatButton
        Caption = 'Mouse only'
      end
    end
  end
  object Pages: TPageControl
    ActivePage = Sheet1
    object Sheet1: TTabSheet
      Caption = 'One'
      object Edit3: TEdit
      end
    end
    object Sheet2: TTabSheet
      Caption = 'Two'
      object Edit4: TEdit
      end
    end
  end
  object Memo1: TMemo
    ReadOnly = True
  end
  object Ok: TButton
    Caption = '&OK'
    Default = True
    OnClick = Clicked
  end
  object Other: TButton
    Caption = 'O&ther'
    OnClick = Clicked
  end
end
)",
                        "KeyForm");
  }
  void BindEdit(const char* name) {
    Edits[name] = nullptr;
    BindField(name, Edits[name]);
  }
  TEdit*& E(const char* name) { return Edits[name]; }
  std::map<std::string, TEdit*> Edits;
  TGroupBox* Group1 = nullptr;
  TFlatCheckBox* Check1 = nullptr;
  TPanel *Panel1 = nullptr, *Panel2 = nullptr;
  TFlatButton* Flat1 = nullptr;
  TPageControl* Pages = nullptr;
  TTabSheet *Sheet1 = nullptr, *Sheet2 = nullptr;
  TButton *Ok = nullptr, *Other = nullptr;
  std::vector<std::string> Clicks;
};
VELMORA_CLASS_INFO(TKeyForm) {}

// A window read from a description given by the test.
class TTallForm : public TForm {
  VELMORA_CLASS(TTallForm, TForm)
 public:
  TTallForm(TComponent* owner, const std::string& text) : TForm(owner) { LoadDescriptionText(text, "TallForm"); }
};
VELMORA_CLASS_INFO(TTallForm) {}

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterAppClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
  }
  void TearDown() override {
    delete app;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  // A key pressed where the focus is, through the application's message loop.
  void Press(WORD key) {
    HWND to = GetFocus();
    PostMessageA(to, WM_KEYDOWN, key, 1);
    PostMessageA(to, WM_KEYUP, key, 0xC0000001);
    app->ProcessMessages();
  }
  static bool DefaultLook(TButton* b) { return (GetWindowLongA(b->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }
  static bool ControlParent(TWinControl* c) { return (GetWindowLongA(c->Handle(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0; }
  // Where Tab (or Shift+Tab) goes from each stop, round the whole window.
  static std::vector<HWND> Round(TForm* f, bool backward) {
    std::vector<HWND> stops;
    HWND at = f->Handle();
    for (int i = 0; i < 20; ++i) {
      at = NextTabStop(f->Handle(), at, backward);
      if (!at || (!stops.empty() && at == stops.front())) break;
      stops.push_back(at);
    }
    return stops;
  }

  TApplication* app = nullptr;
  std::vector<std::string> errors;
};

}  // namespace

TEST_F(Keyboard, TabVisitsEveryEnabledTabStopAlsoInsideGroupBoxesPanelsAndPages) {
  auto* f = new TKeyForm(app);
  f->Show();
  // Containers whose children take the focus are control parents; the window itself is not.
  EXPECT_TRUE(ControlParent(f->Group1));
  EXPECT_TRUE(ControlParent(f->Panel1));
  EXPECT_TRUE(ControlParent(f->Panel2));
  EXPECT_TRUE(ControlParent(f->Pages));
  EXPECT_TRUE(ControlParent(f->Sheet1));
  EXPECT_FALSE(GetWindowLongA(f->Handle(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  // The disabled box, the button that is no tab stop and the hidden page are passed by; the
  // page control's tabs come before its page.
  std::vector<HWND> forward{f->E("Edit1")->Handle(), f->Check1->Handle(), f->E("Edit2")->Handle(), f->Flat1->Handle(),
                            f->Pages->Handle(), f->E("Edit3")->Handle(), f->E("Memo1")->Handle(), f->Ok->Handle(),
                            f->Other->Handle()};
  EXPECT_EQ(Round(f, false), forward);
  std::vector<HWND> backward(forward.rbegin(), forward.rend());
  EXPECT_EQ(Round(f, true), backward);
  // Another page, another field.
  f->Pages->SetActivePage(f->Sheet2);
  forward[5] = f->E("Edit4")->Handle();
  EXPECT_EQ(Round(f, false), forward);
  // From a window that is no tab stop (a page), the next stop after it; from inside a control
  // that is one (an edit in a combo box would be), the stop after that control.
  EXPECT_EQ(NextTabStop(f->Handle(), f->Sheet2->Handle(), false), f->E("Edit4")->Handle());
  EXPECT_EQ(NextTabStop(f->Handle(), f->Sheet2->Handle(), true), f->Pages->Handle());

  // Real Tab keys through the message loop; the read-only memo passes Tab on.
  f->E("Edit1")->SetFocus();
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), f->Check1->Handle());
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), f->E("Edit2")->Handle());
  f->E("Memo1")->SetFocus();
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), f->Ok->Handle());
  // The arrows step through the tab stops where the control has no use for them.
  f->Flat1->SetFocus();
  Press(VK_RIGHT);
  EXPECT_EQ(GetFocus(), f->Pages->Handle());
  Press(VK_LEFT);  // the tabs' own: another page
  EXPECT_EQ(GetFocus(), f->Pages->Handle());
  f->Ok->SetFocus();
  Press(VK_LEFT);
  EXPECT_EQ(GetFocus(), f->E("Memo1")->Handle());
  // Space on the focused box ticks it.
  f->Check1->SetFocus();
  Press(VK_SPACE);
  EXPECT_TRUE(f->Check1->Checked());
}

TEST_F(Keyboard, EnterPressesTheFocusedPushButtonElseTheDefaultOne) {
  auto* f = new TKeyForm(app);
  f->Show();
  f->E("Edit1")->SetFocus();
  EXPECT_TRUE(DefaultLook(f->Ok));
  Press(VK_RETURN);
  EXPECT_EQ(f->Clicks, std::vector<std::string>{"Ok"});
  // A focused push button is the default while it has the focus.
  f->Other->SetFocus();
  EXPECT_TRUE(DefaultLook(f->Other));
  EXPECT_FALSE(DefaultLook(f->Ok));
  Press(VK_RETURN);
  f->E("Memo1")->SetFocus();
  EXPECT_TRUE(DefaultLook(f->Ok));
  EXPECT_FALSE(DefaultLook(f->Other));
  Press(VK_RETURN);  // a read-only text does not keep Enter
  // The flat button that is a tab stop: Enter and Space press it.
  f->Flat1->SetFocus();
  EXPECT_TRUE(f->Flat1->HasFocus());
  Press(VK_RETURN);
  Press(VK_SPACE);
  EXPECT_EQ(f->Clicks, (std::vector<std::string>{"Ok", "Other", "Ok", "Flat1", "Flat1"}));
  // Alt and a button's letter press it, wherever the focus is, and take the focus there.
  f->E("Edit1")->SetFocus();
  PostMessageA(GetFocus(), WM_SYSCHAR, 't', 0x20000001);
  app->ProcessMessages();
  EXPECT_EQ(f->Clicks.back(), "Other");
  EXPECT_EQ(GetFocus(), f->Other->Handle());
  // A default button that is off is pressed neither by Enter nor by its letter.
  f->E("Edit1")->SetFocus();
  f->Ok->SetEnabled(false);
  Press(VK_RETURN);
  PostMessageA(GetFocus(), WM_SYSCHAR, 'o', 0x20000001);
  app->ProcessMessages();
  EXPECT_EQ(f->Clicks.size(), 6u);
}

TEST_F(Keyboard, TheFocusGivenWhileHiddenOrHeldBeforeIsTheFocusOnActivation) {
  auto* f = new TKeyForm(app);
  f->Check1->SetFocus();  // not on the screen yet
  EXPECT_EQ(f->ActiveControl(), f->Check1);
  f->Show();
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == f->Check1->Handle(); }));
  // Another window takes the activation and gives it back: the box has the focus again.
  std::unique_ptr<TKeyForm> other(new TKeyForm(nullptr));
  other->Show();
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == other->Handle(); }));
  f->Show();
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == f->Check1->Handle(); }));
  // A control that went is forgotten.
  delete f->E("Edit2");
  f->E("Edit2") = nullptr;
  EXPECT_EQ(f->ActiveControl(), f->Check1);
  // The focused control going: the focus goes on to the window's first tab stop, as in a
  // dialog, and nothing is left pointing at the one that went.
  f->E("Edit1")->SetFocus();
  TControl* gone = f->E("Edit1");
  delete f->E("Edit1");
  f->E("Edit1") = nullptr;
  EXPECT_NE(f->ActiveControl(), gone);
  EXPECT_EQ(GetFocus(), NextTabStop(f->Handle(), nullptr, false));
  EXPECT_EQ(f->ActiveControl(), TWinControl::FromHandle(GetFocus()));
}

TEST_F(Keyboard, TheMainWindowsThreeButtonsAreTabStopsAndPressedByEnterOrSpace) {
  auto* form = new TMainForm(app);
  app->AddForm(form);
  form->Show();
  TFocusProxy* quick = form->MtShadowButton1->FocusProxy();
  ASSERT_NE(quick, nullptr);
  std::vector<HWND> stops = Round(form, false);
  EXPECT_EQ(stops, (std::vector<HWND>{form->FlatButton1->Handle(), form->FlatButton2->Handle(), quick->Handle()}));
  EXPECT_FALSE(form->MtShadowButton1->HasFocus());
  auto plain = Painted(*form->MtShadowButton1);
  quick->SetFocus();
  EXPECT_TRUE(form->MtShadowButton1->HasFocus());
  auto marked = Painted(*form->MtShadowButton1);
  int changed = 0;
  for (int y = 0; y < plain->Height(); ++y)
    for (int x = 0; x < plain->Width(); ++x) changed += plain->PixelRGB(x, y) != marked->PixelRGB(x, y);
  EXPECT_GT(changed, 30);
  int clicks = 0;
  form->MtShadowButton1->OnClick = [&](TObject*) { ++clicks; };
  Press(VK_RETURN);
  Press(VK_SPACE);
  EXPECT_EQ(clicks, 2);
  // Hidden with the button, the stop is passed by.
  form->MtShadowButton1->SetVisible(false);
  EXPECT_EQ(Round(form, false).size(), 2u);
  form->MtShadowButton1->SetVisible(true);
  // "Vel" stands against "mora": one logo word.
  EXPECT_EQ(form->Label1->Alignment(), taRightJustify);
}

namespace {
// The accelerators of the buttons and check boxes a user acts on, by what shows together: the
// controls on one page (of a page control, a notebook or a wizard) with those outside any.
void CollectAccels(TControl* c, const std::string& group, std::map<std::string, std::vector<std::string>>& out) {
  std::string g = group;
  if (dynamic_cast<TTabSheet*>(c) || dynamic_cast<TPage*>(c)) g = c->Name();
  bool acted = c->Enabled() && (dynamic_cast<TButton*>(c) || dynamic_cast<TFlatButton*>(c) ||
                                dynamic_cast<TFlatCheckBox*>(c) || dynamic_cast<TMtShadowButton*>(c));
  if (acted) out[g].push_back(c->Name() + " '" + c->Caption() + "'");
  if (auto* w = dynamic_cast<TWinControl*>(c))
    for (int i = 0; i < w->ControlCount(); ++i) CollectAccels(w->Controls(i), g, out);
}

// Empty when every control has an accelerator that no control showing with it shares.
std::string AccelProblems(TForm* f) {
  std::map<std::string, std::vector<std::string>> groups;
  CollectAccels(f, "", groups);
  const std::vector<std::string> common = groups[""];
  std::vector<std::vector<std::string>> together;
  for (auto& [name, controls] : groups) {
    if (name.empty()) continue;
    together.push_back(controls);
    together.back().insert(together.back().end(), common.begin(), common.end());
  }
  if (together.empty()) together.push_back(common);
  std::string problems;
  for (const auto& set : together) {
    std::map<char, std::string> seen;
    for (const std::string& c : set) {
      std::string caption = c.substr(c.find('\'') + 1);
      caption.pop_back();
      char letter = static_cast<char>(toupper(static_cast<unsigned char>(AccelChar(caption))));
      if (!letter)
        problems += c + " has no accelerator; ";
      else if (seen.count(letter) && seen[letter] != c)
        problems += seen[letter] + " and " + c + " share " + letter + "; ";
      else
        seen[letter] = c;
    }
  }
  return problems;
}
}  // namespace

TEST_F(Keyboard, EveryButtonAndBoxHasItsOwnAcceleratorInEachWindow) {
  auto* main = new TMainForm(app);
  app->AddForm(main);
  auto* wizard = new TForm1(app);
  auto* overview = new TfrmKSI_Overview(app);
  auto* detail = new TdlgKSI_Detail(app);
  for (TForm* f : std::initializer_list<TForm*>{main, wizard, overview, detail}) {
    std::map<std::string, std::vector<std::string>> groups;
    CollectAccels(f, "", groups);
    EXPECT_GE(groups[""].size(), 1u) << f->Name();
    EXPECT_EQ(AccelProblems(f), "") << f->Name();
  }
  // A clash is found: two of the overview's buttons on one letter.
  static_cast<TControl*>(overview->FindComponent("bRefresh"))->SetCaption("&Refresh");
  EXPECT_NE(AccelProblems(overview).find("share R"), std::string::npos);
  // Alt and the letter press the button: the main window's "Optimize it!" opens the wizard.
  main->Show();
  EXPECT_TRUE(main->DialogChar('o'));
  EXPECT_TRUE(PumpUntil([&] { return wizard->Showing(); }));
  EXPECT_EQ(main->ActiveControl(), main->FlatButton2);  // where the focus comes back to
}

TEST_F(Keyboard, WindowsOpenWithTheFocusOnTheirFirstControl) {
  auto* main = new TMainForm(app);
  app->AddForm(main);
  main->Show();
  // Enter presses "System info..." at once, without a Tab first.
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == main->FlatButton1->Handle(); }));
  EXPECT_EQ(main->EnterButton(), main->FlatButton1);
  // The system information opens on its tabs: the arrows and Ctrl+Tab turn its pages.
  auto* overview = new TfrmKSI_Overview(app);
  overview->Show();
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == overview->pcMain->Handle(); }));
}

TEST_F(Keyboard, F1OpensTheHelpAtThePageAboutTheWindow) {
  std::vector<std::string> asked;
  std::string file;
  app->SetHelpFile("velmo.chm");
  app->HelpViewer = [&](const std::string& f, const std::string& topic) {
    file = f;
    asked.push_back(topic);
  };
  auto* main = new TMainForm(app);
  app->AddForm(main);
  auto* wizard = new TForm1(app);
  auto* overview = new TfrmKSI_Overview(app);
  auto* detail = new TdlgKSI_Detail(app);
  auto* plain = new TKeyForm(app);
  for (TForm* f : std::initializer_list<TForm*>{main, wizard, overview, detail, plain}) {
    f->Show();
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == f->Handle() && GetFocus(); })) << f->Name();
    Press(VK_F1);
    f->Hide();
  }
  // A window without a page of its own opens the contents.
  EXPECT_EQ(asked, (std::vector<std::string>{"mainwin.htm", "wizard.htm", "sysinfo.htm", "sysinfo.htm", ""}));
  // The help file beside the program, wherever it was started from.
  std::string exe = app->ExeName();
  EXPECT_EQ(file, exe.substr(0, exe.find_last_of('\\') + 1) + "velmo.chm");
  // The help picture opens the contents and says that F1 opens the help too; the system's help
  // request (a menu open, the caption's help button) opens the window's page.
  main->Image1Click(main->Image1);
  EXPECT_EQ(asked.back(), "");
  EXPECT_NE(main->Image1->Hint().find("F1"), std::string::npos);
  HELPINFO hi{};
  hi.cbSize = sizeof hi;
  SendMessageA(wizard->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
  EXPECT_EQ(asked.back(), "wizard.htm");
  EXPECT_EQ(asked.size(), 7u);
}

TEST_F(Keyboard, TheWizardsTabOrderFollowsItsButtonsOnEveryPage) {
  auto* f = new TForm1(app);
  f->Show();
  TWizard* w = f->Wizard1;
  for (int page = 0; page < 4; ++page) {
    w->SetActivePageIndex(page);
    // The buttons Tab reaches, in the order it reaches them, and from left to right.
    std::vector<HWND> reached, shown;
    for (HWND h : Round(f, false))
      for (int k = pbkBack; k <= pbkCancel; ++k)
        if (w->Button(static_cast<TPageButtonKind>(k))->Handle() == h) reached.push_back(h);
    std::vector<TButton*> usable;
    for (int k = pbkBack; k <= pbkCancel; ++k)
      if (TButton* b = w->Button(static_cast<TPageButtonKind>(k)); b->Visible() && b->Enabled()) usable.push_back(b);
    std::sort(usable.begin(), usable.end(), [](TButton* a, TButton* b) { return a->Left() < b->Left(); });
    for (TButton* b : usable) shown.push_back(b->Handle());
    EXPECT_EQ(reached, shown) << "page " << page;
  }
  // The last page: Back, Finish, Cancel.
  EXPECT_EQ(NextTabStop(f->Handle(), w->BackButton()->Handle(), false), w->FinishButton()->Handle());
  EXPECT_EQ(NextTabStop(f->Handle(), w->FinishButton()->Handle(), false), w->CancelButton()->Handle());
}

TEST_F(Keyboard, APageChangeSelectsItsTabWithoutRebuildingTheStripAndTheFocusFollows) {
  auto* f = new TfrmKSI_Overview(app);
  f->Show();
  TPageControl* pc = f->pcMain;
  pc->SetFocus();
  HWND strip = pc->Handle();
  const int n = static_cast<int>(SendMessageA(strip, TCM_GETITEMCOUNT, 0, 0));
  ASSERT_GE(n, 16);
  // A mark on one tab that making the strip again would lose.
  auto mark = [&](int tab) {
    TCITEMA item{};
    item.mask = TCIF_IMAGE;
    SendMessageA(strip, TCM_GETITEMA, tab, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  };
  TCITEMA item{};
  item.mask = TCIF_IMAGE;
  item.iImage = 7;
  SendMessageA(strip, TCM_SETITEMA, 3, reinterpret_cast<LPARAM>(&item));
  auto expectAt = [&](int tab) {
    EXPECT_EQ(pc->ActivePageIndex(), tab);
    EXPECT_EQ(SendMessageA(strip, TCM_GETCURSEL, 0, 0), tab);
    EXPECT_EQ(SendMessageA(strip, TCM_GETCURFOCUS, 0, 0), tab);
    EXPECT_TRUE(pc->Pages(tab)->Visible());
  };
  pc->SetActivePageIndex(n - 1);
  expectAt(n - 1);
  // Ctrl+Tab from the last page wraps to the first, and Ctrl+Shift+Tab back.
  EXPECT_TRUE(pc->TurnPage(true));
  expectAt(0);
  EXPECT_TRUE(pc->TurnPage(false));
  expectAt(n - 1);
  EXPECT_TRUE(pc->TurnPage(true));
  EXPECT_TRUE(pc->TurnPage(true));
  expectAt(1);
  EXPECT_EQ(mark(3), 7);
  // The arrows go on from the tab shown.
  Press(VK_RIGHT);
  expectAt(2);
  // A tab whose caption changes is written anew.
  pc->Pages(5)->SetCaption(" Renamed ");
  char text[32] = "";
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(strip, TCM_GETITEMA, 5, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, " Renamed ");
  expectAt(2);
}

TEST_F(Keyboard, AWindowTallerThanTheWorkAreaScrollsAndTabShowsEachControl) {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  const int height = wa.bottom - wa.top + 300;
  std::string text = R"(object TallForm: TTallForm
  BorderStyle = bsDialog
  Caption = 'Tall'
  ClientWidth = 300
  ClientHeight = )" + std::to_string(height) + R"(
  Position = poScreenCenter
  object Top1: TEdit
    Left = 8
    Top = 8
  end
  object Low1: TEdit
    Left = 8
    Top = )" + std::to_string(height - 80) + R"(
  end
  object Strip: TPanel
    Align = alBottom
    Height = 37
    object Close1: TButton
      Left = 200
      Top = 6
      Caption = '&Close'
    end
  end
end
)";
  auto* f = new TTallForm(app, text);
  f->Show();
  RECT r;
  GetWindowRect(f->Handle(), &r);
  EXPECT_GE(r.top, wa.top);
  EXPECT_LE(r.bottom, wa.bottom);
  EXPECT_TRUE(GetWindowLongA(f->Handle(), GWL_STYLE) & WS_VSCROLL);
  // The contents keep their designed size beside the scroll bar.
  EXPECT_EQ(f->ClientWidth(), 300);
  EXPECT_EQ(f->ScrollHeight(), height);
  auto* low = static_cast<TWinControl*>(f->FindComponent("Low1"));
  auto* close = static_cast<TWinControl*>(f->FindComponent("Close1"));
  auto* top = static_cast<TWinControl*>(f->FindComponent("Top1"));
  // Each control Tab reaches shows whole in the window.
  auto shows = [&](TWinControl* c) {
    RECT cr, fr;
    GetWindowRect(c->Handle(), &cr);
    GetClientRect(f->Handle(), &fr);
    MapWindowPoints(f->Handle(), nullptr, reinterpret_cast<POINT*>(&fr), 2);
    return cr.top >= fr.top && cr.bottom <= fr.bottom;
  };
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == top->Handle(); }));
  EXPECT_TRUE(shows(top));
  EXPECT_FALSE(shows(close));
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), low->Handle());
  EXPECT_TRUE(shows(low));
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), close->Handle());
  EXPECT_TRUE(shows(close));
  EXPECT_GT(f->ScrollPos(), height - f->ClientHeight() - 37);
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), top->Handle());
  EXPECT_TRUE(shows(top));
  EXPECT_FALSE(shows(close));
  // The scroll bar and the wheel move the contents too.
  SendMessageA(f->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(f->ScrollPos(), height - f->ClientHeight());
  EXPECT_TRUE(shows(close));
  SendMessageA(f->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(f->ScrollPos(), height - f->ClientHeight() - 48);
  f->Release();
}
