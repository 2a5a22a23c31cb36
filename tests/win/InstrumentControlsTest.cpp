// The lights, the LED, the shadow button, the rotated label and the scale against real GDI and
// real mouse messages, read from a description as the program's windows read them.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "instruments/MtButtons.h"
#include "instruments/MtLabel.h"
#include "instruments/MtLeds.h"
#include "instruments/MtLights.h"
#include "instruments/MtRegister.h"
#include "instruments/MtScale.h"
#include "TestSupport.h"

namespace {

class TGaugeForm : public TForm {
  VELMORA_CLASS(TGaugeForm, TForm)
 public:
  explicit TGaugeForm(TComponent* owner) : TForm(owner) {
    BindField("Board", Board);
    BindField("Light", Light);
    BindField("Lights", Lights);
    BindField("Led", Led);
    BindField("Button", Button);
    BindField("Label", Label);
    BindField("Scale", Scale);
    RegisterHandler("ButtonClick", TNotifyEvent([this](TObject*) { ++Clicks; }));
    RegisterHandler("LightChange", TNotifyEvent([this](TObject*) { ++LightChanges; }));
    LoadDescriptionText(R"(object GaugeForm: TGaugeForm
  BorderStyle = bsSingle
  Caption = 'Instruments'
  ClientWidth = 400
  ClientHeight = 200
  object Board: TPanel
    Align = alClient
    BevelOuter = bvNone
    object Light: TMtLights
      Left = 10
      Top = 10
      Width = 33
      Height = 17
      LedsVisible = [lsGreen]
      Color = clWindow
      OnChange = LightChange
    end
    object Lights: TMtLights
      Left = 50
      Top = 10
      LedType = ltGlassRounded
    end
    object Led: TMtUserLed
      Left = 140
      Top = 10
    end
    object Button: TMtShadowButton
      Left = 10
      Top = 70
      Width = 90
      Height = 23
      Caption = 'Go'
      OnClick = ButtonClick
    end
    object Label: TMtLabel
      Left = 120
      Top = 70
      Width = 40
      Height = 100
      Caption = 'Rotated'
      Angle = 90
      Style = lsNone
      Color = clBlack
      Font.Color = clWhite
      Font.Name = 'Arial'
      Font.Height = -13
    end
    object Scale: TMtScale
      Left = 170
      Top = 70
      Width = 200
      Height = 30
      Ticks = 3
      ScaleColor = clRed
      TickMarks = tmBoth
    end
  end
end
)",
                        "GaugeForm");
  }
  TPanel* Board = nullptr;
  TMtLights *Light = nullptr, *Lights = nullptr;
  TMtUserLed* Led = nullptr;
  TMtShadowButton* Button = nullptr;
  TMtLabel* Label = nullptr;
  TMtScale* Scale = nullptr;
  int Clicks = 0, LightChanges = 0;
};
VELMORA_CLASS_INFO(TGaugeForm) {}

class Gauges : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterExtControlClasses();
      RegisterInstrumentClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    form = new TGaugeForm(app);
  }
  void TearDown() override { delete app; }
  TApplication* app = nullptr;
  TGaugeForm* form = nullptr;
};

void Mouse(HWND h, UINT msg, int x, int y) {
  SendMessageA(h, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
}

}  // namespace

TEST_F(Gauges, LightsShowTheirStatesInTheirOrder) {
  // The wizard's light: one rectangular cell at 8, 5; its body lit or unlit.
  TMtLights& l = *form->Light;
  EXPECT_EQ(l.CellWidth(), 17);
  const COLORREF unlit = 0x008000, lit = 0x00FF00, window = ColorToRGB(clWindow);
  auto body = [&] { return Painted(l)->PixelRGB(8 + 8, 5 + 3); };
  EXPECT_EQ(body(), unlit);
  EXPECT_EQ(Painted(l)->PixelRGB(8, 5), window);  // the strip's black is see-through
  EXPECT_EQ(Painted(l)->PixelRGB(2, 2), window);
  l.SetLedState(1u << lsGreen);
  l.SetLedState(1u << lsGreen);
  EXPECT_EQ(form->LightChanges, 1);
  EXPECT_EQ(body(), lit);
  l.SetLedState(1u << lsRed);  // red is not shown: the green light is unlit
  EXPECT_EQ(body(), unlit);
  l.SetLedsVisible(0);
  EXPECT_EQ(CountPixels(*Painted(l), window, RECT{0, 0, 33, 17}).Count, 33 * 17);

  // Round lights on 80 x 45: 13 x 13 cells from 15, 16; red first when reversed.
  TMtLights& r = *form->Lights;
  EXPECT_EQ(r.CellWidth(), 13);
  r.SetLedState(kMtAllLights);
  auto p = Painted(r);
  EXPECT_EQ(p->PixelRGB(15 + 6, 16 + 6), lit);
  EXPECT_EQ(p->PixelRGB(51 + 6, 16 + 6), 0x0000FFu);
  r.SetOrder(loRedToGreen);
  p = Painted(r);
  EXPECT_EQ(p->PixelRGB(15 + 6, 16 + 6), 0x0000FFu);
  EXPECT_EQ(p->PixelRGB(51 + 6, 16 + 6), lit);
  EXPECT_EQ(p->PixelRGB(2, 2), 0u);
  r.SetLedType(ltGlassRect);
  EXPECT_EQ(r.CellWidth(), 17);
  EXPECT_EQ(r.CellHeight(), 7);
}

TEST_F(Gauges, LedDrawsItsBevelAndGradientOrLeavesTheDrawingToItsOwner) {
  TMtUserLed& led = *form->Led;
  EXPECT_EQ(led.Width(), 20);
  EXPECT_EQ(led.Height(), 10);
  int changes = 0;
  led.OnChange = [&](TObject*) { ++changes; };
  led.SetActive(true);
  led.SetActive(true);
  EXPECT_EQ(changes, 1);
  // The default palette: red toward black when lit; the default bevel's black outline.
  auto p = Painted(led);
  EXPECT_EQ(p->PixelRGB(0, 0), 0u);
  EXPECT_EQ(p->PixelRGB(1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(p->PixelRGB(18, 8), ColorToRGB(clBtnShadow));
  EXPECT_EQ(p->PixelRGB(3, 3), 0x0000FFu);
  led.SetOutlineWidth(1);
  led.SetOutlineColor(clRed);
  p = Painted(led);
  EXPECT_EQ(p->PixelRGB(0, 0), 0x0000FFu);
  EXPECT_EQ(p->PixelRGB(1, 1), 0u);

  RECT given{};
  led.OnDraw = [&](TObject* s, TCanvas& c, const RECT& r) {
    EXPECT_EQ(s, &led);
    given = r;
    c.Brush().SetColor(clYellow);
    c.FillRect(RECT{0, 0, 5, 5});
  };
  led.SetColor(clNavy);
  led.SetDrawStyle(dsOwnerDraw);
  p = Painted(led);
  EXPECT_EQ(given.right, 20);
  EXPECT_EQ(p->PixelRGB(2, 2), 0x00FFFFu);
  EXPECT_EQ(p->PixelRGB(10, 8), 0x800000u);
}

TEST_F(Gauges, ShadowButtonClicksOnlyWhenReleasedOnItsFace) {
  form->Show();
  HWND board = form->Board->Handle();
  TMtShadowButton& b = *form->Button;
  const int x0 = 10, y0 = 70;  // the button's place on the board
  // Pressing inside, dragging out and releasing does nothing; dragging back in clicks once.
  Mouse(board, WM_LBUTTONDOWN, x0 + 40, y0 + 9);
  EXPECT_TRUE(b.Pressed());
  Mouse(board, WM_MOUSEMOVE, x0 + 40, y0 + 40);
  EXPECT_FALSE(b.Pressed());
  Mouse(board, WM_LBUTTONUP, x0 + 40, y0 + 40);
  EXPECT_EQ(form->Clicks, 0);
  Mouse(board, WM_LBUTTONDOWN, x0 + 40, y0 + 9);
  Mouse(board, WM_MOUSEMOVE, x0 + 200, y0 + 9);
  Mouse(board, WM_MOUSEMOVE, x0 + 40, y0 + 10);
  EXPECT_TRUE(b.Pressed());
  Mouse(board, WM_LBUTTONUP, x0 + 40, y0 + 10);
  EXPECT_EQ(form->Clicks, 1);
  // Released, the face comes back up (it used to stay drawn pressed).
  EXPECT_FALSE(b.Pressed());
  EXPECT_EQ(Painted(b)->PixelRGB(1, 9), 0x00FF00u);

  // Presses on the shadow or the margin do nothing.
  for (POINT p : {POINT{87, 20}, POINT{0, 0}, POINT{86, 10}}) {
    Mouse(board, WM_LBUTTONDOWN, x0 + p.x, y0 + p.y);
    EXPECT_FALSE(b.Pressed()) << p.x << "," << p.y;
    Mouse(board, WM_LBUTTONUP, x0 + p.x, y0 + p.y);
  }
  EXPECT_EQ(form->Clicks, 1);

  // The capture taken away mid-press (another window, a message box): the face comes up and
  // the later release clicks nothing.
  Mouse(board, WM_LBUTTONDOWN, x0 + 40, y0 + 9);
  ASSERT_TRUE(b.Pressed());
  ReleaseCapture();
  EXPECT_FALSE(b.Pressed());
  Mouse(board, WM_LBUTTONUP, x0 + 40, y0 + 9);
  EXPECT_EQ(form->Clicks, 1);
  Mouse(board, WM_LBUTTONDOWN, x0 + 40, y0 + 9);
  SendMessageA(board, WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(b.Pressed());
  Mouse(board, WM_LBUTTONUP, x0 + 40, y0 + 9);
  EXPECT_EQ(form->Clicks, 1);

  // Alt and the caption's underlined letter click it; other letters do not.
  b.SetCaption("&Go");
  EXPECT_TRUE(form->DialogChar('g'));
  EXPECT_FALSE(form->DialogChar('o'));
  EXPECT_EQ(form->Clicks, 2);

  b.SetDepth(2);
  EXPECT_EQ(b.Depth(), 4);
  b.SetDepth(3);
  EXPECT_EQ(b.Depth(), 3);
  // Disabled: greyed text, and no presses.
  b.SetEnabled(false);
  Mouse(board, WM_LBUTTONDOWN, x0 + 40, y0 + 9);
  EXPECT_FALSE(b.Pressed());
  Mouse(board, WM_LBUTTONUP, x0 + 40, y0 + 9);
  EXPECT_FALSE(form->DialogChar('g'));
  EXPECT_EQ(form->Clicks, 2);
  EXPECT_GT(CountPixels(*Painted(b), ColorToRGB(clInactiveCaption), RECT{2, 2, 84, 17}).Count, 5);
}

TEST_F(Gauges, InstrumentsOfAHiddenWindowHoldNoPicturesAndPaintAgainWhenShown) {
  TMtScale& scale = *form->Scale;
  EXPECT_TRUE(scale.Bitmap().Empty());  // loaded, never shown: nothing painted yet
  auto onScreen = [&](int x, int y) {
    HWND board = form->Board->Handle();
    HDC dc = GetDC(board);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(board, dc);
    return c;
  };
  form->Show();
  PumpFor(50);
  EXPECT_EQ(scale.Bitmap().Width(), 200);
  EXPECT_EQ(scale.Bitmap().Height(), 30);
  const COLORREF label = onScreen(120 + 2, 70 + 2), tick = onScreen(170 + 100, 70 + 1);
  EXPECT_EQ(label, 0x000000u);
  long held = HeldBitmapBytes();
  // Hidden by the program, or by the system (as into the tray): the pictures go.
  form->Hide();
  EXPECT_TRUE(scale.Bitmap().Empty());
  EXPECT_TRUE(form->Lights->Bitmap().Empty());
  EXPECT_LE(HeldBitmapBytes(), held - 200 * 30 * 4);
  form->Show();
  PumpFor(50);
  EXPECT_EQ(onScreen(120 + 2, 70 + 2), label);
  EXPECT_EQ(onScreen(170 + 100, 70 + 1), tick);
  EXPECT_FALSE(scale.Bitmap().Empty());
  ShowWindow(form->Handle(), SW_HIDE);
  EXPECT_TRUE(scale.Bitmap().Empty());
}

TEST_F(Gauges, LabelTurnsItsCaptionAndFillsItWithItsBitmap) {
  TMtLabel& l = *form->Label;
  SIZE s = l.CaptionSize();
  ASSERT_GT(s.cx, s.cy);
  // At 90 degrees the caption runs up the strip: its white pixels stand taller than wide.
  PixelCount up = CountPixels(*Painted(l), 0xFFFFFF, RECT{0, 0, 40, 100});
  ASSERT_GT(up.Count, 20);
  EXPECT_GT(up.Box.bottom - up.Box.top, 2 * (up.Box.right - up.Box.left));
  EXPECT_GE(up.Box.left, 2);
  l.SetAngle(400);
  EXPECT_EQ(l.Angle(), 90);
  l.SetAngle(0);
  PixelCount flat = CountPixels(*Painted(l), 0xFFFFFF, RECT{0, 0, 40, 100});
  EXPECT_GT(flat.Box.right - flat.Box.left, flat.Box.bottom - flat.Box.top);

  // Raised: the highlight up and left of the caption, the shadow down and right.
  l.SetStyle(lsRaised);
  l.SetColorHighlight(clYellow);
  l.SetColorShadow(clBlue);
  auto p = Painted(l);
  EXPECT_GT(CountPixels(*p, 0x00FFFF, RECT{0, 0, 40, 100}).Count, 0);
  EXPECT_GT(CountPixels(*p, 0xFF0000, RECT{0, 0, 40, 100}).Count, 0);

  // A bitmap fills the caption: red where the text is, the label's black elsewhere.
  l.SetStyle(lsNone);
  l.SetAngle(90);
  TBitmap red;
  red.SetSize(4, 4);
  red.Canvas().Brush().SetColor(clRed);
  red.Canvas().FillRect(RECT{0, 0, 4, 4});
  l.SetBitmap(red);
  p = Painted(l);
  PixelCount filled = CountPixels(*p, 0x0000FF, RECT{0, 0, 40, 100});
  EXPECT_GT(filled.Count, up.Count / 2);
  EXPECT_EQ(CountPixels(*p, 0xFFFFFF, RECT{0, 0, 40, 100}).Count, 0);
  EXPECT_EQ(p->PixelRGB(0, 0), 0u);

  // Sized to the turned caption.
  l.SetAutoSize(true);
  EXPECT_EQ(l.Width(), s.cy + 4);
  EXPECT_EQ(l.Height(), s.cx + 4);
}

TEST_F(Gauges, ScaleLabelsItsCellsAndTicksTheirCentres) {
  TMtScale& s = *form->Scale;
  auto p = Painted(s);
  const COLORREF red = 0x0000FF;
  // Four cells of 50 pixels: ticks 5 long from 4 pixels below the top and ending 4 above the
  // bottom, at each cell's centre.
  for (int x : {25, 75, 125, 175}) {
    EXPECT_EQ(p->PixelRGB(x, 4), red) << x;
    EXPECT_EQ(p->PixelRGB(x, 8), red) << x;
    EXPECT_NE(p->PixelRGB(x, 9), red) << x;
    EXPECT_NE(p->PixelRGB(x, 3), red) << x;
    EXPECT_EQ(p->PixelRGB(x, 21), red) << x;
    EXPECT_EQ(p->PixelRGB(x, 25), red) << x;
    EXPECT_NE(p->PixelRGB(x, 26), red) << x;
  }
  EXPECT_GT(CountPixels(*p, 0x008000, RECT{0, 0, 50, 30}).Count, 0);   // "0" in the font's green
  EXPECT_GT(CountPixels(*p, 0x00FF00, RECT{150, 0, 200, 30}).Count, 0);  // 99 is at or above 80
  EXPECT_EQ(CountPixels(*p, 0x00FF00, RECT{0, 0, 150, 30}).Count, 0);

  // No intervals: the background only, and no division by zero.
  s.SetTicks(0);
  EXPECT_EQ(CountPixels(*Painted(s), 0, RECT{0, 0, 200, 30}).Count, 200 * 30);
  s.SetTicks(-1);
  EXPECT_EQ(CountPixels(*Painted(s), 0, RECT{0, 0, 200, 30}).Count, 200 * 30);

  // Turned at run time: the size turns with it, the place stays.
  s.SetOrientation(voVertical);
  EXPECT_EQ(s.Width(), 30);
  EXPECT_EQ(s.Height(), 200);
  EXPECT_EQ(s.Left(), 170);
}
