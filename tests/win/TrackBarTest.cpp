// The track bar on a test form laid out like the wizard's two bars and an upright one: drawing,
// keys, dragging, clicks, the cursor confinement and the ranges the wizard produces.
#include <gtest/gtest.h>
#include <windows.h>
#include "framework/Forms.h"
#include "instruments/MtRegister.h"
#include "instruments/MtSystem.h"
#include "instruments/MtTrackBar.h"

namespace {

// Where the bar confined the cursor last (empty: free), recorded in place of the system's call.
RECT g_clip{};
BOOL WINAPI RecordClip(const RECT* r) {
  g_clip = r ? *r : RECT{};
  return TRUE;
}

class TTrackForm : public TForm {
  VELMORA_CLASS(TTrackForm, TForm)
 public:
  explicit TTrackForm(TComponent* owner) : TForm(owner) {
    BindField("RAMbar", RAMbar);
    BindField("NetBar", NetBar);
    BindField("Upright", Upright);
    RegisterHandler("BarChange", TNotifyEvent([this](TObject*) { ++Changes; }));
    RegisterHandler("BarKey", TKeyEvent([this](TObject*, WORD&, TShiftState) { ++Keys; }));
    LoadDescriptionText(R"(object TrackForm: TTrackForm
  BorderStyle = bsSingle
  Caption = 'Track bars'
  ClientWidth = 340
  ClientHeight = 270
  object RAMbar: TMtTrackBar
    Left = 8
    Top = 8
    Width = 249
    Height = 45
    MinValue = 10
    Position = 10
    FocusColor = clLime
    GutterBevel.InnerStyle = bsNone
    GutterBevel.InnerWidth = 1
    GutterBevel.OuterStyle = bsLowered
    OnChange = BarChange
  end
  object NetBar: TMtTrackBar
    Left = 8
    Top = 60
    Width = 249
    Height = 45
    MaxValue = 4
    MinValue = 1
    Position = 1
    Frequency = 1
    FocusColor = clLime
    OnChange = BarChange
    OnKeyDown = BarKey
  end
  object Upright: TMtTrackBar
    Left = 280
    Top = 8
    Width = 45
    Height = 249
    Orientation = voVertical
  end
end
)",
                        "TrackForm");
  }
  TMtTrackBar *RAMbar = nullptr, *NetBar = nullptr, *Upright = nullptr;
  int Changes = 0, Keys = 0;
};
VELMORA_CLASS_INFO(TTrackForm) {}

class TrackBar : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterInstrumentClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    saved = MtClipCursor();
    MtClipCursor() = &RecordClip;
    form = new TTrackForm(app);
    form->Show();
  }
  void TearDown() override {
    delete app;
    MtClipCursor() = saved;
    g_clip = RECT{};
  }
  TClipCursorFn saved = nullptr;
  TApplication* app = nullptr;
  TTrackForm* form = nullptr;
};

TBitmap& Paint(TMtTrackBar& bar) {
  static TBitmap b;
  bar.PaintTo(b);
  return b;
}

void Mouse(TMtTrackBar& bar, UINT msg, int x, int y) {
  SendMessageA(bar.Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
}
void Key(TMtTrackBar& bar, WORD vk) { SendMessageA(bar.Handle(), WM_KEYDOWN, vk, 0); }

RECT ScreenRect(TMtTrackBar& bar) {
  RECT r;
  GetClientRect(bar.Handle(), &r);
  MapWindowPoints(bar.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
bool Confined(TMtTrackBar& bar) {
  RECT area = ScreenRect(bar);
  return EqualRect(&g_clip, &area) != FALSE;
}

const COLORREF kSilver = 0xC0C0C0;

}  // namespace

TEST_F(TrackBar, WizardBarDrawsGutterTicksAndThumbWhereTheyBelong) {
  TMtTrackBar& bar = *form->RAMbar;
  bar.SetMaxValue(96);
  bar.SetMinValue(74);
  EXPECT_EQ(bar.Position(), 74);
  TBitmap& p = Paint(bar);
  const COLORREF face = ColorToRGB(clBtnFace);
  // The lowered gutter (10, 18)-(239, 27) with black inside.
  EXPECT_EQ(p.PixelRGB(100, 18), ColorToRGB(clBtnShadow));
  EXPECT_EQ(p.PixelRGB(238, 26), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(p.PixelRGB(100, 22), 0u);
  EXPECT_EQ(p.PixelRGB(100, 17), face);
  // Ticks for 74, 84 and 96 at x 14, 114 and 234: the ends 4 long, the middle 3, from 5 pixels
  // off the gutter outward.
  for (int x : {14, 234}) {
    for (int y : {9, 12, 32, 35}) EXPECT_EQ(p.PixelRGB(x, y), 0u) << x << "," << y;
    for (int y : {8, 13, 31, 36}) EXPECT_EQ(p.PixelRGB(x, y), face) << x << "," << y;
  }
  for (int y : {10, 12, 32, 34}) EXPECT_EQ(p.PixelRGB(114, y), 0u) << y;
  for (int y : {9, 35}) EXPECT_EQ(p.PixelRGB(114, y), face) << y;
  EXPECT_EQ(p.PixelRGB(64, 10), face);
  // The thumb: 9 x 17 at (10, 14), outlined in black, a silver face.
  RECT t = bar.ThumbRect();
  EXPECT_EQ(t.left, 10);
  EXPECT_EQ(t.top, 14);
  EXPECT_EQ(p.PixelRGB(10, 14), 0u);
  EXPECT_EQ(p.PixelRGB(14, 22), kSilver);
  EXPECT_EQ(p.PixelRGB(11, 15), 0xFFFFFFu);
  // Without focus, no focus frame.
  EXPECT_EQ(p.PixelRGB(0, 0), face);
}

TEST_F(TrackBar, FourPositionBarMovesByKeysAndDrawsItsThumbAtEachValue) {
  TMtTrackBar& bar = *form->NetBar;
  EXPECT_EQ(SendMessageA(bar.Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  const int at[] = {10, 83, 157, 230};
  for (int v = 1; v <= 4; ++v) {
    bar.SetPosition(v);
    TBitmap& p = Paint(bar);
    // Across its middle the thumb shows five silver pixels, and nothing else in the gutter does.
    int silver = 0;
    for (int x = 10; x < 239; ++x) silver += p.PixelRGB(x, 22) == kSilver;
    EXPECT_EQ(silver, 5) << v;
    EXPECT_EQ(p.PixelRGB(at[v - 1] + 2, 22), kSilver) << v;
    EXPECT_EQ(p.PixelRGB(at[v - 1] + 6, 22), kSilver) << v;
    for (int x : {14, 87, 161, 234}) EXPECT_EQ(p.PixelRGB(x, 10), 0u) << x;
    EXPECT_EQ(p.PixelRGB(87, 9), ColorToRGB(clBtnFace));  // only the end ticks are 4 long
  }
  bar.SetPosition(1);
  form->Changes = 0;
  Key(bar, VK_RIGHT);
  EXPECT_EQ(bar.Position(), 2);
  Key(bar, VK_HOME);
  EXPECT_EQ(bar.Position(), 4);
  Key(bar, VK_RIGHT);  // already at the end: no change
  Key(bar, VK_UP);     // not on a horizontal bar
  EXPECT_EQ(bar.Position(), 4);
  Key(bar, VK_END);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(form->Changes, 3);
  EXPECT_EQ(form->Keys, 5);  // every key reaches OnKeyDown, handled or not
  // With Ctrl held the keys are left to the handlers.
  BYTE keys[256], held[256];
  GetKeyboardState(keys);
  memcpy(held, keys, sizeof held);
  held[VK_CONTROL] = 0x80;
  SetKeyboardState(held);
  Key(bar, VK_RIGHT);
  SetKeyboardState(keys);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(form->Keys, 6);
}

TEST_F(TrackBar, DraggingAndClickingMoveTheThumbAndConfineTheCursorOnlyWhileDragging) {
  TMtTrackBar& bar = *form->RAMbar;
  bar.SetMinValue(0);
  bar.SetPosition(0);
  form->Changes = 0;
  Mouse(bar, WM_LBUTTONDOWN, 14, 22);  // on the thumb, 4 pixels into it
  EXPECT_TRUE(bar.Dragging());
  EXPECT_TRUE(Confined(bar));
  Mouse(bar, WM_MOUSEMOVE, 124, 22);
  EXPECT_EQ(bar.Position(), 50);
  Mouse(bar, WM_MOUSEMOVE, 500, 22);
  EXPECT_EQ(bar.Position(), 100);
  Mouse(bar, WM_MOUSEMOVE, -300, 22);
  EXPECT_EQ(bar.Position(), 0);
  Mouse(bar, WM_LBUTTONUP, -300, 22);
  EXPECT_FALSE(bar.Dragging());
  EXPECT_FALSE(Confined(bar));
  EXPECT_EQ(form->Changes, 3);

  // A click beside the thumb centres it there, with one change.
  form->Changes = 0;
  Mouse(bar, WM_LBUTTONDOWN, 124, 22);
  EXPECT_FALSE(bar.Dragging());
  Mouse(bar, WM_LBUTTONUP, 124, 22);
  EXPECT_EQ(bar.Position(), 50);
  EXPECT_EQ(form->Changes, 1);
  bar.SetOptions(bar.Options() & ~(1u << toActiveClick));
  Mouse(bar, WM_LBUTTONDOWN, 200, 22);
  Mouse(bar, WM_LBUTTONUP, 200, 22);
  EXPECT_EQ(bar.Position(), 50);
  // Snapping to the frequency.
  bar.SetOptions(bar.Options() | (1u << toFixedPoints));
  RECT t = bar.ThumbRect();
  Mouse(bar, WM_LBUTTONDOWN, t.left + 4, 22);
  Mouse(bar, WM_MOUSEMOVE, t.left + 4 + 13, 22);
  EXPECT_EQ(bar.Position(), 60);
  Mouse(bar, WM_LBUTTONUP, t.left + 4 + 13, 22);
  // Without the confinement option the cursor is never confined.
  bar.SetOptions(bar.Options() & ~(1u << toMouseClip));
  t = bar.ThumbRect();
  Mouse(bar, WM_LBUTTONDOWN, t.left + 4, 22);
  EXPECT_TRUE(bar.Dragging());
  EXPECT_FALSE(Confined(bar));
  Mouse(bar, WM_LBUTTONUP, t.left + 4, 22);
}

TEST_F(TrackBar, CursorIsFreedWhenTheDragEndsWithoutARelease) {
  TMtTrackBar& bar = *form->RAMbar;
  bar.SetTabStop(true);
  auto press = [&] {
    RECT t = bar.ThumbRect();
    Mouse(bar, WM_LBUTTONDOWN, t.left + 4, 22);
    ASSERT_TRUE(bar.Dragging());
    ASSERT_TRUE(Confined(bar));
  };
  press();
  ReleaseCapture();  // Alt+Tab, a message box
  EXPECT_FALSE(bar.Dragging());
  EXPECT_FALSE(Confined(bar));
  press();
  SendMessageA(bar.Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(Confined(bar));
  press();
  EXPECT_EQ(GetFocus(), bar.Handle());  // a tab stop takes the focus when pressed
  SetFocus(form->NetBar->Handle());
  EXPECT_FALSE(bar.Dragging());
  EXPECT_FALSE(Confined(bar));
  press();
  bar.SetEnabled(false);
  EXPECT_FALSE(Confined(bar));
  EXPECT_EQ(Paint(bar).PixelRGB(14, 22), kSilver);  // the built-in thumb has one cell for all
  bar.SetEnabled(true);
  press();
  delete form->RAMbar;
  EXPECT_TRUE(IsRectEmpty(&g_clip));
}

TEST_F(TrackBar, FocusFrameOnlyWithTheFocus) {
  TMtTrackBar& bar = *form->NetBar;
  Mouse(bar, WM_LBUTTONDOWN, 100, 22);  // not a tab stop: the click leaves the focus alone
  Mouse(bar, WM_LBUTTONUP, 100, 22);
  EXPECT_NE(GetFocus(), bar.Handle());
  EXPECT_EQ(Paint(bar).PixelRGB(0, 0), ColorToRGB(clBtnFace));
  bar.SetTabStop(true);
  Mouse(bar, WM_LBUTTONDOWN, 100, 22);
  Mouse(bar, WM_LBUTTONUP, 100, 22);
  EXPECT_EQ(GetFocus(), bar.Handle());
  EXPECT_EQ(Paint(bar).PixelRGB(0, 0), 0x00FF00u);
  bar.SetFocusOffset(2);
  TBitmap& p = Paint(bar);
  EXPECT_EQ(p.PixelRGB(2, 2), 0x00FF00u);
  EXPECT_EQ(p.PixelRGB(0, 0), ColorToRGB(clBtnFace));
}

TEST_F(TrackBar, EmptyAndReversedRangesDrawAndMoveWithoutFailing) {
  TMtTrackBar& bar = *form->RAMbar;
  // Used memory between 42 and 43 MB: the wizard's range is empty.
  bar.SetMaxValue(42);
  bar.SetMinValue(42);
  EXPECT_EQ(bar.Position(), 42);
  EXPECT_EQ(bar.ThumbRect().left, 10);
  EXPECT_EQ(Paint(bar).PixelRGB(14, 22), kSilver);
  form->Changes = 0;
  Mouse(bar, WM_LBUTTONDOWN, 14, 22);
  Mouse(bar, WM_MOUSEMOVE, 200, 22);
  Mouse(bar, WM_LBUTTONUP, 200, 22);
  Mouse(bar, WM_LBUTTONDOWN, 150, 22);
  Mouse(bar, WM_LBUTTONUP, 150, 22);
  Key(bar, VK_RIGHT);
  Key(bar, VK_HOME);
  EXPECT_EQ(bar.Position(), 42);
  EXPECT_EQ(form->Changes, 0);

  // Capped memory figures put the minimum above the maximum: the position takes one end.
  bar.SetMinValue(74);
  bar.SetMaxValue(60);
  EXPECT_EQ(bar.Position(), 60);
  EXPECT_EQ(bar.ThumbRect().left, 230);
  EXPECT_EQ(Paint(bar).PixelRGB(234, 22), kSilver);
  bar.SetPosition(bar.MinValue());  // what the wizard does next: it stays at the maximum
  EXPECT_EQ(bar.Position(), 60);
  Mouse(bar, WM_LBUTTONDOWN, 100, 22);  // the mouse asks for the maximum; the setter lifts it
  Mouse(bar, WM_LBUTTONUP, 100, 22);
  EXPECT_EQ(bar.Position(), 74);
  EXPECT_EQ(bar.ThumbRect().left, 10);
  Key(bar, VK_HOME);
  EXPECT_EQ(bar.Position(), 74);
  Key(bar, VK_RIGHT);
  EXPECT_EQ(bar.Position(), 60);
}

TEST_F(TrackBar, UprightBarHasItsMinimumAtTheBottomAndTurnsAtRunTime) {
  TMtTrackBar& bar = *form->Upright;
  EXPECT_EQ(bar.ThumbWidth(), 17);
  EXPECT_EQ(bar.ThumbHeight(), 9);
  RECT t = bar.ThumbRect();
  EXPECT_EQ(t.left, 14);
  EXPECT_EQ(t.top, 230);
  EXPECT_EQ(Paint(bar).PixelRGB(22, 234), kSilver);
  Key(bar, VK_UP);
  EXPECT_EQ(bar.Position(), 10);
  Key(bar, VK_LEFT);
  EXPECT_EQ(bar.Position(), 10);
  Mouse(bar, WM_LBUTTONDOWN, 22, 14);  // near the top
  Mouse(bar, WM_LBUTTONUP, 22, 14);
  EXPECT_EQ(bar.Position(), 100);
  bar.SetStyle(psTopRight);  // the minimum at the top: the maximum goes down
  EXPECT_EQ(bar.ThumbRect().top, 230);
  bar.SetStyle(psBottomLeft);
  EXPECT_EQ(bar.ThumbRect().top, 10);
  bar.SetOrientation(voHorizontal);
  EXPECT_EQ(bar.Width(), 249);
  EXPECT_EQ(bar.Height(), 45);
  EXPECT_EQ(bar.ThumbWidth(), 9);
  EXPECT_EQ(bar.ThumbRect().left, 230);
}

TEST_F(TrackBar, ThumbCellsFollowHoverDragAndDisabledStates) {
  TMtTrackBar& bar = *form->NetBar;
  auto* list = new TMtBitmapList(form);
  TBitmap strip;
  strip.SetSize(36, 17);
  const TColor cells[] = {clRed, clGreen, clBlue, clYellow};
  for (int i = 0; i < 4; ++i) {
    strip.Canvas().Brush().SetColor(cells[i]);
    strip.Canvas().FillRect(RECT{i * 9, 0, i * 9 + 9, 17});
  }
  list->Bitmaps().Add(strip);
  bar.SetThumbStates(0);  // no cells: ignored
  bar.SetThumbStates(5);
  EXPECT_EQ(bar.ThumbStates(), 1);
  bar.SetThumbStates(4);
  bar.SetThumbImageIndex(0);
  bar.SetBitmapList(list);
  EXPECT_EQ(bar.ThumbWidth(), 9);
  auto cell = [&] { return Paint(bar).PixelRGB(bar.ThumbRect().left + 4, 22); };
  EXPECT_EQ(cell(), 0x0000FFu);  // normal
  Mouse(bar, WM_MOUSEMOVE, 14, 22);
  EXPECT_TRUE(bar.Hovering());
  EXPECT_EQ(cell(), 0x00FFFFu);  // under the pointer
  Mouse(bar, WM_LBUTTONDOWN, 14, 22);
  EXPECT_EQ(cell(), 0xFF0000u);  // dragged
  Mouse(bar, WM_LBUTTONUP, 14, 22);
  Mouse(bar, WM_MOUSEMOVE, 200, 40);
  bar.SetEnabled(false);
  EXPECT_EQ(cell(), 0x008000u);  // disabled
  bar.SetEnabled(true);
  bar.SetFrequency(0);
  EXPECT_EQ(bar.Frequency(), 1);

  // The list's pictures change: the thumb follows; the list goes: the built-in thumb is back.
  list->Bitmaps().Clear();
  TBitmap wide;
  wide.SetSize(48, 17);
  list->Bitmaps().Add(wide);
  EXPECT_EQ(bar.ThumbWidth(), 12);
  delete list;
  EXPECT_EQ(bar.BitmapList(), nullptr);
  EXPECT_EQ(bar.ThumbWidth(), 2);  // 9 pixels in 4 cells
  bar.SetThumbStates(1);
  EXPECT_EQ(bar.ThumbWidth(), 9);

  // A see-through thumb lets the bar show where the thumb has its bottom-left colour (black).
  bar.SetOptions(bar.Options() & ~(1u << toThumbOpaque));
  TBitmap& p = Paint(bar);
  int left = bar.ThumbRect().left;
  EXPECT_EQ(p.PixelRGB(left, 14), ColorToRGB(clBtnFace));
  EXPECT_EQ(p.PixelRGB(left + 4, 22), kSilver);
}
