// The flat button, check box and hint window against real windows, messages and GDI.
#include <gtest/gtest.h>
#include <windows.h>
#include "flat/FlatButtons.h"
#include "flat/FlatCheckBoxes.h"
#include "flat/FlatHints.h"
#include "flat/FlatHover.h"
#include "framework/Bitmaps.h"
#include "framework/Forms.h"
#include "TestSupport.h"

namespace {

class TFlatTestForm : public TForm {
  VELMORA_CLASS(TFlatTestForm, TForm)
 public:
  explicit TFlatTestForm(TComponent* owner) : TForm(owner) {
    BindField("Button", Button);
    BindField("Box", Box);
    BindField("Off", Off);
    BindField("Hint1", Hint1);
    RegisterHandler("ButtonClick", TNotifyEvent([this](TObject*) { ++Clicks; }));
    RegisterHandler("BoxClick", TNotifyEvent([this](TObject*) { ++BoxClicks; }));
    LoadDescriptionText(R"(object F: TFlatTestForm
  BorderStyle = bsSingle
  ClientWidth = 300
  ClientHeight = 120
  Color = clBtnFace
  object Button: TFlatButton
    Left = 10
    Top = 10
    Width = 89
    Height = 65
    Caption = '&Go'
    OnClick = ButtonClick
  end
  object Box: TFlatCheckBox
    Left = 110
    Top = 10
    Caption = 'Check'
    OnClick = BoxClick
  end
  object Off: TFlatCheckBox
    Left = 110
    Top = 40
    Caption = 'Disabled'
    Enabled = False
  end
  object Hint1: TFlatHint
  end
end
)",
                        "FlatTest");
  }
  TFlatButton* Button = nullptr;
  TFlatCheckBox *Box = nullptr, *Off = nullptr;
  TFlatHint* Hint1 = nullptr;
  int Clicks = 0, BoxClicks = 0;
};
VELMORA_CLASS_INFO(TFlatTestForm) {}

class Flat : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterFlatClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    form = new TFlatTestForm(app);
    app->AddForm(form);
    form->Show();
    // Hover needs an active window; the window manager may take a moment to make it so.
    SetForegroundWindow(form->Handle());
    for (int i = 0; i < 100 && GetActiveWindow() != form->Handle(); ++i) {
      app->ProcessMessages();
      Sleep(10);
    }
    ASSERT_EQ(GetActiveWindow(), form->Handle());
  }
  void TearDown() override { delete app; }
  // Sends a mouse message to a control in its client coordinates (may be outside it).
  static void Mouse(TWinControl* c, UINT msg, int x, int y) {
    SendMessageA(c->Handle(), msg, msg == WM_LBUTTONDOWN || msg == WM_MOUSEMOVE ? MK_LBUTTON : 0,
                 MAKELPARAM(static_cast<short>(x), static_cast<short>(y)));
  }
  static void PointAt(TControl* c, int x, int y) { MovePointer(c->ClientToScreen(POINT{x, y})); }
  static COLORREF At(TBitmap& b, int x, int y) { return b.PixelRGB(x, y); }
  TApplication* app = nullptr;
  TFlatTestForm* form = nullptr;
};

// A strip of four 16 x 16 cells in red, green, blue and yellow on a magenta background.
void FourCells(TBitmap& g) {
  g.SetSize(64, 16);
  const COLORREF colours[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
  for (int i = 0; i < 4; ++i) {
    g.Canvas().Brush().SetColor(static_cast<TColor>(RGB(255, 0, 255)));
    g.Canvas().FillRect(RECT{i * 16, 0, i * 16 + 16, 16});
    g.Canvas().Brush().SetColor(static_cast<TColor>(colours[i]));
    g.Canvas().FillRect(RECT{i * 16 + 4, 4, i * 16 + 12, 12});
  }
}

}  // namespace

TEST_F(Flat, ButtonLooksIdleHoveredPressedAndDisabled) {
  TFlatButton* b = form->Button;
  TBitmap bmp;
  const COLORREF border = RGB(0xA0, 0x96, 0x83), face = ColorToRGB(clBtnFace);
  b->PaintTo(bmp);
  EXPECT_EQ(At(bmp, 0, 0), border);
  EXPECT_EQ(At(bmp, 88, 64), border);
  EXPECT_EQ(At(bmp, 2, 62), face);

  // The real pointer over it, in an active window: raised frame on the focused colour.
  PointAt(b, 40, 5);
  Mouse(b, WM_MOUSEMOVE, 40, 5);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(FlatButtonTracker().Hot(), b);
  b->PaintTo(bmp);
  EXPECT_EQ(At(bmp, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(At(bmp, 88, 64), RGB(0, 0, 0));
  EXPECT_EQ(At(bmp, 2, 62), RGB(0xEB, 0xEA, 0xE1));

  // Pressed: sunken frame on the down colour.
  Mouse(b, WM_LBUTTONDOWN, 40, 5);
  EXPECT_EQ(b->State(), fbsDown);
  b->PaintTo(bmp);
  EXPECT_EQ(At(bmp, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(At(bmp, 88, 64), RGB(255, 255, 255));
  EXPECT_EQ(At(bmp, 2, 62), RGB(0xD9, 0xD6, 0xC5));
  Mouse(b, WM_LBUTTONUP, 40, 5);
  EXPECT_EQ(form->Clicks, 1);

  // Disabled: border frame, no hover, the caption engraved.
  b->SetEnabled(false);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(FlatButtonTracker().Hot(), nullptr);
  b->PaintTo(bmp);
  EXPECT_EQ(At(bmp, 0, 0), border);
  int hi = 0, shadow = 0;
  for (int y = 1; y < 64; ++y)
    for (int x = 1; x < 88; ++x) {
      hi += At(bmp, x, y) == ColorToRGB(clBtnHighlight);
      shadow += At(bmp, x, y) == ColorToRGB(clBtnShadow);
    }
  EXPECT_GT(hi, 5);
  EXPECT_GT(shadow, 5);
}

TEST_F(Flat, DraggedOutAndReleasedDoesNotClickDraggedBackInClicksOnce) {
  TFlatButton* b = form->Button;
  Mouse(b, WM_LBUTTONDOWN, 40, 30);
  Mouse(b, WM_MOUSEMOVE, 150, 30);
  EXPECT_EQ(b->State(), fbsUp);
  Mouse(b, WM_LBUTTONUP, 150, 30);
  EXPECT_EQ(form->Clicks, 0);
  EXPECT_FALSE(b->Dragging());

  Mouse(b, WM_LBUTTONDOWN, 40, 30);
  Mouse(b, WM_MOUSEMOVE, -20, 30);
  EXPECT_EQ(b->State(), fbsUp);
  Mouse(b, WM_MOUSEMOVE, 41, 31);
  EXPECT_EQ(b->State(), fbsDown);
  Mouse(b, WM_LBUTTONUP, 41, 31);
  EXPECT_EQ(form->Clicks, 1);
  EXPECT_EQ(b->State(), fbsUp);
  // Alt and the caption's accelerator click it too; other letters do not.
  PostMessageA(b->Handle(), WM_SYSCHAR, 'g', 0);
  app->ProcessMessages();
  EXPECT_EQ(form->Clicks, 2);
  EXPECT_FALSE(form->DialogChar('x'));
  EXPECT_EQ(form->Clicks, 2);
}

TEST_F(Flat, GlyphCellsFollowTheStateAndOddCountsNeverDivideByZero) {
  TFlatButton* b = form->Button;
  b->SetCaption("");
  TBitmap g;
  FourCells(g);
  b->SetGlyph(g);
  EXPECT_EQ(b->NumGlyphs(), 4);
  TBitmap bmp;
  auto centre = [&] {
    b->PaintTo(bmp);
    bool sunk = b->State() == fbsDown || b->State() == fbsLatched;
    return At(bmp, 44 + sunk, 32 + sunk);
  };
  EXPECT_EQ(centre(), RGB(255, 0, 0));
  Mouse(b, WM_LBUTTONDOWN, 5, 5);
  EXPECT_EQ(centre(), RGB(0, 0, 255));
  Mouse(b, WM_LBUTTONUP, 5, 5);
  b->SetGroupIndex(1);
  b->SetDown(true);
  EXPECT_EQ(centre(), RGB(255, 255, 0));
  b->SetEnabled(false);
  EXPECT_EQ(centre(), RGB(0, 255, 0));
  // Magenta, the bottom-left colour, is left clear.
  EXPECT_EQ(At(bmp, 44 - 6, 32 - 6), ColorToRGB(clBtnFace));

  TBitmap odd;
  odd.SetSize(160, 32);
  b->SetGlyph(odd);
  EXPECT_EQ(b->NumGlyphs(), 1);
  odd.SetSize(100, 32);
  b->SetNumGlyphs(3);
  b->SetGlyph(odd);
  EXPECT_EQ(b->NumGlyphs(), 3);
  b->SetNumGlyphs(0);
  EXPECT_EQ(b->NumGlyphs(), 1);
  b->SetNumGlyphs(7);
  EXPECT_EQ(b->NumGlyphs(), 4);
  b->SetGlyph(TBitmap());
  b->PaintTo(bmp);  // an empty glyph draws nothing and fails nowhere
}

TEST_F(Flat, GroupButtonsLatchOneAtATime) {
  auto* a = form->Button;
  auto* b = new TFlatButton(form);
  b->SetParent(form);
  b->SetBounds(10, 80, 40, 30);
  a->SetDown(true);
  EXPECT_FALSE(a->Down());  // no group: nothing happens
  a->SetGroupIndex(2);
  a->SetDown(true);
  EXPECT_EQ(a->State(), fbsLatched);
  // Joining the group does not release the latched button.
  b->SetGroupIndex(2);
  EXPECT_TRUE(a->Down());
  Mouse(b, WM_LBUTTONDOWN, 5, 5);
  Mouse(b, WM_LBUTTONUP, 5, 5);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(a->State(), fbsUp);
  // Without AllowAllUp the latched button stays down when clicked again.
  Mouse(b, WM_LBUTTONDOWN, 5, 5);
  Mouse(b, WM_LBUTTONUP, 5, 5);
  EXPECT_TRUE(b->Down());
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());
  b->SetDown(false);
  EXPECT_FALSE(b->Down());
}

TEST_F(Flat, DestroyingTheHotControlStopsTheSharedTimer) {
  PointAt(form->Button, 5, 5);
  Mouse(form->Button, WM_MOUSEMOVE, 5, 5);
  EXPECT_EQ(FlatButtonTracker().Hot(), form->Button);
  delete form->Button;
  EXPECT_EQ(FlatButtonTracker().Hot(), nullptr);
  PointAt(form->Box, 5, 5);
  Mouse(form->Box, WM_MOUSEMOVE, 5, 5);
  EXPECT_EQ(FlatCheckBoxTracker().Hot(), form->Box);
  delete form->Box;
  EXPECT_EQ(FlatCheckBoxTracker().Hot(), nullptr);
  PumpFor(250);  // ticks that would have reached the freed controls
  // A hot control the pointer has left is told by the timer.
  auto* b = new TFlatButton(form);
  b->SetParent(form);
  b->SetBounds(150, 60, 40, 30);
  PointAt(b, 5, 5);
  Mouse(b, WM_MOUSEMOVE, 5, 5);
  EXPECT_TRUE(b->MouseInControl());
  PointAt(b, 100, 100);
  PumpFor(300);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(FlatButtonTracker().Hot(), nullptr);
}

TEST_F(Flat, CheckBoxTogglesOnReleaseOverItAndPaintsItsBox) {
  TFlatCheckBox* c = form->Box;
  c->SetChecked(false);
  EXPECT_EQ(form->BoxClicks, 0);  // the same value: no click
  c->SetChecked(true);
  EXPECT_EQ(form->BoxClicks, 1);
  c->SetChecked(false);
  PointAt(c, 5, 8);
  Mouse(c, WM_MOUSEMOVE, 5, 8);
  Mouse(c, WM_LBUTTONDOWN, 5, 8);
  EXPECT_TRUE(c->MouseIsDown());
  TBitmap bmp;
  c->PaintTo(bmp);
  EXPECT_EQ(At(bmp, 5, 8), RGB(0xD9, 0xD6, 0xC5));  // held: the down colour
  Mouse(c, WM_LBUTTONUP, 5, 8);
  EXPECT_TRUE(c->Checked());
  c->PaintTo(bmp);
  EXPECT_EQ(At(bmp, 1, 3), RGB(0xA0, 0x96, 0x83));   // the frame
  EXPECT_EQ(At(bmp, 1 + 2, 3 + 4), RGB(0, 0, 0));   // the mark's first pixel
  EXPECT_EQ(At(bmp, 1 + 9, 3 + 9), RGB(255, 255, 255));  // focused: white inside
  // Pressed, dragged off and released there: no change, though the look stayed hovered.
  Mouse(c, WM_LBUTTONDOWN, 5, 8);
  PointAt(c, 300, 8);
  Mouse(c, WM_MOUSEMOVE, 300, 8);
  Mouse(c, WM_LBUTTONUP, 300, 8);
  EXPECT_TRUE(c->Checked());
  // The space key toggles it.
  SendMessageA(c->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_FALSE(c->Checked());
  EXPECT_EQ(form->BoxClicks, 4);

  // A disabled box ignores the mouse and draws its caption engraved.
  TFlatCheckBox* off = form->Off;
  Mouse(off, WM_LBUTTONDOWN, 5, 8);
  Mouse(off, WM_LBUTTONUP, 5, 8);
  EXPECT_FALSE(off->Checked());
  off->PaintTo(bmp);
  int hi = 0;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 16; x < bmp.Width(); ++x) hi += At(bmp, x, y) == ColorToRGB(clBtnHighlight);
  EXPECT_GT(hi, 5);
}

TEST_F(Flat, HintWindowTakesTheFlatClassDelaysAndQuadrantPlacement) {
  EXPECT_EQ(app->HintPause, 500);
  EXPECT_EQ(app->HintShortPause, 25);
  EXPECT_EQ(app->HintHidePause, 5000);
  std::unique_ptr<THintWindow> w(app->HintWindowClass(nullptr));
  auto* hint = dynamic_cast<TFlatHintWindow*>(w.get());
  ASSERT_NE(hint, nullptr);
  const std::string text = "Shows you detailed info\r\nabout your computer";
  RECT r = hint->CalcHintRect(1000, text);
  RECT m{0, 0, 178, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, form->Hint1->Font().Handle());
  DrawTextA(dc, text.c_str(), -1, &m, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(r.right, m.right + 22);
  EXPECT_EQ(r.bottom, m.bottom + 6);

  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  const int w0 = r.right, h0 = r.bottom;
  struct Case {
    POINT p;
    int quadrant, left, top;
  } cases[] = {
      {{sw - 50, 40}, 0, sw - 50 - w0 - 5, 45},
      {{40, 40}, 1, 52, 52},
      {{sw - 50, sh - 40}, 2, sw - 50 - w0 - 5, sh - 40 - h0 - 5},
      {{40, sh - 40}, 3, 45, sh - 40 - h0 - 5},
  };
  for (const Case& c : cases) {
    MovePointer(c.p);
    hint->ActivateHint(r, text);
    EXPECT_EQ(hint->Quadrant(), c.quadrant);
    RECT wr;
    GetWindowRect(hint->Handle(), &wr);
    EXPECT_EQ(wr.left, c.left) << c.quadrant;
    EXPECT_EQ(wr.top, c.top) << c.quadrant;
    EXPECT_EQ(wr.right - wr.left, w0);
    EXPECT_TRUE(IsWindowVisible(hint->Handle()));
    EXPECT_FALSE(GetWindowLongA(hint->Handle(), GWL_STYLE) & WS_BORDER);
    // No taskbar button of its own: a tool window owned by the application's window.
    EXPECT_EQ(GetWindow(hint->Handle(), GW_OWNER), app->Handle());
    EXPECT_TRUE(GetWindowLongA(hint->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    TBitmap bmp;
    hint->PaintTo(bmp);
    bool stripRight = c.quadrant == 0 || c.quadrant == 2;
    const COLORREF yellow = RGB(0xFF, 0xD2, 0x53);
    EXPECT_EQ(At(bmp, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(At(bmp, stripRight ? w0 - 8 : 8, h0 / 2), yellow) << c.quadrant;
    EXPECT_EQ(At(bmp, stripRight ? 8 : w0 - 8, h0 - 3), RGB(255, 255, 255)) << c.quadrant;
    // The arrow's tip sits in the strip's corner nearest the pointer.
    int ax = stripRight ? w0 - 4 : 3, ay = c.quadrant < 2 ? 3 : h0 - 4;
    EXPECT_EQ(At(bmp, ax, ay), RGB(0, 0, 0)) << c.quadrant;
    hint->ReleaseHint();
  }
}
