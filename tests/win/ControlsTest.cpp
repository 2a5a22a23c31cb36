// Forms and controls against the real window manager and GDI.
#include <gtest/gtest.h>
#include <windows.h>
#include "framework/Exception.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/HintWindow.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace {

class TTestForm : public TForm {
  VELMORA_CLASS(TTestForm, TForm)
 public:
  explicit TTestForm(TComponent* owner, const char* text) : TForm(owner) {
    BindField("Panel", Panel);
    BindField("Box", Box);
    BindField("Caption1", Caption1);
    RegisterHandler("BoxClick", TNotifyEvent([this](TObject*) { ++BoxClicks; }));
    RegisterHandler("PanelClick", TNotifyEvent([this](TObject*) { ++PanelClicks; }));
    RegisterHandler("Boom", TNotifyEvent([](TObject*) { throw Exception("boom"); }));
    RegisterHandler("Closing", TCloseEvent([this](TObject*, TCloseAction& a) { a = CloseAction; }));
    RegisterHandler("Asking", TCloseQueryEvent([this](TObject*, bool& can) { can = AllowClose; }));
    LoadDescriptionText(text, "Test");
  }
  TPanel* Panel = nullptr;
  TPanel* Box = nullptr;
  TLabel* Caption1 = nullptr;
  int BoxClicks = 0, PanelClicks = 0;
  TCloseAction CloseAction = caHide;
  bool AllowClose = true;
};
VELMORA_CLASS_INFO(TTestForm) {}

const char* kForm = R"(object TestForm: TTestForm
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  ClientWidth = 200
  ClientHeight = 100
  Font.Name = 'Arial'
  Font.Height = -13
  OnClose = Closing
  OnCloseQuery = Asking
  object Panel: TPanel
    Align = alClient
    BevelOuter = bvLowered
    Color = clWhite
    OnClick = PanelClick
    object Caption1: TLabel
      Left = 10
      Top = 10
      Caption = 'Hi'
      Transparent = True
      Font.Color = clRed
      OnClick = BoxClick
    end
    object Box: TPanel
      Left = 100
      Top = 50
      Width = 40
      Height = 20
      BevelOuter = bvRaised
      BevelInner = bvLowered
      Color = clYellow
      OnClick = Boom
    end
  end
end
)";

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterStdControlClasses();
      RegisterExtControlClasses();
      RegisterMenuClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
  }
  void TearDown() override { delete app; }
  TApplication* app = nullptr;
  std::vector<std::string> errors;
};

COLORREF At(TBitmap& b, int x, int y) { return b.PixelRGB(x, y); }

void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
}

BOOL WINAPI NoPointer(LPPOINT) { return FALSE; }

// Controls whose paint fails while Fail is set; otherwise they fill themselves with Colour.
class TFailingControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  bool Fail = true;
  TColor Colour = clRed;

 protected:
  void Paint() override {
    if (Fail) throw Exception("paint failed");
    Canvas().Brush().SetColor(Colour);
    Canvas().FillRect(ClientRect());
    // A paint that leaves the context moved: the next control's paint must not find it so.
    if (Untidy) SetViewportOrgEx(Canvas().Handle(), 5, 5, nullptr);
  }

 public:
  bool Untidy = false;
};
class TFailingGraphic : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  bool Fail = true;

 protected:
  void Paint() override {
    if (Fail) throw Exception("graphic failed");
    Canvas().Brush().SetColor(clBlue);
    Canvas().FillRect(ClientRect());
  }
};

}  // namespace

TEST_F(Controls, FormTakesItsClientSizeAndAlignedChildrenFollowResizes) {
  auto* f = new TTestForm(app, kForm);
  f->Show();
  RECT r;
  GetClientRect(f->Handle(), &r);
  EXPECT_EQ(r.right, 200);
  EXPECT_EQ(r.bottom, 100);
  EXPECT_EQ(GetWindowLongA(f->Handle(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  char cls[64];
  GetClassNameA(f->Panel->Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TPanel");
  EXPECT_EQ(GetParent(f->Box->Handle()), f->Panel->Handle());
  f->SetClientHeight(150);
  GetClientRect(f->Panel->Handle(), &r);
  EXPECT_EQ(r.bottom, 150);
  EXPECT_EQ(f->Panel->Height(), 150);
  // Children inherit the parent's font unless they set their own.
  EXPECT_EQ(f->Box->Font().Height(), -13);
  EXPECT_EQ(f->Caption1->Font().Color(), clRed);
  f->Font().SetHeight(-20);
  EXPECT_EQ(f->Box->Font().Height(), -20);
  EXPECT_EQ(f->Caption1->Font().Height(), -13);
}

TEST_F(Controls, PanelsPaintTheirBevelsAndGraphicChildrenOffScreen) {
  auto* f = new TTestForm(app, kForm);
  f->Show();
  TBitmap box;
  f->Box->PaintTo(box);
  ASSERT_EQ(box.Width(), 40);
  COLORREF hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
  // Raised outside (light top-left, dark bottom-right), lowered inside, then the face.
  EXPECT_EQ(At(box, 0, 0), hi);
  EXPECT_EQ(At(box, 39, 19), sh);
  EXPECT_EQ(At(box, 1, 1), sh);
  EXPECT_EQ(At(box, 38, 18), hi);
  EXPECT_EQ(At(box, 20, 10), ColorToRGB(clYellow));

  TBitmap panel;
  f->Panel->PaintTo(panel);
  EXPECT_EQ(At(panel, 0, 0), sh);
  // The transparent label draws red text on the panel's white and nothing else.
  int red = 0, other = 0;
  RECT lr = f->Caption1->BoundsRect();
  for (int y = lr.top; y < lr.bottom; ++y)
    for (int x = lr.left; x < lr.right; ++x) {
      COLORREF c = At(panel, x, y);
      if (c == RGB(255, 0, 0)) ++red;
      else if (c != RGB(255, 255, 255)) ++other;
    }
  EXPECT_GT(red, 10);
  EXPECT_LT(other, red);  // anti-aliasing may blend a few edge pixels
  EXPECT_EQ(At(panel, lr.right + 2, lr.top + 2), RGB(255, 255, 255));
}

TEST_F(Controls, ClicksGoToTheControlUnderThePointerAndFailuresToTheApplication) {
  auto* f = new TTestForm(app, kForm);
  f->Show();
  HWND panel = f->Panel->Handle();
  RECT lr = f->Caption1->BoundsRect();
  LPARAM onLabel = MAKELPARAM(lr.left + 2, lr.top + 2), elsewhere = MAKELPARAM(5, 90);
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, onLabel);
  SendMessageA(panel, WM_LBUTTONUP, 0, onLabel);
  EXPECT_EQ(f->BoxClicks, 1);
  EXPECT_EQ(f->PanelClicks, 0);
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, elsewhere);
  SendMessageA(panel, WM_LBUTTONUP, 0, elsewhere);
  EXPECT_EQ(f->PanelClicks, 1);
  // Pressed on the label but released outside it: no click.
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, onLabel);
  SendMessageA(panel, WM_LBUTTONUP, 0, MAKELPARAM(150, 90));
  EXPECT_EQ(f->BoxClicks, 1);
  // A handler that fails does not unwind through the window procedure.
  SendMessageA(f->Box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(f->Box->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(errors, (std::vector<std::string>{"boom"}));
}

TEST_F(Controls, CloseAsksFirstThenHidesOrEndsTheApplication) {
  auto* f = new TTestForm(app, kForm);
  f->Show();
  f->AllowClose = false;
  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(f->Handle()));
  f->AllowClose = true;
  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(f->Handle()));
  EXPECT_FALSE(f->Visible());
  delete f;
  // The main form's close ends the message loop.
  auto* m = new TTestForm(app, kForm);
  app->AddForm(m);
  ASSERT_EQ(app->MainForm(), m);
  m->Show();
  m->Close();
  app->ProcessMessages();
  EXPECT_TRUE(app->Terminated());
}

TEST_F(Controls, DestroyingAFormFreesItsComponentsAndClearsReferences) {
  auto* f = new TTestForm(app, kForm);
  auto* menu = new TPopupMenu(f);
  f->Box->SetPopupMenu(menu);
  delete menu;
  EXPECT_EQ(f->Box->PopupMenu(), nullptr);
  f->Show();
  HWND h = f->Handle();
  delete f;
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(app->ComponentCount(), 0);
}

TEST_F(Controls, APaintThatFailsStillEndsThePaintAndLetsGoOfTheContext) {
  auto* f = new TTestForm(app, kForm);
  auto* c = new TFailingControl(f);
  c->SetParent(f->Panel);
  c->SetBounds(0, 0, 30, 30);
  auto* g = new TFailingGraphic(f);
  g->SetParent(c);
  g->SetBounds(10, 10, 10, 10);
  f->Show();
  errors.clear();
  HWND h = c->Handle();
  InvalidateRect(h, nullptr, FALSE);
  UpdateWindow(h);
  EXPECT_EQ(errors, std::vector<std::string>{"paint failed"});
  EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE)) << "the paint was never ended";
  EXPECT_FALSE(c->Canvas().HandleAllocated());
  // A graphic child that fails in the off-screen paint leaves the context as it found it.
  c->Fail = false;
  TBitmap bmp;
  EXPECT_THROW(c->PaintTo(bmp), Exception);
  EXPECT_FALSE(g->Canvas().HandleAllocated());
  POINT origin{-1, -1};
  GetViewportOrgEx(bmp.Canvas().Handle(), &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  g->Fail = false;
  c->PaintTo(bmp);
  EXPECT_EQ(At(bmp, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(At(bmp, 10, 10), RGB(0, 0, 255));
  EXPECT_EQ(At(bmp, 20, 20), RGB(255, 0, 0));
}

TEST_F(Controls, CustomControlsPaintThroughOneOffScreenBitmapThatGoesWhenTheyRest) {
  auto* f = new TTestForm(app, kForm);
  auto* big = new TFailingControl(f);
  big->SetParent(f->Panel);
  big->SetBounds(0, 0, 120, 45);
  big->Fail = false;
  big->Untidy = true;
  auto* small = new TFailingControl(f);
  small->SetParent(f->Panel);
  small->SetBounds(130, 0, 20, 20);
  small->Fail = false;
  small->Colour = clLime;
  f->Show();
  PumpFor(2200);  // what the first paints held has gone
  long rest = HeldBitmapBytes();
  auto screen = [](TControl* c, int x, int y) {
    HWND h = static_cast<TWinControl*>(c)->Handle();
    HDC dc = GetDC(h);
    COLORREF p = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return p;
  };
  for (TFailingControl* c : {big, small, big, small}) {
    InvalidateRect(c->Handle(), nullptr, FALSE);
    UpdateWindow(c->Handle());
  }
  EXPECT_EQ(screen(big, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(screen(big, 119, 44), RGB(255, 0, 0));
  EXPECT_EQ(screen(small, 0, 0), RGB(0, 255, 0));
  EXPECT_EQ(screen(small, 19, 19), RGB(0, 255, 0));
  // One bitmap the size of the larger one served both.
  EXPECT_EQ(HeldBitmapBytes(), rest + 120 * 45 * 4);
  PumpFor(2200);
  EXPECT_EQ(HeldBitmapBytes(), rest);
  InvalidateRect(small->Handle(), nullptr, FALSE);
  UpdateWindow(small->Handle());
  EXPECT_EQ(screen(small, 10, 10), RGB(0, 255, 0));
}

TEST_F(Controls, TheApplicationForgetsHintWindowsAndMainFormsThatGo) {
  auto* f = new TTestForm(app, kForm);
  f->Box->SetHint("box|long");
  f->Box->SetShowHint(true);
  f->Show();
  // Any hint window class, owned by the application or by another component.
  std::vector<THintWindow*> made;
  TComponent* hintOwner = app;
  app->HintWindowClass = [&](TComponent*) {
    made.push_back(new THintWindow(hintOwner));
    return made.back();
  };
  auto show = [&](TControl* c) {
    app->MouseOver(nullptr);
    app->MouseOver(c);
    app->ActivateHint(POINT{40, 40});
  };
  show(f->Box);
  ASSERT_EQ(made.size(), 1u);
  EXPECT_TRUE(IsWindowVisible(made[0]->Handle()));
  EXPECT_EQ(made[0]->Caption(), "box");
  delete made[0];  // as the application's own components go at exit, newest first
  app->CancelHint();
  show(f->Box);
  ASSERT_EQ(made.size(), 2u) << "the application kept the freed hint window";
  hintOwner = f;
  delete made[1];
  show(f->Box);
  ASSERT_EQ(made.size(), 3u);
  delete f;  // takes the hint window it owns along
  hintOwner = app;
  auto* g = new TTestForm(app, kForm);
  g->Box->SetHint("other");
  g->Box->SetShowHint(true);
  g->Show();
  show(g->Box);
  ASSERT_EQ(made.size(), 4u);
  // The main form may go first too; the application window then has no form to activate.
  app->AddForm(g);
  delete g;
  EXPECT_EQ(app->MainForm(), nullptr);
  SendMessageA(app->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
}

TEST_F(Controls, HintsWaitForAPointerPositionAndOnlyOurWindowsAreControls) {
  auto* f = new TTestForm(app, kForm);
  f->Box->SetHint("box");
  f->Box->SetShowHint(true);
  f->Show();
  int shown = 0;
  app->OnShowHint = [&](std::string&, bool& canShow, THintInfo&) {
    ++shown;
    canShow = false;
  };
  app->HintPause = 1;
  TMousePosSource old = SetMousePosSource(NoPointer);  // as while the workstation is locked
  app->MouseOver(f->Box);
  PumpFor(60);
  EXPECT_EQ(shown, 0);
  SetMousePosSource(old);
  app->MouseOver(nullptr);
  app->MouseOver(f->Box);
  PumpFor(60);
  EXPECT_EQ(shown, 1);

  EXPECT_EQ(TWinControl::FromHandle(f->Box->Handle()), f->Box);
  HWND stranger = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  SetPropA(stranger, "VelmoraControl", reinterpret_cast<HANDLE>(0x10));
  EXPECT_EQ(TWinControl::FromHandle(stranger), nullptr);
  RemovePropA(stranger, "VelmoraControl");
  DestroyWindow(stranger);
}

TEST_F(Controls, BorderIconsRestyleAnExistingWindow) {
  auto* f = new TTestForm(app, kForm);
  f->Show();
  HWND h = f->Handle();
  f->SetBorderIcons(1u << biSystemMenu);
  EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_MINIMIZEBOX);
  f->SetBorderIcons((1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize));
  EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_MAXIMIZEBOX);
  EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_EQ(f->BorderStyle(), bsSingle);
  EXPECT_TRUE(IsWindowVisible(h));
}
