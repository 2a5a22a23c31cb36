// Forms and controls against the real window manager and GDI.
#include <gtest/gtest.h>
#include <windows.h>
#include "framework/Exception.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
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
